#include "db/odbc/odbc_result_reader.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "base/text.h"
#include "db/odbc/odbc_diagnostics.h"
#include "db/odbc/odbc_values.h"

namespace korvane {
namespace {

// The first piece of a value read with SQLGetData; later pieces take what the driver says is
// left, or twice as much when it cannot say.
constexpr std::size_t kFirstPiece = 8192;

SQLSMALLINT CTypeOf(FetchAs as) {
  switch (as) {
    case FetchAs::kInteger:
      return SQL_C_SBIGINT;
    case FetchAs::kDouble:
      return SQL_C_DOUBLE;
    case FetchAs::kTimestamp:
      return SQL_C_TYPE_TIMESTAMP;
    case FetchAs::kWideText:
      return SQL_C_WCHAR;
    case FetchAs::kNarrowText:
      return SQL_C_CHAR;
    case FetchAs::kBinary:
      break;
  }
  return SQL_C_BINARY;
}

// Bytes of the terminator the driver writes after a value of this kind.
std::size_t TerminatorOf(FetchAs as) {
  switch (as) {
    case FetchAs::kWideText:
      return sizeof(SQLWCHAR);
    case FetchAs::kNarrowText:
      return 1;
    default:
      return 0;
  }
}

bool IsVariable(FetchAs as) {
  return as == FetchAs::kWideText || as == FetchAs::kNarrowText || as == FetchAs::kBinary;
}

// Reads a long value in pieces into `out` (its bytes, without terminator, counted in
// `indicator`, or SQL_NULL_DATA); false on a driver error.
bool ReadPieces(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT c_type, std::size_t terminator,
                std::vector<unsigned char>& out, SQLLEN& indicator) {
  if (out.size() < kFirstPiece)
    out.resize(kFirstPiece);
  std::size_t have = 0;
  for (;;) {
    SQLLEN left = 0;
    const SQLRETURN rc = SQLGetData(stmt, column, c_type, out.data() + have,
                                    static_cast<SQLLEN>(out.size() - have), &left);
    if (rc == SQL_NO_DATA)
      break;  // the previous piece was the last
    if (!Succeeded(rc))
      return false;
    if (left == SQL_NULL_DATA) {
      indicator = SQL_NULL_DATA;
      return true;
    }
    const std::size_t room = out.size() - have - terminator;
    if (left != SQL_NO_TOTAL && static_cast<std::size_t>(left) <= room) {
      have += static_cast<std::size_t>(left);
      break;
    }
    // The piece filled its room, and more is to come.
    have += room;
    const std::size_t rest =
        left == SQL_NO_TOTAL ? out.size() : static_cast<std::size_t>(left) - room;
    out.resize(have + rest + terminator);
  }
  indicator = static_cast<SQLLEN>(have);
  return true;
}

}  // namespace

OdbcResultReader::~OdbcResultReader() {
  Release();
}

void OdbcResultReader::Release() {
  if (stmt_ == SQL_NULL_HSTMT)
    return;
  if (bound_) {
    SQLFreeStmt(stmt_, SQL_UNBIND);
    SQLSetStmtAttr(stmt_, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
    SQLSetStmtAttr(stmt_, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
    SQLSetStmtAttr(stmt_, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
    bound_ = false;
  }
  stmt_ = SQL_NULL_HSTMT;
}

bool OdbcResultReader::Open(SQLHSTMT stmt, SQLSMALLINT column_count, std::size_t most_rows,
                            std::vector<ServerMessage>& errors) {
  Release();
  stmt_ = stmt;
  std::vector<DescribedColumn> described;
  for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(column_count); ++c) {
    std::array<SQLWCHAR, 512> name{};
    SQLSMALLINT name_length = 0;
    SQLSMALLINT sql_type = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    if (!Succeeded(SQLDescribeColW(stmt, c, name.data(), static_cast<SQLSMALLINT>(name.size()),
                                   &name_length, &sql_type, &size, &digits, &nullable))) {
      errors = OrGeneric(Diagnostics(SQL_HANDLE_STMT, stmt), "Cannot describe the columns.");
      return false;
    }
    const std::size_t units = std::min<std::size_t>(
        static_cast<std::size_t>(std::max<SQLSMALLINT>(name_length, 0)), name.size() - 1);
    std::string text;
    AppendUtf16AsUtf8(reinterpret_cast<const unsigned char*>(name.data()), units, text);
    described.push_back({std::move(text), sql_type, static_cast<std::size_t>(size)});
  }
  plan_ = PlanFetch(described, kBlockBytes, most_rows);
  columns_.clear();
  slots_.clear();
  slots_.resize(described.size());
  const std::size_t rows = plan_.rows_per_fetch;
  for (std::size_t c = 0; c < described.size(); ++c) {
    const ColumnFetch& fetch = plan_.columns[c];
    columns_.push_back({std::move(described[c].name), fetch.type, fetch.type_name});
    Column& slot = slots_[c];
    slot.fetch = fetch;
    slot.indicators.assign(fetch.bound ? rows : 1, 0);
    slot.data.assign(fetch.bound ? rows * fetch.slot_bytes : fetch.slot_bytes, 0);
  }
  row_status_.assign(rows, SQL_ROW_SUCCESS);
  fetched_ = 0;
  position_ = 0;
  row_number_ = 0;
  bound_ = true;  // from here on, Release undoes what was set
  const bool attributes_set =
      Succeeded(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_TYPE,
                               reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0)) &&
      Succeeded(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE,
                               reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(rows)), 0)) &&
      Succeeded(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, row_status_.data(), 0)) &&
      Succeeded(SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched_, 0));
  if (!attributes_set) {
    errors = OrGeneric(Diagnostics(SQL_HANDLE_STMT, stmt), "Cannot set up fetching the rows.");
    return false;
  }
  for (std::size_t c = 0; c < slots_.size(); ++c) {
    Column& slot = slots_[c];
    if (!slot.fetch.bound)
      break;
    if (!Succeeded(SQLBindCol(stmt, static_cast<SQLUSMALLINT>(c + 1), CTypeOf(slot.fetch.as),
                              slot.data.data(), static_cast<SQLLEN>(slot.fetch.slot_bytes),
                              slot.indicators.data()))) {
      errors = OrGeneric(Diagnostics(SQL_HANDLE_STMT, stmt), "Cannot bind a column.");
      return false;
    }
  }
  return true;
}

