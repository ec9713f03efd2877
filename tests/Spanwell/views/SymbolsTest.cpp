#include "views/Symbols.h"
#include "Spanwell/views/Pictures.h"
#include "support/TestRegistry.h"
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
    void everyNamedSymbolPaintsInsideItsBox_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : named)
            QTest::newRow(qPrintable(name)) << name;
    }
    void everyNamedSymbolPaintsInsideItsBox() {
        QFETCH(QString, name);
        QVERIFY(Symbols::isKnown(name));
        QVERIFY(Symbols::names().contains(name));
        // A box taller than wide: the symbol takes the centred square.
        const QImage image = Pictures::painted(QSize(64, 64), [&](QPainter& painter) {
            Symbols::paint(painter, name, QRectF(12, 4, 40, 56), Qt::black);
        });
        const QRect drawn = Pictures::ink(image);
        QVERIFY2(QRect(12, 12, 40, 40).contains(drawn), qPrintable(name));
        QVERIFY(std::max(drawn.width(), drawn.height()) >= 32);
        QVERIFY(coverage(image) > 0.02);
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

    void shapesLookLikeTheirNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("filled");
        const auto row = [](const char* what, const char* name, QPointF point, bool filled) {
            QTest::newRow(what) << QString::fromLatin1(name) << point << filled;
        };
        row("disc centre", "circle.fill", {50, 50}, true);
        row("disc leaves the corner", "circle.fill", {4, 4}, false);
        row("outline open inside", "circle", {50, 50}, false);
        row("outline edge", "circle", {5, 50}, true);
        row("left half filled", "circle.lefthalf.filled", {30, 50}, true);
        row("right half open", "circle.lefthalf.filled", {70, 50}, false);
        row("right half outlined", "circle.lefthalf.filled", {95, 50}, true);
        row("dot at the top", "circle.dotted", {50, 8}, true);
        row("gap between dots", "circle.dotted", {63, 11}, false);
        row("dotted open inside", "circle.dotted", {50, 50}, false);
        row("chevron tip on the right", "chevron.right", {65, 50}, true);
        row("chevron open on the left", "chevron.right", {40, 50}, false);
        row("chevron arm", "chevron.right", {35, 12}, true);
        row("arrow bottom", "arrow.clockwise", {50, 91}, true);
        row("arrow head", "arrow.clockwise", {58, 19}, true);
        row("arrow gap on the upper right", "arrow.clockwise", {80, 24}, false);
        row("arrow open inside", "arrow.clockwise", {50, 55}, false);
        row("ellipsis middle dot", "ellipsis.circle", {50, 50}, true);
        row("ellipsis left dot", "ellipsis.circle", {28, 50}, true);
        row("between dots", "ellipsis.circle", {39, 50}, false);
        row("ellipsis outline", "ellipsis.circle", {50, 96}, true);
        row("check cut out", "checkmark.circle.fill", {43, 65}, false);
        row("check circle filled above", "checkmark.circle.fill", {50, 20}, true);
        row("check circle filled below", "checkmark.circle.fill", {70, 70}, true);
        row("exclamation bar cut out", "exclamationmark.triangle.fill", {50, 50}, false);
        row("exclamation dot cut out", "exclamationmark.triangle.fill", {50, 77}, false);
        row("triangle filled near the top", "exclamationmark.triangle.fill", {50, 24}, true);
        row("triangle filled at the base", "exclamationmark.triangle.fill", {25, 86}, true);
        row("triangle leaves the corner", "exclamationmark.triangle.fill", {8, 20}, false);
        row("gauge hub", "gauge.with.needle", {50, 50}, true);
        row("gauge needle up right", "gauge.with.needle", {60, 40}, true);
        row("gauge tick at the top", "gauge.with.needle", {50, 19}, true);
        row("gauge open below", "gauge.with.needle", {50, 75}, false);
        row("gauge outline", "gauge.with.needle", {50, 96}, true);
    }
    void shapesLookLikeTheirNames() {
        QFETCH(QString, name);
        QFETCH(QPointF, point);
        QFETCH(bool, filled);
        const int alpha = alphaAt(symbol(name, 100), point);
        if (filled)
            QVERIFY2(alpha > 200, qPrintable(QString::number(alpha)));
        else
            QVERIFY2(alpha < 50, qPrintable(QString::number(alpha)));
    }

    void shapesScaleWithTheirBox_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : named)
            QTest::newRow(qPrintable(name)) << name;
    }
    void shapesScaleWithTheirBox() {
        QFETCH(QString, name);
        const double small = coverage(symbol(name, 24));
        const double large = coverage(symbol(name, 480));
        QVERIFY2(std::abs(small - large) < 0.03,
                 qPrintable(QStringLiteral("%1 against %2").arg(small).arg(large)));
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

    void unknownNamesPaintNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << "";
        QTest::newRow("other case") << "Circle.fill";
        QTest::newRow("trailing space") << "circle.fill ";
        QTest::newRow("part of a name") << "gauge";
        QTest::newRow("unknown") << "square";
    }
    void unknownNamesPaintNothing() {
        QFETCH(QString, name);
        QVERIFY(!Symbols::isKnown(name));
        QVERIFY(Pictures::ink(symbol(name, 40)).isNull());
        QVERIFY(Symbols::icon(name, Qt::black).isNull());
    }

    void iconsDrawAtTheSizeAsked_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("tray") << 22;
        QTest::newRow("large") << 256;
    }
    void iconsDrawAtTheSizeAsked() {
        QFETCH(int, size);
        const QColor red(255, 59, 48);
        const QIcon icon = Symbols::icon(QStringLiteral("circle.fill"), red);
        QVERIFY(!icon.isNull());
        const QImage normal = icon.pixmap(QSize(size, size)).toImage();
        QCOMPARE(normal.size(), QSize(size, size));
        QVERIFY(Pictures::near(normal.pixelColor(size / 2, size / 2), red));
        QCOMPARE(qAlpha(normal.pixel(0, 0)), 0);
        const QImage disabled = icon.pixmap(QSize(size, size), QIcon::Disabled).toImage();
        QVERIFY(qAlpha(disabled.pixel(size / 2, size / 2)) < 128);
    }
};

