#pragma once

#include <QString>

#include <optional>

// Names an account's plan from what Claude Code keeps about it.
namespace PlanLabel {

// `displayName` wins when present; otherwise the subscription type, capitalised. A multiplier
// such as "5x" is taken from the last "_"-separated piece of the rate-limit tier.
std::optional<QString> make(const std::optional<QString>& subscriptionType,
                            const std::optional<QString>& rateLimitTier,
                            const std::optional<QString>& displayName);

} // namespace PlanLabel
