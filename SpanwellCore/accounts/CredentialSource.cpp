#include "accounts/CredentialSource.h"

#include "accounts/FileSystem.h"
#include "files/RegularFile.h"

namespace {

// A credential is a few hundred bytes; anything far larger is not one, and is not read whole.
constexpr qint64 largestCredentialFile = 1024 * 1024;

std::optional<Credential> readFile(const QString& path) {
    const std::optional<QByteArray> contents = RegularFile::read(path, largestCredentialFile);
    return contents ? Credential::parse(*contents) : std::nullopt;
}

} // namespace

namespace CredentialSource {

std::optional<Credential> read(const Account& account, double timeoutSeconds,
                               const QString& keychainTool) {
    if (FileSystem::local().isExecutableFile(keychainTool))
        if (auto fromKeychain =
                Keychain::readCredential(account.keychainService, timeoutSeconds, keychainTool))
            return fromKeychain;
    return readFile(filePath(account.configDir));
}

QString filePath(const QString& configDir) {
    return configDir + QStringLiteral("/.credentials.json");
}

} // namespace CredentialSource
