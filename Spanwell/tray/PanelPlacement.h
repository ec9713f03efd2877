#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where the panel hangs from the tray. The place depends only on the anchor and the screen's
// free area, never on the panel's height: the edge nearest the tray stays put while rows open
// and close, and the panel grows away from the tray.
namespace PanelPlacement {

// Between the panel and the tray item or the pointer.
inline constexpr int gap = 4;

// The tray item's area when the tray tells it; otherwise the pointer, as a 1 × 1 area.
// `wanted` is the panel's natural size; the result never leaves `available`, so a panel
// taller than the room on its side of the anchor gets that room and scrolls its rows.
QRect place(const QRect& anchor, QSize wanted, const QRect& available);

// Where a panel that cannot hang from the item stands: in a corner of the screen, beside the
// bar that holds the tray.
enum class Corner { topLeft, topRight, bottomLeft, bottomRight };

struct Screen {
    QRect geometry;
    // What the bars leave free.
    QRect available;
};

// The corner the user named, or else the one at the screen's right end on the side of its bar:
// the bottom when bars take room at the bottom and none at the top, the top otherwise (the bar
// is most often there, and where no bar is known).
Corner corner(const Screen& screen, std::optional<Corner> chosen);

// The free area of a screen whose bars leave `room`, with all they take on `corner`'s sides: a
// compositor that tells how much room its bars leave, but not where they stand, is taken to
// have them beside the corner the panel stands in.
QRect available(const QRect& geometry, QSize room, Corner corner);

// The panel in `corner` of `available`, flush with both of its edges, no taller than it.
QRect inCorner(Corner corner, QSize wanted, const QRect& available);

// Whether the point where the tray was clicked can be believed: it lies on one of `screens`,
// in a band its bars reserve along an edge, where a tray item can be. A host that reports a
// point inside its icon, or a pointer last seen elsewhere, gives none of those.
bool isBesideATray(QPoint point, const QList<Screen>& screens);

} // namespace PanelPlacement
