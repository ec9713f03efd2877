#include "StoreHarness.h"
#include "store/SnapshotCache.h"
#include "store/UserSettings.h"
#include "support/Holds.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLockFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QtConcurrent/QtConcurrentRun>

#include <sys/resource.h>

namespace {

QStringList hiddenSetting(const QString& settingsPath) {
    return QSettings(settingsPath, QSettings::IniFormat)
        .value(Settings::hiddenAccountFolders.key)
        .toStringList();
}

Snapshot snapshot(double session) {
    return Snapshot{{LimitReading{QStringLiteral("Session"), session, std::nullopt}},
                    std::nullopt,
                    std::nullopt,
                    std::nullopt,
                    Instant(1)};
}

} // namespace

class StoreTrackingTest : public QObject {
    Q_OBJECT

private slots:
    void cacheRoundTripsEverySnapshotAndAFailedWriteKeepsTheFile() {
        StoreHarness harness;
        const Account a = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        const Account b = harness.addAccount(QStringLiteral(".claude-b"), QStringLiteral("b"));
        const QString home = harness.home.path();
        const auto write = [&harness](const QString& writer, const QList<Entry>& entries) {
            return SnapshotCache::write(harness.cachePath, writer, entries, harness.clock.reader());
        };
        QVERIFY(write(home,
                      {Entry{a, snapshot(1), std::nullopt}, Entry{b, std::nullopt, std::nullopt}}));
        QCOMPARE(SnapshotCache::read(harness.cachePath),
                 (QHash<QString, SnapshotCache::Record>{{a.configDir, {snapshot(1), {}, {}}}}));
        const QByteArray before = readFile(harness.cachePath);
        QVERIFY(!write(home, {Entry{a, snapshot(std::nan("")), std::nullopt}}));
        QCOMPARE(readFile(harness.cachePath), before);
        // A folder removed while the program runs is made again.
        QVERIFY(QDir(harness.home.pathOf(QStringLiteral("data"))).removeRecursively());
        QVERIFY(write(home, {Entry{a, snapshot(1), std::nullopt}}));
        QCOMPARE(readFile(harness.cachePath), before);
        // Figures dated after the present (the clock was put back) give way to those fetched.
        Snapshot future = snapshot(2);
        future.fetchedAt = harness.clock.now() + 60;
        for (const Snapshot& written : {future, snapshot(1)})
            QVERIFY(write(home, {Entry{a, written, std::nullopt}}));
        QCOMPARE(readFile(harness.cachePath), before);
        // Another home folder sharing the data folder keeps its accounts, and this one drops its
        // own.
        const Account ben{QStringLiteral("/home/ben/.claude"), {}, {}, {}, {}};
        QVERIFY(write(QStringLiteral("/home/ben"), {Entry{ben, snapshot(2), std::nullopt}}));
        QVERIFY(write(home, {}));
        QCOMPARE(SnapshotCache::read(harness.cachePath),
                 (QHash<QString, SnapshotCache::Record>{{ben.configDir, {snapshot(2), {}, {}}}}));
    }

