#include "model/Spend.h"

#include "model/JsonCoding.h"

std::optional<QJsonObject> Spend::toJson() const {
    JsonWriter writer;
    writer.optionalRecord(QStringLiteral("used"), used);
    writer.optionalRecord(QStringLiteral("limit"), limit);
    writer.optionalRecord(QStringLiteral("cap"), cap);
    writer.optionalRecord(QStringLiteral("balance"), balance);
    writer.optionalNumber(QStringLiteral("percent"), percent);
    return writer.result();
}

std::optional<Spend> Spend::fromJson(const QJsonValue& json, QString* error) {
    JsonReader reader(json, error);
    auto used = reader.optionalRecord<Money>(QStringLiteral("used"));
    auto limit = reader.optionalRecord<Money>(QStringLiteral("limit"));
    auto cap = reader.optionalRecord<Money>(QStringLiteral("cap"));
    auto balance = reader.optionalRecord<Money>(QStringLiteral("balance"));
    auto percent = reader.optionalNumber(QStringLiteral("percent"));
    if (!reader.succeeded())
        return std::nullopt;
    return Spend{used, limit, cap, balance, percent};
}
