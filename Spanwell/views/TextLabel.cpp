#include "views/TextLabel.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

TextLabel::TextLabel(const QString& text, const QFont& font, Theme::Role colour, QWidget* parent)
    : QLabel(parent)
    , colourRole(colour) {
    setTextFormat(Qt::PlainText);
    // QLabel's default lets the mouse reach links; plain text has none, and only a label made
    // selectable is drawn by QLabel, which knows nothing of eliding.
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFont(font);
    setText(text);
    applyColour();
}

void TextLabel::setColour(Theme::Role colour) {
    colourRole = colour;
    applyColour();
    update();
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

void TextLabel::setWrapping() {
    setWordWrap(true);
    // Wrapped, it takes the width its column offers instead of asking for a width of its own.
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void TextLabel::setSelectable() {
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
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

bool TextLabel::event(QEvent* event) {
    // A shortened text shows whole in a tool tip; one shown whole leaves the tip to its parent.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && elision != Qt::ElideNone) {
        if (shownText() == text()) {
            event->ignore();
            return false;
        }
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

void TextLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColour();
}

// Selectable text is drawn by QLabel itself, with its selection, from the palette.
void TextLabel::applyColour() {
    const QColor colour = Theme::of(this).colour(colourRole);
    if (palette().color(QPalette::WindowText) == colour)
        return;
    QPalette recoloured = palette();
    recoloured.setColor(QPalette::WindowText, colour);
    recoloured.setColor(QPalette::Text, colour);
    setPalette(recoloured);
}

void TextLabel::paintEvent(QPaintEvent* event) {
    if (textInteractionFlags() != Qt::NoTextInteraction) {
        QLabel::paintEvent(event);
        return;
    }
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
