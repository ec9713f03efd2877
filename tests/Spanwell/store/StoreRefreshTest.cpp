#include "StoreHarness.h"
#include "store/SnapshotCache.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using Failure = UsageClient::Failure;

namespace {

const QString usagePath = QStringLiteral("/api/oauth/usage");
const QString profilePath = QStringLiteral("/api/oauth/profile");
const QString token = QStringLiteral("token-a");
const Snapshot cached{{LimitReading{QStringLiteral("Session"), 77, std::nullopt}},
                      QStringLiteral("Max"),
                      Subscription{QStringLiteral("active"), Instant(1000)},
                      Instant(5),
                      Instant(700000000)};

Credential credential(const QString& accessToken, std::optional<Instant> expiresAt = {},
                      std::optional<QString> subscriptionType = {}) {
    return Credential{accessToken, expiresAt, Instant(9), std::move(subscriptionType), {}};
}

} // namespace

class StoreRefreshTest : public QObject {
    Q_OBJECT

private slots:
    // The cycle's own timer, once however often the store is started, and never a file read
    // on the interface thread.
    void startRefreshesOnceAndKeepsOneTimer() {
        StoreHarness harness;
        harness.addAccount(QStringLiteral(".claude-a"), token);
        const auto store = harness.makeStore();
        QSignalSpy finished(store.get(), &Store::refreshFinished);
        store->start();
        store->start();
        QVERIFY(finished.wait(5000));
        QTest::qWait(50);
        QCOMPARE(finished.size(), 1);
        const QList<QTimer*> timers = store->findChildren<QTimer*>();
        QCOMPARE(timers.size(), 1);
        QVERIFY(QMetaObject::invokeMethod(timers.first(), "timeout"));
        QVERIFY(finished.wait(5000));
        QCOMPARE(harness.client->count(token, usagePath), 2);
        QCOMPARE(harness.fileSystem.callsOnInterfaceThread(), 0);
    }

    void refreshIfStaleWaitsAMinute_data() {
        QTest::addColumn<double>("secondsLater");
        QTest::addColumn<bool>("refreshes");
        QTest::newRow("59 seconds") << 59.0 << false;
        QTest::newRow("60 seconds") << 60.0 << true;
    }
    void refreshIfStaleWaitsAMinute() {
        QFETCH(double, secondsLater);
        QFETCH(bool, refreshes);
        StoreHarness harness;
        harness.addAccount(QStringLiteral(".claude-a"), token);
        const auto store = harness.makeStore();
        QVERIFY(StoreHarness::refreshAndWait(*store));
        harness.clock.advance(secondsLater);
        store->refreshIfStale();
        QCOMPARE(store->isRefreshing(), refreshes);
        QTRY_VERIFY(!store->isRefreshing());
        QCOMPARE(harness.calls().credentialReads.size(), refreshes ? 2 : 1);
    }

    // An account brought back, or newly signed in, while a refresh runs would otherwise miss
    // it and be missing for five minutes.
    void aRefreshAskedForWhileOneRunsFollowsIt_data() {
        QTest::addColumn<bool>("resumed");
        QTest::addColumn<QStringList>("tracked");
        QTest::newRow("tracking resumed") << true << QStringList({"~/.claude-a", "~/.claude-b"});
        QTest::newRow("signed in") << false << QStringList({"~/.claude-b", "~/.claude-c"});
    }
    void aRefreshAskedForWhileOneRunsFollowsIt() {
        QFETCH(bool, resumed);
        QFETCH(QStringList, tracked);
        StoreHarness harness;
        const Account a = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        harness.addAccount(QStringLiteral(".claude-b"), QStringLiteral("b"));
        const auto store = harness.makeStore();
        store->stopTracking(a);
        QSignalSpy finished(store.get(), &Store::refreshFinished);
        harness.closeCredentialGate();
        QVERIFY(store->refresh());
        QTRY_COMPARE(harness.waitingAtGate(), 1);
        if (resumed) {
            store->resumeTracking(a);
        } else {
            harness.addAccount(QStringLiteral(".claude-c"), QStringLiteral("c"));
            QVERIFY(store->refresh());
        }
        // One more refresh at most; the stale check's is dropped.
        QVERIFY(store->refresh());
        store->refreshIfStale();
        harness.openCredentialGate();
        QTRY_COMPARE(finished.size(), 2);
        QTest::qWait(50);
        QCOMPARE(finished.size(), 2);
        QCOMPARE(harness.folders(store->entries()), tracked);
    }

