#include "tray/TrayIconStyle.h"

#include "store/UserSettings.h"

#include <QSettings>

#include <memory>

namespace {

const QString settingsKey = QStringLiteral("trayIcon");
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

TrayIconStyle read(const QString& settingsPath) {
    const QString stored = UserSettings::open(settingsPath)->value(settingsKey).toString();
    for (const TrayIconStyle style : all())
        if (key(style) == stored)
            return style;
    return TrayIconStyle::automatic;
}

void write(const QString& settingsPath, TrayIconStyle style) {
    const std::unique_ptr<QSettings> settings = UserSettings::open(settingsPath);
    settings->setValue(settingsKey, key(style));
    settings->sync();
}

} // namespace TrayIconStyles
