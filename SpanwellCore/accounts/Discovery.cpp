#include "accounts/Discovery.h"

#include "LogCategories.h"
#include "accounts/AccountFile.h"
#include "model/CodePointOrder.h"

#include <QCryptographicHash>

#include <algorithm>

namespace {

const QLatin1String defaultFolderName(".claude");
const QLatin1String folderPrefix(".claude-");

QStringList candidateNames(const QString& home, const FileSystem& fileSystem) {
    QStringList names = fileSystem.entryNames(home).value_or(QStringList());
    names.removeIf([](const QString& name) {
        return name != defaultFolderName && !name.startsWith(folderPrefix);
    });
    return names;
}

bool isUnreadable(const QString& home, const QString& name, const FileSystem& fileSystem) {
    return name.contains(QChar::ReplacementCharacter) &&
           !fileSystem.exists(home + QLatin1Char('/') + name);
}

std::optional<QString> optionalString(const QJsonObject& object, QLatin1String key) {
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace

namespace Discovery {

QStringList folderNames(const QString& home, const FileSystem& fileSystem) {
    QStringList names = candidateNames(home, fileSystem);
    names.removeIf([&](const QString& name) {
        if (!isUnreadable(home, name, fileSystem))
            return false;
        qCWarning(accountsLog) << "The folder" << name << "in" << home
                               << "is not read: its name is not valid UTF-8";
        return true;
    });
    // Code-point order, so ".claude" comes before every ".claude-" name.
    std::sort(names.begin(), names.end(), CodePointOrder::less);
    return names;
}

std::optional<Account> account(const QString& home, const QString& folderName,
                               const FileSystem& fileSystem) {
    const QString path = home + QLatin1Char('/') + folderName;
    if (!fileSystem.isFolder(path))
        return std::nullopt;
    const bool isDefault = folderName == defaultFolderName;
    const std::optional<QJsonObject> signedIn =
        AccountFile::signedInAccount(path, isDefault, home, fileSystem);
    if (!signedIn)
        return std::nullopt;
    return Account{
        path,
        keychainService(path, isDefault),
        signedIn->value(QLatin1String("emailAddress")).toString(),
        optionalString(*signedIn, QLatin1String("organizationName")),
        optionalString(*signedIn, QLatin1String("planDisplayName")),
    };
}

QList<Account> accounts(const QString& home, const FileSystem& fileSystem) {
    QList<Account> found;
    for (const QString& name : folderNames(home, fileSystem))
        if (std::optional<Account> signedIn = account(home, name, fileSystem))
            found.append(std::move(*signedIn));
    return found;
}

QStringList unreadableFolderNames(const QString& home, const FileSystem& fileSystem) {
    QStringList names = candidateNames(home, fileSystem);
    names.removeIf([&](const QString& name) { return !isUnreadable(home, name, fileSystem); });
    std::sort(names.begin(), names.end(), CodePointOrder::less);
    return names;
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
