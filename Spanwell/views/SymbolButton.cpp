#include "views/SymbolButton.h"

#include "views/Symbols.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

// Room around the symbol for the keyboard focus ring.
constexpr int margin = 2;
constexpr double focusRingAlpha = 0.5;

} // namespace

SymbolButton::SymbolButton(const QString& symbol, double pointSize, Theme::Role colour,
                           QWidget* parent)
    : QAbstractButton(parent)
    , symbolName(symbol)
    , size(pointSize)
    , colourRole(colour) {
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SymbolButton::sizeHint() const {
    const int side = int(std::ceil(size)) + 2 * margin;
    return {side, side};
}

void SymbolButton::paintEvent(QPaintEvent*) {
    const Theme theme = Theme::of(this);
    QColor colour = theme.colour(colourRole);
    if (!isEnabled())
        colour.setAlphaF(colour.alphaF() * Theme::disabledOpacity);
    else if (isDown())
        colour = theme.primaryText;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(margin, margin, -margin, -margin);
    if (hasFocus()) {
        QColor ring = theme.accent;
        ring.setAlphaF(float(focusRingAlpha));
        painter.setPen(QPen(ring, 1.5));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 3, 3);
    }
    Symbols::paint(painter, symbolName, box, colour);
}
