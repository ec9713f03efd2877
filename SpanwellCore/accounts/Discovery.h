#pragma once

#include "accounts/FileSystem.h"
#include "model/Account.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Finds the Claude Code accounts signed in on this machine: the default folder ~/.claude and
// every folder in the home folder whose name begins with ".claude-". Reads, never writes.
namespace Discovery {

// One account per folder that holds a readable account file, in code-point order of the
// folder names. `home` has no trailing slash; paths are joined, never resolved.
QList<Account> accounts(const QString& home, const FileSystem& fileSystem);

// The two steps of `accounts`, for callers that read the folders side by side: the names in
// the home folder that may be account folders, in code-point order, and the account of one.
// The unreadable names below are left out, and each is named in the log.
QStringList folderNames(const QString& home, const FileSystem& fileSystem);
std::optional<Account> account(const QString& home, const QString& folderName,
                               const FileSystem& fileSystem);

// Names in the home folder that begin as account folders' names do but are not valid UTF-8.
// Decoded, with replacement characters, they name no folder, so no account can be read from
// them; Claude Code, which takes folder names as UTF-8 text, cannot use them either.
QStringList unreadableFolderNames(const QString& home, const FileSystem& fileSystem);

// The keychain item in which Claude Code keeps the folder's credential:
// "Claude Code-credentials", followed for other folders than the default by "-" and the first
// eight hexadecimal digits of the SHA-256 digest of the path exactly as given.
QString keychainService(const QString& configDir, bool isDefault);

} // namespace Discovery
