#include "StoreHarness.h"
#include "store/SnapshotCache.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using Failure = std::optional<UsageClient::Failure>;
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

void fetchRow(const char* name, Stored stored, Failure failure, Problem problem,
              const char* plan = "Max", const char* renewedToken = "") {
    QTest::newRow(name) << stored << QString::fromUtf8(renewedToken) << failure << problem
                        << QString::fromUtf8(plan);
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
    // it and be missing for five minutes: one more refresh follows, however often asked for.
    // Both accounts are read side by side; the one hidden meanwhile leaves no row.
    void whatChangesDuringARefreshIsKept_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("tracked");
        QTest::newRow("tracking resumed") << "resume" << QStringList{"~/.claude-a", "~/.claude-b"};
        QTest::newRow("signed in") << "sign in" << QStringList{"~/.claude-b", "~/.claude-c"};
        QTest::newRow("hidden") << "hide" << QStringList{"~/.claude-b"};
    }
    void whatChangesDuringARefreshIsKept() {
        QFETCH(QString, change);
        QFETCH(QStringList, tracked);
        StoreHarness harness;
        const Account a = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        harness.addAccount(QStringLiteral(".claude-b"), QStringLiteral("b"));
        const auto store = harness.makeStore();
        const bool hiding = change == QLatin1String("hide");
        if (!hiding)
            store->stopTracking(a);
        QSignalSpy finished(store.get(), &Store::refreshFinished);
        harness.closeCredentialGate();
        QVERIFY(store->refresh());
        QTRY_COMPARE(harness.waitingAtGate(), hiding ? 2 : 1);
        if (hiding) {
            store->stopTracking(a);
        } else {
            if (change == QLatin1String("resume"))
                store->resumeTracking(a);
            else
                harness.addAccount(QStringLiteral(".claude-c"), QStringLiteral("c"));
            QVERIFY(store->refresh());
            store->refreshIfStale();
        }
        harness.openCredentialGate();
        QTRY_COMPARE(finished.size(), hiding ? 1 : 2);
        QTest::qWait(50);
        QCOMPARE(finished.size(), hiding ? 1 : 2);
        QCOMPARE(harness.folders(store->entries()), tracked);
    }

    // One account's refresh against the figures it had: its credential, the renewal of a
    // lapsed sign-in, the service's answer, and the plan, which follows the credential.
    void fetchTurnsEachOutcomeIntoAnEntry_data() {
        QTest::addColumn<Stored>("stored");
        QTest::addColumn<QString>("renewedToken");
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<Problem>("problem");
        QTest::addColumn<QString>("plan");
        const Instant now = ManualClock().now();
        const auto failed = [](const char* message) {
            return Problem(FetchProblem::failed(QString::fromUtf8(message)));
        };
        fetchRow("no credential", {}, {}, FetchProblem::noCredential());
        fetchRow("lapsed, renewal fails", credential(token, now), {},
                 FetchProblem::signInExpired());
        // Without a plan in the credential, the new figures have none.
        fetchRow("lapsed, renewed", credential(token, now - 1), {}, {}, "", "new");
        fetchRow("rate limited, a plan in the credential",
                 credential(token, {}, QStringLiteral("pro")), UsageClient::Failure::http(429),
                 failed("Anthropic is rate limiting usage checks. Will retry."), "Pro");
        fetchRow("unavailable", credential(token), UsageClient::Failure::http(503),
                 failed("Anthropic returned error 503."));
        fetchRow("refused", credential(token), UsageClient::Failure::unauthorized(),
                 FetchProblem::signInExpired());
        fetchRow("transport", credential(token),
                 UsageClient::Failure::transport(QStringLiteral("Host unreachable")),
                 failed("Host unreachable"));
    }
    void fetchTurnsEachOutcomeIntoAnEntry() {
        QFETCH(Stored, stored);
        QFETCH(QString, renewedToken);
        QFETCH(Failure, failure);
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

    // Asked for with every refresh until it names a subscription, then every six hours; one
    // that names none keeps the subscription known before.
    void theProfileIsAskedForEverySixHoursOnceItNamesASubscription() {
        StoreHarness harness;
        const Account account = harness.addAccount(QStringLiteral(".claude-a"), token);
        QVERIFY(SnapshotCache::write(harness.cachePath, {Entry{account, cached, {}}}));
        const QString profilePath = QStringLiteral("/api/oauth/profile");
        harness.client->answer(token, usagePath, usageReply(1, 2));
        harness.client->answer(token, profilePath, QByteArray("{}"));
        const auto store = harness.makeStore();
        const QByteArray active = R"({"organization":{"subscription_status":"active"}})";
        struct Step {
            double later;
            int requests;
            std::optional<Instant> createdAt;
        };
        for (const Step& step : QList<Step>{{0, 1, Instant(1000)},
                                            {0, 2, std::nullopt},
                                            {21600, 2, std::nullopt},
                                            {1, 3, std::nullopt}}) {
            harness.clock.advance(step.later);
            QVERIFY(StoreHarness::refreshAndWait(*store));
            QCOMPARE(harness.client->count(token, profilePath), step.requests);
            QCOMPARE(store->entries().first().snapshot->subscription,
                     Subscription({QStringLiteral("active"), step.createdAt}));
            harness.client->answer(token, profilePath, active);
        }
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
