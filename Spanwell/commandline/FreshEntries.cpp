#include "commandline/FreshEntries.h"

#include "LogCategories.h"
#include "accounts/Discovery.h"
#include "store/HiddenAccountFolders.h"
#include "store/SnapshotCache.h"
#include "store/Store.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLockFile>

namespace {

// Longer than a refresh takes at the most: a credential read, a renewal, another read and the
// usage request, each at its own limit.
constexpr int refreshWaitMilliseconds = 90 * 1000;

} // namespace

namespace FreshEntries {

QList<Entry> cached(const StoreServices& services) {
    const QSet<QString> hidden =
        HiddenAccountFolders::read(*HiddenAccountFolders::openSettings(services.settingsPath));
    const QHash<QString, Snapshot> snapshots = SnapshotCache::read(services.cachePath);
    QList<Entry> entries;
    for (const Account& account : Discovery::accounts(services.home, *services.fileSystem)) {
        if (hidden.contains(account.configDir))
            continue;
        const auto snapshot = snapshots.constFind(account.configDir);
        entries.append(Entry{account,
                             snapshot == snapshots.constEnd() ? std::nullopt
                                                              : std::optional<Snapshot>(*snapshot),
                             std::nullopt});
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
    return maxAgeSeconds > 0 && newest && now - *newest <= maxAgeSeconds;
}

QList<Entry> refreshed(const StoreServices& services) {
    // The store hands its work to threads and back, which takes an application's event loop.
    int argumentCount = 1;
    char name[] = "spanwell";
    char* arguments[] = {name, nullptr};
    std::optional<QCoreApplication> application;
    if (!QCoreApplication::instance())
        application.emplace(argumentCount, arguments);
    StoreServices quiet = services;
    quiet.checkForUpdate = [](qint64) { return std::optional<UpdateInfo>(); };
    Store store(quiet);
    store.askForMissingProfilesOnly();
    QEventLoop loop;
    QObject::connect(&store, &Store::refreshFinished, &loop, &QEventLoop::quit);
    store.refresh();
    loop.exec();
    return store.entries();
}

QList<Entry> get(const StoreServices& services, double maxAgeSeconds) {
    QList<Entry> entries = cached(services);
    if (areFresh(entries, services.clock(), maxAgeSeconds))
        return entries;
    QLockFile refreshing(services.cachePath + QStringLiteral(".refresh.lock"));
    // Only a lock whose holder has ended is stale, however long its refresh takes.
    refreshing.setStaleLockTime(0);
    if (refreshing.tryLock(0))
        return refreshed(services);
    // Another run is refreshing: its figures may do.
    if (!refreshing.tryLock(refreshWaitMilliseconds)) {
        qCWarning(storeLog) << "Another run's refresh did not end; refreshing all the same";
    } else if (maxAgeSeconds > 0) {
        entries = cached(services);
        if (areFresh(entries, services.clock(), maxAgeSeconds))
            return entries;
    }
    return refreshed(services);
}

} // namespace FreshEntries
