#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

// The semantic colours every view draws with, in a light and a dark variant modelled on the
// system colours of a desktop. A view never stores a resolved colour: it asks `Theme::of`
// when it paints, so a tree follows whatever palette it is shown with.
struct Theme {
    enum class Role {
        primaryText,
        secondaryText,
        accent,
        red,
        green,
        yellow,
        windowBackground,
        textBackground,
        separator,
    };

    // How far a disabled control fades.
    static constexpr float disabledOpacity = 0.4f;

    bool isDark = false;
    QColor primaryText;
    QColor secondaryText;
    QColor accent;
    QColor red;
    QColor green;
    QColor yellow;
    QColor windowBackground;
    // Behind editable and selectable text, such as a command to copy.
    QColor textBackground;
    QColor separator;

    QColor colour(Role role) const;
    // A complete widget palette in these colours, so that standard controls match the views.
    // Setting it on a top-level view (or the application) makes that tree use this theme.
    QPalette palette() const;

    static Theme light();
    static Theme dark();
    // Dark when the palette's window colour is dark, light otherwise.
    static Theme fromPalette(const QPalette& palette);
    // The theme of the palette `widget` is shown with; the application's for no widget.
    static Theme of(const QWidget* widget);

    bool operator==(const Theme&) const = default;
};
