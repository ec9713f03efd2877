#include "model/ExtraUsage.h"

#include "model/JsonCoding.h"

std::optional<QJsonObject> ExtraUsage::toJson() const {
    JsonWriter writer;
    writer.value(QStringLiteral("isEnabled"), isEnabled);
    writer.optionalRecord(QStringLiteral("used"), used);
    writer.optionalRecord(QStringLiteral("monthlyLimit"), monthlyLimit);
    writer.optionalNumber(QStringLiteral("utilization"), utilization);
    return writer.result();
}

std::optional<ExtraUsage> ExtraUsage::fromJson(const QJsonValue& json, QString* error) {
    JsonReader reader(json, error);
    auto isEnabled = reader.requiredBool(QStringLiteral("isEnabled"));
    auto used = reader.optionalRecord<Money>(QStringLiteral("used"));
    auto monthlyLimit = reader.optionalRecord<Money>(QStringLiteral("monthlyLimit"));
    auto utilization = reader.optionalNumber(QStringLiteral("utilization"));
    if (!reader.succeeded())
        return std::nullopt;
    return ExtraUsage{*isEnabled, used, monthlyLimit, utilization};
}
