#pragma once

#include "model/Instant.h"

#include <QString>

// The panel's compact writing of percentages and of the time left until an instant.
namespace Format {

// Rounded half away from zero, then "%": 42.5 gives "43%". Beyond 999 it says "999+%".
QString percent(double value);
// "now" under a minute (and for the past), else "59m", "23h 59m" or "6d 23h".
QString countdown(Instant to, Instant from);

} // namespace Format
