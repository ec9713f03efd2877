#pragma once

#include "accounts/Credential.h"

#include <QString>

#include <optional>

// Reads the credential Claude Code keeps in the login keychain, through the system's
// `security` tool. Never writes to the keychain.
namespace Keychain {

inline const QString securityTool = QStringLiteral("/usr/bin/security");

// Asks the tool for the secret of the generic password named `service`. Absent when the tool
// cannot be started, fails, is still running after `timeoutSeconds`, or prints no credential.
// Blocks the calling thread for at most the time limit plus the termination grace.
std::optional<Credential> readCredential(const QString& service, double timeoutSeconds,
                                         const QString& toolPath = securityTool);

} // namespace Keychain
