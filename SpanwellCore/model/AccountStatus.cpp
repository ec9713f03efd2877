#include "model/AccountStatus.h"

#include "model/Format.h"
#include "model/LimitReading.h"

#include <algorithm>
#include <cmath>

namespace {

// "7% of week left".
QString leftText(double percent, const QString& name) {
    const double left = std::max(std::round(usedUpPercent - percent), 0.0);
    return QString::number(static_cast<qint64>(left)) + QStringLiteral("% of ") + name.toLower() +
           QStringLiteral(" left");
}

} // namespace

AccountStatus AccountStatus::make(const QList<LimitReading>& limits, Instant now,
                                  const std::optional<Spend>& spend) {
    QList<LimitReading> readings;
    readings.reserve(limits.size());
    for (const LimitReading& limit : limits)
        readings.append(limit.current(now));

    if (readings.isEmpty()) {
        const std::optional<double> spent = spend ? spend->use().percent() : std::nullopt;
        if (!spent)
            return {Level::unknown, QStringLiteral("No data yet")};
        const double percent = spent.value();
        if (percent >= usedUpPercent)
            return {Level::blocked, QStringLiteral("Spend limit reached")};
        if (percent >= runningOutPercent)
            return {Level::ready, leftText(percent, QStringLiteral("spend"))};
        return {Level::ready, QStringLiteral("Ready")};
    }

    bool blocked = false;
    std::optional<Instant> latestReset;
    for (const LimitReading& reading : readings) {
        if (!reading.coversWholeAccount() || reading.percent < usedUpPercent)
            continue;
        blocked = true;
        if (reading.resetsAt && (!latestReset || *reading.resetsAt > *latestReset))
            latestReset = reading.resetsAt;
    }
    if (blocked) {
        if (!latestReset)
            return {Level::blocked, QStringLiteral("Limit reached")};
        return {Level::blocked, QStringLiteral("Back in ") + Format::countdown(*latestReset, now)};
    }

    for (const LimitReading& reading : readings) {
        if (reading.coversWholeAccount() || reading.percent < usedUpPercent)
            continue;
        if (reading.resetsAt)
            return {Level::partial, reading.shortTitle() + QStringLiteral(" back in ") +
                                        Format::countdown(*reading.resetsAt, now)};
        return {Level::partial, reading.shortTitle() + QStringLiteral(" limit reached")};
    }

    const LimitReading* nearest = nullptr;
    for (const LimitReading& reading : readings) {
        if (reading.coversWholeAccount() && reading.percent >= runningOutPercent &&
            (!nearest || reading.percent > nearest->percent))
            nearest = &reading;
    }
    if (!nearest)
        return {Level::ready, QStringLiteral("Ready")};

    return {Level::ready, leftText(nearest->percent, nearest->title)};
}
