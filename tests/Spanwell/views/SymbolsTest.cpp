#include "views/Symbols.h"
#include "Spanwell/views/Pictures.h"
#include "views/SymbolView.h"

#include <QTest>

namespace {

QImage symbol(const QString& name, int size) {
    return Pictures::painted(QSize(size, size), [&](QPainter& painter) {
        Symbols::paint(painter, name, QRectF(0, 0, size, size), Qt::black);
    });
}

// Share of the picture covered, opacity counted.
double coverage(const QImage& image) {
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qAlpha(image.pixel(x, y)) / 255.0;
    return sum / (image.width() * image.height());
}

// The opacity at a point given in hundredths of the picture's edge.
int alphaAt(const QImage& image, QPointF point) {
    return qAlpha(
        image.pixel(int(point.x() * image.width() / 100), int(point.y() * image.height() / 100)));
}

} // namespace

class SymbolsTest : public QObject {
    Q_OBJECT

private slots:
    // Inside the square centred in its box and filling most of it, alike at any size, and
    // unlike every other symbol.
    void everySymbolIsItsOwnAtAnySize_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : Symbols::names())
            QTest::newRow(qPrintable(name)) << name;
    }
    void everySymbolIsItsOwnAtAnySize() {
        QFETCH(QString, name);
        const QImage image = Pictures::painted(QSize(64, 64), [&](QPainter& painter) {
            Symbols::paint(painter, name, QRectF(12, 4, 40, 56), Qt::black);
        });
        const QRect drawn = Pictures::ink(image);
        QVERIFY(QRect(12, 12, 40, 40).contains(drawn));
        QVERIFY(std::max(drawn.width(), drawn.height()) >= 32);
        const double small = coverage(symbol(name, 24));
        QVERIFY(small > 0.02);
        QVERIFY(std::abs(small - coverage(symbol(name, 480))) < 0.03);
        const QImage own = symbol(name, 40);
        for (const QString& other : Symbols::names()) {
            int differing = 0;
            const QImage theirs = symbol(other, 40);
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 40; ++x)
                    differing +=
                        std::abs(qAlpha(own.pixel(x, y)) - qAlpha(theirs.pixel(x, y))) > 128;
            QVERIFY2(other == name || differing > 40, qPrintable(other));
        }
    }

    // Which half is filled, which way a turn goes, and the fading of a disabled symbol are
    // what distinctness cannot tell.
    void halvesTurnsAndFading() {
        const QImage half = symbol(QStringLiteral("circle.lefthalf.filled"), 100);
        QVERIFY(alphaAt(half, {30, 50}) > 200 && alphaAt(half, {70, 50}) < 50);
        // As the chevron of an open row shows.
        SymbolView chevron(QStringLiteral("chevron.right"), 40, Theme::Role::secondaryText);
        chevron.setRotation(90);
        const QImage turned = Pictures::of(chevron);
        QVERIFY(alphaAt(turned, {50, 66}) > 0 && alphaAt(turned, {50, 45}) == 0);
        SymbolView disc(QStringLiteral("circle.fill"), 20, Theme::Role::accent);
        QCOMPARE(alphaAt(Pictures::of(disc), {50, 50}), 255);
        disc.setEnabled(false);
        QVERIFY(alphaAt(Pictures::of(disc), {50, 50}) < 128);
    }
};

QTEST_MAIN(SymbolsTest)
#include "SymbolsTest.moc"
