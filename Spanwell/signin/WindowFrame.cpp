#include "signin/WindowFrame.h"

#include "views/Typography.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double border = 1;
constexpr double titleBarHeight = 30;
constexpr double cornerRadius = 10;
constexpr double titleSize = 13;
constexpr double closeButtonSize = 16;
constexpr double closeButtonMargin = 8;
constexpr double closeCrossHalf = 3;

QColor alpha(QColor colour, double opacity) {
    colour.setAlphaF(float(opacity));
    return colour;
}

QPainterPath roundedAtTop(const QRectF& box, double radius) {
    QPainterPath shape;
    shape.moveTo(box.bottomLeft());
    shape.lineTo(box.left(), box.top() + radius);
    shape.arcTo(QRectF(box.left(), box.top(), 2 * radius, 2 * radius), 180, -90);
    shape.lineTo(box.right() - radius, box.top());
    shape.arcTo(QRectF(box.right() - 2 * radius, box.top(), 2 * radius, 2 * radius), 90, -90);
    shape.lineTo(box.bottomRight());
    shape.closeSubpath();
    return shape;
}

} // namespace

namespace WindowFrame {

QImage around(const QImage& content, const QString& title, const Theme& theme) {
    const double scale = content.devicePixelRatio();
    const QSizeF contentSize = content.deviceIndependentSize();
    const QSizeF outer(contentSize.width() + 2 * border,
                       contentSize.height() + titleBarHeight + 2 * border);
    QImage framed((outer * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    if (framed.isNull())
        return framed;
    framed.setDevicePixelRatio(scale);
    framed.fill(Qt::transparent);

    QPainter painter(&framed);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(QPointF(0, 0), outer);
    const QRectF inside = bounds.adjusted(border, border, -border, -border);
    const QColor edge = theme.isDark ? alpha(Qt::white, 0.18) : alpha(Qt::black, 0.28);
    const QColor bar =
        theme.isDark ? theme.windowBackground.lighter(118) : theme.windowBackground.darker(106);
    painter.fillPath(roundedAtTop(bounds, cornerRadius), edge);
    painter.setClipPath(roundedAtTop(inside, cornerRadius - border));

    const QRectF titleBar(inside.topLeft(), QSizeF(inside.width(), titleBarHeight));
    // The clip rounds the bar's top corners.
    painter.fillRect(titleBar, bar);
    painter.fillRect(QRectF(titleBar.left(), titleBar.bottom() - border, titleBar.width(), border),
                     theme.separator);

    painter.setFont(Typography::font(titleSize, QFont::DemiBold));
    painter.setPen(theme.primaryText);
    painter.drawText(titleBar, Qt::AlignCenter | Qt::TextSingleLine, title);

    const QRectF closeButton(titleBar.right() - closeButtonMargin - closeButtonSize,
                             titleBar.center().y() - closeButtonSize / 2, closeButtonSize,
                             closeButtonSize);
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme.separator);
    painter.drawEllipse(closeButton);
    painter.setPen(QPen(theme.secondaryText, 1.4, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre = closeButton.center();
    painter.drawLine(centre + QPointF(-closeCrossHalf, -closeCrossHalf),
                     centre + QPointF(closeCrossHalf, closeCrossHalf));
    painter.drawLine(centre + QPointF(-closeCrossHalf, closeCrossHalf),
                     centre + QPointF(closeCrossHalf, -closeCrossHalf));

    painter.drawImage(QPointF(inside.left(), titleBar.bottom()), content);
    return framed;
}

} // namespace WindowFrame
