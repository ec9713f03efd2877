#pragma once

#include "store/UserSettings.h"

#include <QColor>
#include <QList>
#include <QPalette>
#include <QString>

// How the tray item's image is inked. Panels come light and dark whatever the applications'
// theme is, so by default the glyph carries a halo of the opposite tone and reads on both;
// the user can pick a plain glyph for a panel of known tone. Kept in the user's settings.
enum class TrayIconStyle { automatic, forLightPanels, forDarkPanels };

namespace TrayIconStyles {

struct Ink {
    QColor glyph;
    // Around the glyph; fully transparent for none.
    QColor halo;
};

// In the order the menu offers them.
QList<TrayIconStyle> all();
// The menu's words for it.
QString title(TrayIconStyle style);
// `automatic` follows the palette's text colour, with a halo of the opposite tone.
Ink ink(TrayIconStyle style, const QPalette& palette);

// Anything the settings hold that names no style is `automatic`.
TrayIconStyle read(const UserSettings& settings);
void write(UserSettings& settings, TrayIconStyle style);

} // namespace TrayIconStyles
