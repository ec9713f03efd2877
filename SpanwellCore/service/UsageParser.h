#pragma once

#include "model/ExtraUsage.h"
#include "model/LimitReading.h"
#include "model/Spend.h"
#include "model/Subscription.h"

#include <QByteArray>
#include <QList>

#include <optional>

// Reads the usage service's replies. Lenient: whatever cannot be read is skipped or left absent;
// only bytes that are not a JSON object give no result.
namespace UsageParser {

// Readings kept from one reply: far more than the service names, few enough to draw at once.
inline constexpr qsizetype mostReadings = 64;

// What one usage reply says about an account.
struct Usage {
    // Titled the way the rest of the program knows them ("Session", "Week", "Week, Opus", …):
    // the first mostReadings of them, each title once.
    QList<LimitReading> limits;
    std::optional<ExtraUsage> extraUsage = std::nullopt;
    std::optional<Spend> spend = std::nullopt;

    bool operator==(const Usage&) const = default;
};

// Absent when the reply is not a JSON object; a reply without any limit is a valid answer.
std::optional<Usage> usage(const QByteArray& reply);

// The subscription described by the profile reply's "organization". Absent when the reply is
// not a JSON object or has no "organization" object.
std::optional<Subscription> subscription(const QByteArray& reply);

} // namespace UsageParser
