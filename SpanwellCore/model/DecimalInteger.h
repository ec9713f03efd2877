#pragma once

#include <QString>

#include <optional>

// Strict reading of a whole number written in decimal: an optional "+" or "-", then ASCII
// digits and nothing else (no spaces), within the signed 64-bit range.
namespace DecimalInteger {

std::optional<qint64> parse(const QString& text);

} // namespace DecimalInteger
