#include "StoreHarness.h"
#include "store/SnapshotCache.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

const QString usagePath = QStringLiteral("/api/oauth/usage");
const QString profilePath = QStringLiteral("/api/oauth/profile");

const QString token = QStringLiteral("token-a");
const Snapshot cached{{LimitReading{QStringLiteral("Session"), 77, std::nullopt}},
                      QStringLiteral("Max"),
                      Subscription{QStringLiteral("active"), Instant(1000)},
                      Instant(5),
                      Instant(700000000)};

// The one account ".claude-a" whose credential holds `credentialToken` (none when empty), with
// the snapshot `cached` in the cache when asked.
Account addAccount(StoreHarness& harness, bool withCache = false,
                   const QString& credentialToken = token,
                   std::optional<Instant> expiresAt = std::nullopt) {
    const Account account =
        harness.addAccount(QStringLiteral(".claude-a"), credentialToken, expiresAt);
    if (withCache && !SnapshotCache::write(harness.cachePath, {Entry{account, cached, {}}}))
        qFatal("The cache could not be written");
    return account;
}

} // namespace

class StoreRefreshTest : public QObject {
    Q_OBJECT

private slots:
    void startRefreshesOnceAndKeepsOneTimer() {
        StoreHarness harness;
        addAccount(harness);
        harness.client->answer(token, usagePath, usageReply(10, 20));
        const auto store = harness.makeStore();
        QSignalSpy finished(store.get(), &Store::refreshFinished);

        store->start();
        store->start();
        QVERIFY(finished.wait(5000));
        QTest::qWait(50);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(harness.client->count(token, usagePath), 1);

        const QList<QTimer*> timers = store->findChildren<QTimer*>();
        QCOMPARE(timers.size(), 1);
        QCOMPARE(timers.first()->interval(), 300 * 1000);
        QVERIFY(timers.first()->isActive());
        QVERIFY(QMetaObject::invokeMethod(timers.first(), "timeout"));
        QVERIFY(finished.wait(5000));
        QCOMPARE(harness.client->count(token, usagePath), 2);
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
        addAccount(harness);
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
        QVERIFY(!store->isRefreshing());
        QStringList folders;
        for (const Entry& entry : store->entries())
            folders.append(entry.account.folderLabel(harness.home.path()));
        QCOMPARE(folders, tracked);
    }

    void missingCredentialKeepsTheCachedSnapshot() {
        StoreHarness harness;
        addAccount(harness, true, QString());
        const auto store = harness.makeStore();
        QCOMPARE(store->entries().first().snapshot, cached);

        QVERIFY(StoreHarness::refreshAndWait(*store));
        const Entry entry = store->entries().first();
        QCOMPARE(entry.problem, FetchProblem::noCredential());
        QCOMPARE(entry.snapshot, cached);
        QVERIFY(harness.client->requests().isEmpty());
        QCOMPARE(harness.calls().credentialTimeouts, QList<double>({8.0}));
        QCOMPARE(harness.fileSystem.callsOnInterfaceThread(), 0);
    }

    void expiredSignInIsRenewedOnceThenReported() {
        StoreHarness harness;
        const Account account = addAccount(harness, true, token, harness.clock.now());
        const auto store = harness.makeStore();

        QVERIFY(StoreHarness::refreshAndWait(*store));
        const StoreHarness::Calls calls = harness.calls();
        QCOMPARE(calls.renewals, QStringList({account.configDir}));
        QCOMPARE(calls.renewalTimeouts, QList<double>({30.0}));
        QCOMPARE(calls.credentialReads.size(), 2);
        QCOMPARE(calls.credentialTimeouts, QList<double>({8.0, 8.0}));
        const Entry entry = store->entries().first();
        QCOMPARE(entry.problem, FetchProblem::signInExpired());
        // The old figures stay; the plan is kept and the login expiry follows the credential.
        QCOMPARE(entry.snapshot->limits, cached.limits);
        QCOMPARE(entry.snapshot->plan, cached.plan);
        QCOMPARE(entry.snapshot->loginExpiresAt, std::nullopt);
        QVERIFY(harness.client->requests().isEmpty());
    }

    void aRenewedCredentialIsUsed() {
        StoreHarness harness;
        addAccount(harness, false, token, harness.clock.now() - 1);
        harness.onRenewal = [&harness] {
            harness.setCredential(QStringLiteral(".claude-a"),
                                  Credential{QStringLiteral("new"), harness.clock.now() + 3600,
                                             std::nullopt, std::nullopt, std::nullopt});
        };
        harness.client->answer(QStringLiteral("new"), usagePath, usageReply(5, 6));
        const auto store = harness.makeStore();
        QVERIFY(StoreHarness::refreshAndWait(*store));
        QCOMPARE(store->entries().first().problem, std::nullopt);
        QCOMPARE(store->entries().first().snapshot->limits.first().percent, 5.0);
        const QList<ScriptedUsageClient::Request> requests = harness.client->requests();
        QVERIFY(!requests.isEmpty());
        for (const ScriptedUsageClient::Request& request : requests)
            QCOMPARE(request.token, QStringLiteral("new"));
    }

