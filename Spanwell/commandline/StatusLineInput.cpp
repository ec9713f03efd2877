#include "commandline/StatusLineInput.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace {

constexpr double mostPercent = 1000;
// 2000-01-01 and 2101-01-01, both 00:00 UTC, in Unix seconds.
constexpr double earliestReset = 946684800;
constexpr double endOfLatestYear = 4133980800;

// Absent for a window that is not there; a reading of no title for one that is not valid.
std::optional<LimitReading> window(const QJsonObject& limits, const char* name,
                                   QLatin1String title) {
    const QJsonValue value = limits.value(QLatin1String(name));
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue used = object.value(QLatin1String("used_percentage"));
    const QJsonValue resets = object.value(QLatin1String("resets_at"));
    LimitReading invalid;
    if (!value.isObject() || !used.isDouble() || !std::isfinite(used.toDouble()) ||
        used.toDouble() < 0 || used.toDouble() > mostPercent)
        return invalid;
    LimitReading reading{title, used.toDouble(), std::nullopt};
    if (resets.isUndefined() || resets.isNull())
        return reading;
    const double seconds = resets.toDouble(-1);
    if (!resets.isDouble() || !(seconds >= earliestReset && seconds < endOfLatestYear))
        return invalid;
    reading.resetsAt = Instant::fromUnixSeconds(seconds);
    return reading;
}

} // namespace

namespace StatusLineInput {

std::optional<QList<LimitReading>> readings(const QByteArray& input) {
    const QJsonValue limits =
        QJsonDocument::fromJson(input).object().value(QLatin1String("rate_limits"));
    if (!limits.isObject())
        return std::nullopt;
    QList<LimitReading> found;
    for (const std::optional<LimitReading>& reading :
         {window(limits.toObject(), "five_hour", LimitTitle::session),
          window(limits.toObject(), "seven_day", LimitTitle::week)}) {
        if (reading && reading->title.isEmpty())
            return std::nullopt;
        if (reading)
            found.append(*reading);
    }
    if (found.isEmpty())
        return std::nullopt;
    return found;
}

Snapshot applied(const std::optional<Snapshot>& last, const QList<LimitReading>& reported,
                 Instant now) {
    Snapshot snapshot = last.value_or(Snapshot{});
    // The account-wide limits come first, as the service lists them.
    qsizetype front = 0;
    for (const LimitReading& reading : reported) {
        const auto same = std::find_if(
            snapshot.limits.begin(), snapshot.limits.end(),
            [&reading](const LimitReading& old) { return old.title == reading.title; });
        if (same != snapshot.limits.end()) {
            *same = reading;
            front = std::distance(snapshot.limits.begin(), same) + 1;
        } else {
            snapshot.limits.insert(front++, reading);
        }
    }
    snapshot.fetchedAt = now;
    snapshot.fromClaudeCode = true;
    return snapshot;
}

} // namespace StatusLineInput
