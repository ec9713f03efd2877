#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPointF>

class QPainter;

// A soft drop shadow behind a shape, as a desktop's drawing library casts one.
namespace Shadow {

// Paints the shadow of `shape` (given in the painter's current coordinates): the shape moved by
// `offset` and blurred by `blur`, in `colour`. The offset (y downward) and the blur are in the
// device's own units and do not follow the painter's transformation, so the shadow looks the
// same at every drawing scale. The blur is that of a Gaussian with a deviation of half `blur`.
void paint(QPainter& painter, const QPainterPath& shape, QPointF offset, double blur,
           const QColor& colour);

} // namespace Shadow
