#include "tray/PanelPlacement.h"

#include <QTest>

namespace {

// A 1280 × 800 screen with a 24-high panel along its top edge, or along its bottom edge.
const QRect belowTopPanel(0, 24, 1280, 776);
const QRect aboveBottomPanel(0, 0, 1280, 776);
const QRect screen(0, 0, 1280, 800);
using Corner = PanelPlacement::Corner;

} // namespace

class PanelPlacementTest : public QObject {
    Q_OBJECT

private slots:
    void hangsFromTheTrayAndStaysOnScreen_data() {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QSize>("wanted");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("placed");
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

    // Where the panel stands when it cannot hang from the item: the corner by the bar (or the
    // one the user named), clear of what the bars take, whether the compositor tells where
    // they are (sway, X11's work area) or only how much room they leave (the layer shell).
    void standsInTheCornerByTheBar_data() {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<std::optional<Corner>>("chosen");
        QTest::addColumn<QSize>("room");
        QTest::addColumn<QRect>("placed");
        const std::optional<Corner> automatic;
        QTest::newRow("bar at the top")
            << belowTopPanel << automatic << QSize() << QRect(894, 24, 386, 300);
        QTest::newRow("bar at the bottom")
            << aboveBottomPanel << automatic << QSize() << QRect(894, 476, 386, 300);
        QTest::newRow("named corner") << aboveBottomPanel << std::optional(Corner::topLeft)
                                      << QSize() << QRect(0, 0, 386, 300);
        QTest::newRow("room told, bar taken at the top")
            << screen << automatic << QSize(1280, 770) << QRect(894, 30, 386, 300);
        QTest::newRow("room told, named corner at the bottom")
            << screen << std::optional(Corner::bottomLeft) << QSize(1250, 770)
            << QRect(30, 470, 386, 300);
        QTest::newRow("room shorter than the panel")
            << screen << automatic << QSize(1280, 200) << QRect(894, 600, 386, 200);
    }
    void standsInTheCornerByTheBar() {
        QFETCH(QRect, available);
        QFETCH(std::optional<Corner>, chosen);
        QFETCH(QSize, room);
        QFETCH(QRect, placed);
        const Corner corner = PanelPlacement::corner({screen, available}, chosen);
        const QRect free =
            room.isValid() ? PanelPlacement::available(screen, room, corner) : available;
        QCOMPARE(PanelPlacement::inCorner(corner, QSize(386, 300), free), placed);
    }

    // A point the tray was clicked at is believed only on a bar along a screen's edge: not one
    // inside the host's icon on a screen without bars, not one off every screen.
    void believesAPointOnlyOnABar_data() {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<bool>("believed");
        QTest::newRow("on the first screen's top bar") << QPoint(-20, 10) << true;
        QTest::newRow("inside the icon, on a screen without bars") << QPoint(10, 17) << false;
        QTest::newRow("off every screen") << QPoint(5000, 17) << false;
    }
    void believesAPointOnlyOnABar() {
        QFETCH(QPoint, point);
        QFETCH(bool, believed);
        const QList<PanelPlacement::Screen> screens{
            {QRect(-1280, 0, 1280, 800), QRect(-1280, 24, 1280, 776)}, {screen, screen}};
        QCOMPARE(PanelPlacement::isBesideATray(point, screens), believed);
    }
};

QTEST_GUILESS_MAIN(PanelPlacementTest)
#include "PanelPlacementTest.moc"
