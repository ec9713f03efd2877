#pragma once

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

} // namespace Pace
