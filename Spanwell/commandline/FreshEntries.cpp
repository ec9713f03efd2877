#include "commandline/FreshEntries.h"

#include "LogCategories.h"
#include "commandline/CachedEntries.h"
#include "service/HttpFetch.h"
#include "store/HiddenAccountFolders.h"
#include "store/LockFiles.h"
#include "store/Store.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLockFile>
#include <QTimer>

namespace {

// A status bar runs these modes every few seconds and waits for each; a run that has not
// refreshed by then shows the cached figures with the problem, rather than hang the bar while
// a service does not answer.
constexpr int deadlineMilliseconds = 10 * 1000;
constexpr int refreshPollMilliseconds = 100;

QList<Entry> cached(const StoreServices& services, const UserSettings& settings) {
    return CachedEntries::read(services.home, *services.fileSystem, services.cachePath,
                               HiddenAccountFolders::read(settings));
}

// The cached entries, each with what its fetch brought by the deadline, or else with the
// problem that the service did not answer in time.
QList<Entry> late(const StoreServices& services, const UserSettings& settings,
                  const QHash<QString, Entry>& fetched = {}) {
    QList<Entry> entries = cached(services, settings);
    for (Entry& entry : entries) {
        if (const auto found = fetched.constFind(entry.id()); found != fetched.constEnd())
            entry = *found;
        else
            entry.problem = FetchProblem::failed(HttpFetch::timedOutMessage);
    }
    return entries;
}

} // namespace

namespace FreshEntries {

QList<Entry> refreshed(const StoreServices& services, UserSettings& settings,
                       QDeadlineTimer deadline) {
    // The store hands its work to threads and back, which takes an application's event loop.
    int argumentCount = 1;
    char name[] = "spanwell";
    char* arguments[] = {name, nullptr};
    std::optional<QCoreApplication> application;
    if (!QCoreApplication::instance())
        application.emplace(argumentCount, arguments);
    StoreServices quiet = services;
    quiet.checkForUpdate = [](qint64) { return std::optional<UpdateInfo>(); };
    Store store(quiet, settings);
    store.askForMissingProfilesOnly();
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&store, &Store::refreshFinished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    if (!deadline.isForever())
        QTimer::singleShot(deadline.remainingTime(), &loop, &QEventLoop::quit);
    store.refresh();
    loop.exec();
    return finished ? store.entries() : late(services, settings, store.fetchedSoFar());
}

QList<Entry> get(const StoreServices& services, UserSettings& settings, double maxAgeSeconds) {
    const QDeadlineTimer deadline(deadlineMilliseconds);
    QList<Entry> entries = cached(services, settings);
    if (CachedEntries::areFresh(entries, services.clock(), maxAgeSeconds))
        return entries;
    QLockFile refreshing(services.cachePath + QStringLiteral(".refresh.lock"));
    // Only a lock whose holder has ended is stale, however long its refresh takes.
    refreshing.setStaleLockTime(0);
    if (LockFiles::tryLock(refreshing))
        return refreshed(services, settings, deadline);
    // Another run is refreshing: its figures may do.
    if (!LockFiles::lockWithin(refreshing, int(deadline.remainingTime()),
                               refreshPollMilliseconds)) {
        qCWarning(storeLog) << "Another run's refresh did not end in time";
        return late(services, settings);
    }
    if (maxAgeSeconds > 0) {
        entries = cached(services, settings);
        if (CachedEntries::areFresh(entries, services.clock(), maxAgeSeconds))
            return entries;
    }
    return refreshed(services, settings, deadline);
}

} // namespace FreshEntries
