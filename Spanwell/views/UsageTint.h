#pragma once

#include "model/LimitReading.h"
#include "views/Theme.h"

// The colours of one limit's use: a nearly used-up limit stands out in red, in the bars and
// numbers alike.
namespace UsageTint {

inline bool isNearLimit(double percent) {
    return percent >= nearlyUsedUpPercent;
}

inline Theme::Role bar(double percent) {
    return isNearLimit(percent) ? Theme::Role::red : Theme::Role::accent;
}

inline Theme::Role number(double percent) {
    return isNearLimit(percent) ? Theme::Role::red : Theme::Role::primaryText;
}

} // namespace UsageTint