    // Both accounts are read side by side; the one hidden meanwhile leaves no row.
    void anAccountHiddenDuringARefreshLeavesItsResult() {
        StoreHarness harness;
        const Account first = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        harness.addAccount(QStringLiteral(".claude-b"), QStringLiteral("b"));
        const auto store = harness.makeStore();
        harness.closeCredentialGate();
        QVERIFY(store->refresh());
        QTRY_COMPARE(harness.waitingAtGate(), 2);
        store->stopTracking(first);
        harness.openCredentialGate();
        QTRY_VERIFY(!store->isRefreshing());
        QCOMPARE(harness.folders(store->entries()), QStringList{"~/.claude-b"});
        QCOMPARE(store->hiddenAccounts(), QList<Account>({first}));
    }

    // One account's refresh: its credential, a renewal of a lapsed sign-in, and the service's
    // answer, against the figures it had before.
    void fetchTurnsEachOutcomeIntoAnEntry_data() {
        QTest::addColumn<std::optional<Credential>>("stored");
        QTest::addColumn<QString>("renewedToken");
        QTest::addColumn<std::optional<Failure>>("failure");
        QTest::addColumn<std::optional<FetchProblem>>("problem");
        QTest::addColumn<double>("percent");
        const Instant now = ManualClock().now();
        const auto none = std::optional<Failure>();
        const auto ok = std::optional<FetchProblem>();
        QTest::newRow("no credential") << std::optional<Credential>() << QString() << none
                                       << std::optional(FetchProblem::noCredential()) << 77.0;
        QTest::newRow("lapsed, renewal fails")
            << std::optional(credential(token, now)) << QString() << none
            << std::optional(FetchProblem::signInExpired()) << 77.0;
        QTest::newRow("lapsed, renewed")
            << std::optional(credential(token, now - 1)) << "new" << none << ok << 5.0;
        QTest::newRow("rate limited")
            << std::optional(credential(token)) << QString() << std::optional(Failure::http(429))
            << std::optional(FetchProblem::failed(
                   QStringLiteral("Anthropic is rate limiting usage checks. Will retry.")))
            << 77.0;
        QTest::newRow("unavailable")
            << std::optional(credential(token)) << QString() << std::optional(Failure::http(503))
            << std::optional(FetchProblem::failed(QStringLiteral("Anthropic returned error 503.")))
            << 77.0;
        QTest::newRow("refused") << std::optional(credential(token)) << QString()
                                 << std::optional(Failure::unauthorized())
                                 << std::optional(FetchProblem::signInExpired()) << 77.0;
        QTest::newRow("transport")
            << std::optional(credential(token)) << QString()
            << std::optional(Failure::transport(QStringLiteral("Host unreachable")))
            << std::optional(FetchProblem::failed(QStringLiteral("Host unreachable"))) << 77.0;
    }
    void fetchTurnsEachOutcomeIntoAnEntry() {
        QFETCH(std::optional<Credential>, stored);
        QFETCH(QString, renewedToken);
        QFETCH(std::optional<Failure>, failure);
        QFETCH(std::optional<FetchProblem>, problem);
        QFETCH(double, percent);
        StoreHarness harness;
        const Account account = harness.addAccount(QStringLiteral(".claude-a"), QString());
        harness.setCredential(QStringLiteral(".claude-a"), stored);
        harness.onRenewal = [&] {
            if (!renewedToken.isEmpty())
                harness.setCredential(QStringLiteral(".claude-a"),
                                      credential(renewedToken, harness.clock.now() + 3600));
        };
        const QString used = renewedToken.isEmpty() ? token : renewedToken;
        harness.client->answer(used, usagePath,
                               failure ? UsageClient::Result<QByteArray>(*failure)
                                       : usageReply(5, 6));

        const Entry entry =
            Store::fetch(account, Entry{account, cached, {}}, false, harness.services()).entry;
        QCOMPARE(entry.problem, problem);
        QCOMPARE(entry.snapshot->limits.first().percent, percent);
        QCOMPARE(harness.calls().renewals.size(), stored && stored->expiresAt ? 1 : 0);
        for (const QString& request : harness.client->requests())
            QVERIFY(request.startsWith(used + QLatin1Char(' ')));
    }