    // A write waits for another writer's lock up to its time-out, then gives up and says so; one
    // that waits longer goes through once the lock is given back, keeping the figures the holder
    // fetched and wrote while it waited. A failed write says why, and the store's log line
    // carries it: here a file where the cache's folder should be.
    void failedWritesSayWhy() {
        StoreHarness harness;
        const Account a = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        const auto write = [&](int lockWait) {
            return SnapshotCache::write(harness.cachePath, harness.home.path(),
                                        {Entry{a, snapshot(1), {}}}, harness.clock.reader(),
                                        lockWait);
        };
        QLockFile held(harness.cachePath + QStringLiteral(".lock"));
        QVERIFY(held.tryLock(0));
        QElapsedTimer waited;
        waited.start();
        QVERIFY(write(300).failure.contains(QStringLiteral("held the lock")));
        QCOMPARE_GE(waited.elapsed(), 300);
        QVERIFY(!QFile::exists(harness.cachePath));
        QFuture<RegularFile::Written> waiting = QtConcurrent::run(write, 10000);
        QVERIFY(holdsThroughout(200, [&] { return !waiting.isFinished(); }));
        harness.clock.advance(60);
        Snapshot holders = snapshot(2);
        holders.fetchedAt = harness.clock.now();
        const QString holdersFile = harness.cachePath + QStringLiteral(".holder");
        QVERIFY(SnapshotCache::write(holdersFile, harness.home.path(), {Entry{a, holders, {}}},
                                     harness.clock.reader()));
        QVERIFY(QFile::copy(holdersFile, harness.cachePath));
        held.unlock();
        QTRY_VERIFY(waiting.isFinished());
        QVERIFY(waiting.result());
        QCOMPARE(SnapshotCache::read(harness.cachePath).value(a.configDir).snapshot, holders);

        QVERIFY(QDir(harness.home.pathOf(QStringLiteral("data"))).removeRecursively());
        harness.home.writeFile(QStringLiteral("data"), "in the way");
        QLoggingCategory::setFilterRules(QStringLiteral("spanwell.store.warning=true"));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^The snapshot cache could not be written to "
                                                ".*/data/snapshots.json: the folder .*/data cannot "
                                                "be made: .+"));
        harness.makeStore()->stopTracking(a);
    }

    // A link in place of the cache or the settings file is replaced by the file; what it
    // points to stays as it was.
    void linksAreReplacedNotFollowed() {
        StoreHarness harness;
        const Account a = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        const QString target = harness.home.writeFile(QStringLiteral("target"), "[kept]");
        harness.home.makeFolder(QStringLiteral("data"));
        QVERIFY(QFile::link(target, harness.cachePath) &&
                QFile::link(target, harness.settingsPath));
        const auto store = harness.makeStore();
        store->stopTracking(a);
        QTRY_COMPARE(readFile(harness.cachePath), QByteArray("{}"));
        QCOMPARE(hiddenSetting(harness.settingsPath), QStringList({a.configDir}));
        QCOMPARE(readFile(target), QByteArray("[kept]"));
    }

    // Only a regular file of at most 1 MiB is read as the settings; else the defaults are
    // used at once, with memory to spare, and the file is never written over.
    void settingsThatAreNoSmallRegularFileAreLeftAlone_data() {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("named pipe") << true;
        QTest::newRow("sparse file of 1 GB") << false;
    }
    void settingsThatAreNoSmallRegularFileAreLeftAlone() {
        QFETCH(bool, pipe);
        StoreHarness harness;
        const Account a = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        if (pipe)
            harness.home.makeNamedPipe(QStringLiteral("settings.ini"));
        else
            QVERIFY(QFile::resize(
                harness.home.writeFile(QStringLiteral("settings.ini"), "hiddenAccountFolders=/a\n"),
                qint64(1) << 30));
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        const long largestBefore = usage.ru_maxrss;
        const auto store = harness.makeStore();
        QTRY_COMPARE(store->entries().size(), 1);
        store->stopTracking(a);
        ::getrusage(RUSAGE_SELF, &usage);
        QCOMPARE_LT(usage.ru_maxrss - largestBefore, 100 * 1024);
        QCOMPARE(QFileInfo(harness.settingsPath).size(), pipe ? 0 : qint64(1) << 30);
    }

    // Each account's last problem is kept beside its figures, for one without any too, in a
    // form a program that keeps no problems reads as ever. A writer that knows nothing newer
    // keeps it; figures fetched later end it.
    void problemsAreKeptBesideTheFigures() {
        StoreHarness harness;
        const Account a = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        const Account b = harness.addAccount(QStringLiteral(".claude-b"), QStringLiteral("b"));
        const Instant now = harness.clock.now();
        const SnapshotCache::Record limited{snapshot(1), FetchProblem::rateLimited(now, 9), now};
        const SnapshotCache::Record lapsed{std::nullopt, FetchProblem::signInExpired(), now};
        const auto write = [&](const QList<Entry>& entries, Instant at) {
            QVERIFY(SnapshotCache::write(harness.cachePath, harness.home.path(), entries,
                                         [at] { return at; }));
        };
        write({Entry{a, limited.snapshot, limited.problem, now}, Entry{b, {}, lapsed.problem, now}},
              now);
        write({Entry{a, snapshot(1), std::nullopt}, Entry{b, {}, {}}}, now);
        QCOMPARE(
            SnapshotCache::read(harness.cachePath),
            (QHash<QString, SnapshotCache::Record>{{a.configDir, limited}, {b.configDir, lapsed}}));
        QCOMPARE(
            Snapshot::fromJson(QJsonDocument::fromJson(readFile(harness.cachePath))[b.configDir]),
            Snapshot{});
        Snapshot fetched = snapshot(2);
        fetched.fetchedAt = now + 1;
        write({Entry{a, fetched, std::nullopt}}, now + 1);
        QCOMPARE(SnapshotCache::read(harness.cachePath).value(a.configDir),
                 (SnapshotCache::Record{fetched, std::nullopt, std::nullopt}));
    }

    // Nothing of it is read when one snapshot is not one.
    void oneMalformedSnapshotSpoilsTheWholeCache() {
        StoreHarness harness;
        harness.home.writeFile(QStringLiteral("data/snapshots.json"),
                               R"({"/a":{"limits":[],"fetchedAt":1},"/b":{"limits":[]}})");
        QVERIFY(SnapshotCache::read(harness.cachePath).isEmpty());
    }

    // Hidden at once, without a refresh, and still after a restart and a refresh; the setting
    // is sorted.
    void hidingAndTrackingAgain() {
        StoreHarness harness;
        const Account work =
            harness.addAccount(QStringLiteral(".claude-work"), QStringLiteral("w"));
        const Account main = harness.addAccount(QStringLiteral(".claude"), QStringLiteral("m"));
        QVERIFY(SnapshotCache::write(harness.cachePath, harness.home.path(),
                                     {Entry{work, snapshot(3), std::nullopt}},
                                     harness.clock.reader()));
        const auto store = harness.makeStore();
        QSignalSpy entries(store.get(), &Store::entriesChanged);
        store->stopTracking(work);
        store->stopTracking(work);
        QCOMPARE(entries.size(), 1);
        QTRY_COMPARE(readFile(harness.cachePath), QByteArray("{}"));
        QCOMPARE(harness.makeStore()->hiddenAccounts(), QList<Account>({work}));
        store->stopTracking(main);
        QVERIFY(store->entries().isEmpty());
        QVERIFY(!store->isRefreshing());
        QCOMPARE(hiddenSetting(harness.settingsPath),
                 QStringList({main.configDir, work.configDir}));
        QVERIFY(StoreHarness::refreshAndWait(*store));
        QCOMPARE(store->hiddenAccounts(), QList<Account>({main, work}));

        // Tracked again, it is back after the refresh that follows, as the panel's test shows.
        store->resumeTracking(work);
        QCOMPARE(store->hiddenAccounts(), QList<Account>({main}));
        QCOMPARE(hiddenSetting(harness.settingsPath), QStringList({main.configDir}));
    }

    // The settings file writes a list of one folder as a single text.
    void oneHiddenFolderIsReadAsStored() {
        StoreHarness harness;
        const Account a = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        harness.home.writeFile(QStringLiteral("settings.ini"),
                               (Settings::hiddenAccountFolders.key + '=' + a.configDir).toUtf8());
        QCOMPARE(harness.makeStore()->hiddenAccounts(), QList<Account>({a}));
    }
};

QTEST_GUILESS_MAIN(StoreTrackingTest)
#include "StoreTrackingTest.moc"