OdbcResultReader::Step OdbcResultReader::Next(std::vector<ServerMessage>& errors) {
  if (position_ + 1 < fetched_) {
    ++position_;
  } else {
    fetched_ = 0;
    const SQLRETURN rc = SQLFetch(stmt_);
    if (rc == SQL_NO_DATA)
      return Step::kEnd;
    if (!Succeeded(rc)) {
      errors = OrGeneric(Diagnostics(SQL_HANDLE_STMT, stmt_), "Reading rows failed.");
      return Step::kFailed;
    }
    if (fetched_ == 0)
      return Step::kEnd;
    position_ = 0;
    if (!ReadUnbound(errors))
      return Step::kFailed;
  }
  ++row_number_;
  if (row_status_[position_] == SQL_ROW_ERROR) {
    errors = OrGeneric(Diagnostics(SQL_HANDLE_STMT, stmt_), "Reading a row failed.");
    return Step::kFailed;
  }
  return CheckSlots(errors) ? Step::kRow : Step::kFailed;
}

bool OdbcResultReader::ReadUnbound(std::vector<ServerMessage>& errors) {
  for (std::size_t c = 0; c < slots_.size(); ++c) {
    Column& slot = slots_[c];
    if (slot.fetch.bound)
      continue;
    const auto column = static_cast<SQLUSMALLINT>(c + 1);
    const SQLSMALLINT c_type = CTypeOf(slot.fetch.as);
    bool ok = false;
    if (IsVariable(slot.fetch.as)) {
      ok = ReadPieces(stmt_, column, c_type, TerminatorOf(slot.fetch.as), slot.data,
                      slot.indicators[0]);
    } else {
      ok = Succeeded(SQLGetData(stmt_, column, c_type, slot.data.data(),
                                static_cast<SQLLEN>(slot.data.size()), &slot.indicators[0]));
    }
    if (!ok) {
      errors = OrGeneric(Diagnostics(SQL_HANDLE_STMT, stmt_), "Reading a value failed.");
      return false;
    }
  }
  return true;
}

