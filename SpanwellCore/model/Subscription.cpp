#include "model/Subscription.h"

#include "model/JsonCoding.h"

namespace {
// Two hundred years of months: the search gives up there.
constexpr int monthSearchLimit = 2400;
} // namespace

std::optional<Instant> Subscription::estimatedRenewal(Instant date,
                                                      const Calendar& calendar) const {
    if (!createdAt)
        return std::nullopt;
    const int firstMonth = std::max(calendar.wholeMonths(*createdAt, date).value_or(0), 0);
    for (int months = firstMonth; months < monthSearchLimit; ++months) {
        const std::optional<Instant> candidate = calendar.addingMonths(*createdAt, months);
        if (!candidate)
            return std::nullopt;
        if (*candidate > date)
            return candidate;
    }
    return std::nullopt;
}

std::optional<QJsonObject> Subscription::toJson() const {
    JsonWriter writer;
    writer.optionalString(QStringLiteral("status"), status);
    writer.optionalInstant(QStringLiteral("createdAt"), createdAt);
    return writer.result();
}

std::optional<Subscription> Subscription::fromJson(const QJsonValue& json, QString* error) {
    JsonReader reader(json, error);
    auto status = reader.optionalString(QStringLiteral("status"));
    auto createdAt = reader.optionalInstant(QStringLiteral("createdAt"));
    if (!reader.succeeded())
        return std::nullopt;
    return Subscription{status, createdAt};
}
