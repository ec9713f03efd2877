#pragma once

#include "store/UserSettings.h"

#include <QList>

// The preferences the tray program applies as it runs, with the values it offers; a stored
// value that is not one of them reads as the default.
namespace Preferences {

// How often the figures are refreshed.
inline const QList<int> refreshMinutesOffered{1, 2, 5, 10, 15};
int refreshMinutes(const UserSettings& settings);

// From which share of a limit it is announced as nearly used up.
inline constexpr int leastNearlyUsedUp = 50;
inline constexpr int mostNearlyUsedUp = 99;
int nearlyUsedUpPercent(const UserSettings& settings);

// How many days the history keeps its readings.
inline constexpr int leastHistoryDays = 1;
inline constexpr int mostHistoryDays = 3650;
int historyDays(const UserSettings& settings);

} // namespace Preferences
