#include "tray/PreferenceSettings.h"

#include "store/UserSettings.h"
#include "views/PreferencesWindow.h"

namespace {

const QString refreshKey = QStringLiteral("refreshMinutes");
const QString nearlyUsedUpKey = QStringLiteral("notifications/nearlyUsedUpPercent");
constexpr int defaultRefreshMinutes = 5;
constexpr int defaultNearlyUsedUp = 80;

void write(const QString& settingsPath, const QString& key, int value) {
    const std::unique_ptr<QSettings> settings = UserSettings::open(settingsPath);
    settings->setValue(key, value);
    settings->sync();
}

} // namespace

namespace PreferenceSettings {

int refreshMinutes(const QString& settingsPath) {
    bool isNumber = false;
    const int minutes = UserSettings::open(settingsPath)->value(refreshKey).toInt(&isNumber);
    return isNumber && PreferencesWindow::refreshMinutes.contains(minutes) ? minutes
                                                                           : defaultRefreshMinutes;
}

void setRefreshMinutes(const QString& settingsPath, int minutes) {
    write(settingsPath, refreshKey, minutes);
}

int nearlyUsedUpPercent(const QString& settingsPath) {
    bool isNumber = false;
    const int percent = UserSettings::open(settingsPath)->value(nearlyUsedUpKey).toInt(&isNumber);
    return isNumber && percent >= PreferencesWindow::leastNearlyUsedUp &&
                   percent <= PreferencesWindow::mostNearlyUsedUp
               ? percent
               : defaultNearlyUsedUp;
}

void setNearlyUsedUpPercent(const QString& settingsPath, int percent) {
    write(settingsPath, nearlyUsedUpKey, percent);
}

} // namespace PreferenceSettings
