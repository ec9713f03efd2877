#include "pictures/PngEncoding.h"

#include <QColorSpace>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class PngEncodingTest : public QObject {
    Q_OBJECT

private slots:
    // Every colour and every degree of transparency reads back as it was.
    void readsBackExactly() {
        QImage image(300, 7, QImage::Format_ARGB32);
        image.setColorSpace(QColorSpace::SRgb);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgba(x % 256, (x * 7 + y) % 256, y * 40, (x + y * 50) % 256));
        const QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("picture.png"));
        QVERIFY(PngEncoding::write(image, path));
        QCOMPARE(QImage(path, "PNG").convertToFormat(QImage::Format_ARGB32), image);

        QVERIFY(!PngEncoding::write(QImage(), path));
        QVERIFY(!PngEncoding::write(image, folder.filePath(QStringLiteral("missing/picture.png"))));
    }
};

QTEST_MAIN(PngEncodingTest)
#include "PngEncodingTest.moc"
