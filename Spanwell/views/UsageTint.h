#pragma once

#include "model/LimitReading.h"
#include "views/Theme.h"

// The colours of one limit's use: a limit running out stands out in red, in the bars and
// numbers alike.
namespace UsageTint {

inline bool isRunningOut(double percent) {
    return percent >= runningOutPercent;
}

inline Theme::Role bar(double percent) {
    return isRunningOut(percent) ? Theme::Role::red : Theme::Role::accent;
}

inline Theme::Role number(double percent) {
    return isRunningOut(percent) ? Theme::Role::red : Theme::Role::primaryText;
}

} // namespace UsageTint
