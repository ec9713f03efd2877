#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QRectF>
#include <QString>

class QPainter;

// The named symbols the interface shows, drawn from vector paths of our own so that they stay
// crisp at every size and on every screen.
namespace Symbols {

// The symbol's outline in the largest square centred in `box`; empty for an unknown name.
QPainterPath path(const QString& name, const QRectF& box, QFont::Weight weight = QFont::Normal);

// Fills the symbol into the largest square centred in `box`. Heavier weights draw thicker
// lines, as a heavier font would. An unknown name paints nothing.
void paint(QPainter& painter, const QString& name, const QRectF& box, const QColor& colour,
           QFont::Weight weight = QFont::Normal);

} // namespace Symbols
