#include "views/Bar.h"
#include "Spanwell/views/Pictures.h"

#include <QHBoxLayout>
#include <QTest>

#include <limits>

namespace {

int distance(const QColor& first, const QColor& second) {
    return std::abs(first.red() - second.red()) + std::abs(first.green() - second.green()) +
           std::abs(first.blue() - second.blue()) + std::abs(first.alpha() - second.alpha());
}

} // namespace

class BarTest : public QObject {
    Q_OBJECT

private slots:
    void fillWidthFollowsUse_data() {
        QTest::addColumn<double>("available");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<double>("width");
        QTest::newRow("no use") << 100.0 << 0.0 << 0.0;
        QTest::newRow("negative use") << 100.0 << -0.3 << 0.0;
        QTest::newRow("tiny use shows a dot") << 100.0 << 0.001 << 5.0;
        QTest::newRow("half") << 100.0 << 0.5 << 50.0;
        QTest::newRow("full") << 100.0 << 1.0 << 100.0;
        QTest::newRow("over full stays on the track") << 100.0 << 2.5 << 100.0;
        QTest::newRow("not a number shows no use")
            << 100.0 << std::numeric_limits<double>::quiet_NaN() << 0.0;
        QTest::newRow("track narrower than a dot") << 3.0 << 0.5 << 3.0;
        QTest::newRow("no track") << 0.0 << 0.5 << 0.0;
    }
    void fillWidthFollowsUse() {
        QFETCH(double, available);
        QFETCH(double, fraction);
        QFETCH(double, width);
        QCOMPARE(Bar::fillWidth(available, fraction), width);
    }

    void paintsTrackAndFill_data() {
        QTest::addColumn<double>("fraction");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<int>("filledColumns");
        QTest::newRow("dot") << 0.001 << false << 5;
        QTest::newRow("none, dark") << 0.0 << true << 0;
    }
    void paintsTrackAndFill() {
        QFETCH(double, fraction);
        QFETCH(bool, dark);
        QFETCH(int, filledColumns);
        const Theme theme = dark ? Theme::dark() : Theme::light();
        QWidget window;
        window.setPalette(theme.palette());
        auto* bar = new Bar(fraction, Theme::Role::accent, &window);
        const QImage image = Pictures::of(*bar, QSize(100, Bar::thickness));
        QColor track = theme.primaryText;
        track.setAlphaF(track.alphaF() * 0.16f);

        const int middle = Bar::thickness / 2;
        QVERIFY(Pictures::near(image.pixelColor(filledColumns / 2, middle),
                               filledColumns ? theme.accent : track, 3));
        // A column counts as filled where its middle pixel is nearer the tint than the track,
        // which also counts the smoothed ends of the capsule.
        int tinted = 0;
        for (int x = 0; x < image.width(); ++x)
            if (distance(image.pixelColor(x, middle), theme.accent) <
                distance(image.pixelColor(x, middle), track))
                ++tinted;
        QCOMPARE(tinted, filledColumns);
        if (filledColumns < 95)
            QVERIFY(Pictures::near(image.pixelColor(97, middle), track, 3));
        // Capsule ends: the corners of the bar's box stay clear.
        QVERIFY(qAlpha(image.pixel(0, 0)) < qAlpha(image.pixel(0, middle)));
        QVERIFY(qAlpha(image.pixel(99, Bar::thickness - 1)) < qAlpha(image.pixel(99, middle)));
    }

    void takesTheWidthOffered() {
        QWidget row;
        auto* layout = new QHBoxLayout(&row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(8);
        auto* title = new QWidget;
        title->setFixedWidth(80);
        auto* bar = new Bar(0.3, Theme::Role::accent);
        auto* number = new QWidget;
        number->setFixedWidth(72);
        layout->addWidget(title);
        layout->addWidget(bar);
        layout->addWidget(number);
        row.resize(339, 20);
        layout->activate();
        QCOMPARE(bar->width(), 339 - 80 - 72 - 2 * 8);
        QCOMPARE(bar->height(), Bar::thickness);
    }
};

QTEST_MAIN(BarTest)
#include "BarTest.moc"
