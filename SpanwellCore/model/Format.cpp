#include "model/Format.h"

#include <algorithm>
#include <cmath>

namespace {
// Values this large cannot be written as a whole number; no reading or instant comes close.
constexpr double largestWholeNumber = 9.2e18;
constexpr double mostPercent = 999;
} // namespace

namespace Format {

QString percent(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("—");
    const double rounded = std::round(value);
    // A reading far beyond its limit says no more than one just beyond it, and would not fit.
    if (rounded > mostPercent)
        return QStringLiteral("999+%");
    if (rounded < -mostPercent)
        return QStringLiteral("-999+%");
    return QString::number(static_cast<int>(rounded)) + QLatin1Char('%');
}

QString countdown(Instant to, Instant from) {
    const double difference = to - from;
    // Written this way round so that a NaN difference also reads as "now".
    if (!(difference >= 60))
        return QStringLiteral("now");
    const qint64 seconds = static_cast<qint64>(std::min(difference, largestWholeNumber));
    if (seconds < 3600)
        return QStringLiteral("%1m").arg(seconds / 60);
    if (seconds < 86400)
        return QStringLiteral("%1h %2m").arg(seconds / 3600).arg(seconds / 60 % 60);
    return QStringLiteral("%1d %2h").arg(seconds / 86400).arg(seconds / 3600 % 24);
}

} // namespace Format
