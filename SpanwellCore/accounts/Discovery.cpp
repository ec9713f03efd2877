#include "accounts/Discovery.h"

#include "accounts/AccountFile.h"

#include <QCryptographicHash>

#include <algorithm>

namespace {

const QLatin1String defaultFolderName(".claude");
const QLatin1String folderPrefix(".claude-");

std::optional<QString> optionalString(const QJsonObject& object, QLatin1String key) {
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace

namespace Discovery {

QList<Account> accounts(const QString& home, const FileSystem& fileSystem) {
    QStringList names = fileSystem.entryNames(home).value_or(QStringList());
    names.removeIf([](const QString& name) {
        return name != defaultFolderName && !name.startsWith(folderPrefix);
    });
    // Plain code-point order, so ".claude" comes before every ".claude-" name.
    std::sort(names.begin(), names.end());

    QList<Account> found;
    for (const QString& name : std::as_const(names)) {
        const QString path = home + QLatin1Char('/') + name;
        if (!fileSystem.isFolder(path))
            continue;
        const bool isDefault = name == defaultFolderName;
        const std::optional<QByteArray> contents =
            fileSystem.contents(AccountFile::path(path, isDefault, home));
        if (!contents)
            continue;
        const std::optional<QJsonObject> signedIn = AccountFile::signedInAccount(*contents);
        if (!signedIn)
            continue;
        found.append(Account{
            path,
            keychainService(path, isDefault),
            signedIn->value(QLatin1String("emailAddress")).toString(),
            optionalString(*signedIn, QLatin1String("organizationName")),
            optionalString(*signedIn, QLatin1String("planDisplayName")),
        });
    }
    return found;
}

QString keychainService(const QString& configDir, bool isDefault) {
    const QString base = QStringLiteral("Claude Code-credentials");
    if (isDefault)
        return base;
    const QByteArray digest =
        QCryptographicHash::hash(configDir.toUtf8(), QCryptographicHash::Sha256);
    return base + QLatin1Char('-') + QString::fromLatin1(digest.left(4).toHex());
}

} // namespace Discovery
