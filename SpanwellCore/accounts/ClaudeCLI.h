#pragma once

#include "accounts/FileSystem.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// Claude Code's `claude` command: where it is installed, the environment every `claude`
// child runs in, and the run that renews an account's sign-in.
namespace ClaudeCLI {

// The places where Claude Code is commonly installed, in the order they are tried: the fixed
// ones, the node-version folders of nvm in descending code-point order of their names, then
// every absolute folder of `searchPath` (a PATH value) in order, and /usr/bin last. Nothing is
// tested here.
QStringList candidates(const QString& home, const FileSystem& fileSystem,
                       const QString& searchPath);

// The first candidate that is an executable file, for the current user's home folder and this
// program's own PATH. Looked up afresh on every call, so a `claude` installed while the
// program runs is found.
std::optional<QString> path();

// Built from nothing: HOME, USER, PATH (the folder of `claudePath` first), LANG and, when a
// folder is given, CLAUDE_CONFIG_DIR. Not one variable of this program's own environment
// passes through.
QProcessEnvironment environment(const QString& claudePath, const std::optional<QString>& configDir);

// Runs `claude auth status` against the account's folder (for the default folder Claude Code
// picks its own), with every standard stream on the null device, so that Claude Code renews
// an expired sign-in; the caller then reads the credential again. True only when the command
// exited by itself with status 0 within `timeoutSeconds`. False at once without `claude`.
// Blocks the calling thread for at most the time limit plus the termination grace.
bool renewSignIn(const QString& configDir, bool isDefault, double timeoutSeconds);

} // namespace ClaudeCLI
