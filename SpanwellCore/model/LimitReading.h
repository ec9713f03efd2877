#pragma once

#include "model/Instant.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// The titles of the two limits that cover the whole account; every other title names a
// narrower one, such as "Week, Opus".
namespace LimitTitle {
inline constexpr QLatin1String session("Session");
inline constexpr QLatin1String week("Week");
} // namespace LimitTitle

// From this share of a limit on, it is running out: the verdict says how much is left and its
// bar turns red. (A notification that it is nearly used up comes earlier, at 80 %.)
inline constexpr double runningOutPercent = 90;
// From this share on, a limit is used up: one that covers the whole account blocks it.
inline constexpr double usedUpPercent = 100;

// One usage limit as the usage service reported it.
struct LimitReading {
    QString title;
    // Share already used, in percent; taken as received, never clamped.
    double percent = 0;
    std::optional<Instant> resetsAt;

    const QString& id() const { return title; }

    // The reading as it stands at `now`: a limit whose reset instant has come counts as unused.
    LimitReading current(Instant now) const;
    // "Session" and "Week" cover the whole account; every other title names a narrower limit.
    bool coversWholeAccount() const;
    // The part after the first ", " ("Week, Opus" gives "Opus"), else the whole title.
    QString shortTitle() const;

    // Absent when a number is not finite.
    std::optional<QJsonObject> toJson() const;
    static std::optional<LimitReading> fromJson(const QJsonValue& json, QString* error = nullptr);

    bool operator==(const LimitReading&) const = default;
};
