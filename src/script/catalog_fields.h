// Reading catalogue rows as the structure texts need them: a field's text as it would be joined
// into a text (Null joins as nothing), and a field's numeric value whatever type the driver
// handed over (an int column may come back as integer, decimal, bit or text).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "db/recordset.h"
#include "db/value.h"

namespace korvane {

// The value's text form; empty for Null.
std::string JoinText(const Value& value);
inline std::string FieldText(const Recordset& rows, std::string_view field) {
  return JoinText(rows.Field(field));
}

// The value as a number; nothing for Null or a text that is not a number.
std::optional<double> NumberOf(const Value& value);
inline std::optional<double> FieldNumber(const Recordset& rows, std::string_view field) {
  return NumberOf(rows.Field(field));
}

// How names are written inside square brackets in a structure text: as the catalogue stores
// them (texts shown and compared), or with every "]" doubled (texts that are run as SQL, where
// a column size of -1 is also written as max).
enum class NameQuoting { kAsStored, kEscaped };

// "[" + name + "]" under the given quoting.
std::string Bracketed(std::string_view name, NameQuoting quoting);

}  // namespace korvane
