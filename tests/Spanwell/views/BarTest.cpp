#include "views/Bar.h"
#include "Spanwell/views/Pictures.h"

#include <QTest>

#include <limits>

class BarTest : public QObject {
    Q_OBJECT

private slots:
    void fillWidthFollowsUse_data() {
        QTest::addColumn<double>("available");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<double>("width");
        QTest::newRow("no use") << 100.0 << 0.0 << 0.0;
        QTest::newRow("not a number shows no use")
            << 100.0 << std::numeric_limits<double>::quiet_NaN() << 0.0;
        QTest::newRow("tiny use shows a dot") << 100.0 << 0.001 << 5.0;
        QTest::newRow("half") << 100.0 << 0.5 << 50.0;
        QTest::newRow("over full stays on the track") << 100.0 << 2.5 << 100.0;
        QTest::newRow("track narrower than a dot") << 3.0 << 0.5 << 3.0;
        QTest::newRow("no track") << 0.0 << 0.5 << 0.0;
    }
    void fillWidthFollowsUse() {
        QFETCH(double, available);
        QFETCH(double, fraction);
        QFETCH(double, width);
        QCOMPARE(Bar::fillWidth(available, fraction), width);
    }

    // The fill in its tint, then the faint track, with round ends; in the dark palette a
    // picture sets after the bar is built.
    void paintsTheFillOverTheTrack() {
        const Theme theme = Theme::dark();
        QWidget window;
        auto* bar = new Bar(0.5, Theme::Role::accent, &window);
        window.setPalette(theme.palette());
        const QImage image = Pictures::of(*bar, QSize(100, Bar::thickness));
        const int middle = Bar::thickness / 2;
        QVERIFY(Pictures::near(image.pixelColor(25, middle), theme.accent, 3));
        const int track = qAlpha(image.pixel(75, middle));
        QVERIFY(track > 0 && track < 128);
        QVERIFY(qAlpha(image.pixel(0, 0)) < qAlpha(image.pixel(0, middle)));
        QVERIFY(qAlpha(image.pixel(99, 0)) < track);
    }
};

QTEST_MAIN(BarTest)
#include "BarTest.moc"
