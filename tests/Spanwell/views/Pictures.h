#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QWidget>

#include <cstdlib>

// Renders widgets and painting onto transparent images, and reads what was drawn.
namespace Pictures {

// The widget at `size` (its size hint when not given), children included, without any window
// background, so that only what the widget itself paints shows.
inline QImage of(QWidget& widget, QSize size = {}) {
    widget.resize(size.isValid() ? size : widget.sizeHint());
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.convertToFormat(QImage::Format_ARGB32);
}

// A transparent image with `paint` run on it.
template <typename Painting>
QImage painted(QSize size, Painting paint) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        paint(painter);
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The smallest rectangle holding every pixel more opaque than `alpha`.
inline QRect ink(const QImage& image, int alpha = 0) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > alpha)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// Whether every channel, alpha included, is within `tolerance`.
inline bool near(const QColor& seen, const QColor& expected, int tolerance = 2) {
    return std::abs(seen.red() - expected.red()) <= tolerance &&
           std::abs(seen.green() - expected.green()) <= tolerance &&
           std::abs(seen.blue() - expected.blue()) <= tolerance &&
           std::abs(seen.alpha() - expected.alpha()) <= tolerance;
}

} // namespace Pictures
