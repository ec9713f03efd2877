#include "support/IconContrast.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double leastRatio = 3;
constexpr double leastShare = 0.1;

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour) {
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

} // namespace

namespace IconContrast {

double ratio(const QColor& one, const QColor& other) {
    const double first = luminance(one) + 0.05;
    const double second = luminance(other) + 0.05;
    return std::max(first, second) / std::min(first, second);
}

double standingOut(const QImage& icon, const QColor& panel) {
    const QImage pixels = icon.convertToFormat(QImage::Format_ARGB32);
    int standing = 0;
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x) {
            const QColor pixel = pixels.pixelColor(x, y);
            const double alpha = pixel.alphaF();
            const QColor laid =
                QColor::fromRgbF(float(pixel.redF() * alpha + panel.redF() * (1 - alpha)),
                                 float(pixel.greenF() * alpha + panel.greenF() * (1 - alpha)),
                                 float(pixel.blueF() * alpha + panel.blueF() * (1 - alpha)));
            if (ratio(laid, panel) >= leastRatio)
                ++standing;
        }
    const qsizetype area = qsizetype(pixels.width()) * pixels.height();
    return area ? double(standing) / double(area) : 0;
}

bool isReadable(const QImage& icon, const QColor& panel) {
    return standingOut(icon, panel) >= leastShare;
}

} // namespace IconContrast
