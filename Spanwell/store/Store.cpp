#include "store/Store.h"

#include "BuildVersion.h"
#include "LogCategories.h"
#include "accounts/Discovery.h"
#include "model/Pace.h"
#include "store/CacheWatch.h"
#include "store/HiddenAccountFolders.h"
#include "store/PanelFigures.h"
#include "store/Preferences.h"
#include "store/SnapshotCache.h"
#include "store/WorkerPool.h"

#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace {

constexpr double staleAfterSeconds = 60;
constexpr double profileIntervalSeconds = 21600;
constexpr double updateIntervalSeconds = 86400;
// A week's chart a few hundred points wide needs no more than a point every 20 minutes; the pace,
// which looks back an hour, every reading of the last two.
constexpr double recentUseSpacingSeconds = 1200;
constexpr double detailedSeconds = 2 * Pace::burnRateSeconds;
} // namespace

Store::Store(StoreServices storeServices, UserSettings& userSettings, QObject* parent)
    : QObject(parent)
    , services(std::move(storeServices))
    , settings(&userSettings) {
    // A large account file, a slow disk or a network home would hold up the interface.
    WorkerPool::whenDone(
        this,
        WorkerPool::runInBackground([cachePath = services.cachePath, home = services.home,
                                     fileSystem = services.fileSystem] {
            return CachedDisplay{SnapshotCache::read(cachePath),
                                 Discovery::accounts(home, *fileSystem)};
        }),
        [this](const CachedDisplay& cached) { showCached(cached); });
}

Store::Store(QList<Entry> entries, Clock clock, QList<LimitHistory> recentUse)
    : services{std::move(clock), {}, nullptr, {}, {}, nullptr, {}, {}, {}}
    , entryList(std::move(entries))
    , demoStore(true)
    , loaded(true)
    , recentUseList(std::move(recentUse)) {
    lastRefreshAt = services.clock();
}

Store::~Store() {
    lastCacheWrite.waitForFinished();
    lastHistoryWork.waitForFinished();
}

void Store::showCached(const CachedDisplay& cached) {
    const QSet<QString> hidden = readHiddenFolders();
    QList<Entry> entries;
    QList<Account> hiddenAccounts;
    for (const Account& account : cached.accounts) {
        if (hidden.contains(account.configDir)) {
            hiddenAccounts.append(account);
            continue;
        }
        entries.append(SnapshotCache::cachedEntry(account, cached.records));
    }
    loaded = true;
    setHiddenAccounts(hiddenAccounts);
    setEntries(entries);
    if (std::exchange(refreshAgain, false))
        startRefresh();
}

std::unique_ptr<Store> Store::demo(QList<Entry> entries, Clock clock,
                                   QList<LimitHistory> recentUse) {
    return std::unique_ptr<Store>(
        new Store(std::move(entries), std::move(clock), std::move(recentUse)));
}

void Store::showRecentUse() {
    if (demoStore || recentUseShown)
        return;
    recentUseShown = true;
    keepHistory({});
}

void Store::keepHistory(const QList<Entry>& fetched) {
    if (demoStore)
        return;
    QList<HistoryReading> readings;
    for (const Entry& entry : fetched)
        if (entry.snapshot)
            readings.append(HistoryReadings::of(entry.id(), *entry.snapshot));
    // A child is started only for work to do.
    if (readings.isEmpty() && !recentUseShown)
        return;
    const Instant present = now();
    HistoryJob job{{}, readings, present, settings ? Preferences::historyDays(*settings) : 0, {}};
    if (recentUseShown)
        job.recentUse = HistoryJob::RecentUse{present - recentUseSeconds, present - detailedSeconds,
                                              recentUseSpacingSeconds};
    lastHistoryWork = QtConcurrent::run(
        &WorkerPool::cacheWriter(),
        [job, history = services.history]() -> std::optional<QList<LimitHistory>> {
            if (!history)
                return std::nullopt;
            return history(job);
        });
    WorkerPool::whenDone(this, lastHistoryWork,
                         [this](const std::optional<QList<LimitHistory>>& recent) {
                             if (!recent || *recent == recentUseList)
                                 return;
                             recentUseList = *recent;
                             emit recentUseChanged();
                         });
}

