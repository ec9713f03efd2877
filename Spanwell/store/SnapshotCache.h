#pragma once

#include "model/Snapshot.h"
#include "store/Entry.h"

#include <QHash>
#include <QList>
#include <QString>

// The last known snapshot of every tracked account, kept in one JSON object keyed by the
// account's folder, so that figures show at once after a restart.
namespace SnapshotCache {

// "snapshots.json" in the folder "Spanwell" of the user's data folder, which is made when
// missing.
QString location();

// All snapshots, or none at all when the file is missing, unreadable or anything in it is
// malformed: a half-trusted cache is not worth showing.
QHash<QString, Snapshot> read(const QString& path);

// The account with its snapshot among those read, when it has one, and no problem: how an
// account is shown before it is refreshed.
Entry cachedEntry(const Account& account, const QHash<QString, Snapshot>& snapshots);

// Replaces the file whole with the entries' snapshots, in compact JSON, making its folder when
// it is missing; a link in the file's place is replaced, never followed. The tray program and
// any number of terminal runs write the file, so each write holds a lock file beside it while
// it reads and replaces it, and keeps a snapshot another writer fetched later than the entry's,
// or for an entry without one. The file holds the entries' accounts and those of other home
// folders than `home` that share the data folder. A snapshot dated after `now` (the clock was
// put back) is never kept that way, or it would hold its place until the clock caught up. On
// any failure the previous file stays as it was; the result says whether the file was replaced.
bool write(const QString& path, const QString& home, const QList<Entry>& entries, Instant now);

} // namespace SnapshotCache
