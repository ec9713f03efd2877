#include "views/Theme.h"

#include <QGuiApplication>
#include <QWidget>

namespace {

// `top` laid over the opaque `bottom`: standard controls draw text best in opaque colours.
QColor over(const QColor& top, const QColor& bottom) {
    const double alpha = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * alpha + bottom.redF() * (1 - alpha)),
                            float(top.greenF() * alpha + bottom.greenF() * (1 - alpha)),
                            float(top.blueF() * alpha + bottom.blueF() * (1 - alpha)));
}

QColor withAlpha(QColor colour, double alpha) {
    colour.setAlphaF(float(alpha));
    return colour;
}

} // namespace

QColor Theme::colour(Role role) const {
    switch (role) {
    case Role::primaryText:
        return primaryText;
    case Role::secondaryText:
        return secondaryText;
    case Role::accent:
        return accent;
    case Role::red:
        return red;
    case Role::green:
        return green;
    case Role::yellow:
        return yellow;
    case Role::windowBackground:
        return windowBackground;
    case Role::textBackground:
        return textBackground;
    case Role::separator:
        return separator;
    }
    return primaryText;
}

QPalette Theme::palette() const {
    const QColor button = isDark ? QColor(72, 72, 72) : QColor(255, 255, 255);
    const QColor ink = isDark ? QColor(255, 255, 255) : QColor(0, 0, 0);
    const QColor disabledText = withAlpha(ink, 0.25);

    QPalette palette;
    palette.setColor(QPalette::Window, windowBackground);
    palette.setColor(QPalette::WindowText, over(primaryText, windowBackground));
    palette.setColor(QPalette::Base, textBackground);
    palette.setColor(QPalette::AlternateBase,
                     isDark ? windowBackground.lighter(115) : windowBackground.darker(104));
    palette.setColor(QPalette::Text, over(primaryText, textBackground));
    palette.setColor(QPalette::PlaceholderText, over(secondaryText, textBackground));
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, over(primaryText, button));
    palette.setColor(QPalette::BrightText, red);
    palette.setColor(QPalette::Light, button.lighter(130));
    palette.setColor(QPalette::Midlight, button.lighter(110));
    palette.setColor(QPalette::Mid, button.darker(130));
    palette.setColor(QPalette::Dark, button.darker(160));
    palette.setColor(QPalette::Shadow, QColor(0, 0, 0));
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    palette.setColor(QPalette::Link, accent);
    palette.setColor(QPalette::LinkVisited, accent);
    palette.setColor(QPalette::ToolTipBase, isDark ? QColor(60, 60, 60) : QColor(255, 255, 255));
    palette.setColor(QPalette::ToolTipText, isDark ? over(primaryText, QColor(60, 60, 60))
                                                   : over(primaryText, QColor(255, 255, 255)));
    palette.setColor(QPalette::Disabled, QPalette::WindowText,
                     over(disabledText, windowBackground));
    palette.setColor(QPalette::Disabled, QPalette::Text, over(disabledText, textBackground));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, over(disabledText, button));
    return palette;
}

Theme Theme::light() {
    Theme theme;
    theme.isDark = false;
    theme.primaryText = QColor(0, 0, 0, 217);
    theme.secondaryText = QColor(0, 0, 0, 128);
    theme.accent = QColor(0, 122, 255);
    theme.red = QColor(255, 59, 48);
    theme.green = QColor(40, 205, 65);
    theme.yellow = QColor(255, 204, 0);
    theme.windowBackground = QColor(236, 236, 236);
    theme.textBackground = QColor(255, 255, 255);
    theme.separator = QColor(0, 0, 0, 26);
    return theme;
}

Theme Theme::dark() {
    Theme theme;
    theme.isDark = true;
    theme.primaryText = QColor(255, 255, 255, 217);
    theme.secondaryText = QColor(255, 255, 255, 140);
    theme.accent = QColor(10, 132, 255);
    theme.red = QColor(255, 69, 58);
    theme.green = QColor(50, 215, 75);
    theme.yellow = QColor(255, 214, 10);
    theme.windowBackground = QColor(50, 50, 50);
    theme.textBackground = QColor(30, 30, 30);
    theme.separator = QColor(255, 255, 255, 26);
    return theme;
}

Theme Theme::fromPalette(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5 ? dark() : light();
}

Theme Theme::of(const QWidget* widget) {
    return fromPalette(widget ? widget->palette() : QGuiApplication::palette());
}
