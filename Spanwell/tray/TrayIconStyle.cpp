#include "tray/TrayIconStyle.h"

namespace {

const QColor dark(24, 24, 24);
const QColor light(250, 250, 250);

QString key(TrayIconStyle style) {
    switch (style) {
    case TrayIconStyle::forLightPanels:
        return QStringLiteral("forLightPanels");
    case TrayIconStyle::forDarkPanels:
        return QStringLiteral("forDarkPanels");
    case TrayIconStyle::automatic:
        break;
    }
    return QStringLiteral("automatic");
}

} // namespace

namespace TrayIconStyles {

QList<TrayIconStyle> all() {
    return {TrayIconStyle::automatic, TrayIconStyle::forLightPanels, TrayIconStyle::forDarkPanels};
}

QString title(TrayIconStyle style) {
    switch (style) {
    case TrayIconStyle::forLightPanels:
        return QStringLiteral("For Light Panels");
    case TrayIconStyle::forDarkPanels:
        return QStringLiteral("For Dark Panels");
    case TrayIconStyle::automatic:
        break;
    }
    return QStringLiteral("Automatic");
}

Ink ink(TrayIconStyle style, const QPalette& palette) {
    switch (style) {
    case TrayIconStyle::forLightPanels:
        return {dark, Qt::transparent};
    case TrayIconStyle::forDarkPanels:
        return {light, Qt::transparent};
    case TrayIconStyle::automatic:
        break;
    }
    const bool darkText = palette.color(QPalette::WindowText).lightnessF() < 0.5;
    return darkText ? Ink{dark, light} : Ink{light, dark};
}

TrayIconStyle read(const UserSettings& settings) {
    const QString stored = settings.value(Settings::trayIconStyle);
    for (const TrayIconStyle style : all())
        if (key(style) == stored)
            return style;
    return TrayIconStyle::automatic;
}

void write(UserSettings& settings, TrayIconStyle style) {
    settings.setValue(Settings::trayIconStyle, key(style));
}

} // namespace TrayIconStyles
