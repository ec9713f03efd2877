#include "StoreHarness.h"
#include "service/HttpFetch.h"
#include "store/SnapshotCache.h"
#include "support/LoopbackHttpServer.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using Failure = std::optional<UsageClient::Failure>;
using Problem = std::optional<FetchProblem>;
using Stored = std::optional<Credential>;
using Answer = LoopbackHttpServer::Answer;

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
    // One refresh and one timer however often the store is started, and never a file read on
    // the interface thread.
    void refreshesOnStartOnTimeAndWhenStale() {
        StoreHarness harness;
        harness.addAccount(QStringLiteral(".claude-a"), token);
        const auto store = harness.makeStore();
        QSignalSpy finished(store.get(), &Store::refreshFinished);
        store->start();
        store->start();
        QVERIFY(finished.wait(5000));
        // A second refresh would start as the first ends.
        QVERIFY(!store->isRefreshing());
        const QList<QTimer*> timers = store->findChildren<QTimer*>();
        QCOMPARE(timers.size(), 1);
        QVERIFY(QMetaObject::invokeMethod(timers.first(), "timeout"));
        QVERIFY(finished.wait(5000));
        QCOMPARE(harness.client->count(token, usagePath), 2);
        QCOMPARE(harness.fileSystem.callsOnInterfaceThread(), 0);
    }

    // An account brought back (or newly signed in, which asks for a refresh the same way)
    // while a refresh runs would otherwise miss it and be missing for five minutes: one more
    // refresh follows, however often asked for. Both accounts are read side by side; the one
    // hidden meanwhile leaves no row.
    void whatChangesDuringARefreshIsKept_data() {
        QTest::addColumn<bool>("hiding");
        QTest::addColumn<QStringList>("tracked");
        QTest::newRow("tracking resumed") << false << QStringList{"~/.claude-a", "~/.claude-b"};
        QTest::newRow("hidden") << true << QStringList{"~/.claude-b"};
    }
    void whatChangesDuringARefreshIsKept() {
        QFETCH(bool, hiding);
        QFETCH(QStringList, tracked);
        StoreHarness harness;
        const Account a = harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a"));
        harness.addAccount(QStringLiteral(".claude-b"), QStringLiteral("b"));
        const auto store = harness.makeStore();
        if (!hiding)
            store->stopTracking(a);
        QSignalSpy finished(store.get(), &Store::refreshFinished);
        harness.closeCredentialGate();
        QVERIFY(store->refresh());
        QTRY_COMPARE(harness.waitingAtGate(), hiding ? 2 : 1);
        if (hiding) {
            store->stopTracking(a);
        } else {
            store->resumeTracking(a);
            QVERIFY(store->refresh());
            store->refreshIfStale();
        }
        harness.openCredentialGate();
        QTRY_COMPARE(finished.size(), hiding ? 1 : 2);
        QVERIFY(!store->isRefreshing());
        QStringList folders;
        for (const Entry& entry : store->entries())
            folders.append(entry.account.folderLabel(harness.home.path()));
        QCOMPARE(folders, tracked);
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
                 FetchProblem::rateLimited(now + 300, 300), "Pro");
        fetchRow("unavailable", credential(token), UsageClient::Failure::http(503),
                 failed("Anthropic returned error 503."));
        // A refused token may only have lapsed, whatever its credential says: the sign-in is
        // renewed and the new token tried once; a second refusal, or no new token, is final.
        fetchRow("refused, renewed", credential(token), {}, {}, "", "new");
        fetchRow("refused twice", credential(token), UsageClient::Failure::unauthorized(),
                 FetchProblem::signInExpired(), "Max", "new");
        fetchRow("refused, no new token", credential(token), UsageClient::Failure::unauthorized(),
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
        harness.client->answer(token, usagePath, UsageClient::Failure::unauthorized());
        if (failure)
            harness.client->answer(used, usagePath, *failure);
        else
            harness.client->answer(used, usagePath, usageReply(5, 6));
        harness.client->answer(used, QStringLiteral("/api/oauth/profile"), QByteArray("{}"));

        const Entry entry =
            Store::fetch(account, Entry{account, cached, {}}, true, harness.services()).entry;
        QCOMPARE(entry.problem, problem);
        // New figures only from an answer; the sign-in's end follows any credential.
        QCOMPARE(entry.snapshot->limits.first().percent, problem ? 77.0 : 5.0);
        QCOMPARE(entry.snapshot->fetchedAt, problem ? cached.fetchedAt : harness.clock.now());
        QCOMPARE(entry.snapshot->plan.value_or(QString()), plan);
        QCOMPARE(entry.snapshot->loginExpiresAt, stored ? Instant(9) : *cached.loginExpiresAt);
        // A profile that names no subscription keeps the one known before.
        QCOMPARE(entry.snapshot->subscription, cached.subscription);
        // Renewed once, when lapsed or refused; the old token is not used after it.
        const bool refused = stored && !stored->expiresAt && used != token;
        QCOMPARE(harness.renewals, stored && (stored->expiresAt || refused ||
                                              failure == UsageClient::Failure::unauthorized()));
        for (const QString& request : harness.client->requests().mid(refused))
            QVERIFY(request.startsWith(used + QLatin1Char(' ')));
    }

    // A 429 pauses the account's usage requests until the time it names, else for 5 minutes,
    // then 10, …; the last figures stay, and a success ends the pause.
    void aRateLimitPausesTheAccount() {
        StoreHarness harness;
        const Account account = harness.addAccount(QStringLiteral(".claude-a"), token);
        LoopbackHttpServer server;
        StoreServices services = harness.services();
        services.client = std::make_shared<UsageClient>(HttpFetch::get, server.origin());
        Entry entry{account, cached, {}};
        const Answer limited = Answer::of(429);
        const Answer figures = Answer::of(200, usageReply(5, 6));
        // Seconds later, the answer, the requests so far, the pause.
        const std::tuple<double, Answer, int, double> steps[] = {
            {0, limited.withHeader("Retry-After", "3600"), 1, 3600},
            {3599, figures, 1, 3600},
            {1, figures, 2, 0},
            {0, limited, 3, 300},
            {299, limited, 3, 300},
            {1, limited, 4, 600},
            // A wait of months is cut to a day.
            {600, limited.withHeader("Retry-After", "9999999"), 5, 86400}};
        for (const auto& [after, answer, requests, pause] : steps) {
            harness.clock.advance(after);
            server.answer(usagePath.toLatin1(), answer);
            entry = Store::fetch(account, entry, false, services).entry;
            QCOMPARE(server.requests().size(), requests);
            QCOMPARE(entry.problem ? entry.problem->pauseSeconds() : 0, pause);
            QCOMPARE(entry.snapshot->limits.first().percent, requests < 2 ? 77 : 5);
        }
    }

    // Another run's pause, found in the cache, holds for the tray program's refresh too.
    void aPauseAnotherRunMetHolds() {
        StoreHarness harness;
        const Account account = harness.addAccount(QStringLiteral(".claude-a"), token);
        const auto store = harness.makeStore();
        const FetchProblem limited = FetchProblem::rateLimited(harness.clock.now() + 60, 60);
        QVERIFY(SnapshotCache::write(harness.cachePath, harness.home.path(),
                                     {Entry{account, cached, limited}}, harness.clock.reader()));
        QVERIFY(StoreHarness::refreshAndWait(*store));
        QCOMPARE(harness.client->requests(), QStringList());
    }
};

QTEST_GUILESS_MAIN(StoreRefreshTest)
#include "StoreRefreshTest.moc"
