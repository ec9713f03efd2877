#pragma once

#include "views/Theme.h"

// The colours of one limit's use: red from 90% on, so a nearly used-up limit stands out in
// the bars and numbers alike.
namespace UsageTint {

inline constexpr double nearLimit = 90;

inline bool isNearLimit(double percent) {
    return percent >= nearLimit;
}

inline Theme::Role bar(double percent) {
    return isNearLimit(percent) ? Theme::Role::red : Theme::Role::accent;
}

inline Theme::Role number(double percent) {
    return isNearLimit(percent) ? Theme::Role::red : Theme::Role::primaryText;
}

} // namespace UsageTint
