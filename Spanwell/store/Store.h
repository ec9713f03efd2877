#pragma once

#include "model/Account.h"
#include "model/Instant.h"
#include "service/UpdateInfo.h"
#include "store/Entry.h"
#include "store/SnapshotCache.h"
#include "store/StoreServices.h"
#include "store/UserSettings.h"

#include <QFuture>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>

#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class CacheWatch;

// The application's state: the tracked accounts with their last known usage, the hidden
// accounts, the refresh cycle, and an announced update. Lives on the interface thread and is
// only ever changed there; every blocking step of a refresh runs on workers and comes back as
// a queued result. Each change of an observable field is announced by its signal.
class Store : public QObject {
    Q_OBJECT

public:
    struct FetchResult {
        Entry entry;
        // A subscription was fetched with this result.
        bool fetchedSubscription = false;
    };

    // Reads the snapshot cache and discovers the accounts on a worker, then, with the hidden
    // set, shows the last known figures; a refresh asked for meanwhile follows that. The hidden
    // accounts are kept in `settings`, which outlive the store.
    Store(StoreServices services, UserSettings& settings, QObject* parent = nullptr);
    // A store that shows exactly these entries and is never refreshed; it touches no
    // credential, network, cache or setting.
    static std::unique_ptr<Store> demo(QList<Entry> entries, Clock clock = systemClock(),
                                       QList<LimitHistory> recentUse = {});
    // Waits for the last cache write, so that the last figures are on disk when the program
    // ends.
    ~Store() override;

    const QList<Entry>& entries() const { return entryList; }
    bool isRefreshing() const { return refreshing; }
    std::optional<Instant> lastRefresh() const { return lastRefreshAt; }
    const QList<Account>& hiddenAccounts() const { return hiddenAccountList; }
    const std::optional<UpdateInfo>& update() const { return availableUpdate; }
    // Each limit's use over the last `recentUseSeconds`, from the history; empty until
    // `showRecentUse` is called and the history is read.
    const QList<LimitHistory>& recentUse() const { return recentUseList; }
    // The cached figures are shown: the reads the constructor started have ended.
    bool isLoaded() const { return loaded; }
    // The present, by the store's clock.
    Instant now() const { return services.clock(); }

    std::optional<double> averageSession() const;
    int usableCount() const;
    static qint64 currentBuild();
    static QString currentVersion();

    // How far back `recentUse` reaches: the week the panel's charts show.
    static constexpr double recentUseSeconds = 7 * 86400;

    // How often `start` refreshes.
    double refreshIntervalSeconds() const;

    // One refresh now and one every refresh interval; later calls do nothing. A timed refresh
    // that falls while one runs is dropped. These regular refreshes do not ask the service
    // for an account whose figures Claude Code reported within the interval.
    void start();
    // Five minutes unless set; the next timed refresh follows a new one after the last.
    void setRefreshInterval(int seconds);
    // Refreshes unless the last refresh finished less than a minute ago, or one runs now; a
    // regular refresh.
    void refreshIfStale();
    // Starts a refresh that asks for every tracked account; false (and nothing happens) in a
    // demo store. Asked for while a refresh runs, it runs once more right after that one
    // (however often it was asked), so that what changed meanwhile, an account brought back or
    // newly signed in, is not missed. `refreshFinished` follows each refresh.
    bool refresh();
    // Takes in, within a second, the figures another process writes to the cache (Claude
    // Code's status line, a status run), as if a refresh had fetched them.
    void followCache();
    // Refreshes only these tracked accounts, as when their limits have just reset; the others
    // keep their figures, and the last refresh keeps its time. Dropped while a refresh runs.
    void refreshAccounts(const QSet<QString>& configDirs);

    // While a refresh of every account runs: what the fetches that have ended brought, by
    // account id; empty when none runs. A run that cannot wait for the slowest account shows
    // these beside the last known figures of the others.
    QHash<QString, Entry> fetchedSoFar() const;
    // Reads each limit's recent use from the history now, and again after every refresh and
    // every change another writer makes to the cache; the store of a terminal run needs none.
    void showRecentUse();

    // For a store that refreshes once and ends: an account whose figures hold a subscription
    // is not asked for its profile, which spares the service a request per account.
    void askForMissingProfilesOnly();

    void stopTracking(const Account& account);
    void resumeTracking(const Account& account);

