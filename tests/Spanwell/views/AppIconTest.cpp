#include "views/AppIcon.h"
#include "Spanwell/views/Pictures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class AppIconTest : public QObject {
    Q_OBJECT

private slots:
    // Every size is written through the executable in StartTest.
    void stopsAtTheFirstFailureAndKeepsWhatWasWritten() {
        QTemporaryDir root;
        // A non-empty folder where icon_64.png belongs cannot be replaced by a file.
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("icon_64.png/inside")));
        QVERIFY(!AppIcon::write(root.path()));
        QCOMPARE(QImage(root.filePath(QStringLiteral("icon_32.png"))).size(), QSize(32, 32));
        QVERIFY(!QFileInfo::exists(root.filePath(QStringLiteral("icon_128.png"))));
    }

    // An opaque card with the blue gauge, and a soft shadow that falls below it and keeps its
    // blur at small sizes instead of vanishing.
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
        QVERIFY(std::abs(card.center().x() - edge / 2) <= 1);
        const int middle = card.center().x();
        bool gauge = false;
        for (int y = card.top(); y <= card.bottom(); ++y)
            gauge = gauge || Pictures::near(image.pixelColor(middle, y), AppIcon::blue, 3);
        QVERIFY(gauge);
        // Four pixels off the card at every size.
        const int below = qAlpha(image.pixel(middle, card.bottom() + 4));
        const int above = qAlpha(image.pixel(middle, card.top() - 4));
        QVERIFY2(below > 20 && above < below / 2,
                 qPrintable(QStringLiteral("%1 %2").arg(below).arg(above)));
    }
};

QTEST_MAIN(AppIconTest)
#include "AppIconTest.moc"