std::optional<double> Store::averageSession() const {
    return PanelFigures::averageSession(entryList, now());
}

int Store::usableCount() const {
    return PanelFigures::usableCount(entryList, now());
}

qint64 Store::currentBuild() {
    return PanelFigures::buildNumber(QString::fromUtf8(BuildVersion::build));
}

QString Store::currentVersion() {
    return PanelFigures::versionText(QString::fromUtf8(BuildVersion::text));
}

double Store::refreshIntervalSeconds() const {
    return refreshInterval;
}

void Store::start() {
    if (demoStore || timer)
        return;
    startRefresh();
    timer = new QTimer(this);
    timer->setInterval(refreshInterval * 1000);
    connect(timer, &QTimer::timeout, this, &Store::startRefresh);
    timer->start();
}

void Store::setRefreshInterval(int seconds) {
    refreshInterval = seconds;
    if (timer)
        timer->setInterval(seconds * 1000);
}

void Store::refreshIfStale() {
    if (lastRefreshAt && now() - *lastRefreshAt < staleAfterSeconds)
        return;
    startRefresh();
}

template <typename Work, typename Then>
void Store::onWorker(Work work, Then then) {
    WorkerPool::whenDone(this, QtConcurrent::run(&WorkerPool::instance(), std::move(work)),
                         std::move(then));
}

bool Store::refresh() {
    if (demoStore)
        return false;
    everyAccountAsked = true;
    if (refreshing)
        refreshAgain = true;
    else
        startRefresh();
    return true;
}

void Store::startRefresh() {
    if (demoStore || refreshing)
        return;
    // The cached figures come first; they are the old entries this refresh starts from.
    if (!loaded) {
        refreshAgain = true;
        return;
    }
    setRefreshing(true);
    run = std::make_unique<RefreshRun>();
    run->regular = !std::exchange(everyAccountAsked, false);
    for (const Entry& entry : std::as_const(entryList))
        run->old.insert(entry.id(), entry);
    // Another run may have met a problem since, such as a pause the service asked for, which
    // this refresh must honour too.
    onWorker(
        [home = services.home, fileSystem = services.fileSystem, cachePath = services.cachePath] {
            return std::pair(Discovery::folderNames(home, *fileSystem),
                             SnapshotCache::read(cachePath));
        },
        [this](const auto& found) { fetchAll(found.first, found.second); });
}

void Store::refreshAccounts(const QSet<QString>& configDirs) {
    if (demoStore || refreshing || !loaded)
        return;
    QList<Entry> due;
    for (const Entry& entry : std::as_const(entryList))
        if (configDirs.contains(entry.id()))
            due.append(entry);
    if (due.isEmpty())
        return;
    setRefreshing(true);
    run = std::make_unique<RefreshRun>();
    run->pending = due.size();
    for (const Entry& entry : due)
        onWorker([entry, copied = services] { return fetch(entry.account, entry, false, copied); },
                 [this](const FetchResult& result) {
                     run->fetched.insert(result.entry.id(), result.entry);
                     if (--run->pending == 0)
                         finishAccountsRefresh();
                 });
}

void Store::finishAccountsRefresh() {
    // An account hidden meanwhile has left the entries already, and stays out.
    QList<Entry> merged = entryList;
    for (Entry& entry : merged)
        entry = run->fetched.value(entry.id(), entry);
    const QSet<QString> refreshed(run->fetched.keyBegin(), run->fetched.keyEnd());
    QList<Entry> fetched;
    for (const Entry& entry : std::as_const(run->fetched))
        fetched.append(entry);
    run.reset();
    setEntries(merged);
    emit accountsRefreshed(refreshed);
    saveCache(entryList, [this] { endRefresh(); });
    keepHistory(fetched);
}

QHash<QString, Entry> Store::fetchedSoFar() const {
    QHash<QString, Entry> fetched;
    if (run)
        for (const FolderResult& result : std::as_const(run->results))
            if (result.fetched)
                fetched.insert(result.fetched->entry.id(), result.fetched->entry);
    return fetched;
}

void Store::askForMissingProfilesOnly() {
    missingProfilesOnly = true;
}

