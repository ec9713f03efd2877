#include "views/TextLabel.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

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

void TextLabel::setShrinkingPart(qsizetype start, qsizetype length) {
    shrinkingStart = start;
    shrinkingLength = length;
    update();
}

QString TextLabel::shownText() const {
    if (elision == Qt::ElideNone)
        return text();
    const QFontMetrics metrics = fontMetrics();
    const int width = contentsRect().width();
    QString shown = text();
    if (shrinkingLength > 0 && metrics.horizontalAdvance(shown) > width) {
        const QString rest = QString(shown).remove(shrinkingStart, shrinkingLength);
        QString part =
            metrics.elidedText(shown.mid(shrinkingStart, shrinkingLength), Qt::ElideMiddle,
                               std::max(width - metrics.horizontalAdvance(rest), 0));
        if (part.isEmpty())
            part = QChar(0x2026);
        shown.replace(shrinkingStart, shrinkingLength, part);
    }
    return metrics.elidedText(shown, elision, width);
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
