#include "views/SymbolView.h"

#include "views/Symbols.h"

#include <QPainter>

#include <cmath>

SymbolView::SymbolView(const QString& name, double pointSize, Theme::Role colour, QWidget* parent)
    : QWidget(parent)
    , symbolName(name)
    , size(pointSize)
    , colourRole(colour) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolView::setWeight(QFont::Weight weight) {
    symbolWeight = weight;
    update();
}

void SymbolView::setBoxWidth(double width) {
    box = width;
    updateGeometry();
    update();
}

void SymbolView::setRotation(double newDegrees) {
    degrees = newDegrees;
    update();
}

QSize SymbolView::sizeHint() const {
    const int height = int(std::ceil(size));
    return {box > 0 ? int(std::ceil(box)) : height, height};
}

void SymbolView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.rotate(degrees);
    QColor colour = Theme::of(this).colour(colourRole);
    if (!isEnabled())
        colour.setAlphaF(colour.alphaF() * Theme::disabledOpacity);
    Symbols::paint(painter, symbolName, QRectF(-size / 2, -size / 2, size, size), colour,
                   symbolWeight);
}
