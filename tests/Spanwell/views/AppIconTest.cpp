#include "views/AppIcon.h"
#include "Spanwell/views/Pictures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QList<int> edges{16, 32, 64, 128, 256, 512, 1024};

QString iconPath(const QString& folder, int edge) {
    return folder + QStringLiteral("/icon_%1.png").arg(edge);
}

QImage icon(int size) {
    return Pictures::painted(QSize(size, size),
                             [&](QPainter& painter) { AppIcon::draw(painter, size); });
}

// The card's gradient, white at its top edge (100) to a pale blue at its bottom edge (924).
QColor gradientAt(double y) {
    const double share = (y - 100) / 824;
    return QColor::fromRgbF(float(1 - 0.10 * share), float(1 - 0.07 * share),
                            float(1 - 0.03 * share));
}

} // namespace

class AppIconTest : public QObject {
    Q_OBJECT

private slots:
    void writesEverySizeIntoANewFolderAndReplacesEarlierFiles() {
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("made/by/the/call"));
        QVERIFY(AppIcon::write(folder));
        QFile old(iconPath(folder, 32));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("not a picture");
        old.close();
        QVERIFY(AppIcon::write(folder));

        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), edges.size());
        for (const int edge : edges) {
            const QImage image(iconPath(folder, edge));
            QCOMPARE(image.size(), QSize(edge, edge));
            QVERIFY(image.hasAlphaChannel());
            QCOMPARE(qAlpha(image.pixel(edge / 2, edge / 2)), 255);
            // The shadow keeps its blur at every size, so on the small icons a faint trace of
            // it reaches the corners; from 256 up they are clear.
            QVERIFY(qAlpha(image.pixel(0, 0)) < 16);
            if (edge >= 256)
                QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        }
    }

    void stopsAtTheFirstFailureAndKeepsWhatWasWritten() {
        QTemporaryDir root;
        // A non-empty folder where icon_64.png belongs cannot be replaced by a file.
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("icon_64.png/inside")));
        QVERIFY(!AppIcon::write(root.path()));
        QCOMPARE(QImage(iconPath(root.path(), 32)).size(), QSize(32, 32));
        QVERIFY(!QFileInfo::exists(iconPath(root.path(), 128)));
    }

    void drawsTheLayoutAtFullSize_data() {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QColor>("colour");
        const QColor clear(0, 0, 0, 0);
        const QColor blue = AppIcon::blue;
        const QColor track = QColor::fromRgbF(0.80f, 0.84f, 0.90f);
        const QColor needle = QColor::fromRgbF(0.09f, 0.13f, 0.22f);
        // Points are in pixels from the top-left; the layout's y is 1024 minus the row.
        QTest::newRow("outside the top-left rounding") << QPoint(120, 120) << clear;
        QTest::newRow("inside the top-left rounding") << QPoint(170, 170) << gradientAt(170.5);
        QTest::newRow("above the bottom edge") << QPoint(400, 922) << gradientAt(922.5);
        QTest::newRow("value at its start") << QPoint(322, 715) << blue;
        QTest::newRow("value at the top of the arc") << QPoint(512, 308) << blue;
        QTest::newRow("track past the value") << QPoint(760, 556) << track;
        QTest::newRow("needle halfway") << QPoint(547, 508) << needle;
        QTest::newRow("open below the hub") << QPoint(512, 700) << gradientAt(700.5);
    }
    void drawsTheLayoutAtFullSize() {
        QFETCH(QPoint, point);
        QFETCH(QColor, colour);
        static const QImage image = icon(1024);
        const QColor seen = image.pixelColor(point);
        QVERIFY2(Pictures::near(seen, colour, 2), qPrintable(seen.name(QColor::HexArgb)));
    }

    void shadowFallsBelowTheCard() {
        const QImage image = icon(1024);
        const QColor below = image.pixelColor(512, 930);
        const QColor above = image.pixelColor(512, 93);
        QCOMPARE(below.rgb() & 0xffffff, 0u);
        QVERIFY(below.alpha() > 20);
        QVERIFY(below.alpha() <= 72);
        QVERIFY(above.alpha() < below.alpha() / 2);
        QVERIFY(image.pixelColor(4, 512).alpha() == 0);
    }

    void scalesAllButTheShadow() {
        const QImage image = icon(64);
        // The card spans 6.25 to 57.75 and the value arc crosses the middle column at 19.25.
        QVERIFY(Pictures::near(image.pixelColor(32, 7), gradientAt(7.5 * 16), 3));
        QVERIFY(image.pixelColor(32, 5).alpha() < 128);
        QVERIFY(Pictures::near(image.pixelColor(32, 19), AppIcon::blue, 3));
        // Twelve pixels down and blurred over fourteen, the shadow still shows well below the
        // card; scaled with it, it would have vanished a pixel past the edge.
        QVERIFY(image.pixelColor(32, 62).alpha() > 20);
    }
};

QTEST_MAIN(AppIconTest)
#include "AppIconTest.moc"
