#include "db/odbc/odbc_fetch_plan.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>

namespace korvane {
namespace {

// SQL Server's time(n) as Microsoft's drivers describe it (SQL_SS_TIME2).
constexpr int kSqlServerTime2 = -154;

// Exact numbers come as text: the digits of the precision, a sign, "0." and the terminator.
constexpr std::size_t kExactNumberExtra = 4;
constexpr std::size_t kUnsizedExactNumberSlot = 48;
// "6F9619FF-8B86-D011-B42D-00C04FC964FF" and the terminator, rounded up.
constexpr std::size_t kGuidSlot = 40;
constexpr std::size_t kLongestBoundBinary = 8000;

ColumnFetch FetchOf(const DescribedColumn& column) {
  const auto fixed = [](ValueType type, const char* name, FetchAs as, std::size_t bytes) {
    return ColumnFetch{type, name, as, bytes, false};
  };
  // A sized value of `unit` bytes per character or byte, with a terminator of `unit` bytes;
  // read in pieces when it has no size or is longer than `longest`.
  const auto sized = [&column](ValueType type, const char* name, FetchAs as, std::size_t unit,
                               std::size_t longest, std::size_t terminator) {
    const bool known = column.size > 0 && column.size <= longest;
    return ColumnFetch{type, name, as, known ? (column.size + terminator) * unit : 0, false};
  };
  switch (column.sql_type) {
    case SQL_BIT:
      return fixed(ValueType::kBoolean, "bit", FetchAs::kInteger, sizeof(SQLBIGINT));
    case SQL_TINYINT:
      return fixed(ValueType::kInteger, "tinyint", FetchAs::kInteger, sizeof(SQLBIGINT));
    case SQL_SMALLINT:
      return fixed(ValueType::kInteger, "smallint", FetchAs::kInteger, sizeof(SQLBIGINT));
    case SQL_INTEGER:
      return fixed(ValueType::kInteger, "int", FetchAs::kInteger, sizeof(SQLBIGINT));
    case SQL_BIGINT:
      return fixed(ValueType::kInteger, "bigint", FetchAs::kInteger, sizeof(SQLBIGINT));
    case SQL_REAL:
      return fixed(ValueType::kFloat, "real", FetchAs::kDouble, sizeof(double));
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return fixed(ValueType::kFloat, "float", FetchAs::kDouble, sizeof(double));
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      return fixed(ValueType::kDecimal, "decimal", FetchAs::kNarrowText,
                   column.size > 0 && column.size <= 38 ? column.size + kExactNumberExtra
                                                        : kUnsizedExactNumberSlot);
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
      return fixed(ValueType::kDateTime, "datetime", FetchAs::kTimestamp,
                   sizeof(SQL_TIMESTAMP_STRUCT));
    case SQL_TYPE_DATE:
      return fixed(ValueType::kDateTime, "date", FetchAs::kTimestamp, sizeof(SQL_TIMESTAMP_STRUCT));
    case SQL_TYPE_TIME:
    case kSqlServerTime2:
      return fixed(ValueType::kDateTime, "time", FetchAs::kTimestamp, sizeof(SQL_TIMESTAMP_STRUCT));
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return sized(ValueType::kBinary, "varbinary", FetchAs::kBinary, 1, kLongestBoundBinary, 0);
    case SQL_GUID:
      return fixed(ValueType::kGuid, "uniqueidentifier", FetchAs::kNarrowText, kGuidSlot);
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
      return sized(ValueType::kText, "nvarchar", FetchAs::kWideText, sizeof(SQLWCHAR),
                   kLongestBoundText, 1);
    default:
      // varchar, text and whatever else the driver offers as characters. A single-byte
      // character is one UTF-16 code unit, and so is each byte of a wider encoding at most.
      return sized(ValueType::kText, "varchar", FetchAs::kWideText, sizeof(SQLWCHAR),
                   kLongestBoundText, 1);
  }
}

}  // namespace

FetchPlan PlanFetch(const std::vector<DescribedColumn>& columns, std::size_t block_bytes,
                    std::size_t most_rows) {
  FetchPlan plan;
  plan.columns.reserve(columns.size());
  bool binding = true;
  std::size_t row_bytes = 0;
  for (const DescribedColumn& column : columns) {
    ColumnFetch fetch = FetchOf(column);
    binding = binding && fetch.slot_bytes > 0;
    fetch.bound = binding;
    if (binding)
      row_bytes += fetch.slot_bytes + sizeof(SQLLEN);
    plan.columns.push_back(std::move(fetch));
  }
  if (binding && row_bytes > 0) {
    plan.rows_per_fetch = std::clamp<std::size_t>(block_bytes / row_bytes, 1, most_rows);
  }
  return plan;
}

}  // namespace korvane
