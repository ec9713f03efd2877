#include "model/LimitWindow.h"

#include <algorithm>

namespace {

constexpr double sessionSeconds = 5 * 3600;
constexpr double weekSeconds = 7 * 86400;

} // namespace

namespace LimitWindow {

std::optional<double> lengthSeconds(const QString& title) {
    if (title == LimitTitle::session)
        return sessionSeconds;
    if (title == LimitTitle::week ||
        title.startsWith(QString(LimitTitle::week) + QStringLiteral(", ")))
        return weekSeconds;
    return std::nullopt;
}

std::optional<double> shareGone(const LimitReading& reading, Instant now) {
    const std::optional<double> length = lengthSeconds(reading.title);
    if (!length || !reading.resetsAt)
        return std::nullopt;
    return std::clamp(1 - (*reading.resetsAt - now) / *length, 0.0, 1.0);
}

} // namespace LimitWindow