// A bound value longer than its slot would come back cut: the result fails instead.
bool OdbcResultReader::CheckSlots(std::vector<ServerMessage>& errors) const {
  for (std::size_t c = 0; c < slots_.size(); ++c) {
    const Column& slot = slots_[c];
    if (!slot.fetch.bound)
      break;
    if (!IsVariable(slot.fetch.as))
      continue;
    const SQLLEN length = slot.indicators[position_];
    if (length == SQL_NULL_DATA)
      continue;
    if (length == SQL_NO_TOTAL || length < 0 ||
        static_cast<std::size_t>(length) > slot.fetch.slot_bytes - TerminatorOf(slot.fetch.as)) {
      errors = {{0, 16, 1, "22001",
                 "A value of column '" + columns_[c].name +
                     "' is longer than the driver described the column (" +
                     std::to_string(slot.fetch.slot_bytes - TerminatorOf(slot.fetch.as)) +
                     " bytes); the rows were not read."}};
      return false;
    }
  }
  return true;
}

FieldView OdbcResultReader::Field(std::size_t index) const {
  FieldView field;
  if (index >= slots_.size() || row_number_ == 0)
    return field;
  const Column& slot = slots_[index];
  const std::size_t row = slot.fetch.bound ? position_ : 0;
  const SQLLEN length = slot.indicators[row];
  if (length == SQL_NULL_DATA)
    return field;
  const unsigned char* data =
      slot.data.data() + (slot.fetch.bound ? row * slot.fetch.slot_bytes : 0);
  const auto bytes = static_cast<std::size_t>(std::max<SQLLEN>(length, 0));
  field.type = slot.fetch.type;
  switch (slot.fetch.as) {
    case FetchAs::kInteger: {
      SQLBIGINT number = 0;
      std::memcpy(&number, data, sizeof number);
      field.integer = slot.fetch.type == ValueType::kBoolean ? (number != 0) : number;
      break;
    }
    case FetchAs::kDouble:
      std::memcpy(&field.real, data, sizeof field.real);
      break;
    case FetchAs::kTimestamp: {
      SQL_TIMESTAMP_STRUCT t{};
      std::memcpy(&t, data, sizeof t);
      field.datetime = {t.year,
                        t.month,
                        t.day,
                        t.hour,
                        t.minute,
                        t.second,
                        static_cast<int>(t.fraction),
                        slot.fetch.type_name != "time",
                        slot.fetch.type_name != "date"};
      break;
    }
    case FetchAs::kWideText:
    case FetchAs::kNarrowText:
      if (slot.converted_row != row_number_) {
        slot.text.clear();
        if (slot.fetch.as == FetchAs::kWideText) {
          AppendUtf16AsUtf8(data, bytes / sizeof(SQLWCHAR), slot.text);
        } else if (slot.fetch.type == ValueType::kDecimal) {
          slot.text = DecimalText(std::string(reinterpret_cast<const char*>(data), bytes));
        } else {
          slot.text = ToUpperAscii(std::string_view(reinterpret_cast<const char*>(data), bytes));
        }
        slot.converted_row = row_number_;
      }
      field.bytes = slot.text;
      break;
    case FetchAs::kBinary:
      field.bytes = std::string_view(reinterpret_cast<const char*>(data), bytes);
      break;
  }
  return field;
}

Value OdbcResultReader::TakeValue(std::size_t index) {
  const FieldView field = Field(index);
  const bool converted = index < slots_.size() && (slots_[index].fetch.as == FetchAs::kWideText ||
                                                   slots_[index].fetch.as == FetchAs::kNarrowText);
  if (!converted || field.type == ValueType::kNull)
    return ToValue(field);
  Column& slot = slots_[index];
  slot.converted_row = 0;  // the text is the value's now
  switch (field.type) {
    case ValueType::kDecimal:
      return Value::Decimal(std::move(slot.text));
    case ValueType::kGuid:
      return Value::Guid(std::move(slot.text));
    default:
      return Value::Text(std::move(slot.text));
  }
}

}  // namespace korvane
