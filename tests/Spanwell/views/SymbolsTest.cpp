#include "views/Symbols.h"
#include "Spanwell/views/Pictures.h"
#include "views/SymbolView.h"

#include <QTest>

namespace {

QImage symbol(const QString& name, int size, QFont::Weight weight = QFont::Normal) {
    return Pictures::painted(QSize(size, size), [&](QPainter& painter) {
        Symbols::paint(painter, name, QRectF(0, 0, size, size), Qt::black, weight);
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
    void everySymbolPaintsInsideItsBoxAtAnySize_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : Symbols::names())
            QTest::newRow(qPrintable(name)) << name;
    }
    void everySymbolPaintsInsideItsBoxAtAnySize() {
        QFETCH(QString, name);
        // A box taller than wide: the symbol takes the centred square.
        const QImage image = Pictures::painted(QSize(64, 64), [&](QPainter& painter) {
            Symbols::paint(painter, name, QRectF(12, 4, 40, 56), Qt::black);
        });
        const QRect drawn = Pictures::ink(image);
        QVERIFY2(QRect(12, 12, 40, 40).contains(drawn), qPrintable(name));
        QVERIFY(std::max(drawn.width(), drawn.height()) >= 32);
        const double small = coverage(symbol(name, 24));
        QVERIFY(small > 0.02);
        QVERIFY(std::abs(small - coverage(symbol(name, 480))) < 0.03);
    }

    void symbolsAreDistinct() {
        const QStringList names = Symbols::names();
        QList<QImage> images;
        for (const QString& name : names)
            images.append(symbol(name, 40));
        for (qsizetype first = 0; first < images.size(); ++first) {
            for (qsizetype second = first + 1; second < images.size(); ++second) {
                int differing = 0;
                for (int y = 0; y < 40; ++y)
                    for (int x = 0; x < 40; ++x)
                        if (std::abs(qAlpha(images[first].pixel(x, y)) -
                                     qAlpha(images[second].pixel(x, y))) > 128)
                            ++differing;
                QVERIFY2(differing > 40, qPrintable(names[first] + " " + names[second]));
            }
        }
    }

    // Distinctness tells the half-filled disc from the others, not which half is filled.
    void theLeftHalfIsFilled() {
        const QImage image = symbol(QStringLiteral("circle.lefthalf.filled"), 100);
        QVERIFY(alphaAt(image, {30, 50}) > 200 && alphaAt(image, {70, 50}) < 50);
    }

    // As the chevron of an open row shows.
    void turnsClockwiseAboutItsCentre() {
        SymbolView view(QStringLiteral("chevron.right"), 40, Theme::Role::secondaryText);
        view.setRotation(90);
        const QImage image = Pictures::of(view);
        QVERIFY(alphaAt(image, {50, 66}) > 0 && alphaAt(image, {50, 45}) == 0);
    }

    void fadesWhileDisabled() {
        SymbolView view(QStringLiteral("circle.fill"), 20, Theme::Role::accent);
        QCOMPARE(alphaAt(Pictures::of(view), {50, 50}), 255);
        view.setEnabled(false);
        QVERIFY(alphaAt(Pictures::of(view), {50, 50}) < 128);
    }
};

QTEST_MAIN(SymbolsTest)
#include "SymbolsTest.moc"