SPANWELL_TEST(SymbolsTest)

class SymbolViewTest : public QObject {
    Q_OBJECT

private slots:
    void sizeFollowsPointSizeAndBox_data() {
        QTest::addColumn<double>("pointSize");
        QTest::addColumn<double>("boxWidth");
        QTest::addColumn<QSize>("size");
        QTest::newRow("own width") << 9.0 << 0.0 << QSize(9, 9);
        QTest::newRow("in a wider box") << 9.0 << 10.0 << QSize(10, 9);
        QTest::newRow("large in a box") << 30.0 << 44.0 << QSize(44, 30);
        QTest::newRow("fractional size") << 11.5 << 0.0 << QSize(12, 12);
    }
    void sizeFollowsPointSizeAndBox() {
        QFETCH(double, pointSize);
        QFETCH(double, boxWidth);
        QFETCH(QSize, size);
        SymbolView view(QStringLiteral("circle"), pointSize, Theme::Role::secondaryText);
        view.setBoxWidth(boxWidth);
        QCOMPARE(view.sizeHint(), size);
        QCOMPARE(view.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    }

    void drawsCentredInItsBox() {
        SymbolView view(QStringLiteral("circle.fill"), 9, Theme::Role::green);
        view.setBoxWidth(15);
        const QRect drawn = Pictures::ink(Pictures::of(view));
        QCOMPARE(drawn.left() + drawn.right(), 14);
        QCOMPARE(drawn.height(), 9);
    }

    void turnsClockwiseAboutItsCentre_data() {
        QTest::addColumn<double>("degrees");
        QTest::addColumn<QPointF>("tip");
        QTest::addColumn<QPointF>("inside");
        QTest::newRow("right") << 0.0 << QPointF(66, 50) << QPointF(45, 50);
        QTest::newRow("down") << 90.0 << QPointF(50, 66) << QPointF(50, 45);
        QTest::newRow("left") << 180.0 << QPointF(34, 50) << QPointF(55, 50);
        QTest::newRow("up") << -90.0 << QPointF(50, 34) << QPointF(50, 55);
    }
    void turnsClockwiseAboutItsCentre() {
        QFETCH(double, degrees);
        QFETCH(QPointF, tip);
        QFETCH(QPointF, inside);
        SymbolView view(QStringLiteral("chevron.right"), 40, Theme::Role::secondaryText);
        view.setRotation(degrees);
        const QImage image = Pictures::of(view);
        QVERIFY(alphaAt(image, tip) > 0);
        QCOMPARE(alphaAt(image, inside), 0);
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

SPANWELL_TEST(SymbolViewTest)
#include "SymbolsTest.moc"
