// Conversions between the program's values and what ODBC drivers take and give.
#pragma once

#include <string>
#include <string_view>

#include "db/value.h"

namespace korvane {

// UTF-8 to UTF-16 code units and back. Invalid UTF-8 bytes become U+FFFD; so do unpaired
// surrogates coming back.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// Appends the UTF-8 form of `units` UTF-16 code units stored in native byte order at `bytes`
// (as a driver writes SQL_C_WCHAR values), with the same replacement of unpaired surrogates.
void AppendUtf16AsUtf8(const unsigned char* bytes, std::size_t units, std::string& out);

// Exact-number text as the value contract writes it: a zero before a bare decimal point
// (".5000" -> "0.5000", "-.5" -> "-0.5"), as some drivers leave it out for values below 1.
std::string DecimalText(std::string text);

// The date and time rounded to whole milliseconds (the precision a datetime parameter is bound
// with), carrying into seconds, days, months and years where the rounding reaches them.
DateTimeValue RoundedToMilliseconds(DateTimeValue value);

}  // namespace korvane
