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

namespace {

bool isTop(Corner corner) {
    return corner == Corner::topLeft || corner == Corner::topRight;
}
bool isLeft(Corner corner) {
    return corner == Corner::topLeft || corner == Corner::bottomLeft;
}

} // namespace

Corner corner(const Screen& screen, std::optional<Corner> chosen) {
    if (chosen)
        return *chosen;
    const bool barAtTop = screen.available.top() > screen.geometry.top();
    const bool barAtBottom = screen.available.bottom() < screen.geometry.bottom();
    return barAtBottom && !barAtTop ? Corner::bottomRight : Corner::topRight;
}

QRect available(const QRect& geometry, QSize room, Corner corner) {
    const QSize taken = geometry.size() - room.boundedTo(geometry.size());
    return {geometry.x() + (isLeft(corner) ? taken.width() : 0),
            geometry.y() + (isTop(corner) ? taken.height() : 0), geometry.width() - taken.width(),
            geometry.height() - taken.height()};
}

QRect inCorner(Corner corner, QSize wanted, const QRect& available) {
    const QSize size = wanted.boundedTo(available.size());
    const int x = isLeft(corner) ? available.left() : available.right() + 1 - size.width();
    const int y = isTop(corner) ? available.top() : available.bottom() + 1 - size.height();
    return {QPoint(x, y), size};
}

bool isBesideATray(QPoint point, const QList<Screen>& screens) {
    return std::any_of(screens.begin(), screens.end(), [&](const Screen& screen) {
        return screen.geometry.contains(point) && !screen.available.contains(point);
    });
}

} // namespace PanelPlacement
