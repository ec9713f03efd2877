#pragma once

#include "accounts/FileSystem.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// Claude Code's `claude` command: where it is installed and the environment every `claude`
// child runs in.
namespace ClaudeCLI {

// The places where Claude Code is commonly installed, in the order they are tried; the
// node-version folders of nvm come last, in descending code-point order of their names.
// Nothing is tested here.
QStringList candidates(const QString& home, const FileSystem& fileSystem);

// The first candidate that is an executable file, for the current user's home folder. Looked
// up afresh on every call, so a `claude` installed while the program runs is found.
std::optional<QString> path();

// Built from nothing: HOME, USER, PATH (the folder of `claudePath` first), LANG and, when a
// folder is given, CLAUDE_CONFIG_DIR. Not one variable of this program's own environment
// passes through.
QProcessEnvironment environment(const QString& claudePath, const std::optional<QString>& configDir);

} // namespace ClaudeCLI
