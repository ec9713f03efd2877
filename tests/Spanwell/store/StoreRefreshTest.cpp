#include "StoreHarness.h"
#include "store/SnapshotCache.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using Failure = UsageClient::Failure;
using Problem = std::optional<FetchProblem>;
using Stored = std::optional<Credential>;

namespace {

const QString usagePath = QStringLiteral("/api/oauth/usage");
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
    // One refresh and one timer however often the store is started, a stale check that waits
    // a minute, and never a file read on the interface thread.
    void refreshesOnStartOnTimeAndWhenStale() {
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

        harness.clock.advance(59);
        store->refreshIfStale();
        QVERIFY(!store->isRefreshing());
        harness.clock.advance(1);
        store->refreshIfStale();
        QVERIFY(store->isRefreshing());
        QVERIFY(finished.wait(5000));
        QCOMPARE(harness.fileSystem.callsOnInterfaceThread(), 0);
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

    // One account's refresh against the figures it had: its credential, the renewal of a
    // lapsed sign-in, the service's answer, and the plan, which follows the credential.
    void fetchTurnsEachOutcomeIntoAnEntry_data() {
        QTest::addColumn<Stored>("stored");
        QTest::addColumn<QString>("renewedToken");
        QTest::addColumn<std::optional<Failure>>("failure");
        QTest::addColumn<Problem>("problem");
        QTest::addColumn<QString>("plan");
        const Instant now = ManualClock().now();
        const std::optional<Failure> none;
        const auto failed = [](const char* message) {
            return Problem(FetchProblem::failed(QString::fromUtf8(message)));
        };
        QTest::newRow("no credential")
            << Stored() << QString() << none << Problem(FetchProblem::noCredential()) << "Max";
        QTest::newRow("lapsed, renewal fails")
            << Stored(credential(token, now)) << QString() << none
            << Problem(FetchProblem::signInExpired()) << "Max";
        // Without a plan in the credential, the new figures have none.
        QTest::newRow("lapsed, renewed")
            << Stored(credential(token, now - 1)) << "new" << none << Problem() << QString();
        QTest::newRow("rate limited, a plan in the credential")
            << Stored(credential(token, {}, QStringLiteral("pro"))) << QString()
            << std::optional(Failure::http(429))
            << failed("Anthropic is rate limiting usage checks. Will retry.") << "Pro";
        QTest::newRow("unavailable")
            << Stored(credential(token)) << QString() << std::optional(Failure::http(503))
            << failed("Anthropic returned error 503.") << "Max";
        QTest::newRow("refused") << Stored(credential(token)) << QString()
                                 << std::optional(Failure::unauthorized())
                                 << Problem(FetchProblem::signInExpired()) << "Max";
        QTest::newRow("transport") << Stored(credential(token)) << QString()
                                   << std::optional(Failure::transport("Host unreachable"))
                                   << failed("Host unreachable") << "Max";
    }
    void fetchTurnsEachOutcomeIntoAnEntry() {
        QFETCH(Stored, stored);
        QFETCH(QString, renewedToken);
        QFETCH(std::optional<Failure>, failure);
        QFETCH(Problem, problem);
        QFETCH(QString, plan);
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
        // New figures only from an answer; the sign-in's end follows any credential.
        QCOMPARE(entry.snapshot->limits.first().percent, problem ? 77.0 : 5.0);
        QCOMPARE(entry.snapshot->fetchedAt, problem ? cached.fetchedAt : harness.clock.now());
        QCOMPARE(entry.snapshot->plan.value_or(QString()), plan);
        QCOMPARE(entry.snapshot->loginExpiresAt, stored ? Instant(9) : *cached.loginExpiresAt);
        // Renewed once and only when lapsed; the old token is not used after it.
        QCOMPARE(harness.renewals, stored && stored->expiresAt ? 1 : 0);
        for (const QString& request : harness.client->requests())
            QVERIFY(request.startsWith(used + QLatin1Char(' ')));
    }

    void profileIsAskedForEverySixHoursUntilItNamesASubscription_data() {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<double>("secondsLater");
        QTest::addColumn<int>("profileRequests");
        QTest::addColumn<Subscription>("subscription");
        const QByteArray active = R"({"organization":{"subscription_status":"active"}})";
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
        const QString profilePath = QStringLiteral("/api/oauth/profile");
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
        harness.updateReply = std::nullopt;
        for (const double later : {86400.0, 1.0}) {
            harness.clock.advance(later);
            QVERIFY(StoreHarness::refreshAndWait(*store));
        }
        QCOMPARE(harness.updateChecks, 2);
        // A failed check counts as a check and leaves the earlier announcement in place.
        QCOMPARE(store->update(), announced);
        QCOMPARE(store->updateCheckedAt(), harness.clock.now());
        QCOMPARE(updates.size(), 1);
    }
};

QTEST_GUILESS_MAIN(StoreRefreshTest)
#include "StoreRefreshTest.moc"
