#include "tray/PanelPlacement.h"

#include <algorithm>

namespace PanelPlacement {

QRect place(const QRect& anchor, QSize wanted, const QRect& available) {
    const int width = std::min(wanted.width(), available.width());
    const int x = std::clamp(anchor.center().x() - width / 2, available.left(),
                             available.right() + 1 - width);
    // A tray along the top half drops the panel down from the item; one along the bottom
    // raises it up. Either way at least half the free height is on the panel's side.
    if (anchor.center().y() < available.center().y()) {
        const int top = std::clamp(anchor.bottom() + 1 + gap, available.top(), available.bottom());
        return {x, top, width, std::min(wanted.height(), available.bottom() + 1 - top)};
    }
    const int bottom = std::clamp(anchor.top() - 1 - gap, available.top(), available.bottom());
    const int height = std::min(wanted.height(), bottom + 1 - available.top());
    return {x, bottom + 1 - height, width, height};
}

} // namespace PanelPlacement
