#pragma once

#include "accounts/FileSystem.h"
#include "model/Instant.h"
#include "store/Entry.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// The figures the snapshot cache holds for the tracked accounts: what the terminal modes show
// when they are fresh enough, read with files alone.
namespace CachedEntries {

// The accounts of `home` but those in the folders `hidden`, in discovery order, with the
// snapshots the cache at `cachePath` holds for them. The cache keeps no problems, so none has
// one.
QList<Entry> read(const QString& home, const FileSystem& fileSystem, const QString& cachePath,
                  const QSet<QString>& hidden);

// When the newest of the entries' figures were fetched; absent when none has any.
std::optional<Instant> newestFetch(const QList<Entry>& entries);

// The newest figures are no older than `maxAgeSeconds`, and not dated after `now`; with 0
// they never are.
bool areFresh(const QList<Entry>& entries, Instant now, double maxAgeSeconds);

} // namespace CachedEntries
