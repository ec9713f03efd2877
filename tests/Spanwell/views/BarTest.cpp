#include "views/Bar.h"
#include "views/WeekChart.h"

#include <QTest>

#include <limits>

class BarTest : public QObject {
    Q_OBJECT

private slots:
    void fillWidthFollowsUse_data() {
        QTest::addColumn<double>("available");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<double>("width");
        QTest::newRow("not a number shows no use")
            << 100.0 << std::numeric_limits<double>::quiet_NaN() << 0.0;
        QTest::newRow("tiny use shows a dot") << 100.0 << 0.001 << 5.0;
        QTest::newRow("half") << 100.0 << 0.5 << 50.0;
        QTest::newRow("over full stays on the track") << 100.0 << 2.5 << 100.0;
        QTest::newRow("track narrower than a dot") << 3.0 << 0.5 << 3.0;
    }
    void fillWidthFollowsUse() {
        QFETCH(double, available);
        QFETCH(double, fraction);
        QFETCH(double, width);
        QCOMPARE(Bar::fillWidth(available, fraction), width);
    }

    // The week's chart across a box 700 wide and 100 high, a day every 100: a rise drawn as it
    // went, a reset straight down where it was seen, use above 100 % at the top, and a reading
    // from before the week at its left edge.
    void weekChartDrawsResetsAsDrops() {
        const Instant now(800000000);
        const QList<UsePoint> points{
            {now - 8 * 86400, 50}, {now - 3 * 86400, 20}, {now - 2 * 86400, 120}, {now, 0}};
        QCOMPARE(
            WeekChart::outline(points, now, {700, 100}),
            QList<QPointF>(
                {{0, 50}, {400, 50}, {400, 79.625}, {500, 0.625}, {700, 0.625}, {700, 99.375}}));
    }
};

QTEST_MAIN(BarTest)
#include "BarTest.moc"
