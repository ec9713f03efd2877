#pragma once

#include "model/HistoryReading.h"
#include "model/Instant.h"
#include "model/LimitReading.h"

#include <optional>

// Where a limit's use is heading if it goes on as it went so far in its window.
namespace Pace {

// Once this share of the window has gone, the use so far says enough about the pace.
inline constexpr double leastElapsedShare = 0.1;

// When the limit would be used up, projecting its use so far in a straight line over the time
// gone. Absent unless that falls before the reset: for a limit on pace or behind it, one used
// up already, one whose window is too young to tell, or one without a known window.
std::optional<Instant> runsOutAt(const LimitReading& limit, Instant now);

// A history's readings of the limit this long before now say how fast it is being used lately.
inline constexpr double burnRateSeconds = 3600;

// As above, but where `history` (the limit's recent use) holds a point in its current window
// taken at least `burnRateSeconds` ago, projecting the rate of use since the newest such reading:
// the last hour, or a little more where readings are sparse. Use that stood still or fell (a flat
// hour) never runs out. Without such a reading (less than an hour of history, or a window that
// began within the hour) the straight line from the window's start stands.
std::optional<Instant> runsOutAt(const LimitReading& limit, Instant now,
                                 const QList<UsePoint>& history);

} // namespace Pace
