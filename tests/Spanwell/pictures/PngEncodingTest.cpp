#include "pictures/PngEncoding.h"

#include <QColorSpace>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

class PngEncodingTest : public QObject {
    Q_OBJECT

private slots:
    void readsBackExactly_data() {
        QTest::addColumn<int>("formatNumber");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("rowsAlike");
        const int premultiplied = int(QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("straight words") << int(QImage::Format_ARGB32) << QSize(300, 7) << 1;
        // As the panel is drawn: premultiplied, and made straight before it is compressed.
        QTest::newRow("premultiplied words") << premultiplied << QSize(300, 7) << 1;
        QTest::newRow("opaque words") << int(QImage::Format_RGB32) << QSize(300, 7) << 1;
        QTest::newRow("bytes") << int(QImage::Format_RGBA8888) << QSize(300, 7) << 1;
        // Tall enough to be compressed in parts, one after the other in the stream.
        QTest::newRow("in parts") << premultiplied << QSize(300, 1000) << 1;
        // Runs of rows that repeat the row above, across the parts and at the end.
        QTest::newRow("rows repeated") << premultiplied << QSize(300, 250) << 40;
        QTest::newRow("every row the same") << premultiplied << QSize(300, 200) << 200;
        // Rows longer than deflate reaches back.
        QTest::newRow("wide rows repeated") << premultiplied << QSize(8200, 5) << 2;
    }

    // Every colour and every degree of transparency reads back as it was.
    void readsBackExactly() {
        QFETCH(int, formatNumber);
        QFETCH(QSize, size);
        QFETCH(int, rowsAlike);
        const auto format = QImage::Format(formatNumber);
        QImage straight(size, QImage::Format_ARGB32);
        straight.setColorSpace(QColorSpace::SRgb);
        for (int row = 0; row < straight.height(); ++row) {
            const int y = row / rowsAlike;
            for (int x = 0; x < straight.width(); ++x)
                straight.setPixel(
                    x, row, qRgba(x % 256, (x * 7 + y) % 256, y * 40 % 256, (x + y * 50) % 256));
        }
        const QImage image = straight.convertToFormat(format);
        const QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("picture.png"));
        QVERIFY(PngEncoding::write(image, path));
        QCOMPARE(QImage(path, "PNG").convertToFormat(format), image);

        // Drawn band by band while the bands before are compressed: each band is drawn once,
        // in order, and the file holds what was drawn.
        QImage canvas(image.size(), format);
        canvas.fill(Qt::black);
        int drawnRows = 0;
        const auto drawBand = [&](QImage& picture, const QRect& band) {
            QCOMPARE(band, QRect(0, drawnRows, image.width(), band.height()));
            drawnRows = band.bottom() + 1;
            QPainter painter(&picture);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(band, image, band);
        };
        QVERIFY(PngEncoding::write(canvas, drawBand, path));
        QCOMPARE(drawnRows, image.height());
        QCOMPARE(QImage(path, "PNG").convertToFormat(format), image);

        QVERIFY(!PngEncoding::write(QImage(), path));
        QVERIFY(!PngEncoding::write(image, folder.filePath(QStringLiteral("missing/picture.png"))));
    }
};

QTEST_MAIN(PngEncodingTest)
#include "PngEncodingTest.moc"
