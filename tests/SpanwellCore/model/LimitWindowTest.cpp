#include "model/LimitWindow.h"
#include "model/Pace.h"

#include <QPointF>
#include <QTest>

// Seconds, or none.
using S = std::optional<double>;
Q_DECLARE_METATYPE(S)

class LimitWindowTest : public QObject {
    Q_OBJECT

private slots:
    // Seconds to the reset, the share of the window gone, and the seconds until the limit runs
    // out at its pace. A session half gone has 9000 seconds behind it and 9000 ahead.
    void shareGoneAndPace_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<double>("percent");
        QTest::addColumn<S>("resetIn");
        QTest::addColumn<S>("share");
        QTest::addColumn<S>("runsOutIn");
        const S none;
        QTest::newRow("just started") << "Session" << 90.0 << S(18000) << S(0) << none;
        QTest::newRow("ahead") << "Session" << 60.0 << S(9000) << S(0.5) << S(6000);
        QTest::newRow("exactly on pace") << "Session" << 50.0 << S(9000) << S(0.5) << none;
        QTest::newRow("0 %") << "Session" << 0.0 << S(9000) << S(0.5) << none;
        QTest::newRow("100 %") << "Session" << 100.0 << S(9000) << S(0.5) << none;
        QTest::newRow("10 % gone") << "Session" << 20.0 << S(16200) << S(0.1) << S(7200);
        QTest::newRow("under 10 % gone") << "Session" << 20.0 << S(16201) << S(0.09994) << none;
        QTest::newRow("reset in the past") << "Session" << 90.0 << S(-60) << S(1) << none;
        QTest::newRow("beyond a window") << "Week" << 50.0 << S(691200) << S(0) << none;
        QTest::newRow("scoped week") << "Week, Opus" << 90.0 << S(302400) << S(0.5) << S(33600);
        QTest::newRow("no reset") << "Session" << 90.0 << none << none << none;
        QTest::newRow("not a week") << "Weekend" << 90.0 << S(3600) << none << none;
    }
    void shareGoneAndPace() {
        QFETCH(QString, title);
        QFETCH(double, percent);
        QFETCH(S, resetIn);
        QFETCH(S, share);
        QFETCH(S, runsOutIn);
        const Instant now(800000000);
        const LimitReading limit{title, percent,
                                 resetIn ? std::optional(now + *resetIn) : std::nullopt};
        const S shareGone = LimitWindow::elapsedShare(limit, now);
        QCOMPARE(shareGone.has_value(), share.has_value());
        if (share)
            QVERIFY(std::abs(*shareGone - *share) < 1e-4);
        const std::optional<Instant> runsOut = Pace::runsOutAt(limit, now);
        QCOMPARE(runsOut ? S(*runsOut - now) : S(), runsOutIn);
    }

    // A session at `percent`, `resetIn` seconds from its reset, with readings kept (seconds
    // ago, percent): the seconds until it runs out at the pace of the last hour or so.
    void paceOfTheLastHour_data() {
        QTest::addColumn<double>("percent");
        QTest::addColumn<double>("resetIn");
        QTest::addColumn<QList<QPointF>>("kept");
        QTest::addColumn<S>("runsOutIn");
        // The straight line from the window's start says 6000 for 60 % half way.
        QTest::newRow("a rising hour") << 60.0 << 9000.0 << QList<QPointF>{{3600, 40}} << S(7200);
        QTest::newRow("a flat hour") << 60.0 << 9000.0 << QList<QPointF>{{3600, 60}} << S();
        QTest::newRow("use that fell") << 60.0 << 9000.0 << QList<QPointF>{{3600, 70}} << S();
        QTest::newRow("slower than the line, past the reset")
            << 60.0 << 9000.0 << QList<QPointF>{{3600, 59}} << S();
        QTest::newRow("sparse: from the newest an hour old or more")
            << 60.0 << 9000.0 << QList<QPointF>{{8000, 30}, {4000, 40}, {1800, 55}} << S(8000);
        QTest::newRow("less than an hour of readings")
            << 60.0 << 9000.0 << QList<QPointF>{{3000, 10}} << S(6000);
        // The window began 1800 seconds ago; readings before it belong to the last one.
        QTest::newRow("a reset inside the last hour")
            << 20.0 << 16200.0 << QList<QPointF>{{5400, 90}, {3600, 95}} << S(7200);
    }
    void paceOfTheLastHour() {
        QFETCH(double, percent);
        QFETCH(double, resetIn);
        QFETCH(QList<QPointF>, kept);
        QFETCH(S, runsOutIn);
        const Instant now(800000000);
        QList<UsePoint> history;
        for (const QPointF& point : kept)
            history.append({now - point.x(), point.y()});
        const std::optional<Instant> runsOut =
            Pace::runsOutAt({"Session", percent, now + resetIn}, now, history);
        QCOMPARE(runsOut ? S(*runsOut - now) : S(), runsOutIn);
    }
};

QTEST_GUILESS_MAIN(LimitWindowTest)
#include "LimitWindowTest.moc"
