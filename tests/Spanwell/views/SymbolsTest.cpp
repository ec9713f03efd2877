#include "views/Symbols.h"
#include "Spanwell/views/Pictures.h"
#include "views/SymbolView.h"

#include <QTest>

namespace {

const QStringList named{
    QStringLiteral("gauge.with.needle"),      QStringLiteral("circle.fill"),
    QStringLiteral("circle.lefthalf.filled"), QStringLiteral("circle"),
    QStringLiteral("circle.dotted"),          QStringLiteral("chevron.right"),
    QStringLiteral("arrow.clockwise"),        QStringLiteral("ellipsis.circle"),
    QStringLiteral("checkmark.circle.fill"),  QStringLiteral("exclamationmark.triangle.fill"),
};

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
    void everyNamedSymbolPaintsInsideItsBoxAtAnySize_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : named)
            QTest::newRow(qPrintable(name)) << name;
    }
    void everyNamedSymbolPaintsInsideItsBoxAtAnySize() {
        QFETCH(QString, name);
        QVERIFY(Symbols::isKnown(name));
        // A box taller than wide: the symbol takes the centred square.
        const QImage image = Pictures::painted(QSize(64, 64), [&](QPainter& painter) {
            Symbols::paint(painter, name, QRectF(12, 4, 40, 56), Qt::black);
        });
        const QRect drawn = Pictures::ink(image);
        QVERIFY2(QRect(12, 12, 40, 40).contains(drawn), qPrintable(name));
        QVERIFY(std::max(drawn.width(), drawn.height()) >= 32);
        const double small = coverage(symbol(name, 24));
        const double large = coverage(symbol(name, 480));
        QVERIFY(small > 0.02);
        QVERIFY2(std::abs(small - large) < 0.03,
                 qPrintable(QStringLiteral("%1 against %2").arg(small).arg(large)));
    }

    void symbolsAreDistinct() {
        QCOMPARE(Symbols::names(), named);
        QList<QImage> images;
        for (const QString& name : named)
            images.append(symbol(name, 40));
        for (int first = 0; first < images.size(); ++first) {
            for (int second = first + 1; second < images.size(); ++second) {
                int differing = 0;
                for (int y = 0; y < 40; ++y)
                    for (int x = 0; x < 40; ++x)
                        if (std::abs(qAlpha(images[first].pixel(x, y)) -
                                     qAlpha(images[second].pixel(x, y))) > 128)
                            ++differing;
                QVERIFY2(differing > 40, qPrintable(named[first] + " " + named[second]));
            }
        }
    }

    // The distinctness above tells the filled disc from the outline; the half needs its side.
    void theLeftHalfIsFilled() {
        const QImage image = symbol(QStringLiteral("circle.lefthalf.filled"), 100);
        QVERIFY(alphaAt(image, {30, 50}) > 200);
        QVERIFY(alphaAt(image, {70, 50}) < 50);
    }

    void heavierWeightsDrawThickerLines() {
        const double light = coverage(symbol(QStringLiteral("circle"), 100, QFont::Light));
        const double regular = coverage(symbol(QStringLiteral("circle"), 100));
        const double semibold = coverage(symbol(QStringLiteral("circle"), 100, QFont::DemiBold));
        QVERIFY(light < regular);
        QVERIFY(regular < semibold);
        const double filled = coverage(symbol(QStringLiteral("circle.fill"), 100));
        QCOMPARE(coverage(symbol(QStringLiteral("circle.fill"), 100, QFont::Bold)), filled);
    }

    void unknownNamesPaintNothing() {
        for (const QString& name : {QStringLiteral("Circle.fill"), QStringLiteral("gauge")}) {
            QVERIFY(!Symbols::isKnown(name));
            QVERIFY(Pictures::ink(symbol(name, 40)).isNull());
        }
    }

    // A box wider than the symbol is checked through StatusMarkTest.
    void ownSizeFollowsThePointSize() {
        SymbolView view(QStringLiteral("circle"), 11.5, Theme::Role::secondaryText);
        QCOMPARE(view.sizeHint(), QSize(12, 12));
        QCOMPARE(view.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    }

    // As the chevron of an open row shows.
    void turnsClockwiseAboutItsCentre() {
        SymbolView view(QStringLiteral("chevron.right"), 40, Theme::Role::secondaryText);
        view.setRotation(90);
        const QImage image = Pictures::of(view);
        QVERIFY(alphaAt(image, {50, 66}) > 0);
        QCOMPARE(alphaAt(image, {50, 45}), 0);
    }

    void fadesWhileDisabled() {
        SymbolView view(QStringLiteral("circle.fill"), 20, Theme::Role::accent);
        const int enabled = qAlpha(Pictures::of(view).pixel(10, 10));
        view.setEnabled(false);
        const int disabled = qAlpha(Pictures::of(view).pixel(10, 10));
        QCOMPARE(enabled, 255);
        QVERIFY(disabled < 128);
    }
};

QTEST_MAIN(SymbolsTest)
#include "SymbolsTest.moc"
