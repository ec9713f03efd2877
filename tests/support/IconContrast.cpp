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

QColor laidOver(const QColor& top, const QColor& ground) {
    const double alpha = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * alpha + ground.redF() * (1 - alpha)),
                            float(top.greenF() * alpha + ground.greenF() * (1 - alpha)),
                            float(top.blueF() * alpha + ground.blueF() * (1 - alpha)));
}

bool isReadable(const QImage& icon, const QColor& panel) {
    const QImage pixels = icon.convertToFormat(QImage::Format_ARGB32);
    qsizetype standing = 0;
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            if (ratio(laidOver(pixels.pixelColor(x, y), panel), panel) >= leastRatio)
                ++standing;
    return standing > 0 && double(standing) >= leastShare * pixels.width() * pixels.height();
}

} // namespace IconContrast
