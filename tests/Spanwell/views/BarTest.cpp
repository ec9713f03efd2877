#include "views/Bar.h"

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
};

QTEST_MAIN(BarTest)
#include "BarTest.moc"
