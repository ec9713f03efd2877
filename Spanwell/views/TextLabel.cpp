#include "views/TextLabel.h"

#include <QPainter>
#include <QStyle>

TextLabel::TextLabel(const QString& text, const QFont& font, Theme::Role colour, QWidget* parent)
    : QLabel(parent)
    , colourRole(colour) {
    setTextFormat(Qt::PlainText);
    setFont(font);
    setText(text);
}

void TextLabel::setElideMode(Qt::TextElideMode mode) {
    elision = mode;
    if (mode != Qt::ElideNone)
        setWordWrap(false);
    updateGeometry();
    update();
}

QString TextLabel::shownText() const {
    if (elision == Qt::ElideNone)
        return text();
    return fontMetrics().elidedText(text(), elision, contentsRect().width());
}

QSize TextLabel::minimumSizeHint() const {
    const QSize natural = QLabel::minimumSizeHint();
    if (elision == Qt::ElideNone)
        return natural;
    // Enough for an ellipsis, so a squeezed label still shows that something was cut.
    const QMargins margins = contentsMargins();
    return {fontMetrics().horizontalAdvance(QChar(0x2026)) + margins.left() + margins.right(),
            natural.height()};
}

void TextLabel::paintEvent(QPaintEvent*) {
    QColor colour = Theme::of(this).colour(colourRole);
    if (!isEnabled())
        colour.setAlphaF(colour.alphaF() * Theme::disabledOpacity);
    QPainter painter(this);
    painter.setPen(colour);
    painter.setFont(font());
    int flags = int(QStyle::visualAlignment(layoutDirection(), alignment()));
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    else
        flags |= Qt::TextSingleLine;
    painter.drawText(contentsRect(), flags, shownText());
}
