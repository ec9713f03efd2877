#include "accounts/CredentialSource.h"

#include "accounts/FileSystem.h"

#include <QFile>
#include <QFileInfo>

namespace {

// A credential is a few hundred bytes; anything far larger is not one, and is not read whole.
constexpr qint64 largestCredentialFile = 1024 * 1024;

std::optional<Credential> readFile(const QString& path) {
    // Only a regular file: opening a named pipe in its place would block until a writer came.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray contents = file.read(largestCredentialFile + 1);
    if (contents.size() > largestCredentialFile)
        return std::nullopt;
    return Credential::parse(contents);
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
