#include "StoreHarness.h"
#include "store/Demo.h"
#include "store/HiddenAccountFolders.h"
#include "store/SnapshotCache.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {

QStringList hiddenSetting(const QString& settingsPath) {
    QSettings settings(settingsPath, QSettings::IniFormat);
    return settings.value(HiddenAccountFolders::settingsKey).toStringList();
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
        QVERIFY(SnapshotCache::write(harness.cachePath, {Entry{a, snapshot(1), std::nullopt},
                                                         Entry{b, std::nullopt, std::nullopt}}));
        const QHash<QString, Snapshot> read = SnapshotCache::read(harness.cachePath);
        QCOMPARE(read.keys(), QStringList({a.configDir}));
        QCOMPARE(read.value(a.configDir), snapshot(1));
        const QByteArray before = readFile(harness.cachePath);
        QVERIFY(!before.contains('\n'));
        QVERIFY(!SnapshotCache::write(harness.cachePath,
                                      {Entry{a, snapshot(std::nan("")), std::nullopt}}));
        QCOMPARE(readFile(harness.cachePath), before);
        // A folder removed while the program runs is made again.
        QVERIFY(QDir(harness.home.pathOf(QStringLiteral("data"))).removeRecursively());
        QVERIFY(SnapshotCache::write(harness.cachePath, {Entry{a, snapshot(1), std::nullopt}}));
        QCOMPARE(readFile(harness.cachePath), before);
    }

    void oneMalformedSnapshotSpoilsTheWholeCache() {
        StoreHarness harness;
        QVERIFY(SnapshotCache::read(harness.cachePath).isEmpty());
        harness.home.writeFile(QStringLiteral("data/snapshots.json"), "[]");
        QVERIFY(SnapshotCache::read(harness.cachePath).isEmpty());
        QFile::remove(harness.cachePath);
        harness.home.makeNamedPipe(QStringLiteral("data/snapshots.json"));
        QVERIFY(SnapshotCache::read(harness.cachePath).isEmpty());
        QFile::remove(harness.cachePath);
        const Account a = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        const Account b = harness.addAccount(QStringLiteral(".claude-b"), QStringLiteral("b"));
        harness.home.writeFile(
            QStringLiteral("data/snapshots.json"),
            QStringLiteral(R"({"%1":{"limits":[],"fetchedAt":1},"%2":{"limits":[]}})")
                .arg(a.configDir, b.configDir)
                .toUtf8());
        QVERIFY(SnapshotCache::read(harness.cachePath).isEmpty());
        const auto store = harness.makeStore();
        QCOMPARE(store->entries().size(), 2);
        for (const Entry& entry : store->entries())
            QVERIFY(!entry.snapshot);
    }

    void hidingTheOnlyAccount() {
        StoreHarness harness;
        const Account a = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        QVERIFY(SnapshotCache::write(harness.cachePath, {Entry{a, snapshot(3), std::nullopt}}));
        const auto store = harness.makeStore();
        QSignalSpy entries(store.get(), &Store::entriesChanged);

        store->stopTracking(a);
        QVERIFY(store->entries().isEmpty());
        QCOMPARE(store->hiddenAccounts(), QList<Account>({a}));
        QCOMPARE(readFile(harness.cachePath), QByteArray("{}"));
        QCOMPARE(hiddenSetting(harness.settingsPath), QStringList({a.configDir}));
        QCOMPARE(entries.size(), 1);
        QVERIFY(!store->isRefreshing());

        store->stopTracking(a);
        QCOMPARE(store->hiddenAccounts().size(), 1);
        QCOMPARE(hiddenSetting(harness.settingsPath), QStringList({a.configDir}));

        const auto restarted = harness.makeStore();
        QVERIFY(restarted->entries().isEmpty());
        QCOMPARE(restarted->hiddenAccounts(), QList<Account>({a}));
    }

    void hiddenFoldersAreStoredSorted() {
        StoreHarness harness;
        const Account work =
            harness.addAccount(QStringLiteral(".claude-work"), QStringLiteral("w"));
        const Account main = harness.addAccount(QStringLiteral(".claude"), QStringLiteral("m"));
        const auto store = harness.makeStore();
        store->stopTracking(work);
        store->stopTracking(main);
        QCOMPARE(hiddenSetting(harness.settingsPath),
                 QStringList({main.configDir, work.configDir}));
        // Newly hidden accounts go to the end until the next discovery orders them.
        QCOMPARE(store->hiddenAccounts(), QList<Account>({work, main}));
        QVERIFY(StoreHarness::refreshAndWait(*store));
        QCOMPARE(store->hiddenAccounts(), QList<Account>({main, work}));
    }

    void resumingBringsAnAccountBackAfterARefresh() {
        StoreHarness harness;
        const Account a = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        const Account b = harness.addAccount(QStringLiteral(".claude-b"), QStringLiteral("b"));
        harness.client->answer(QStringLiteral("a"), QStringLiteral("/api/oauth/usage"),
                               usageReply(12, 3));
        QVERIFY(SnapshotCache::write(harness.cachePath, {Entry{a, snapshot(3), std::nullopt}}));
        const auto store = harness.makeStore();
        store->stopTracking(a);
        store->stopTracking(b);

        QSignalSpy finished(store.get(), &Store::refreshFinished);
        store->resumeTracking(a);
        QCOMPARE(store->hiddenAccounts(), QList<Account>({b}));
        QVERIFY(store->entries().isEmpty());
        QVERIFY(store->isRefreshing());
        QVERIFY(finished.wait(5000));
        QCOMPARE(store->entries().size(), 1);
        QCOMPARE(store->entries().first().snapshot->limits.first().percent, 12.0);
        QCOMPARE(hiddenSetting(harness.settingsPath), QStringList({b.configDir}));

        // One that is not hidden changes nothing but still refreshes.
        store->resumeTracking(a);
        QCOMPARE(hiddenSetting(harness.settingsPath), QStringList({b.configDir}));
        QVERIFY(store->isRefreshing());
        QVERIFY(finished.wait(5000));
    }

    void malformedHiddenSettingCountsAsEmpty_data() {
        QTest::addColumn<QVariant>("value");
        QTest::newRow("number") << QVariant(5);
        QTest::newRow("map") << QVariant(QVariantMap{{QStringLiteral("x"), 1}});
    }
    void malformedHiddenSettingCountsAsEmpty() {
        QFETCH(QVariant, value);
        StoreHarness harness;
        const Account a = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        {
            QSettings settings(harness.settingsPath, QSettings::IniFormat);
            settings.setValue(HiddenAccountFolders::settingsKey, value);
        }
        const auto store = harness.makeStore();
        QCOMPARE(store->entries().size(), 1);
        store->stopTracking(a);
        QCOMPARE(hiddenSetting(harness.settingsPath), QStringList({a.configDir}));
    }

    void demoStoreTouchesNothing() {
        TemporaryHome sandbox;
        const QByteArray previousData = qgetenv("XDG_DATA_HOME");
        const QByteArray previousConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_DATA_HOME", sandbox.pathOf(QStringLiteral("data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", sandbox.pathOf(QStringLiteral("config")).toUtf8());
        const auto restore = qScopeGuard([&] {
            qputenv("XDG_DATA_HOME", previousData);
            qputenv("XDG_CONFIG_HOME", previousConfig);
        });

        const auto store = Demo::store(Instant::now(), sandbox.path());
        QVERIFY(store->isDemo());
        const QList<Entry> before = store->entries();
        const std::optional<Instant> lastRefresh = store->lastRefresh();
        store->start();
        QVERIFY(!store->refresh());
        store->refreshIfStale();
        store->stopTracking(before.first().account);
        store->resumeTracking(before.first().account);
        QTest::qWait(20);

        QVERIFY(!store->isRefreshing());
        QVERIFY(store->findChildren<QTimer*>().isEmpty());
        QCOMPARE(store->entries(), before);
        QVERIFY(store->hiddenAccounts().isEmpty());
        QCOMPARE(store->lastRefresh(), lastRefresh);
        QVERIFY(QDir(sandbox.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    }
};

QTEST_GUILESS_MAIN(StoreTrackingTest)
#include "StoreTrackingTest.moc"
