#include "store/PanelFigures.h"
#include "model/AccountStatus.h"
#include "store/Demo.h"

#include <QTest>

namespace {

const Instant now(800000000);

Entry entry(QList<LimitReading> limits, std::optional<FetchProblem> problem = std::nullopt) {
    return Entry{Account{QStringLiteral("/h/.claude-x"), {}, {}, {}, {}},
                 Snapshot{std::move(limits), {}, {}, {}, now}, std::move(problem)};
}

LimitReading session(double percent, std::optional<double> resetIn = std::nullopt) {
    return LimitReading{QStringLiteral("Session"), percent,
                        resetIn ? std::optional<Instant>(now + *resetIn) : std::nullopt};
}

} // namespace

class PanelFiguresTest : public QObject {
    Q_OBJECT

private slots:
    void averageSessionCountsSessionReadingsOnly() {
        QCOMPARE(PanelFigures::averageSession({}, now), std::nullopt);
        const Entry withoutSnapshot{Account{}, std::nullopt, FetchProblem::noCredential()};
        const Entry weekOnly = entry({LimitReading{QStringLiteral("Week"), 50, std::nullopt}});
        QCOMPARE(PanelFigures::averageSession({withoutSnapshot, weekOnly}, now), std::nullopt);

        const std::optional<double> average = PanelFigures::averageSession(
            {entry({session(42)}), entry({session(100)}, FetchProblem::signInExpired()),
             entry({session(64)}), weekOnly, withoutSnapshot},
            now);
        QVERIFY(average);
        QCOMPARE(*average, (42.0 + 100.0 + 64.0) / 3.0);
        // A limit whose reset has passed counts as unused.
        QCOMPARE(PanelFigures::averageSession({entry({session(80, 0)}), entry({session(40)})}, now),
                 20.0);
        // Only the first "Session" reading of an account counts; the title is case-sensitive.
        QCOMPARE(PanelFigures::averageSession(
                     {entry({LimitReading{QStringLiteral("session"), 90, std::nullopt}, session(10),
                             session(70)})},
                     now),
                 10.0);
    }

    void usableCountSkipsLapsedSignIns_data() {
        QTest::addColumn<Entry>("candidate");
        QTest::addColumn<int>("usable");
        QTest::newRow("room") << entry({session(10)}) << 1;
        QTest::newRow("failed refresh with room")
            << entry({session(10)}, FetchProblem::failed(QStringLiteral("x"))) << 1;
        QTest::newRow("lapsed sign-in") << entry({session(10)}, FetchProblem::signInExpired()) << 0;
        QTest::newRow("used up") << entry({session(100)}) << 0;
        QTest::newRow("scoped limit used up")
            << entry({session(10), LimitReading{QStringLiteral("Week, Opus"), 100, std::nullopt}})
            << 1;
        QTest::newRow("no readings") << entry({}) << 0;
        QTest::newRow("no snapshot") << Entry{Account{}, std::nullopt, std::nullopt} << 0;
    }
    void usableCountSkipsLapsedSignIns() {
        QFETCH(Entry, candidate);
        QFETCH(int, usable);
        QCOMPARE(PanelFigures::usableCount({candidate}, now), usable);
    }

    void demoStoreShowsFourAccounts() {
        const Calendar calendar{QTimeZone("Europe/Berlin")};
        const auto store = Demo::store(now, QStringLiteral("/home/maya"), calendar);
        const QList<Entry>& entries = store->entries();
        QVERIFY(store->isDemo());
        QCOMPARE(PanelFigures::usableCount(entries, now), 3);
        QCOMPARE(PanelFigures::averageSession(entries, now), 51.5);

        QStringList folders;
        QList<double> renewals;
        for (const Entry& demo : entries) {
            folders.append(demo.account.configDir);
            QCOMPARE(demo.account.keychainService, QStringLiteral("demo"));
            QVERIFY(!demo.problem);
            QCOMPARE(demo.snapshot->fetchedAt, now);
            renewals.append(*demo.snapshot->subscription->estimatedRenewal(now, calendar) - now);
        }
        QCOMPARE(folders, QStringList({"/home/maya/.claude", "/home/maya/.claude-work",
                                       "/home/maya/.claude-client", "/home/maya/.claude-side"}));
        QCOMPARE(renewals, QList<double>({691200, 1641600, 259200, 2073600}));
        QCOMPARE(AccountStatus::make(entries[2].snapshot->limits, now).level,
                 AccountStatus::Level::partial);
        QCOMPARE(entries[3].snapshot->limits.first().resetsAt, std::nullopt);
    }
};

QTEST_GUILESS_MAIN(PanelFiguresTest)
#include "PanelFiguresTest.moc"
