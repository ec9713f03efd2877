#include "tray/PanelPlacement.h"

#include <QTest>

namespace {

// A 1280 × 800 screen with a 24-high panel along its top edge, or along its bottom edge.
const QRect belowTopPanel(0, 24, 1280, 776);
const QRect aboveBottomPanel(0, 0, 1280, 776);

} // namespace

class PanelPlacementTest : public QObject {
    Q_OBJECT

private slots:
    void hangsFromTheTrayAndStaysOnScreen_data() {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QSize>("wanted");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("placed");
        QTest::newRow("item at the top right") << QRect(1200, 0, 24, 24) << QSize(386, 300)
                                               << belowTopPanel << QRect(894, 28, 386, 300);
        QTest::newRow("taller than the room below") << QRect(1200, 0, 24, 24) << QSize(386, 2000)
                                                    << belowTopPanel << QRect(894, 28, 386, 772);
        QTest::newRow("item at the bottom left") << QRect(100, 776, 24, 24) << QSize(386, 300)
                                                 << aboveBottomPanel << QRect(0, 472, 386, 300);
        QTest::newRow("pointer in the lower half, tall panel")
            << QRect(640, 600, 1, 1) << QSize(386, 2000) << belowTopPanel
            << QRect(447, 24, 386, 572);
        QTest::newRow("screen narrower than the panel")
            << QRect(150, 0, 1, 1) << QSize(386, 100) << QRect(0, 0, 300, 500)
            << QRect(0, 5, 300, 100);
    }
    void hangsFromTheTrayAndStaysOnScreen() {
        QFETCH(QRect, anchor);
        QFETCH(QSize, wanted);
        QFETCH(QRect, available);
        QFETCH(QRect, placed);
        QCOMPARE(PanelPlacement::place(anchor, wanted, available), placed);
        // Shrinking, as when a row closes, keeps the edge nearest the tray where it was.
        const QRect shrunk =
            PanelPlacement::place(anchor, QSize(wanted.width(), wanted.height() / 3), available);
        const bool dropsDown = placed.top() > anchor.center().y();
        QCOMPARE(dropsDown ? shrunk.top() : shrunk.bottom(),
                 dropsDown ? placed.top() : placed.bottom());
    }
};

QTEST_GUILESS_MAIN(PanelPlacementTest)
#include "PanelPlacementTest.moc"
