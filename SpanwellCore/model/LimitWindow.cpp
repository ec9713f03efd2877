#include "model/LimitWindow.h"

#include <algorithm>

namespace LimitWindow {

std::optional<double> length(const QString& title) {
    if (title == LimitTitle::session)
        return sessionSeconds;
    if (isWeekly(title))
        return weekSeconds;
    return std::nullopt;
}

bool isWeekly(const QString& title) {
    return title == LimitTitle::week || title.startsWith(LimitTitle::week + QLatin1String(", "));
}

std::optional<double> elapsedShare(const LimitReading& limit, Instant now) {
    const std::optional<double> seconds = length(limit.title);
    if (!seconds || !limit.resetsAt)
        return std::nullopt;
    return std::clamp(1 - (*limit.resetsAt - now) / *seconds, 0.0, 1.0);
}

} // namespace LimitWindow
