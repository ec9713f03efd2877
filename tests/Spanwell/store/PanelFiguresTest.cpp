#include "store/PanelFigures.h"

#include <QTest>

namespace {

const Instant now(800000000);

Entry entry(QList<LimitReading> limits, std::optional<FetchProblem> problem = std::nullopt) {
    return Entry{Account{}, Snapshot{std::move(limits), {}, {}, {}, now}, std::move(problem)};
}

LimitReading reading(const char* title, double percent, std::optional<double> resetIn = {}) {
    return LimitReading{QString::fromUtf8(title), percent,
                        resetIn ? std::optional<Instant>(now + *resetIn) : std::nullopt};
}

} // namespace

class PanelFiguresTest : public QObject {
    Q_OBJECT

private slots:
    void averageSessionCountsSessionReadingsOnly() {
        const Entry withoutSnapshot{Account{}, std::nullopt, FetchProblem::noCredential()};
        const Entry weekOnly = entry({reading("Week", 50)});
        QCOMPARE(PanelFigures::averageSession({withoutSnapshot, weekOnly}, now), std::nullopt);
        // A lapsed sign-in still counts; a limit whose reset has passed counts as unused; only
        // the first "Session" reading of an account counts, and the title is case-sensitive.
        QCOMPARE(
            PanelFigures::averageSession(
                {entry({reading("Session", 42)}, FetchProblem::signInExpired()),
                 entry({reading("Session", 90, 0)}), weekOnly, withoutSnapshot,
                 entry({reading("session", 90), reading("Session", 36), reading("Session", 70)})},
                now),
            26.0);
    }

    // Room counts, also after a failed refresh; a lapsed sign-in or no figures do not.
    void usableCountSkipsLapsedSignIns() {
        const QList<LimitReading> room{reading("Session", 10)};
        QCOMPARE(PanelFigures::usableCount({entry(room),
                                            entry(room, FetchProblem::failed(QStringLiteral("x"))),
                                            entry(room, FetchProblem::signInExpired()),
                                            Entry{Account{}, std::nullopt, std::nullopt}},
                                           now),
                 2);
    }
};

QTEST_GUILESS_MAIN(PanelFiguresTest)
#include "PanelFiguresTest.moc"
