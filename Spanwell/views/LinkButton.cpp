#include "views/LinkButton.h"

#include "views/Theme.h"
#include "views/Typography.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>

namespace {

constexpr float pressedOpacity = 0.7f;

} // namespace

LinkButton::LinkButton(const QString& text, double pointSize, QWidget* parent)
    : QAbstractButton(parent) {
    setText(text);
    setFont(Typography::font(pointSize));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize LinkButton::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()), metrics.height()};
}

void LinkButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void LinkButton::paintEvent(QPaintEvent*) {
    QColor colour = Theme::of(this).accent;
    if (!isEnabled())
        colour.setAlphaF(colour.alphaF() * Theme::disabledOpacity);
    else if (isDown())
        colour.setAlphaF(colour.alphaF() * pressedOpacity);

    QPainter painter(this);
    QFont shown = font();
    // Without a frame, an underline is what shows where the keyboard is.
    shown.setUnderline(hasFocus());
    painter.setFont(shown);
    painter.setPen(colour);
    painter.drawText(rect(), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine, text());
}
