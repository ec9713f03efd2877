#include "FuzzTarget.h"

#include "model/Format.h"
#include "store/PanelFigures.h"
#include "store/SnapshotCache.h"
#include "views/AccountRow.h"
#include "views/DetailRow.h"
#include "views/PanelText.h"

#include <QTemporaryDir>

// The snapshot cache as the program reads it at start. Whatever the file holds, everything the
// panel works out from it comes back promptly (countdowns, verdicts, the estimated renewal in a
// zone with daylight saving time), and what is written back reads back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("snapshots.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(fuzzInput(data, size)) != qint64(size))
        std::abort();
    file.close();
    const QHash<QString, SnapshotCache::Record> records = SnapshotCache::read(path);

    const Instant now(770000000); // a day in May 2025
    static const Calendar calendar(QTimeZone("Europe/Berlin"));
    const QLocale locale;
    QList<Entry> entries;
    for (auto record = records.cbegin(); record != records.cend(); ++record) {
        const Entry entry =
            SnapshotCache::cachedEntry(Account{record.key(), {}, {}, {}, {}}, records);
        EntryStatus::extraUsageNote(entry, AccountRow::status(entry, now));
        AccountRow::detailLine(entry, now, calendar, locale);
        if (entry.problem)
            AccountRow::message(*entry.problem, entry.snapshot.has_value(), now);
        if (entry.snapshot && entry.snapshot->subscription)
            entry.snapshot->subscription->estimatedRenewal(now, calendar);
        for (const LimitReading& reading : AccountRow::limits(entry, now)) {
            DetailRow::resetText(reading, now, calendar, locale);
            Format::percent(reading.percent);
        }
        entries.append(entry);
    }
    PanelText::summary(PanelFigures::usableCount(entries, now), entries.size(),
                       PanelFigures::averageSession(entries, now));

    FUZZ_EXPECT(
        SnapshotCache::write(path, QStringLiteral("/home/fuzz"), entries, [now] { return now; }));
    FUZZ_EXPECT(SnapshotCache::read(path) == records);
    return 0;
}
