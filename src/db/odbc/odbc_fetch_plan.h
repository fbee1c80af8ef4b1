// How the ODBC backend reads the columns of one result: which C type each column is fetched as,
// whether it is bound to a buffer (and how large one value's slot is), and how many rows one
// fetch brings. Decided from the columns as the driver describes them, before the first fetch.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "db/value.h"

namespace korvane {

// A column as SQLDescribeCol tells it: its SQL type code and its size (characters for text,
// bytes for binary, precision for numbers; 0 when the driver does not know it).
struct DescribedColumn {
  std::string name;
  int sql_type = 0;
  std::size_t size = 0;
};

// The C type a column is fetched as.
enum class FetchAs {
  kInteger,     // SQL_C_SBIGINT (bit, the integers)
  kDouble,      // SQL_C_DOUBLE
  kTimestamp,   // SQL_C_TYPE_TIMESTAMP (datetime, date, time)
  kWideText,    // SQL_C_WCHAR, UTF-16 converted to UTF-8 by the program
  kNarrowText,  // SQL_C_CHAR, for texts that are ASCII by nature (exact numbers, GUIDs)
  kBinary,      // SQL_C_BINARY
};

struct ColumnFetch {
  ValueType type = ValueType::kText;
  std::string type_name;  // "int", "nvarchar", ... (ColumnInfo::type_name)
  FetchAs as = FetchAs::kWideText;
  // Bytes of one value's slot, terminator included. 0: the value has no known bound and is read
  // in pieces after each fetch (SQLGetData).
  std::size_t slot_bytes = 0;
  bool bound = false;
};

struct FetchPlan {
  std::vector<ColumnFetch> columns;
  // Rows one SQLFetch brings: more than 1 only when every column is bound, as drivers do not
  // give unbound columns of a block (FreeTDS answers "Invalid cursor state").
  std::size_t rows_per_fetch = 1;
};

// The longest text bound to a slot, in UTF-16 code units (varchar(8000)); longer or unsized
// texts are read in pieces.
inline constexpr std::size_t kLongestBoundText = 8000;
// Bound slots of one block take about this many bytes, and a block holds at most kMostRows rows.
inline constexpr std::size_t kBlockBytes = 1 << 20;
inline constexpr std::size_t kMostRowsPerFetch = 1000;

// The plan for the described columns. Columns are bound up to the first one that must be read
// in pieces; that one and every later column are read with SQLGetData, as ODBC lets a
// program read only the columns after the last bound one that way.
FetchPlan PlanFetch(const std::vector<DescribedColumn>& columns,
                    std::size_t block_bytes = kBlockBytes,
                    std::size_t most_rows = kMostRowsPerFetch);

}  // namespace korvane