    void planAndSignInEndFollowTheCredential_data() {
        QTest::addColumn<bool>("serviceAnswers");
        QTest::addColumn<QString>("subscriptionType");
        QTest::addColumn<QString>("plan");
        QTest::newRow("success without a plan") << true << QString() << QString();
        QTest::newRow("failure with a plan") << false << "pro"
                                             << "Pro";
        QTest::newRow("failure without a plan keeps the old one") << false << QString() << "Max";
    }
    void planAndSignInEndFollowTheCredential() {
        QFETCH(bool, serviceAnswers);
        QFETCH(QString, subscriptionType);
        QFETCH(QString, plan);
        StoreHarness harness;
        const Account account = harness.addAccount(QStringLiteral(".claude-a"), QString());
        harness.setCredential(QStringLiteral(".claude-a"),
                              credential(token, std::nullopt,
                                         subscriptionType.isEmpty()
                                             ? std::nullopt
                                             : std::optional<QString>(subscriptionType)));
        harness.client->answer(token, usagePath,
                               serviceAnswers ? UsageClient::Result<QByteArray>(usageReply(1, 2))
                                              : Failure::http(500));
        const Snapshot snapshot =
            *Store::fetch(account, Entry{account, cached, {}}, false, harness.services())
                 .entry.snapshot;
        QCOMPARE(snapshot.plan.value_or(QString()), plan);
        QCOMPARE(snapshot.loginExpiresAt, Instant(9));
        QCOMPARE(snapshot.fetchedAt, serviceAnswers ? harness.clock.now() : cached.fetchedAt);
    }

    void profileIsAskedForEverySixHoursUntilItNamesASubscription_data() {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<double>("secondsLater");
        QTest::addColumn<int>("profileRequests");
        QTest::addColumn<Subscription>("subscription");
        const QByteArray active = profileReply(QStringLiteral("active"));
        const Subscription named{QStringLiteral("active"), std::nullopt};
        QTest::newRow("21,600 seconds") << active << 21600.0 << 1 << named;
        QTest::newRow("21,601 seconds") << active << 21601.0 << 2 << named;
        // The subscription known before is kept.
        QTest::newRow("none in the reply") << QByteArray("{}") << 0.0 << 2 << *cached.subscription;
    }
    void profileIsAskedForEverySixHoursUntilItNamesASubscription() {
        QFETCH(QByteArray, profile);
        QFETCH(double, secondsLater);
        QFETCH(int, profileRequests);
        QFETCH(Subscription, subscription);
        StoreHarness harness;
        const Account account = harness.addAccount(QStringLiteral(".claude-a"), token);
        QVERIFY(SnapshotCache::write(harness.cachePath, {Entry{account, cached, {}}}));
        harness.client->answer(token, usagePath, usageReply(1, 2));
        harness.client->answer(token, profilePath, profile);
        const auto store = harness.makeStore();
        for (const double later : {0.0, secondsLater}) {
            harness.clock.advance(later);
            QVERIFY(StoreHarness::refreshAndWait(*store));
            QCOMPARE(store->entries().first().snapshot->subscription, subscription);
        }
        QCOMPARE(harness.client->count(token, profilePath), profileRequests);
    }

    void theUpdateFeedIsAskedOnceADay() {
        StoreHarness harness;
        harness.addAccount(QStringLiteral(".claude-a"), token);
        const UpdateInfo announced{QStringLiteral("1.4"), 42,
                                   QUrl(QStringLiteral("https://spanwell.app/d"))};
        harness.updateReply = announced;
        const auto store = harness.makeStore();
        QSignalSpy updates(store.get(), &Store::updateChanged);
        QVERIFY(StoreHarness::refreshAndWait(*store));
        QCOMPARE(store->update(), announced);

        harness.updateReply = std::nullopt;
        for (const double later : {86400.0, 1.0}) {
            harness.clock.advance(later);
            QVERIFY(StoreHarness::refreshAndWait(*store));
        }
        QCOMPARE(harness.calls().updateChecks, 2);
        // A failed check counts as a check and leaves the earlier announcement in place.
        QCOMPARE(store->update(), announced);
        QCOMPARE(store->updateCheckedAt(), harness.clock.now());
        QCOMPARE(updates.size(), 1);
    }
};

QTEST_GUILESS_MAIN(StoreRefreshTest)
#include "StoreRefreshTest.moc"
