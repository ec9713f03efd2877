#pragma once

#include "model/Instant.h"

#include <QString>

#include <optional>

// Reads the usage service's timestamps: internet date-times such as 2025-03-01T10:00:00Z,
// 2025-03-01T10:00:00.123Z or 2025-03-01T10:00:00+02:00.
namespace ISODate {

std::optional<Instant> parse(const QString& text);

} // namespace ISODate
