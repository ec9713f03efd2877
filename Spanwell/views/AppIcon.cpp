#include "views/AppIcon.h"

#include "files/RegularFile.h"
#include "views/Shadow.h"

#include <QBuffer>
#include <QIconEngine>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

#include <algorithm>
#include <optional>

namespace {

// The icon is laid out in a square of 1024 units with the origin at the bottom-left corner and
// y growing upward. The painter is turned over once to match, so every figure below is the
// layout's own. Qt's arc angles then run the other way round, which is why arcs negate them.
constexpr double designSize = 1024;

constexpr QPointF gaugeCentre(512, 468);
constexpr double gaugeRadius = 248;
constexpr double gaugeLine = 76;
constexpr double gaugeStart = 3.839724354387525; // 220°
constexpr double trackEnd = -0.6981317007977318; // -40°
constexpr double valueEnd = 0.9354964790689606;  // 53.6°
constexpr QPointF needleEnd(582.0234286192367, 562.9774680879979);

const QColor shadowColour = QColor::fromRgbF(0, 0, 0, 0.28f);
// The shadow falls 12 device units below the card (the layout's (0, -12) with y upward) and is
// never scaled with the icon.
constexpr QPointF shadowOffset(0, 12);
constexpr double shadowBlur = 28;

const QColor gradientBottom = QColor::fromRgbF(0.90f, 0.93f, 0.97f);
const QColor trackColour = QColor::fromRgbF(0.80f, 0.84f, 0.90f);
const QColor needleColour = QColor::fromRgbF(0.09f, 0.13f, 0.22f);

constexpr int edges[] = {16, 32, 64, 128, 256, 512, 1024};
constexpr int windowIconEdges[] = {16, 32, 48, 64, 128, 256};

// Clockwise (as seen with y upward) from `from` to `to`, both in radians.
QPainterPath clockwiseArc(double from, double to) {
    const QRectF box(gaugeCentre.x() - gaugeRadius, gaugeCentre.y() - gaugeRadius, 2 * gaugeRadius,
                     2 * gaugeRadius);
    QPainterPath arc;
    arc.arcMoveTo(box, -qRadiansToDegrees(from));
    arc.arcTo(box, -qRadiansToDegrees(from), qRadiansToDegrees(from - to));
    return arc;
}

void strokeRound(QPainter& painter, const QPainterPath& path, const QColor& colour) {
    painter.strokePath(path, QPen(colour, gaugeLine, Qt::SolidLine, Qt::RoundCap));
}

std::optional<QByteArray> iconFile(int edge) {
    const QImage image = AppIcon::image(edge);
    if (image.isNull())
        return std::nullopt;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return std::nullopt;
    return png;
}

// Drawn at each size when asked; Qt keeps no pixmap of it.
class DrawnIcon : public QIconEngine {
public:
    QIconEngine* clone() const override { return new DrawnIcon; }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int edge : windowIconEdges)
            sizes.append(QSize(edge, edge));
        return sizes;
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        return QPixmap::fromImage(AppIcon::image(std::min(size.width(), size.height())));
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        const int edge = std::min(rect.width(), rect.height());
        painter->save();
        painter->translate(rect.center() - QPoint(edge, edge) / 2);
        AppIcon::draw(*painter, edge);
        painter->restore();
    }
};

} // namespace

namespace AppIcon {

const QColor blue = QColor::fromRgbF(float(10 / 255.0), 0.4f, 1.0f);

void draw(QPainter& painter, double size) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / designSize, size / designSize);
    painter.translate(0, designSize);
    painter.scale(1, -1);

    QPainterPath card;
    card.addRoundedRect(QRectF(100, 100, 824, 824), 185, 185);

    Shadow::paint(painter, card, shadowOffset, shadowBlur, shadowColour);
    painter.fillPath(card, Qt::white);

    // Filling the card with the gradient covers exactly what clipping to it would, and keeps
    // its rounded edge smooth where a clip would leave it jagged.
    QLinearGradient gradient(QPointF(512, 924), QPointF(512, 100));
    gradient.setColorAt(0, Qt::white);
    gradient.setColorAt(1, gradientBottom);
    painter.fillPath(card, gradient);

    strokeRound(painter, clockwiseArc(gaugeStart, trackEnd), trackColour);
    strokeRound(painter, clockwiseArc(gaugeStart, valueEnd), blue);
    QPainterPath needle(gaugeCentre);
    needle.lineTo(needleEnd);
    strokeRound(painter, needle, needleColour);

    painter.restore();
}

QImage image(int edge) {
    QImage drawn(edge, edge, QImage::Format_ARGB32_Premultiplied);
    if (drawn.isNull())
        return {};
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    if (!painter.isActive())
        return {};
    draw(painter, edge);
    return drawn;
}

QIcon icon() {
    return QIcon(new DrawnIcon);
}

RegularFile::Written write(const QString& folder) {
    if (const RegularFile::Written made = RegularFile::makeFolder(folder); !made)
        return made;
    for (const int edge : edges) {
        const QString name = QStringLiteral("icon_%1.png").arg(edge);
        const std::optional<QByteArray> png = iconFile(edge);
        if (!png)
            return {name + QStringLiteral(" cannot be drawn")};
        const RegularFile::Written written = RegularFile::replace(
            folder + QLatin1Char('/') + name, *png, RegularFile::Readers::asUmaskAllows);
        if (!written)
            return {name + QStringLiteral(": ") + written.failure};
    }
    return {};
}

} // namespace AppIcon
