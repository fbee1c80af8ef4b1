// Reads one result of an ODBC statement row by row. Columns the fetch plan binds are fetched a
// block of rows at a time into buffers sized from the described columns; the rest are read in
// pieces (SQLGetData) after each fetch. Text is fetched as UTF-16 and converted here, so no
// driver's idea of the client character set applies.
#pragma once

#include <sql.h>

#include <cstdint>
#include <string>
#include <vector>

#include "db/backend.h"
#include "db/odbc/odbc_fetch_plan.h"

namespace korvane {

class OdbcResultReader {
 public:
  OdbcResultReader() = default;
  ~OdbcResultReader();
  OdbcResultReader(const OdbcResultReader&) = delete;
  OdbcResultReader& operator=(const OdbcResultReader&) = delete;

  // Describes the statement's current result (`column_count` columns) and binds the columns the
  // plan binds, for blocks of at most `most_rows` rows. False with `errors` set when the driver
  // refused. The statement must outlive the reader, or Release() must come first.
  bool Open(SQLHSTMT stmt, SQLSMALLINT column_count, std::size_t most_rows,
            std::vector<ServerMessage>& errors);

  const std::vector<ColumnInfo>& Columns() const { return columns_; }
  const FetchPlan& Plan() const { return plan_; }

  enum class Step { kRow, kEnd, kFailed };
  // To the next row, fetching the next block when this one is used up. kFailed with `errors`
  // set when the driver failed or a value did not fit the size the driver described.
  Step Next(std::vector<ServerMessage>& errors);

  // Column `index` of the current row; the view stays valid until Next.
  FieldView Field(std::size_t index) const;
  // Column `index` of the current row as a value of its own (its converted text moved into it).
  Value TakeValue(std::size_t index);

  // Unbinds the buffers from the statement (before it moves to another result or is freed).
  void Release();

 private:
  struct Column {
    ColumnFetch fetch;
    std::vector<unsigned char> data;  // bound: one slot per row of a block; else the one value
    std::vector<SQLLEN> indicators;   // bound: one per row of a block; else one
    // Text converted for the current row, and the row it was converted for.
    mutable std::string text;
    mutable std::uint64_t converted_row = 0;
  };

  bool ReadUnbound(std::vector<ServerMessage>& errors);
  bool CheckSlots(std::vector<ServerMessage>& errors) const;

  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
  FetchPlan plan_;
  std::vector<ColumnInfo> columns_;
  std::vector<Column> slots_;
  std::vector<SQLUSMALLINT> row_status_;
  SQLULEN fetched_ = 0;           // rows of the current block
  SQLULEN position_ = 0;          // the current row within it
  std::uint64_t row_number_ = 0;  // rows moved to so far (1 for the first)
  bool bound_ = false;
};

}  // namespace korvane