bool Store::wantsProfile(const QString& configDir, Instant present) const {
    const auto old = run->old.constFind(configDir);
    if (old == run->old.constEnd() || !old->snapshot || !old->snapshot->subscription)
        return true;
    if (missingProfilesOnly)
        return false;
    const auto fetchedAt = profileFetchedAt.constFind(configDir);
    if (fetchedAt == profileFetchedAt.constEnd())
        return true;
    return present - *fetchedAt > profileIntervalSeconds;
}

// Every folder is read and, when it holds a tracked account, fetched on a worker of its own:
// account files grow large, and reading them one after another would hold up every account.
void Store::fetchAll(const QStringList& folderNames,
                     const QHash<QString, SnapshotCache::Record>& written) {
    const QSet<QString> hidden = readHiddenFolders();
    run->folderNames = folderNames;
    run->pending = folderNames.size();
    if (run->pending == 0) {
        finishRefresh();
        return;
    }
    const Instant present = now();
    for (const QString& name : folderNames) {
        const QString configDir = services.home + QLatin1Char('/') + name;
        const auto found = run->old.constFind(configDir);
        const auto other = written.constFind(configDir);
        std::optional<Entry> old =
            found == run->old.constEnd() ? std::nullopt : std::optional<Entry>(*found);
        if (other != written.constEnd())
            old = SnapshotCache::newer(old.value_or(Entry{}), *other, present);
        const bool reported = run->regular && isReportedLately(old, present);
        // Reading a large account file is processor work that must not keep the interface
        // waiting, so it runs on a reader of lower priority; the fetch that follows mostly
        // waits, for the credential and the service, and takes the same thread rather than a
        // second one, which would stay alive, with its stack, until the workers' idle time ends.
        WorkerPool::whenDone(
            this,
            WorkerPool::runInBackground([name, old, reported, tracked = !hidden.contains(configDir),
                                         profile = wantsProfile(configDir, present),
                                         copied = services] {
                const std::optional<Account> account =
                    Discovery::account(copied.home, name, *copied.fileSystem);
                FolderResult result{account, std::nullopt};
                if (account && tracked && reported)
                    result.fetched = FetchResult{
                        Entry{*account, old->snapshot, old->problem, old->checkedAt}, false};
                else if (account && tracked)
                    result.fetched = fetch(*account, old, profile, copied);
                return result;
            }),
            [this, name](const FolderResult& result) { collect(name, result); });
    }
}

bool Store::isReportedLately(const std::optional<Entry>& entry, Instant present) const {
    if (!entry || !entry->snapshot || !entry->snapshot->fromClaudeCode)
        return false;
    const Instant reported = entry->snapshot->fetchedAt;
    return reported <= present && present - reported < refreshIntervalSeconds();
}

void Store::followCache() {
    if (demoStore || cacheWatch)
        return;
    cacheWatch = new CacheWatch(services.cachePath, this);
    connect(cacheWatch, &CacheWatch::changed, this, [this] {
        WorkerPool::whenDone(
            this, WorkerPool::runInBackground([path = services.cachePath] {
                return SnapshotCache::read(path);
            }),
            [this](const QHash<QString, SnapshotCache::Record>& written) { takeIn(written); });
    });
}

void Store::takeIn(const QHash<QString, SnapshotCache::Record>& written) {
    const Instant present = now();
    QList<Entry> merged = entryList;
    QSet<QString> newFigures;
    for (Entry& entry : merged) {
        const auto other = written.constFind(entry.id());
        if (other == written.constEnd())
            continue;
        const Entry kept = SnapshotCache::newer(entry, *other, present);
        if (kept.snapshot != entry.snapshot)
            newFigures.insert(entry.id());
        entry = kept;
    }
    setEntries(merged);
    // Announced as figures a refresh fetched.
    if (!newFigures.isEmpty()) {
        emit accountsRefreshed(newFigures);
        // Their writer kept them in the history.
        keepHistory({});
    }
}

void Store::collect(const QString& folderName, FolderResult result) {
    run->results.insert(folderName, std::move(result));
    if (--run->pending == 0)
        finishRefresh();
}

