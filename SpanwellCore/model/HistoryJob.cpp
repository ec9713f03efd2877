#include "model/HistoryJob.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>

#include <algorithm>
#include <cmath>

namespace {

// The maps' keys.
const QString pathKey = QStringLiteral("path");
const QString readingsKey = QStringLiteral("readings");
const QString nowKey = QStringLiteral("now");
const QString retentionKey = QStringLiteral("retentionDays");
const QString recentKey = QStringLiteral("recentUse");
const QString sinceKey = QStringLiteral("since");
const QString detailedKey = QStringLiteral("detailedFrom");
const QString spacingKey = QStringLiteral("spacing");
const QString folderKey = QStringLiteral("folder");
const QString titleKey = QStringLiteral("title");
const QString percentKey = QStringLiteral("percent");
const QString resetsKey = QStringLiteral("resetsAt");
const QString readKey = QStringLiteral("readAt");
const QString sourceKey = QStringLiteral("source");
const QString pointsKey = QStringLiteral("points");

// Numbers that are numbers; a NaN or an infinity never reaches the file.
std::optional<double> number(const QCborValue& value) {
    if (!value.isDouble() && !value.isInteger())
        return std::nullopt;
    const double read = value.toDouble();
    return std::isfinite(read) ? std::optional(read) : std::nullopt;
}

std::optional<QString> text(const QCborValue& value) {
    return value.isString() ? std::optional(value.toString()) : std::nullopt;
}

QCborMap encodedReading(const HistoryReading& reading) {
    QCborMap map{{folderKey, reading.folder},
                 {titleKey, reading.title},
                 {percentKey, reading.percent},
                 {readKey, reading.readAt.secondsSinceReferenceDate()},
                 {sourceKey, HistoryReading::sourceName(reading.source)}};
    if (reading.resetsAt)
        map.insert(resetsKey, reading.resetsAt->secondsSinceReferenceDate());
    return map;
}

std::optional<HistoryReading> decodedReading(const QCborMap& map) {
    const std::optional<QString> folder = text(map.value(folderKey));
    const std::optional<QString> title = text(map.value(titleKey));
    const std::optional<double> percent = number(map.value(percentKey));
    const std::optional<double> readAt = number(map.value(readKey));
    const std::optional<QString> sourceName = text(map.value(sourceKey));
    const std::optional<HistoryReading::Source> source =
        sourceName ? HistoryReading::sourceNamed(*sourceName) : std::nullopt;
    if (!folder || !title || !percent || !readAt || !source)
        return std::nullopt;
    HistoryReading reading{*folder, *title, *percent, std::nullopt, Instant(*readAt), *source};
    if (map.contains(resetsKey)) {
        const std::optional<double> resetsAt = number(map.value(resetsKey));
        if (!resetsAt)
            return std::nullopt;
        reading.resetsAt = Instant(*resetsAt);
    }
    return reading;
}

std::optional<QCborValue> topLevel(const QByteArray& bytes) {
    QCborParserError error;
    QCborValue value = QCborValue::fromCbor(bytes, &error);
    if (error.error != QCborError::NoError)
        return std::nullopt;
    return value;
}

} // namespace

QByteArray HistoryJob::encoded() const {
    QCborArray encodedReadings;
    for (const HistoryReading& reading : readings)
        encodedReadings.append(encodedReading(reading));
    QCborMap map{{pathKey, path},
                 {readingsKey, encodedReadings},
                 {nowKey, now.secondsSinceReferenceDate()},
                 {retentionKey, retentionDays}};
    if (recentUse)
        map.insert(recentKey,
                   QCborMap{{sinceKey, recentUse->since.secondsSinceReferenceDate()},
                            {detailedKey, recentUse->detailedFrom.secondsSinceReferenceDate()},
                            {spacingKey, recentUse->spacingSeconds}});
    return QCborValue(map).toCbor();
}

std::optional<HistoryJob> HistoryJob::decoded(const QByteArray& bytes) {
    const std::optional<QCborValue> value = topLevel(bytes);
    if (!value || !value->isMap())
        return std::nullopt;
    const QCborMap map = value->toMap();
    const std::optional<QString> path = text(map.value(pathKey));
    const std::optional<double> now = number(map.value(nowKey));
    const QCborValue retention = map.value(retentionKey);
    const QCborValue readings = map.value(readingsKey);
    if (!path || !now || !retention.isInteger() || !readings.isArray())
        return std::nullopt;
    HistoryJob job{*path,
                   {},
                   Instant(*now),
                   int(std::clamp<qint64>(retention.toInteger(), 0, 36500)),
                   std::nullopt};
    for (const QCborValue& encodedReading : readings.toArray()) {
        const std::optional<HistoryReading> reading =
            encodedReading.isMap() ? decodedReading(encodedReading.toMap()) : std::nullopt;
        if (!reading)
            return std::nullopt;
        job.readings.append(*reading);
    }
    if (map.contains(recentKey)) {
        const QCborMap recent = map.value(recentKey).toMap();
        const std::optional<double> since = number(recent.value(sinceKey));
        const std::optional<double> detailedFrom = number(recent.value(detailedKey));
        const std::optional<double> spacing = number(recent.value(spacingKey));
        if (!since || !detailedFrom || !spacing || *spacing <= 0)
            return std::nullopt;
        job.recentUse = RecentUse{Instant(*since), Instant(*detailedFrom), *spacing};
    }
    return job;
}

QByteArray HistoryJob::encodedRecentUse(const QList<LimitHistory>& histories) {
    QCborArray encoded;
    for (const LimitHistory& history : histories) {
        // Time and percent side by side in one flat list: a week of points is most of the bytes.
        QCborArray points;
        for (const UsePoint& point : history.points) {
            points.append(point.readAt.secondsSinceReferenceDate());
            points.append(point.percent);
        }
        encoded.append(
            QCborMap{{folderKey, history.folder}, {titleKey, history.title}, {pointsKey, points}});
    }
    return QCborValue(encoded).toCbor();
}

std::optional<QList<LimitHistory>> HistoryJob::decodedRecentUse(const QByteArray& bytes) {
    const std::optional<QCborValue> value = topLevel(bytes);
    if (!value || !value->isArray())
        return std::nullopt;
    QList<LimitHistory> histories;
    for (const QCborValue& encoded : value->toArray()) {
        const QCborMap map = encoded.toMap();
        const std::optional<QString> folder = text(map.value(folderKey));
        const std::optional<QString> title = text(map.value(titleKey));
        const QCborArray points = map.value(pointsKey).toArray();
        if (!encoded.isMap() || !folder || !title || points.size() % 2 != 0)
            return std::nullopt;
        LimitHistory history{*folder, *title, {}};
        history.points.reserve(points.size() / 2);
        for (qsizetype index = 0; index < points.size(); index += 2) {
            const std::optional<double> readAt = number(points.at(index));
            const std::optional<double> percent = number(points.at(index + 1));
            if (!readAt || !percent)
                return std::nullopt;
            history.points.append({Instant(*readAt), *percent});
        }
        histories.append(std::move(history));
    }
    return histories;
}
