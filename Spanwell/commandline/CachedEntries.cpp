#include "commandline/CachedEntries.h"

#include "accounts/Discovery.h"
#include "store/SnapshotCache.h"

#include <algorithm>

namespace CachedEntries {

QList<Account> trackedAccounts(const QString& home, const FileSystem& fileSystem,
                               const QSet<QString>& hidden) {
    QList<Account> accounts = Discovery::accounts(home, fileSystem);
    accounts.removeIf(
        [&hidden](const Account& account) { return hidden.contains(account.configDir); });
    return accounts;
}

QList<Entry> read(const QString& home, const FileSystem& fileSystem, const QString& cachePath,
                  const QSet<QString>& hidden) {
    const QHash<QString, SnapshotCache::Record> records = SnapshotCache::read(cachePath);
    QList<Entry> entries;
    for (const Account& account : trackedAccounts(home, fileSystem, hidden))
        entries.append(SnapshotCache::cachedEntry(account, records));
    return entries;
}

std::optional<Instant> newestCheck(const QList<Entry>& entries) {
    std::optional<Instant> newest;
    for (const Entry& entry : entries)
        newest = std::max(newest, entry.lastCheck());
    return newest;
}

bool areFresh(const QList<Entry>& entries, Instant now, double maxAgeSeconds) {
    const std::optional<Instant> newest = newestCheck(entries);
    // A check from the future was made before the clock was put back; how old it is is
    // unknown.
    return maxAgeSeconds > 0 && newest && *newest <= now && now - *newest <= maxAgeSeconds;
}

} // namespace CachedEntries
