// Values crossing the engine's edge: a SQLite value converted to a column's SQL Server type as
// the server would store it (padding, truncation errors, dates, numbers), and a stored SQLite
// value handed out as a typed Value.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "db/embedded/sql_types.h"
#include "db/value.h"

namespace korvane::embedded {

// What goes into the SQLite column.
struct StoredValue {
  enum class Kind { kNull, kInteger, kReal, kText, kBlob } kind = Kind::kNull;
  std::int64_t integer = 0;
  double real = 0;
  std::string text;  // for kText; for kReal, optionally the literal as written
  std::vector<std::uint8_t> blob;
};

StoredValue StoredFromSqlite(sqlite3_value* value);

// A number written as decimal digits only (with `negative`, as its negation), read exactly;
// nullopt when it lies outside bigint's range or is not such a number.
std::optional<std::int64_t> ParseWholeNumber(std::string_view digits, bool negative);

// Converts to the column's type; throws SqlError (245, 241, 8152, 8115, ...) as SQL Server
// raises them. `major_version` picks the 2000 or 2005 wording.
//
// Known limit: exact numbers (decimal, numeric, money) are held as SQLite REAL (INTEGER at scale
// 0 up to 9e15), so that SQLite compares and sorts them as numbers. A value of up to 15
// significant digits reads back exactly; a longer one reads back as the nearest double printed
// to the column's scale (decimal(38,4) 1234567890123456789.1234 gives
// 1234567890123456768.0000). Keeping every digit would need a storage class of its own and
// comparison functions to match.
StoredValue ConvertForColumn(const StoredValue& value, const DeclaredType& type, int major_version);

// A stored value read back as the server's type (`result` from the column's declaration),
// or by its storage class when the declaration is unknown.
Value ReadValue(sqlite3_stmt* stmt, int column, const ResultType* result);
// The same without a Value: texts and bytes are seen where SQLite keeps them (valid until the
// statement steps again); digits and texts the reading builds go into `scratch`, which must
// outlive the view likewise.
FieldView ReadField(sqlite3_stmt* stmt, int column, const ResultType* result, std::string& scratch);
// The same into `field`, for callers that read many fields into place: the members the
// field's type does not use are left as they were.
void ReadField(sqlite3_stmt* stmt, int column, const ResultType* result, std::string& scratch,
               FieldView& field);
// The first fields of the current row so, one per type (and scratch text) given.
void ReadFields(sqlite3_stmt* stmt, std::span<const std::optional<ResultType>> types,
                std::span<std::string> scratch, std::span<FieldView> fields);

// "2024-03-07 14:05:09.123" -> DateTimeValue; false when the text is not such a date.
bool ParseStoredDateTime(std::string_view text, DateTimeValue* value);

}  // namespace korvane::embedded
