#include "model/Snapshot.h"

#include "model/JsonCoding.h"

std::optional<QJsonObject> Snapshot::toJson() const {
    JsonWriter writer;
    QJsonArray readings;
    for (const LimitReading& limit : limits) {
        const std::optional<QJsonObject> reading = limit.toJson();
        if (!reading)
            return std::nullopt;
        readings.append(*reading);
    }
    writer.value(QStringLiteral("limits"), readings);
    writer.optionalString(QStringLiteral("plan"), plan);
    if (subscription) {
        const std::optional<QJsonObject> encoded = subscription->toJson();
        if (!encoded)
            return std::nullopt;
        writer.value(QStringLiteral("subscription"), *encoded);
    }
    writer.optionalInstant(QStringLiteral("loginExpiresAt"), loginExpiresAt);
    writer.instant(QStringLiteral("fetchedAt"), fetchedAt);
    writer.optionalRecord(QStringLiteral("extraUsage"), extraUsage);
    writer.optionalRecord(QStringLiteral("spend"), spend);
    // Written only when true, so that figures from the service read as they always did.
    if (fromClaudeCode)
        writer.value(QStringLiteral("fromClaudeCode"), true);
    return writer.result();
}

std::optional<Snapshot> Snapshot::fromJson(const QJsonValue& json, QString* error) {
    JsonReader reader(json, error);
    auto readings = reader.requiredArray(QStringLiteral("limits"));
    auto plan = reader.optionalString(QStringLiteral("plan"));
    auto subscriptionObject = reader.optionalObject(QStringLiteral("subscription"));
    auto loginExpiresAt = reader.optionalInstant(QStringLiteral("loginExpiresAt"));
    auto fetchedAt = reader.requiredInstant(QStringLiteral("fetchedAt"));
    auto extraUsage = reader.optionalRecord<ExtraUsage>(QStringLiteral("extraUsage"));
    auto spend = reader.optionalRecord<Spend>(QStringLiteral("spend"));
    if (!reader.succeeded())
        return std::nullopt;

    QList<LimitReading> limits;
    limits.reserve(readings->size());
    for (const QJsonValue& element : *readings) {
        std::optional<LimitReading> reading = LimitReading::fromJson(element, error);
        if (!reading)
            return std::nullopt;
        limits.append(std::move(*reading));
    }
    std::optional<Subscription> subscription;
    if (subscriptionObject) {
        subscription = Subscription::fromJson(*subscriptionObject, error);
        if (!subscription)
            return std::nullopt;
    }
    return Snapshot{std::move(limits),
                    plan,
                    subscription,
                    loginExpiresAt,
                    *fetchedAt,
                    extraUsage,
                    spend,
                    reader.object().value(QStringLiteral("fromClaudeCode")) == QJsonValue(true)};
}
