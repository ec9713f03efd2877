#include "commandline/FreshEntries.h"

#include "LogCategories.h"
#include "commandline/CachedEntries.h"
#include "store/LockFiles.h"
#include "store/Store.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLockFile>

namespace {

// Longer than a refresh takes at the most: a credential read, a renewal, another read and the
// usage request, each at its own limit.
constexpr int refreshWaitMilliseconds = 90 * 1000;
constexpr int refreshPollMilliseconds = 100;

QList<Entry> cached(const StoreServices& services) {
    return CachedEntries::read(services.home, *services.fileSystem, services.cachePath,
                               services.settingsPath);
}

} // namespace

namespace FreshEntries {

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
    if (CachedEntries::areFresh(entries, services.clock(), maxAgeSeconds))
        return entries;
    QLockFile refreshing(services.cachePath + QStringLiteral(".refresh.lock"));
    // Only a lock whose holder has ended is stale, however long its refresh takes.
    refreshing.setStaleLockTime(0);
    if (LockFiles::tryLock(refreshing))
        return refreshed(services);
    // Another run is refreshing: its figures may do.
    if (!LockFiles::lockWithin(refreshing, refreshWaitMilliseconds, refreshPollMilliseconds)) {
        qCWarning(storeLog) << "Another run's refresh did not end; refreshing all the same";
    } else if (maxAgeSeconds > 0) {
        entries = cached(services);
        if (CachedEntries::areFresh(entries, services.clock(), maxAgeSeconds))
            return entries;
    }
    return refreshed(services);
}

} // namespace FreshEntries
