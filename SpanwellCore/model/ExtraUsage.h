#pragma once

#include "model/Money.h"

#include <QJsonObject>

#include <optional>

// Paid credits that keep Claude Code going past the plan's limits, up to a monthly limit. They
// never change whether the plan's limits leave the account usable.
struct ExtraUsage {
    bool isEnabled = false;
    std::optional<Money> used;
    std::optional<Money> monthlyLimit;
    // Share of the monthly limit used, in percent, as the service reported it.
    std::optional<double> utilization;

    MoneyUse use() const { return MoneyUse{used, monthlyLimit, utilization}; }

    std::optional<QJsonObject> toJson() const;
    static std::optional<ExtraUsage> fromJson(const QJsonValue& json, QString* error = nullptr);

    bool operator==(const ExtraUsage&) const = default;
};
