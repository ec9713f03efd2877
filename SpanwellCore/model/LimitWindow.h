#pragma once

#include "model/Instant.h"
#include "model/LimitReading.h"

#include <QString>

#include <optional>

// The span of time a limit counts its use over, ending at its reset. Its length follows from
// the limit's title; a title of any other kind has no known window.
namespace LimitWindow {

inline constexpr double sessionSeconds = 5 * 3600;
inline constexpr double weekSeconds = 7 * 86400;

// "Session": five hours; "Week" and every "Week, …": seven days; absent for any other title.
std::optional<double> length(const QString& title);
bool isWeekly(const QString& title);

// The share of the window already gone at `now`, from 0 (just started) to 1 (over). Absent
// without a reset instant or a known length.
std::optional<double> elapsedShare(const LimitReading& limit, Instant now);

} // namespace LimitWindow
