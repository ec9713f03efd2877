#pragma once

#include "accounts/FileSystem.h"
#include "model/Instant.h"
#include "store/Entry.h"

#include <QList>
#include <QString>

#include <optional>

// The figures and problems the snapshot cache holds for the tracked accounts: what the terminal
// modes show when they are fresh enough, read with files alone.
namespace CachedEntries {

// The tracked accounts of `home`, in discovery order, with what the cache at `cachePath` holds
// for them. `settingsPath` is the INI file of the user's settings, empty for the platform's own.
QList<Entry> read(const QString& home, const FileSystem& fileSystem, const QString& cachePath,
                  const QString& settingsPath = {});

// The accounts of `home` that are not hidden, in discovery order.
QList<Account> trackedAccounts(const QString& home, const FileSystem& fileSystem,
                               const QString& settingsPath = {});

// When the last of the entries was checked; absent when none was.
std::optional<Instant> newestCheck(const QList<Entry>& entries);

// The last check, which found figures or a problem, is no older than `maxAgeSeconds`, and not
// dated after `now`; with 0 it never is.
bool areFresh(const QList<Entry>& entries, Instant now, double maxAgeSeconds);

} // namespace CachedEntries
