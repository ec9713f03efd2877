#include "accounts/AccountFile.h"

#include <QJsonDocument>
#include <QString>

namespace AccountFile {

QString path(const QString& configDir, bool isDefault, const QString& home) {
    const QString folder = isDefault ? home : configDir;
    return folder + QLatin1Char('/') + QLatin1String(fileName);
}

std::optional<QJsonObject> signedInAccount(const QByteArray& contents) {
    const QJsonDocument document = QJsonDocument::fromJson(contents);
    if (!document.isObject())
        return std::nullopt;
    const QJsonValue account = document.object().value(QLatin1String("oauthAccount"));
    if (!account.isObject() || !account.toObject().value(QLatin1String("emailAddress")).isString())
        return std::nullopt;
    return account.toObject();
}

} // namespace AccountFile
