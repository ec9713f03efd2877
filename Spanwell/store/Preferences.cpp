#include "store/Preferences.h"

namespace Preferences {

int refreshMinutes(const UserSettings& settings) {
    const int minutes = settings.value(Settings::refreshMinutes);
    return refreshMinutesOffered.contains(minutes) ? minutes : Settings::refreshMinutes.byDefault;
}

int nearlyUsedUpPercent(const UserSettings& settings) {
    const int percent = settings.value(Settings::nearlyUsedUpPercent);
    return percent >= leastNearlyUsedUp && percent <= mostNearlyUsedUp
               ? percent
               : Settings::nearlyUsedUpPercent.byDefault;
}

int historyDays(const UserSettings& settings) {
    const int days = settings.value(Settings::historyDays);
    return days >= leastHistoryDays && days <= mostHistoryDays ? days
                                                               : Settings::historyDays.byDefault;
}

} // namespace Preferences
