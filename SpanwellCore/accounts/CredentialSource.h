#pragma once

#include "accounts/Credential.h"
#include "accounts/Keychain.h"
#include "model/Account.h"

#include <QString>

#include <optional>

// Where an account's credential is read from. Claude Code keeps it in the keychain where the
// system has one, and otherwise (or when the keychain is locked) in the file
// ".credentials.json" inside the account's configuration folder, with the same JSON text.
namespace CredentialSource {

// The keychain tool first where it exists (an executable file at `keychainTool`), then the
// file; absent when neither gives a credential. Blocks for at most the tool's time limit plus
// its termination grace.
std::optional<Credential> read(const Account& account, double timeoutSeconds,
                               const QString& keychainTool = Keychain::securityTool);

// configDir + "/.credentials.json", joined as it is.
QString filePath(const QString& configDir);

} // namespace CredentialSource
