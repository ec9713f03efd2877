#pragma once

#include "model/Instant.h"
#include "model/LimitReading.h"
#include "model/Spend.h"

#include <QList>
#include <QString>

// Whether an account can be used at one instant, and one short sentence that says so.
// Computed from the readings whenever it is shown; never stored.
struct AccountStatus {
    enum class Level { ready, partial, blocked, unknown };

    Level level = Level::unknown;
    QString text;

    bool isUsable() const { return level == Level::ready || level == Level::partial; }

    // An account without any limit reading is judged by its spend when that can be: usable
    // under its limit, blocked at it or above.
    static AccountStatus make(const QList<LimitReading>& limits, Instant now,
                              const std::optional<Spend>& spend = std::nullopt);

    bool operator==(const AccountStatus&) const = default;
};