    void serviceFailuresBecomeProblems_data() {
        using Failure = UsageClient::Failure;
        // Optional only because a failure has no default to fill a table cell with.
        QTest::addColumn<std::optional<Failure>>("failure");
        QTest::addColumn<FetchProblem>("problem");
        QTest::newRow("rate limited")
            << std::optional(Failure::http(429))
            << FetchProblem::failed(
                   QStringLiteral("Anthropic is rate limiting usage checks. Will retry."));
        QTest::newRow("unavailable")
            << std::optional(Failure::http(503))
            << FetchProblem::failed(QStringLiteral("Anthropic returned error 503."));
        QTest::newRow("refused") << std::optional(Failure::unauthorized())
                                 << FetchProblem::signInExpired();
        QTest::newRow("transport")
            << std::optional(Failure::transport(QStringLiteral("Host unreachable")))
            << FetchProblem::failed(QStringLiteral("Host unreachable"));
    }
    void serviceFailuresBecomeProblems() {
        QFETCH(std::optional<UsageClient::Failure>, failure);
        QFETCH(FetchProblem, problem);
        StoreHarness harness;
        addAccount(harness);
        harness.client->answer(token, usagePath, *failure);
        const auto store = harness.makeStore();
        QVERIFY(StoreHarness::refreshAndWait(*store));
        QCOMPARE(store->entries().first().problem, problem);
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
        addAccount(harness, true);
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

    void planFollowsTheCredential_data() {
        QTest::addColumn<bool>("serviceAnswers");
        QTest::addColumn<QString>("subscriptionType");
        QTest::addColumn<QString>("plan");
        QTest::newRow("success with a plan") << true << "pro"
                                             << "Pro";
        QTest::newRow("success without a plan") << true << QString() << QString();
        QTest::newRow("failure with a plan") << false << "pro"
                                             << "Pro";
        QTest::newRow("failure without a plan keeps the old one") << false << QString() << "Max";
    }
    void planFollowsTheCredential() {
        QFETCH(bool, serviceAnswers);
        QFETCH(QString, subscriptionType);
        QFETCH(QString, plan);
        StoreHarness harness;
        addAccount(harness, true);
        harness.setCredential(QStringLiteral(".claude-a"),
                              Credential{token, std::nullopt, Instant(9),
                                         subscriptionType.isEmpty()
                                             ? std::nullopt
                                             : std::optional<QString>(subscriptionType),
                                         std::nullopt});
        harness.client->answer(token, usagePath,
                               serviceAnswers ? UsageClient::Result<QByteArray>(usageReply(1, 2))
                                              : UsageClient::Failure::http(500));
        const auto store = harness.makeStore();
        QVERIFY(StoreHarness::refreshAndWait(*store));
        const Snapshot snapshot = *store->entries().first().snapshot;
        QCOMPARE(snapshot.plan.value_or(QString()), plan);
        QCOMPARE(snapshot.loginExpiresAt, Instant(9));
        QCOMPARE(snapshot.fetchedAt, serviceAnswers ? harness.clock.now() : cached.fetchedAt);
    }

    void entriesFollowDiscoveryOrder() {
        StoreHarness harness;
        for (const char* name : {".claude-c", ".claude", ".claude-a"}) {
            const QString folder = QString::fromLatin1(name);
            harness.addAccount(folder, folder);
            harness.client->answer(folder, usagePath, usageReply(folder.size(), 0));
        }
        const auto store = harness.makeStore();
        QVERIFY(StoreHarness::refreshAndWait(*store));
        QStringList folders;
        for (const Entry& entry : store->entries())
            folders.append(entry.account.folderLabel(harness.home.path()));
        QCOMPARE(folders, QStringList({"~/.claude", "~/.claude-a", "~/.claude-c"}));
        for (const Entry& entry : store->entries())
            QVERIFY(!entry.problem);
    }

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
        QCOMPARE(store->entries().size(), 1);
        QCOMPARE(store->entries().first().account.folderLabel(harness.home.path()),
                 QStringLiteral("~/.claude-b"));
        QCOMPARE(store->hiddenAccounts(), QList<Account>({first}));
    }

    void theUpdateFeedIsAskedOnceADay() {
        StoreHarness harness;
        harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        const UpdateInfo announced{QStringLiteral("1.4"), 42,
                                   QUrl(QStringLiteral("https://spanwell.app/d"))};
        harness.updateReply = announced;
        const auto store = harness.makeStore();
        QSignalSpy updates(store.get(), &Store::updateChanged);

        QVERIFY(StoreHarness::refreshAndWait(*store));
        QCOMPARE(store->update(), announced);
        QCOMPARE(store->updateCheckedAt(), harness.clock.now());

        harness.updateReply = std::nullopt;
        harness.clock.advance(86400);
        QVERIFY(StoreHarness::refreshAndWait(*store));
        QCOMPARE(harness.calls().updateChecks, 1);
        harness.clock.advance(1);
        QVERIFY(StoreHarness::refreshAndWait(*store));
        QCOMPARE(harness.calls().updateChecks, 2);
        // A failed check counts as a check and leaves the earlier announcement in place.
        QCOMPARE(store->update(), announced);
        QCOMPARE(store->updateCheckedAt(), harness.clock.now());
        QCOMPARE(updates.size(), 1);
    }
};

QTEST_GUILESS_MAIN(StoreRefreshTest)
#include "StoreRefreshTest.moc"
