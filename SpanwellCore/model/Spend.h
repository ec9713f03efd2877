#pragma once

#include "model/Money.h"

#include <QJsonObject>

#include <optional>

// What a seat billed by what it spends (rather than by a plan's windows) has spent, against the
// limit its organisation set.
struct Spend {
    std::optional<Money> used;
    std::optional<Money> limit;
    std::optional<Money> cap;
    std::optional<Money> balance;
    // Share of the limit used, in percent, as the service reported it.
    std::optional<double> percent;

    // Judged against the limit, or the cap when no limit is set.
    MoneyUse use() const { return MoneyUse{used, limit ? limit : cap, percent}; }

    std::optional<QJsonObject> toJson() const;
    static std::optional<Spend> fromJson(const QJsonValue& json, QString* error = nullptr);

    bool operator==(const Spend&) const = default;
};
