#include "views/Symbols.h"

#include "views/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPixmap>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

// Every shape is laid out on a grid of 100 × 100 units, y growing downward, and scaled to the
// box when painted. Shapes with holes are built with the even-odd rule from pieces that never
// overlap, so their curves stay exact; overlapping pieces are joined first.
constexpr double grid = 100;
constexpr QPointF middle(50, 50);
constexpr double outerRadius = 48;
// The width of a line at the regular weight.
constexpr double regularLine = 9;

QPainterPath disc(QPointF centre, double radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath polyline(std::initializer_list<QPointF> points) {
    QPainterPath path(*points.begin());
    for (auto point = points.begin() + 1; point != points.end(); ++point)
        path.lineTo(*point);
    return path;
}

// The area a pen of `width` with round ends and corners covers along `line`.
QPainterPath stroke(const QPainterPath& line, double width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(line);
}

QPointF unit(QPointF vector) {
    return vector / std::hypot(vector.x(), vector.y());
}

// A convex polygon whose corners are rounded off `rounding` units along each side.
QPainterPath roundedPolygon(const std::vector<QPointF>& corners, double rounding) {
    QPainterPath path;
    const std::size_t count = corners.size();
    for (std::size_t index = 0; index < count; ++index) {
        const QPointF corner = corners[index];
        const QPointF before = corners[(index + count - 1) % count];
        const QPointF after = corners[(index + 1) % count];
        const QPointF entry = corner + unit(before - corner) * rounding;
        const QPointF exit = corner + unit(after - corner) * rounding;
        if (index == 0)
            path.moveTo(entry);
        else
            path.lineTo(entry);
        path.quadTo(corner, exit);
    }
    path.closeSubpath();
    return path;
}

QPainterPath evenOdd(QPainterPath path) {
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

// An outline circle; further pieces added inside its hole are filled again.
QPainterPath ring(double line) {
    QPainterPath path = disc(middle, outerRadius);
    path.addPath(disc(middle, outerRadius - line));
    return evenOdd(path);
}

QPainterPath circleFill(double) {
    return disc(middle, outerRadius);
}

QPainterPath circleOutline(double line) {
    return ring(line);
}

QPainterPath circleLeftHalfFilled(double line) {
    const double inner = outerRadius - line;
    QPainterPath path = disc(middle, outerRadius);
    // Only the right half of the inside is left open.
    path.moveTo(middle.x(), middle.y() - inner);
    path.arcTo(QRectF(middle.x() - inner, middle.y() - inner, 2 * inner, 2 * inner), 90, -180);
    path.closeSubpath();
    return evenOdd(path);
}

QPainterPath circleDotted(double line) {
    constexpr int dots = 10;
    const double dotRadius = line * 0.7;
    const double radius = outerRadius - dotRadius;
    QPainterPath path;
    for (int index = 0; index < dots; ++index) {
        const double angle = 2 * std::numbers::pi * index / dots;
        path.addPath(disc(middle + QPointF(std::sin(angle), -std::cos(angle)) * radius, dotRadius));
    }
    return path;
}

QPainterPath chevronRight(double line) {
    return stroke(polyline({{34, 10}, {66, 50}, {34, 90}}), line * 1.25);
}

QPainterPath arrowClockwise(double line) {
    const QPointF centre(50, 55);
    const double radius = 36;
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    // From a little above three o'clock, clockwise down and round to twelve o'clock, where
    // the head points on in the direction of travel.
    QPainterPath arc;
    arc.arcMoveTo(box, 25);
    arc.arcTo(box, 25, -295);
    const double top = centre.y() - radius;
    const QPainterPath head = roundedPolygon({{47, top - 15}, {69, top}, {47, top + 15}}, 2.5);
    // Joined by the nonzero rule, as the stroke's own overlaps are: the head runs the same way
    // round as the stroke's outline where they meet. Joining them into one outline first took a
    // third of the time the footer's drawing took.
    QPainterPath path = stroke(arc, line);
    path.addPath(head);
    path.setFillRule(Qt::WindingFill);
    return path;
}

QPainterPath gaugeWithNeedle(double line) {
    QPainterPath path = ring(line);
    for (const double degrees : {150.0, 120.0, 90.0, 60.0, 30.0}) {
        const double angle = degrees * std::numbers::pi / 180;
        const QPointF direction(std::cos(angle), -std::sin(angle));
        path.addPath(
            stroke(polyline({middle + direction * 29, middle + direction * 34}), line * 0.75));
    }
    const double needleAngle = 45 * std::numbers::pi / 180;
    const QPointF needleEnd = middle + QPointF(std::cos(needleAngle), -std::sin(needleAngle)) * 25;
    path.addPath(stroke(polyline({middle, needleEnd}), line).united(disc(middle, line * 0.95)));
    return evenOdd(path);
}

QPainterPath ellipsisCircle(double line) {
    QPainterPath path = ring(line);
    for (const double x : {27.0, 50.0, 73.0})
        path.addPath(disc(QPointF(x, 50), line * 0.68));
    return evenOdd(path);
}

QPainterPath checkmarkCircleFill(double line) {
    const QPainterPath check = stroke(polyline({{28, 51}, {43, 66}, {72, 36}}), line * 1.3);
    return disc(middle, outerRadius).subtracted(check);
}

QPainterPath exclamationmarkTriangleFill(double line) {
    QPainterPath path = roundedPolygon({{50, 6}, {98, 92}, {2, 92}}, 12);
    path.addPath(stroke(polyline({{50, 37}, {50, 62}}), line * 1.2));
    path.addPath(disc(QPointF(50, 77), line * 0.72));
    return evenOdd(path);
}

struct Shape {
    QString name;
    QPainterPath (*make)(double line);
};

const std::array<Shape, 10>& shapes() {
    static const std::array<Shape, 10> table{{
        {QStringLiteral("gauge.with.needle"), gaugeWithNeedle},
        {QStringLiteral("circle.fill"), circleFill},
        {QStringLiteral("circle.lefthalf.filled"), circleLeftHalfFilled},
        {QStringLiteral("circle"), circleOutline},
        {QStringLiteral("circle.dotted"), circleDotted},
        {QStringLiteral("chevron.right"), chevronRight},
        {QStringLiteral("arrow.clockwise"), arrowClockwise},
        {QStringLiteral("ellipsis.circle"), ellipsisCircle},
        {QStringLiteral("checkmark.circle.fill"), checkmarkCircleFill},
        {QStringLiteral("exclamationmark.triangle.fill"), exclamationmarkTriangleFill},
    }};
    return table;
}

const Shape* find(const QString& name) {
    const auto& table = shapes();
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const Shape& shape) { return shape.name == name; });
    return found == table.end() ? nullptr : &*found;
}

double lineWidth(QFont::Weight weight) {
    const double steps = (int(weight) - int(QFont::Normal)) / 100.0;
    return regularLine * std::clamp(1.0 + 0.15 * steps, 0.55, 1.8);
}

} // namespace

namespace Symbols {

QPainterPath path(const QString& name, const QRectF& box, QFont::Weight weight) {
    const Shape* shape = find(name);
    if (!shape || box.isEmpty())
        return {};
    const double scale = std::min(box.width(), box.height()) / grid;
    QTransform placing;
    placing.translate(box.center().x(), box.center().y());
    placing.scale(scale, scale);
    placing.translate(-grid / 2, -grid / 2);
    return placing.map(shape->make(lineWidth(weight)));
}

void paint(QPainter& painter, const QString& name, const QRectF& box, const QColor& colour,
           QFont::Weight weight) {
    const QPainterPath shape = path(name, box, weight);
    if (shape.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shape, colour);
    painter.restore();
}

} // namespace Symbols
