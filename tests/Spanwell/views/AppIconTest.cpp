#include "views/AppIcon.h"
#include "Spanwell/views/Pictures.h"

#include <QTest>

class AppIconTest : public QObject {
    Q_OBJECT

private slots:
    // An opaque card with the blue gauge, and a soft shadow that falls below it and keeps its
    // blur at small sizes instead of vanishing. Every size is written through the executable
    // in StartTest.
    void drawsACardWithItsShadowBelow_data() {
        QTest::addColumn<int>("edge");
        QTest::newRow("64") << 64;
        QTest::newRow("1024") << 1024;
    }
    void drawsACardWithItsShadowBelow() {
        QFETCH(int, edge);
        const QImage image = Pictures::painted(
            QSize(edge, edge), [edge](QPainter& painter) { AppIcon::draw(painter, edge); });
        const QRect card = Pictures::ink(image, 250);
        const int middle = card.center().x();
        QVERIFY(std::abs(middle - edge / 2) <= 1);
        bool gauge = false;
        for (int y = card.top(); y <= card.bottom(); ++y)
            gauge = gauge || Pictures::near(image.pixelColor(middle, y), AppIcon::blue, 3);
        QVERIFY(gauge);
        // Four pixels off the card at every size.
        const int below = qAlpha(image.pixel(middle, card.bottom() + 4));
        QVERIFY(below > 20 && qAlpha(image.pixel(middle, card.top() - 4)) < below / 2);
    }
};

QTEST_MAIN(AppIconTest)
#include "AppIconTest.moc"
