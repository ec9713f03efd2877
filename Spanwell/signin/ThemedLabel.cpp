#include "signin/ThemedLabel.h"

#include "views/Typography.h"

#include <QEvent>

ThemedLabel::ThemedLabel(const QString& text, double size, Theme::Role role, QFont::Weight weight,
                         QWidget* parent)
    : QLabel(text, parent)
    , colourRole(role) {
    setFont(Typography::font(size, weight));
    setTextFormat(Qt::PlainText);
    applyColour();
}

void ThemedLabel::setRole(Theme::Role role) {
    colourRole = role;
    applyColour();
}

void ThemedLabel::setWrapping() {
    setWordWrap(true);
    // Wrapped, it takes the width its column offers instead of asking for a width of its own.
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void ThemedLabel::setSelectable() {
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void ThemedLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColour();
}

void ThemedLabel::applyColour() {
    const QColor colour = Theme::of(this).colour(colourRole);
    if (palette().color(QPalette::WindowText) == colour)
        return;
    QPalette recoloured = palette();
    recoloured.setColor(QPalette::WindowText, colour);
    recoloured.setColor(QPalette::Text, colour);
    setPalette(recoloured);
}
