#include "store/SnapshotCache.h"

#include "files/RegularFile.h"
#include "store/LockFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QStandardPaths>

namespace {

// Far more than the snapshots of any number of accounts take; a larger file is not the
// program's own.
constexpr qint64 largestFile = 64 * 1024 * 1024;
// Qt's own wait doubles its pause from a tenth of a second on. The lock is held for
// milliseconds, so a short steady pause keeps a waiting writer, the tray program's interface
// among them, from waiting far longer than the holder needs it.
constexpr int lockPollMilliseconds = 5;

// The file is one JSON object whose keys are the accounts' folders. Each value is the account's
// snapshot in its own JSON form, which is all a program from before problems were kept reads
// (it drops the whole file when one value is not a snapshot, and ignores keys it does not
// know), with these keys beside the snapshot's, all optional:
//   "problem"    the problem the account's last refresh met, in its own JSON form: a lapsed
//                sign-in, a missing credential, a failure's sentence, or a rate limit with the
//                instant of the next check and the length of the pause;
//   "checkedAt"  when the account's last refresh ended, in the snapshot's date form; without
//                it, when its figures were fetched;
//   "noFigures"  true for an account that has a problem but no figures yet. The snapshot keys
//                are there for the older program alone: no limits, fetched at 0 (the first
//                instant of 2001), older than any figures that program could hold, so it neither
//                shows them as fresh nor keeps them over its own.
// Inside the snapshot, "fromClaudeCode" (true, or left out) tells that its "Session" and "Week"
// readings are those Claude Code reported to its status line, which the tray program need not
// ask the service for again while they are fresh.
const QString problemKey = QStringLiteral("problem");
const QString checkedAtKey = QStringLiteral("checkedAt");
const QString noFiguresKey = QStringLiteral("noFigures");

SnapshotCache::Record record(const QJsonObject& value, Snapshot snapshot) {
    SnapshotCache::Record read;
    if (value.value(noFiguresKey) != QJsonValue(true))
        read.snapshot = std::move(snapshot);
    if (value.contains(problemKey))
        read.problem = FetchProblem::fromJson(value.value(problemKey));
    const QJsonValue checkedAt = value.value(checkedAtKey);
    if (checkedAt.isDouble() && Instant(checkedAt.toDouble()).isWithinCalendarYears())
        read.checkedAt = Instant(checkedAt.toDouble());
    return read;
}

std::optional<QJsonObject> encoded(const Entry& entry) {
    std::optional<QJsonObject> object =
        entry.snapshot ? entry.snapshot->toJson() : Snapshot{}.toJson();
    if (!object)
        return std::nullopt;
    if (!entry.snapshot)
        object->insert(noFiguresKey, true);
    if (entry.problem) {
        const std::optional<QJsonObject> problem = entry.problem->toJson();
        if (!problem)
            return std::nullopt;
        object->insert(problemKey, *problem);
    }
    if (entry.checkedAt)
        object->insert(checkedAtKey, entry.checkedAt->secondsSinceReferenceDate());
    return object;
}

// Puts the record under `id`, unless it holds nothing to keep; false when it cannot be encoded.
bool insert(QJsonObject& object, const QString& id, const SnapshotCache::Record& record) {
    if (!record.snapshot && !record.problem)
        return true;
    const std::optional<QJsonObject> encodedRecord =
        encoded(Entry{Account{}, record.snapshot, record.problem, record.checkedAt});
    if (encodedRecord)
        object.insert(id, *encodedRecord);
    return encodedRecord.has_value();
}

// Reads the file and replaces it with what `contents` makes of it, holding the lock beside it
// throughout, waited for at most `lockWait` milliseconds; nothing is written when `contents`
// gives nothing.
template <typename Contents>
RegularFile::Written replaceLocked(const QString& path, int lockWait, Contents contents) {
    // Made on every write: the folder may have been removed while the program runs.
    if (RegularFile::Written made = RegularFile::makeFolder(QFileInfo(path).path()); !made)
        return made;
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!LockFiles::lockWithin(lock, lockWait, lockPollMilliseconds))
        return {LockFiles::whyNotTaken(lock, lockWait)};
    const std::optional<QJsonObject> object = contents(SnapshotCache::read(path));
    if (!object)
        return {QStringLiteral("the figures hold a number JSON cannot carry")};
    return RegularFile::replace(path, QJsonDocument(*object).toJson(QJsonDocument::Compact));
}

} // namespace

namespace SnapshotCache {

QString location() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/Spanwell");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/snapshots.json");
}

QHash<QString, Record> read(const QString& path) {
    const std::optional<QByteArray> contents = RegularFile::read(path, largestFile);
    if (!contents)
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(*contents);
    if (!document.isObject())
        return {};
    const QJsonObject object = document.object();
    QHash<QString, Record> records;
    for (auto field = object.constBegin(); field != object.constEnd(); ++field) {
        std::optional<Snapshot> snapshot = Snapshot::fromJson(field.value());
        if (!snapshot)
            return {};
        Record read = record(field.value().toObject(), std::move(*snapshot));
        if (read.snapshot || read.problem)
            records.insert(field.key(), std::move(read));
    }
    return records;
}

Entry cachedEntry(const Account& account, const QHash<QString, Record>& records) {
    const Record record = records.value(account.configDir);
    return Entry{account, record.snapshot, record.problem, record.checkedAt};
}

Entry newer(const Entry& known, const Record& written, Instant now) {
    const Entry other{known.account, written.snapshot, written.problem, written.checkedAt};
    const auto isLater = [now](const std::optional<Instant>& later,
                               const std::optional<Instant>& earlier) {
        return later && *later <= now && (!earlier || *later > *earlier);
    };
    Entry result = isLater(other.lastCheck(), known.lastCheck()) ? other : known;
    const auto fetched = [](const Entry& entry) {
        return entry.snapshot ? std::optional<Instant>(entry.snapshot->fetchedAt) : std::nullopt;
    };
    result.snapshot = isLater(fetched(other), fetched(known)) ? other.snapshot : known.snapshot;
    return result;
}

RegularFile::Written write(const QString& path, const QString& home, const QList<Entry>& entries,
                           const Clock& clock, int lockWait) {
    return replaceLocked(path, lockWait, [&](const QHash<QString, Record>& written) {
        const Instant now = clock();
        QJsonObject object;
        // Another home folder may share the data folder; its accounts are its own to write.
        for (auto other = written.constBegin(); other != written.constEnd(); ++other) {
            if (other.key().section(QLatin1Char('/'), 0, -2) != home)
                insert(object, other.key(), *other);
        }
        for (const Entry& entry : entries) {
            const Entry kept = newer(entry, written.value(entry.id()), now);
            if (!insert(object, entry.id(), Record{kept.snapshot, kept.problem, kept.checkedAt}))
                return std::optional<QJsonObject>();
        }
        return std::optional<QJsonObject>(object);
    });
}

RegularFile::Written amend(const QString& path, const QString& id,
                           const std::function<Record(const Record& written)>& change) {
    return replaceLocked(path, lockWaitMilliseconds, [&](const QHash<QString, Record>& written) {
        QJsonObject object;
        for (auto other = written.constBegin(); other != written.constEnd(); ++other)
            if (other.key() != id)
                insert(object, other.key(), *other);
        if (!insert(object, id, change(written.value(id))))
            return std::optional<QJsonObject>();
        return std::optional<QJsonObject>(object);
    });
}

} // namespace SnapshotCache
