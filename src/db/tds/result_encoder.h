// Result sets on the wire: chooses each column's TDS type from the engine's type name and the
// values it actually holds, then writes COLMETADATA and one ROW (or NBCROW) per row.
//
// Choices made for the negotiated version:
//   tinyint..bigint   INTN of the declared width, widened when a value does not fit
//   bit, real, float  BITN, FLTN 4 / 8
//   decimal, numeric  DECIMALN / NUMERICN, precision 38, the largest scale of the values
//   money, smallmoney MONEYN 8 / 4
//   datetime, smalldatetime  DATETIMN 8 / 4
//   char, varchar     BIGCHAR / BIGVARCHAR in code page 1252 (nvarchar when a value has a
//                     character outside it); longer than 8000 bytes: varchar(max), or text in 7.1
//   nchar, nvarchar, sysname, sql_variant, xml   NCHAR / NVARCHAR; beyond 4000 characters
//                     nvarchar(max), or ntext in 7.1
//   text, ntext, image  the legacy types
//   binary, varbinary, timestamp  BIGBINARY / BIGVARBINARY; beyond 8000 bytes varbinary(max)
//                     or image
//   uniqueidentifier  GUIDN
// A value of another kind than its column's type (an expression column whose first value set
// the type) sends the whole column as nvarchar holding each value's text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/backend.h"
#include "db/tds/tds_bytes.h"

namespace korvane::tds {

struct WireColumn {
  std::uint8_t type = 0;  // the TYPE_INFO token
  std::uint32_t max_length = 0;
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
  bool plp = false;  // (max) type: values are partially length-prefixed
  bool cp1252 = false;
  std::string name;
};

std::vector<WireColumn> PlanColumns(const ResultSet& result, std::uint32_t tds_version);

void WriteColumnMetadata(ByteWriter& out, const std::vector<WireColumn>& columns,
                         std::uint32_t tds_version);

// Writes TYPE_INFO of one column (as in COLMETADATA and RETURNVALUE).
void WriteTypeInfo(ByteWriter& out, const WireColumn& column, std::uint32_t tds_version);

// One value as its column's TYPE_INFO says.
void WriteValue(ByteWriter& out, const WireColumn& column, const Value& value);

void WriteRow(ByteWriter& out, const std::vector<WireColumn>& columns,
              const std::vector<Value>& row, std::uint32_t tds_version);

// RETURNVALUE of an output parameter (`ordinal` among the call's parameters) whose declared
// base type is `type_name`.
void WriteReturnValue(ByteWriter& out, int ordinal, const std::string& name,
                      const std::string& type_name, const Value& value, std::uint32_t tds_version);

// 1900-01-01 based day number of a civil date.
std::int64_t DaysSince1900(int year, int month, int day);

}  // namespace korvane::tds
