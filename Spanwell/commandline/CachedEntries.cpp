#include "commandline/CachedEntries.h"

#include "accounts/Discovery.h"
#include "store/SnapshotCache.h"

namespace CachedEntries {

QList<Entry> read(const QString& home, const FileSystem& fileSystem, const QString& cachePath,
                  const QSet<QString>& hidden) {
    const QHash<QString, Snapshot> snapshots = SnapshotCache::read(cachePath);
    QList<Entry> entries;
    for (const Account& account : Discovery::accounts(home, fileSystem)) {
        if (!hidden.contains(account.configDir))
            entries.append(SnapshotCache::cachedEntry(account, snapshots));
    }
    return entries;
}

std::optional<Instant> newestFetch(const QList<Entry>& entries) {
    std::optional<Instant> newest;
    for (const Entry& entry : entries)
        if (entry.snapshot && (!newest || entry.snapshot->fetchedAt > *newest))
            newest = entry.snapshot->fetchedAt;
    return newest;
}

bool areFresh(const QList<Entry>& entries, Instant now, double maxAgeSeconds) {
    const std::optional<Instant> newest = newestFetch(entries);
    // Figures from the future were fetched before the clock was put back; how old they are is
    // unknown.
    return maxAgeSeconds > 0 && newest && *newest <= now && now - *newest <= maxAgeSeconds;
}

} // namespace CachedEntries
