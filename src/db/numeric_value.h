// Reading a value as a number, whatever numeric type the driver handed over.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "db/value.h"

namespace korvane {

// The number a numeric value holds (bit, integer, float, decimal); nothing for Null, texts,
// dates and binary values.
std::optional<double> NumericValue(const Value& value);

// The one text of a number's exact value, so that two numbers are equal exactly when their
// texts are: no sign on zero, no leading zeros, no trailing zeros after the point, no point
// after a whole number. A number is written out ("-12", "12.34", "0.005") unless that takes more
// than 40 zeros between its digits and the point; then it reads "0." + digits + "e" + exponent
// ("0.15e43" for 1.5E42).
//
// From a text: a number as IsNumeric reads it (blanks around, a sign, digits with an optional
// fraction, an optional exponent with E or D), nothing for any other text. No digit is lost:
// "9007199254740993" and "9007199254740992" stay apart, "12.3400" reads as "12.34".
std::optional<std::string> ExactNumberText(std::string_view text);

// From a value: a bit is 1 or 0, an integer and a decimal their exact value, a float the value
// of its shortest text that reads back as the same double (0.1 is "0.1"); nothing for other
// values.
std::optional<std::string> ExactNumberText(const Value& value);

}  // namespace korvane