void Store::finishRefresh() {
    // Read again: the user may have hidden an account while its figures were being fetched.
    const QSet<QString> hidden = readHiddenFolders();
    QList<Entry> merged;
    QList<Account> hiddenNow;
    for (const QString& name : std::as_const(run->folderNames)) {
        const FolderResult& result = run->results[name];
        if (!result.account)
            continue;
        if (hidden.contains(result.account->configDir))
            hiddenNow.append(*result.account);
        else if (result.fetched)
            merged.append(result.fetched->entry);
    }
    setHiddenAccounts(hiddenNow);
    setEntries(merged);

    const Instant present = now();
    for (const FolderResult& result : std::as_const(run->results))
        if (result.fetched && result.fetched->fetchedSubscription)
            profileFetchedAt.insert(result.account->configDir, present);
    lastRefreshAt = present;
    emit lastRefreshChanged();
    run.reset();
    QSet<QString> refreshed;
    for (const Entry& entry : std::as_const(entryList))
        refreshed.insert(entry.id());
    emit accountsRefreshed(refreshed);
    // The refresh ends once its figures are on disk, where a terminal run waiting for it reads
    // them; the history, kept by a child, follows.
    saveCache(entryList, [this, present] { checkForUpdateThenEnd(present); });
    keepHistory(entryList);
}

void Store::checkForUpdateThenEnd(Instant present) {
    if (updateCheckedInstant && present - *updateCheckedInstant <= updateIntervalSeconds) {
        endRefresh();
        return;
    }
    // Counted before asking, so that a failed check also waits a day.
    updateCheckedInstant = present;
    onWorker([check = services.checkForUpdate] { return check(currentBuild()); },
             [this](const std::optional<UpdateInfo>& info) {
                 if (info) {
                     availableUpdate = info;
                     emit updateChanged();
                 }
                 endRefresh();
             });
}

void Store::endRefresh() {
    setRefreshing(false);
    emit refreshFinished();
    if (std::exchange(refreshAgain, false))
        startRefresh();
}

void Store::stopTracking(const Account& account) {
    if (demoStore)
        return;
    QSet<QString> hidden = readHiddenFolders();
    hidden.insert(account.configDir);
    writeHiddenFolders(hidden);

    QList<Entry> remaining = entryList;
    remaining.removeIf([&account](const Entry& entry) { return entry.id() == account.configDir; });
    setEntries(remaining);
    if (!hiddenAccountList.contains(account)) {
        QList<Account> accounts = hiddenAccountList;
        accounts.append(account);
        setHiddenAccounts(accounts);
    }
    // Before the cached figures are shown, the entries are not yet those of the file.
    if (loaded)
        saveCache(entryList);
}

void Store::resumeTracking(const Account& account) {
    // A demo store never changes the user's settings.
    if (demoStore)
        return;
    QSet<QString> hidden = readHiddenFolders();
    hidden.remove(account.configDir);
    writeHiddenFolders(hidden);

    QList<Account> accounts = hiddenAccountList;
    accounts.removeIf([&account](const Account& hiddenAccount) {
        return hiddenAccount.configDir == account.configDir;
    });
    setHiddenAccounts(accounts);
    refresh();
}

void Store::saveCache(const QList<Entry>& entries, std::function<void()> then) {
    lastCacheWrite = QtConcurrent::run(&WorkerPool::cacheWriter(), [path = services.cachePath,
                                                                    home = services.home, entries,
                                                                    clock = services.clock] {
        if (const RegularFile::Written written = SnapshotCache::write(path, home, entries, clock);
            !written)
            qCWarning(storeLog).noquote()
                << QStringLiteral("The snapshot cache could not be written to %1: %2")
                       .arg(path, written.failure);
    });
    if (then)
        WorkerPool::whenDone(this, lastCacheWrite, std::move(then));
}

QSet<QString> Store::readHiddenFolders() const {
    return settings ? HiddenAccountFolders::read(*settings) : QSet<QString>();
}

void Store::writeHiddenFolders(const QSet<QString>& folders) const {
    if (settings)
        HiddenAccountFolders::write(*settings, folders);
}

void Store::setEntries(QList<Entry> entries) {
    if (entries == entryList)
        return;
    entryList = std::move(entries);
    emit entriesChanged();
}

void Store::setRefreshing(bool value) {
    refreshing = value;
    emit refreshingChanged();
}

void Store::setHiddenAccounts(QList<Account> accounts) {
    if (accounts == hiddenAccountList)
        return;
    hiddenAccountList = std::move(accounts);
    emit hiddenAccountsChanged();
}
