#include "model/HistoryReading.h"

QString HistoryReading::sourceName(Source source) {
    return source == Source::claudeCode ? QStringLiteral("statusline") : QStringLiteral("service");
}

std::optional<HistoryReading::Source> HistoryReading::sourceNamed(const QString& name) {
    for (const Source source : {Source::service, Source::claudeCode})
        if (sourceName(source) == name)
            return source;
    return std::nullopt;
}

namespace HistoryReadings {

QList<HistoryReading> of(const QString& folder, const Snapshot& snapshot) {
    QList<HistoryReading> readings;
    for (const LimitReading& limit : snapshot.limits) {
        if (snapshot.fromClaudeCode && !limit.coversWholeAccount())
            continue;
        readings.append({folder, limit.title, limit.percent, limit.resetsAt, snapshot.fetchedAt,
                         snapshot.fromClaudeCode ? HistoryReading::Source::claudeCode
                                                 : HistoryReading::Source::service});
    }
    return readings;
}

QList<UsePoint> pointsOf(const QList<LimitHistory>& histories, const QString& folder,
                         const QString& title) {
    for (const LimitHistory& history : histories)
        if (history.folder == folder && history.title == title)
            return history.points;
    return {};
}

} // namespace HistoryReadings
