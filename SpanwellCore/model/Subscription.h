#pragma once

#include "model/Calendar.h"
#include "model/Instant.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// The account's subscription as the profile reply describes it.
struct Subscription {
    std::optional<QString> status;
    std::optional<Instant> createdAt;

    // The first monthly anniversary of `createdAt` strictly after `date`, counted in `calendar`
    // from `createdAt` itself (a subscription made on the 31st renews on the last day of shorter
    // months). Absent without a creation date, or beyond 200 years of months.
    std::optional<Instant> estimatedRenewal(Instant date, const Calendar& calendar) const;

    std::optional<QJsonObject> toJson() const;
    static std::optional<Subscription> fromJson(const QJsonValue& json, QString* error = nullptr);

    bool operator==(const Subscription&) const = default;
};
