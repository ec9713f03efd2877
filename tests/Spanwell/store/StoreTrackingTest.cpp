#include "StoreHarness.h"
#include "store/Demo.h"
#include "store/HiddenAccountFolders.h"
#include "store/SnapshotCache.h"
#include "support/ScopedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

namespace {

QStringList hiddenSetting(const QString& settingsPath) {
    return QSettings(settingsPath, QSettings::IniFormat)
        .value(HiddenAccountFolders::settingsKey)
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
        QVERIFY(SnapshotCache::write(harness.cachePath, {Entry{a, snapshot(1), std::nullopt},
                                                         Entry{b, std::nullopt, std::nullopt}}));
        const QHash<QString, Snapshot> read = SnapshotCache::read(harness.cachePath);
        QCOMPARE(read.keys(), QStringList({a.configDir}));
        QCOMPARE(read.value(a.configDir), snapshot(1));
        const QByteArray before = readFile(harness.cachePath);
        QVERIFY(!SnapshotCache::write(harness.cachePath,
                                      {Entry{a, snapshot(std::nan("")), std::nullopt}}));
        QCOMPARE(readFile(harness.cachePath), before);
        // A folder removed while the program runs is made again.
        QVERIFY(QDir(harness.home.pathOf(QStringLiteral("data"))).removeRecursively());
        QVERIFY(SnapshotCache::write(harness.cachePath, {Entry{a, snapshot(1), std::nullopt}}));
        QCOMPARE(readFile(harness.cachePath), before);
    }

    // Nothing of it is read: not a list, not a file, or one snapshot that is not one.
    void oneMalformedSnapshotSpoilsTheWholeCache() {
        StoreHarness harness;
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
        const auto store = harness.makeStore();
        QCOMPARE(store->entries().size(), 2);
        for (const Entry& entry : store->entries())
            QVERIFY(!entry.snapshot);
    }

    // Hidden at once, without a refresh, and still after a restart; the setting is sorted,
    // the panel's list in the order of hiding until the next discovery orders it.
    void hidingAndTrackingAgain() {
        StoreHarness harness;
        const Account work =
            harness.addAccount(QStringLiteral(".claude-work"), QStringLiteral("w"));
        const Account main = harness.addAccount(QStringLiteral(".claude"), QStringLiteral("m"));
        QVERIFY(SnapshotCache::write(harness.cachePath, {Entry{work, snapshot(3), std::nullopt}}));
        const auto store = harness.makeStore();
        QSignalSpy entries(store.get(), &Store::entriesChanged);
        store->stopTracking(work);
        store->stopTracking(work);
        QCOMPARE(entries.size(), 1);
        QCOMPARE(readFile(harness.cachePath), QByteArray("{}"));
        QCOMPARE(harness.makeStore()->hiddenAccounts(), QList<Account>({work}));
        store->stopTracking(main);
        QVERIFY(store->entries().isEmpty());
        QVERIFY(!store->isRefreshing());
        QCOMPARE(hiddenSetting(harness.settingsPath),
                 QStringList({main.configDir, work.configDir}));
        QCOMPARE(store->hiddenAccounts(), QList<Account>({work, main}));
        QVERIFY(StoreHarness::refreshAndWait(*store));
        QCOMPARE(store->hiddenAccounts(), QList<Account>({main, work}));

        // Tracked again, it is back after the refresh that follows, as the panel's test shows.
        store->resumeTracking(work);
        QCOMPARE(store->hiddenAccounts(), QList<Account>({main}));
        QCOMPARE(hiddenSetting(harness.settingsPath), QStringList({main.configDir}));
    }

    // A list of one folder is stored as a single text; anything else that is not a list
    // counts as empty.
    void theHiddenSettingIsReadAsStored() {
        StoreHarness harness;
        const Account a = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        harness.home.writeFile(QStringLiteral("settings.ini"),
                               (HiddenAccountFolders::settingsKey + '=' + a.configDir).toUtf8());
        QCOMPARE(harness.makeStore()->hiddenAccounts(), QList<Account>({a}));
        QSettings(harness.settingsPath, QSettings::IniFormat)
            .setValue(HiddenAccountFolders::settingsKey, QVariantMap{{QStringLiteral("x"), 1}});
        const auto store = harness.makeStore();
        QCOMPARE(store->entries().size(), 1);
        store->stopTracking(a);
        QCOMPARE(hiddenSetting(harness.settingsPath), QStringList({a.configDir}));
    }

    void demoStoreTouchesNothing() {
        TemporaryHome sandbox;
        ScopedEnvironment environment;
        environment.set("XDG_DATA_HOME", sandbox.pathOf(QStringLiteral("data")).toUtf8())
            .set("XDG_CONFIG_HOME", sandbox.pathOf(QStringLiteral("config")).toUtf8());
        const auto store = Demo::store(Instant::now(), sandbox.path());
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
        QCOMPARE(store->lastRefresh(), lastRefresh);
        QVERIFY(QDir(sandbox.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    }
};

QTEST_GUILESS_MAIN(StoreTrackingTest)
#include "StoreTrackingTest.moc"
