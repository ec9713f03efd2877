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
// Another writer holds the lock for a read and a write of a small file. A writer that ended
// without giving it back is noticed at once, and one that hangs is overtaken after Qt's
// 30 seconds.
constexpr int lockWaitMilliseconds = 5000;
// Qt's own wait doubles its pause from a tenth of a second on. The lock is held for
// milliseconds, so a short steady pause keeps a waiting writer, the tray program's interface
// among them, from waiting far longer than the holder needs it.
constexpr int lockPollMilliseconds = 5;

} // namespace

namespace SnapshotCache {

QString location() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/Spanwell");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/snapshots.json");
}

QHash<QString, Snapshot> read(const QString& path) {
    const std::optional<QByteArray> contents = RegularFile::read(path, largestFile);
    if (!contents)
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(*contents);
    if (!document.isObject())
        return {};
    const QJsonObject object = document.object();
    QHash<QString, Snapshot> snapshots;
    for (auto field = object.constBegin(); field != object.constEnd(); ++field) {
        std::optional<Snapshot> snapshot = Snapshot::fromJson(field.value());
        if (!snapshot)
            return {};
        snapshots.insert(field.key(), std::move(*snapshot));
    }
    return snapshots;
}

Entry cachedEntry(const Account& account, const QHash<QString, Snapshot>& snapshots) {
    const auto snapshot = snapshots.constFind(account.configDir);
    return Entry{account,
                 snapshot == snapshots.constEnd() ? std::nullopt
                                                  : std::optional<Snapshot>(*snapshot),
                 std::nullopt};
}

bool write(const QString& path, const QString& home, const QList<Entry>& entries, Instant now) {
    // Made on every write: the folder may have been removed while the program runs.
    QDir().mkpath(QFileInfo(path).path());
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!LockFiles::lockWithin(lock, lockWaitMilliseconds, lockPollMilliseconds))
        return false;
    const QHash<QString, Snapshot> written = read(path);
    QJsonObject object;
    // Another home folder may share the data folder; its accounts are its own to write.
    for (auto other = written.constBegin(); other != written.constEnd(); ++other) {
        const std::optional<QJsonObject> encoded = other->toJson();
        if (other.key().section(QLatin1Char('/'), 0, -2) != home && encoded)
            object.insert(other.key(), *encoded);
    }
    for (const Entry& entry : entries) {
        const auto other = written.constFind(entry.id());
        const bool otherIsNewer = other != written.constEnd() && other->fetchedAt <= now &&
                                  (!entry.snapshot || other->fetchedAt > entry.snapshot->fetchedAt);
        const std::optional<Snapshot>& snapshot =
            otherIsNewer ? std::optional<Snapshot>(*other) : entry.snapshot;
        if (!snapshot) {
            object.remove(entry.id());
            continue;
        }
        const std::optional<QJsonObject> encoded = snapshot->toJson();
        if (!encoded)
            return false;
        object.insert(entry.id(), *encoded);
    }
    return RegularFile::replace(path, QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace SnapshotCache
