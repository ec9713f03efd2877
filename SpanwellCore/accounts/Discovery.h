#pragma once

#include "accounts/FileSystem.h"
#include "model/Account.h"

#include <QList>
#include <QString>

// Finds the Claude Code accounts signed in on this machine: the default folder ~/.claude and
// every folder in the home folder whose name begins with ".claude-". Reads, never writes.
namespace Discovery {

// One account per folder that holds a readable account file, in code-point order of the
// folder names. `home` has no trailing slash; paths are joined, never resolved.
QList<Account> accounts(const QString& home, const FileSystem& fileSystem);

// The keychain item in which Claude Code keeps the folder's credential:
// "Claude Code-credentials", followed for other folders than the default by "-" and the first
// eight hexadecimal digits of the SHA-256 digest of the path exactly as given.
QString keychainService(const QString& configDir, bool isDefault);

} // namespace Discovery
