#include "views/Bar.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

constexpr double trackOpacity = 0.16;

void fillCapsule(QPainter& painter, const QRectF& box, const QColor& colour) {
    QPainterPath capsule;
    const double radius = box.height() / 2;
    capsule.addRoundedRect(box, radius, radius);
    painter.fillPath(capsule, colour);
}

} // namespace

Bar::Bar(double fraction, Theme::Role tint, QWidget* parent)
    : QWidget(parent)
    , filled(fraction)
    , tintRole(tint) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Bar::setElapsedShare(std::optional<double> share) {
    tickShare = share;
    updateGeometry();
    update();
}

double Bar::fillWidth(double available, double fraction) {
    // Written so that a fraction that is not a number shows no use either.
    if (!(fraction > 0) || !(available > 0))
        return 0;
    return std::min(available, std::max(double(thickness), available * std::min(fraction, 1.0)));
}

double Bar::tickCentre(double available, double share) {
    const double half = tickWidth / 2;
    if (available <= tickWidth)
        return available / 2;
    return std::clamp(available * share, half, available - half);
}

QSize Bar::sizeHint() const {
    return {40, tickShare ? thickness + 2 * tickOverhang : thickness};
}

QSize Bar::minimumSizeHint() const {
    return {thickness, sizeHint().height()};
}

void Bar::paintEvent(QPaintEvent*) {
    const Theme theme = Theme::of(this);
    QColor track = theme.primaryText;
    track.setAlphaF(track.alphaF() * float(trackOpacity));

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double top = (height() - thickness) / 2.0;
    fillCapsule(painter, QRectF(0, top, width(), thickness), track);
    const double fill = fillWidth(width(), filled);
    if (fill > 0) {
        const double left = isRightToLeft() ? width() - fill : 0;
        fillCapsule(painter, QRectF(left, top, fill, thickness), theme.colour(tintRole));
    }
    if (tickShare) {
        const double along = tickCentre(width(), *tickShare);
        const double centre = isRightToLeft() ? width() - along : along;
        const double tickTop = top - tickOverhang;
        painter.fillRect(
            QRectF(centre - tickWidth / 2, tickTop, tickWidth, thickness + 2 * tickOverhang),
            theme.secondaryText);
    }
}
