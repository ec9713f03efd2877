#pragma once

#include "model/Instant.h"

#include <functional>

// Where a component reads the present. Handed in, so that tests can stand at any instant.
using Clock = std::function<Instant()>;

inline Clock systemClock() {
    return [] { return Instant::now(); };
}
