#pragma once

#include "model/Instant.h"
#include "model/LimitReading.h"

#include <QString>

#include <optional>

// How long a limit's window lasts, known from its title, and how much of it has gone.
namespace LimitWindow {

// "Session" lasts five hours; "Week" and every "Week, …" seven days. Other titles have no
// known length.
std::optional<double> lengthSeconds(const QString& title);

// 1 − (resetsAt − now) / length, kept within 0 to 1; absent without a known length or a reset
// instant.
std::optional<double> shareGone(const LimitReading& reading, Instant now);

} // namespace LimitWindow
