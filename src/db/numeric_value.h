// Reading a value as a number, whatever numeric type the driver handed over.
#pragma once

#include <optional>

#include "db/value.h"

namespace korvane {

// The number a numeric value holds (bit, integer, float, decimal); nothing for Null, texts,
// dates and binary values.
std::optional<double> NumericValue(const Value& value);

}  // namespace korvane
