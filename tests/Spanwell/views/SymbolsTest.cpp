#include "views/Symbols.h"

#include <QPainterPath>
#include <QTest>

class SymbolsTest : public QObject {
    Q_OBJECT

private slots:
    // The refresh arrow's head and arc are filled together: where they overlap at twelve o'clock
    // is filled, as are the head alone and the arc alone, and the circle's middle is not.
    void arrowHeadIsSolidOnItsArc_data() {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("filled");
        QTest::newRow("head over the arc") << QPointF(50, 19) << true;
        QTest::newRow("head alone") << QPointF(60, 19) << true;
        QTest::newRow("arc alone") << QPointF(14, 55) << true;
        QTest::newRow("middle") << QPointF(50, 55) << false;
    }

    void arrowHeadIsSolidOnItsArc() {
        QFETCH(QPointF, point);
        QFETCH(bool, filled);
        const QPainterPath arrow =
            Symbols::path(QStringLiteral("arrow.clockwise"), QRectF(0, 0, 100, 100));
        QCOMPARE(arrow.contains(point), filled);
    }
};

QTEST_MAIN(SymbolsTest)
#include "SymbolsTest.moc"