    // One account's refresh, run on a worker; touches no store state.
    static FetchResult fetch(const Account& account, const std::optional<Entry>& old,
                             bool wantsProfile, const StoreServices& services);

signals:
    void entriesChanged();
    void refreshingChanged();
    void lastRefreshChanged();
    void hiddenAccountsChanged();
    void updateChanged();
    // The accounts a refresh fetched, once their figures are in the entries; whole refreshes
    // and those of some accounts alike, and the newer figures another writer left in the
    // cache.
    void accountsRefreshed(const QSet<QString>& configDirs);
    void refreshFinished();
    void recentUseChanged();

private:
    // What one folder of the home folder gave during a refresh.
    struct FolderResult {
        std::optional<Account> account;
        // Absent for a folder without an account and for a hidden account.
        std::optional<FetchResult> fetched;
    };

    struct RefreshRun {
        // Accounts whose figures Claude Code reported lately are not asked for.
        bool regular = true;
        QHash<QString, Entry> old;
        QStringList folderNames;
        QHash<QString, FolderResult> results;
        // A refresh of some accounts: what each fetch gave, by id.
        QHash<QString, Entry> fetched;
        qsizetype pending = 0;
    };

    // What the constructor reads on a worker.
    struct CachedDisplay {
        QHash<QString, SnapshotCache::Record> records;
        QList<Account> accounts;
    };

    Store(QList<Entry> entries, Clock clock, QList<LimitHistory> recentUse);

    void showCached(const CachedDisplay& cached);
    // What another writer left in the cache, merged as every writer merges it.
    void takeIn(const QHash<QString, SnapshotCache::Record>& written);
    // Figures Claude Code reported less than a refresh interval ago.
    bool isReportedLately(const std::optional<Entry>& entry, Instant present) const;
    // Starts a refresh unless one runs.
    void startRefresh();
    // `written` is what the cache held when the refresh began, as other runs may have left it.
    void fetchAll(const QStringList& folderNames,
                  const QHash<QString, SnapshotCache::Record>& written);
    void collect(const QString& folderName, FolderResult result);
    void finishRefresh();
    void finishAccountsRefresh();
    void endRefresh();
    bool wantsProfile(const QString& configDir, Instant now) const;

    // Writes the entries' snapshots to the cache on the cache's own thread: a write waits for a
    // terminal run that holds the cache's lock, which the interface must never do. `then`
    // follows on the interface thread once the file is written (or the write failed).
    void saveCache(const QList<Entry>& entries, std::function<void()> then = {});
    // Keeps the readings of `fetched` in the history, on the cache's own thread (a write may
    // wait for another process's), then reads the recent use again when it is shown.
    void keepHistory(const QList<Entry>& fetched);
    // The part of a refresh that follows the cache write.
    void checkForUpdateThenEnd(Instant present);

    QSet<QString> readHiddenFolders() const;
    void writeHiddenFolders(const QSet<QString>& folders) const;

    void setEntries(QList<Entry> entries);
    void setRefreshing(bool value);
    void setHiddenAccounts(QList<Account> accounts);

    // Runs `work` on a worker and hands its result to `then` on the interface thread, unless
    // the store is gone by then.
    template <typename Work, typename Then>
    void onWorker(Work work, Then then);

    StoreServices services;
    // None in a demo store.
    UserSettings* settings = nullptr;
    QList<Entry> entryList;
    bool refreshing = false;
    // A refresh was asked for while one ran.
    bool refreshAgain = false;
    // The next refresh asks for every account.
    bool everyAccountAsked = false;
    std::optional<Instant> lastRefreshAt;
    QList<Account> hiddenAccountList;
    std::optional<UpdateInfo> availableUpdate;
    std::optional<Instant> updateCheckedInstant;
    bool demoStore = false;
    bool loaded = false;
    bool missingProfilesOnly = false;
    QHash<QString, Instant> profileFetchedAt;
    QTimer* timer = nullptr;
    // In seconds.
    int refreshInterval = 300;
    CacheWatch* cacheWatch = nullptr;
    std::unique_ptr<RefreshRun> run;
    QFuture<void> lastCacheWrite;
    bool recentUseShown = false;
    QList<LimitHistory> recentUseList;
    QFuture<std::optional<QList<LimitHistory>>> lastHistoryWork;
};
