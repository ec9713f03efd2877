#pragma once

#include <QString>

// The preferences that the tray program applies as it runs, kept in the user's settings: how
// often the figures are refreshed, and from which share of a limit it is announced as nearly
// used up. `settingsPath` is the INI file, or the platform's own settings store when empty; a
// value that is missing or not one the program offers reads as the default.
namespace PreferenceSettings {

// 1, 2, 5, 10 or 15 minutes; 5 by default.
int refreshMinutes(const QString& settingsPath);
void setRefreshMinutes(const QString& settingsPath, int minutes);

// 50 to 99 %; 80 by default.
int nearlyUsedUpPercent(const QString& settingsPath);
void setNearlyUsedUpPercent(const QString& settingsPath, int percent);

} // namespace PreferenceSettings
