#pragma once

#include "accounts/FileSystem.h"
#include "model/Instant.h"
#include "store/Entry.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// The figures and problems the snapshot cache holds for the tracked accounts: what the terminal
// modes show when they are fresh enough, read with files alone.
namespace CachedEntries {

// The accounts of `home` but those in the folders `hidden`, in discovery order.
QList<Account> trackedAccounts(const QString& home, const FileSystem& fileSystem,
                               const QSet<QString>& hidden);
// The same, each with what the cache at `cachePath` holds for it.
QList<Entry> read(const QString& home, const FileSystem& fileSystem, const QString& cachePath,
                  const QSet<QString>& hidden);

// When the last of the entries was checked; absent when none was.
std::optional<Instant> newestCheck(const QList<Entry>& entries);

// The last check, which found figures or a problem, is no older than `maxAgeSeconds`, and not
// dated after `now`; with 0 it never is.
bool areFresh(const QList<Entry>& entries, Instant now, double maxAgeSeconds);

} // namespace CachedEntries
