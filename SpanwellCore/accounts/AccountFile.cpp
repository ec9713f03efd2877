#include "accounts/AccountFile.h"

#include "accounts/FileSystem.h"
#include "accounts/JsonSkim.h"

#include <QJsonDocument>
#include <QString>

namespace AccountFile {

QString path(const QString& configDir, bool isDefault, const QString& home) {
    const QString folder = isDefault ? home : configDir;
    return folder + QLatin1Char('/') + QLatin1String(fileName);
}

std::optional<QJsonObject> signedInAccount(const QByteArray& contents) {
    const JsonSkim::Member member = JsonSkim::topLevelMember(contents, "oauthAccount");
    if (!member.validObject || !member.value)
        return std::nullopt;
    // Only this small member is parsed in full; the rest of the file was merely checked.
    const QJsonDocument account = QJsonDocument::fromJson(member.value->toByteArray());
    if (!account.isObject() || !account.object().value(QLatin1String("emailAddress")).isString())
        return std::nullopt;
    return account.object();
}

std::optional<QJsonObject> signedInAccount(const QString& configDir, bool isDefault,
                                           const QString& home, const FileSystem& fileSystem) {
    const std::optional<QByteArray> contents =
        fileSystem.contents(path(configDir, isDefault, home));
    return contents ? signedInAccount(*contents) : std::nullopt;
}

} // namespace AccountFile
