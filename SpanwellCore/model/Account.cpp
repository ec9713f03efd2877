#include "model/Account.h"

#include "model/JsonCoding.h"

bool Account::isDefault() const {
    QString path = configDir;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.section(QLatin1Char('/'), -1) == QLatin1String(".claude");
}

// Only the home folder itself and what lies inside it: a sibling whose name merely begins with the
// home folder's ("/Users/anna" beside "/Users/ann") is not shortened to "~a".
QString Account::folderLabel(const QString& home) const {
    if (!home.isEmpty() && (configDir == home || configDir.startsWith(home + QLatin1Char('/'))))
        return QLatin1Char('~') + configDir.mid(home.size());
    return configDir;
}

QJsonObject Account::toJson() const {
    JsonWriter writer;
    writer.string(QStringLiteral("configDir"), configDir);
    writer.string(QStringLiteral("keychainService"), keychainService);
    writer.string(QStringLiteral("email"), email);
    writer.optionalString(QStringLiteral("organization"), organization);
    writer.optionalString(QStringLiteral("planDisplayName"), planDisplayName);
    return *writer.result();
}

std::optional<Account> Account::fromJson(const QJsonValue& json, QString* error) {
    JsonReader reader(json, error);
    auto configDir = reader.requiredString(QStringLiteral("configDir"));
    auto keychainService = reader.requiredString(QStringLiteral("keychainService"));
    auto email = reader.requiredString(QStringLiteral("email"));
    auto organization = reader.optionalString(QStringLiteral("organization"));
    auto planDisplayName = reader.optionalString(QStringLiteral("planDisplayName"));
    if (!reader.succeeded())
        return std::nullopt;
    return Account{*configDir, *keychainService, *email, organization, planDisplayName};
}
