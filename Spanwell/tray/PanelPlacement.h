#pragma once

#include <QRect>
#include <QSize>

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

} // namespace PanelPlacement
