#include "model/Pace.h"

#include "model/LimitWindow.h"

namespace Pace {

std::optional<Instant> runsOutAt(const LimitReading& limit, Instant now) {
    const std::optional<double> length = LimitWindow::length(limit.title);
    if (!length || !limit.resetsAt || now >= *limit.resetsAt || limit.percent >= usedUpPercent)
        return std::nullopt;
    const double elapsed = *length - (*limit.resetsAt - now);
    // Compared as products, so that a share met exactly (10 % gone, use exactly on pace) is not
    // tipped either way by rounding in a division.
    if (elapsed < leastElapsedShare * *length)
        return std::nullopt;
    // Running ahead of time: at this rate the use at the reset would pass 100 %. Not a number
    // never is.
    if (!(limit.percent * *length > usedUpPercent * elapsed))
        return std::nullopt;
    return now + (usedUpPercent - limit.percent) * elapsed / limit.percent;
}

} // namespace Pace
