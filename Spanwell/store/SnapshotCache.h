#pragma once

#include "files/RegularFile.h"
#include "model/Clock.h"
#include "model/Snapshot.h"
#include "store/Entry.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

// The last known snapshot of every tracked account, with the problem its last refresh met,
// kept in one JSON object keyed by the account's folder, so that figures show at once after a
// restart and every mode tells the same.
namespace SnapshotCache {

// What the cache holds for one account: an entry without its account.
struct Record {
    std::optional<Snapshot> snapshot;
    std::optional<FetchProblem> problem;
    std::optional<Instant> checkedAt;

    bool operator==(const Record&) const = default;
};

// "snapshots.json" in the folder "Spanwell" of the user's data folder, which is made when
// missing.
QString location();

// Every account's record, or none at all when the file is missing, unreadable or any snapshot
// in it is malformed: a half-trusted cache is not worth showing. A problem that cannot be
// read is left out.
QHash<QString, Record> read(const QString& path);

// The account with what the cache holds for it: how an account is shown before it is
// refreshed.
Entry cachedEntry(const Account& account, const QHash<QString, Record>& records);

// The newer of what a writer knows of an account and what another wrote: the snapshot fetched
// last, and the problem (or none) of whichever refresh ended last. Nothing dated after `now`
// (the clock was put back) wins that way, or it would hold its place until the clock caught up.
Entry newer(const Entry& known, const Record& written, Instant now);

// How long a write waits for another writer's lock. Another writer holds it for a read and a
// write of a small file; one that ended without giving it back is noticed at once, and one
// that hangs is overtaken after Qt's 30 seconds.
inline constexpr int lockWaitMilliseconds = 5000;

// Replaces the file whole with the entries' records, in compact JSON, making its folder when it
// is missing; a link in the file's place is replaced, never followed. The tray program and any
// number of terminal runs write the file, so each write holds a lock file beside it while it
// reads and replaces it, waiting for it at most `lockWait` milliseconds, and keeps what another
// writer learned later (`newer`, by `clock` read once the lock is held: figures another writer
// fetched while this one waited are not from the future). The file holds the entries' accounts
// and those of other home folders than `home` that share the data folder. On any failure the
// previous file stays as it was, and the result says why.
RegularFile::Written write(const QString& path, const QString& home, const QList<Entry>& entries,
                           const Clock& clock, int lockWait = lockWaitMilliseconds);

// Replaces one account's record, under the same lock, with what `change` makes of what the file
// holds for it (an empty record when nothing), keeping every other record as written; a record
// with neither figures nor a problem leaves the file. On any failure the previous file stays as
// it was, and the result says why.
RegularFile::Written amend(const QString& path, const QString& id,
                           const std::function<Record(const Record& written)>& change);

} // namespace SnapshotCache
