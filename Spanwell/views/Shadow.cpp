#include "views/Shadow.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Three passes of a box blur come within a few percent of a Gaussian, at a cost that does not
// grow with the blur. Returns the three box widths for deviation `sigma`.
std::vector<int> boxWidths(double sigma) {
    constexpr int passes = 3;
    const double ideal = std::sqrt(12 * sigma * sigma / passes + 1);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const double lowerCount =
        (12 * sigma * sigma - passes * lower * lower - 4.0 * passes * lower - 3.0 * passes) /
        (-4.0 * lower - 4);
    const int count = int(std::lround(lowerCount));
    std::vector<int> widths;
    for (int pass = 0; pass < passes; ++pass)
        widths.push_back(pass < count ? lower : upper);
    return widths;
}

// One box pass along rows (`step` 1) or columns (`step` the row length) of a coverage buffer;
// everything beyond the buffer counts as empty.
void boxPass(std::vector<float>& values, int lines, int length, int lineStep, int step,
             int radius) {
    std::vector<float> line(static_cast<std::size_t>(length));
    const float scale = 1.0f / float(2 * radius + 1);
    for (int index = 0; index < lines; ++index) {
        float* start = values.data() + std::ptrdiff_t(index) * lineStep;
        for (int position = 0; position < length; ++position)
            line[std::size_t(position)] = start[std::ptrdiff_t(position) * step];
        float sum = 0;
        for (int position = 0; position < std::min(radius, length); ++position)
            sum += line[std::size_t(position)];
        for (int position = 0; position < length; ++position) {
            const int entering = position + radius;
            const int leaving = position - radius - 1;
            if (entering < length)
                sum += line[std::size_t(entering)];
            if (leaving >= 0)
                sum -= line[std::size_t(leaving)];
            start[std::ptrdiff_t(position) * step] = sum * scale;
        }
    }
}

void blur(std::vector<float>& coverage, int width, int height, double sigma) {
    for (const int boxWidth : boxWidths(sigma)) {
        const int radius = (boxWidth - 1) / 2;
        boxPass(coverage, height, width, width, 1, radius);
        boxPass(coverage, width, height, 1, width, radius);
    }
}

} // namespace

namespace Shadow {

void paint(QPainter& painter, const QPainterPath& shape, QPointF offset, double blurSize,
           const QColor& colour) {
    const QPaintDevice* device = painter.device();
    if (!device || shape.isEmpty())
        return;
    const double pixelRatio = device->devicePixelRatioF();
    const double sigma = std::max(0.0, blurSize) / 2;
    const double reach = std::ceil(3 * sigma) + 2;

    const QPainterPath deviceShape = painter.worldTransform().map(shape).translated(offset);
    // Only what can reach the device matters: the shape's blurred area within the device.
    const QRectF deviceArea =
        QRectF(0, 0, device->width(), device->height()).adjusted(-reach, -reach, reach, reach);
    const QRectF area = deviceShape.boundingRect()
                            .adjusted(-reach, -reach, reach, reach)
                            .intersected(deviceArea)
                            .toAlignedRect();
    if (area.isEmpty())
        return;

    QImage mask((area.size() * pixelRatio).toSize(), QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter maskPainter(&mask);
        maskPainter.setRenderHint(QPainter::Antialiasing);
        maskPainter.scale(pixelRatio, pixelRatio);
        maskPainter.translate(-area.topLeft());
        maskPainter.fillPath(deviceShape, Qt::black);
    }

    const int width = mask.width();
    const int height = mask.height();
    std::vector<float> coverage(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const uchar* row = mask.constScanLine(y);
        for (int x = 0; x < width; ++x)
            coverage[std::size_t(y) * std::size_t(width) + std::size_t(x)] = row[x] / 255.0f;
    }
    if (sigma * pixelRatio >= 0.5)
        blur(coverage, width, height, sigma * pixelRatio);

    QImage shadow(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const float amount = coverage[std::size_t(y) * std::size_t(width) + std::size_t(x)];
            const float alpha = std::clamp(amount, 0.0f, 1.0f) * colour.alphaF();
            row[x] = qRgba(qRound(colour.red() * alpha), qRound(colour.green() * alpha),
                           qRound(colour.blue() * alpha), qRound(255 * alpha));
        }
    }
    shadow.setDevicePixelRatio(pixelRatio);

    painter.save();
    painter.resetTransform();
    painter.drawImage(area.topLeft(), shadow);
    painter.restore();
}

} // namespace Shadow
