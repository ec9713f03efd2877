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

std::optional<Instant> runsOutAt(const LimitReading& limit, Instant now,
                                 const QList<UsePoint>& history) {
    const std::optional<double> length = LimitWindow::length(limit.title);
    if (!length || !limit.resetsAt || now >= *limit.resetsAt || limit.percent >= usedUpPercent)
        return std::nullopt;
    const Instant windowStart = *limit.resetsAt - *length;
    const UsePoint* base = nullptr;
    for (const UsePoint& point : history)
        if (point.readAt >= windowStart && point.readAt <= now - burnRateSeconds &&
            (!base || point.readAt > base->readAt))
            base = &point;
    if (!base)
        return runsOutAt(limit, now);
    const double rise = limit.percent - base->percent;
    if (!(rise > 0))
        return std::nullopt;
    const Instant usedUp = now + (usedUpPercent - limit.percent) * (now - base->readAt) / rise;
    if (usedUp >= *limit.resetsAt)
        return std::nullopt;
    return usedUp;
}

} // namespace Pace
