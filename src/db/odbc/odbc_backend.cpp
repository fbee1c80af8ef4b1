#include "db/odbc/odbc_backend.h"

#include <openssl/evp.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <random>

#include "base/text.h"
#include "db/odbc/instance_lookup.h"
#include "db/odbc/odbc_messages.h"
#include "db/odbc/odbc_values.h"

namespace korvane {
namespace {

using Clock = std::chrono::steady_clock;

bool Succeeded(SQLRETURN rc) {
  return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// Every diagnostic record of a handle, as the server (or driver) said it.
std::vector<ServerMessage> Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::vector<ServerMessage> messages;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    std::array<SQLCHAR, 2048> text{};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLGetDiagRec(type, handle, record, state, &native, text.data(),
                                       static_cast<SQLSMALLINT>(text.size()), &length);
    if (!Succeeded(rc))
      break;
    ServerMessage message;
    message.number = native;
    message.sqlstate = reinterpret_cast<const char*>(state);
    message.text = ServerTextOf(
        native, std::string_view(reinterpret_cast<const char*>(text.data()),
                                 std::min<std::size_t>(
                                     static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)),
                                     text.size() - 1)));
    // Informational records (01xxx) say nothing about the failure.
    if (message.sqlstate.starts_with("01") && !messages.empty())
      continue;
    messages.push_back(std::move(message));
  }
  OrderDiagnostics(messages);
  return messages;
}

std::vector<ServerMessage> OrGeneric(std::vector<ServerMessage> messages, std::string text) {
  if (messages.empty())
    messages.push_back({0, 16, 1, "HY000", std::move(text)});
  return messages;
}

}  // namespace

struct OdbcBackend::Pool {
  SQLHENV env = SQL_NULL_HENV;
  // Pool keys hold a salted hash of the password, never the password.
  std::string salt;
  std::chrono::seconds idle_limit{60};
  std::mutex mutex;
  struct Idle {
    SQLHDBC dbc;
    Clock::time_point since;
  };
  std::multimap<std::string, Idle> idle;

  ~Pool() {
    for (auto& [key, entry] : idle) {
      SQLDisconnect(entry.dbc);
      SQLFreeHandle(SQL_HANDLE_DBC, entry.dbc);
    }
    if (env != SQL_NULL_HENV)
      SQLFreeHandle(SQL_HANDLE_ENV, env);
  }

  void CloseExpired() {
    const auto now = Clock::now();
    for (auto it = idle.begin(); it != idle.end();) {
      if (now - it->second.since > idle_limit) {
        SQLDisconnect(it->second.dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, it->second.dbc);
        it = idle.erase(it);
      } else {
        ++it;
      }
    }
  }

  // An idle connection for the string that is still alive, or null.
  SQLHDBC Take(const std::string& key) {
    std::lock_guard lock(mutex);
    CloseExpired();
    while (true) {
      const auto it = idle.find(key);
      if (it == idle.end())
        return SQL_NULL_HDBC;
      SQLHDBC dbc = it->second.dbc;
      idle.erase(it);
      SQLUINTEGER dead = SQL_CD_FALSE;
      if (Succeeded(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
          dead == SQL_CD_FALSE) {
        return dbc;
      }
      SQLDisconnect(dbc);
      SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    }
  }

  void Give(const std::string& key, SQLHDBC dbc) {
    std::lock_guard lock(mutex);
    idle.emplace(key, Idle{dbc, Clock::now()});
  }
};

namespace {

// Opens a connection for `request`; null with `errors` set when it fails. The connection string
// (which holds the password) is zeroed as soon as the driver has it, and no completed string is
// asked back.
SQLHDBC Connect(SQLHENV env, const std::string& connection_string, int login_timeout_seconds,
                std::vector<ServerMessage>& errors) {
  SQLHDBC dbc = SQL_NULL_HDBC;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
    errors = OrGeneric(Diagnostics(SQL_HANDLE_ENV, env), "Cannot create a connection.");
    return SQL_NULL_HDBC;
  }
  // Never wait for ever on a server that accepts and does not answer.
  const SQLULEN login_timeout = static_cast<SQLULEN>(std::max(login_timeout_seconds, 1));
  SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(login_timeout), 0);
  SQLSetConnectAttr(dbc, SQL_ATTR_CONNECTION_TIMEOUT, reinterpret_cast<SQLPOINTER>(login_timeout),
                    0);
  std::string in = connection_string;
  const SQLRETURN rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()),
                                        static_cast<SQLSMALLINT>(in.size()), nullptr, 0, nullptr,
                                        SQL_DRIVER_NOPROMPT);
  std::fill(in.begin(), in.end(), '\0');
  if (!Succeeded(rc)) {
    errors = OrGeneric(Diagnostics(SQL_HANDLE_DBC, dbc), "The connection failed.");
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    return SQL_NULL_HDBC;
  }
  return dbc;
}

void Close(SQLHDBC dbc) {
  SQLDisconnect(dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
}

// The connection's current database as the driver knows it; empty when it cannot say.
std::string CurrentCatalog(SQLHDBC dbc) {
  std::array<SQLCHAR, 512> name{};
  SQLINTEGER length = 0;
  if (!Succeeded(SQLGetConnectAttr(dbc, SQL_ATTR_CURRENT_CATALOG, name.data(),
                                   static_cast<SQLINTEGER>(name.size()), &length))) {
    return {};
  }
  return std::string(reinterpret_cast<const char*>(name.data()));
}

bool IsDead(SQLHDBC dbc) {
  SQLUINTEGER dead = SQL_CD_FALSE;
  return Succeeded(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
         dead == SQL_CD_TRUE;
}

// True when the command may leave a transaction open: it names one, or runs procedures.
bool MayOpenTransaction(const CommandRequest& request) {
  return request.type == CommandType::kStoredProcedure ||
         FindIgnoringCase(request.text, "TRAN") != std::string::npos ||
         FindIgnoringCase(request.text, "EXEC") != std::string::npos;
}

class OdbcSession final : public DatabaseSession {
 public:
  // `reconnect` opens a fresh connection for the same request (null with the errors set).
  OdbcSession(std::shared_ptr<OdbcBackend::Pool> pool, std::string key, SQLHDBC dbc, bool from_pool,
              std::function<SQLHDBC(std::vector<ServerMessage>&)> reconnect)
      : pool_(std::move(pool)),
        key_(std::move(key)),
        dbc_(dbc),
        from_pool_(from_pool),
        reconnect_(std::move(reconnect)),
        catalog_(CurrentCatalog(dbc)) {}

  ~OdbcSession() override {
    if (!broken_ && Reset()) {
      pool_->Give(key_, dbc_);
    } else {
      Close(dbc_);
    }
  }

  CommandOutcome Execute(const CommandRequest& request) override;

 private:
  // Runs the command once on the current connection; `at_start` tells whether it failed before
  // any result came.
  CommandOutcome ExecuteOnce(const CommandRequest& request, bool& at_start);
  // Makes the connection as it was opened: no open transaction, the database it was opened
  // for. False when that cannot be done (the connection must not be reused).
  bool Reset();

  std::shared_ptr<OdbcBackend::Pool> pool_;
  std::string key_;
  SQLHDBC dbc_;
  bool from_pool_;
  std::function<SQLHDBC(std::vector<ServerMessage>&)> reconnect_;
  std::string catalog_;
  bool broken_ = false;
  bool may_have_transaction_ = false;
};

bool OdbcSession::Reset() {
  if (may_have_transaction_) {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt)))
      return false;
    std::string text = "IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION";
    SQLRETURN rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()),
                                 static_cast<SQLINTEGER>(text.size()));
    while (Succeeded(rc))
      rc = SQLMoreResults(stmt);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    if (rc != SQL_NO_DATA)
      return false;
  }
  if (catalog_.empty())
    return true;
  if (EqualsIgnoringCase(CurrentCatalog(dbc_), catalog_))
    return true;
  std::string name = catalog_;
  SQLSetConnectAttr(dbc_, SQL_ATTR_CURRENT_CATALOG, name.data(),
                    static_cast<SQLINTEGER>(name.size()));
  return EqualsIgnoringCase(CurrentCatalog(dbc_), catalog_);
}

// Storage for one bound parameter, kept alive until the statement has run.
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t),
              "the driver manager's wide characters are UTF-16");

struct BoundParameter {
  SQLSMALLINT c_type = SQL_C_CHAR;
  SQLSMALLINT sql_type = SQL_VARCHAR;
  SQLULEN column_size = 0;  // for text, in UTF-16 code units
  SQLSMALLINT digits = 0;
  std::u16string text;  // text values, and room for input-output text
  SQLINTEGER integer = 0;
  double number = 0;
  unsigned char boolean = 0;
  SQL_TIMESTAMP_STRUCT timestamp{};
  SQLLEN indicator = 0;
  SQLSMALLINT io_type = SQL_PARAM_INPUT;
};

SQLSMALLINT IoType(ParameterDirection direction) {
  switch (direction) {
    case ParameterDirection::kInputOutput:
      return SQL_PARAM_INPUT_OUTPUT;
    case ParameterDirection::kReturnValue:
      return SQL_PARAM_OUTPUT;
    case ParameterDirection::kInput:
      break;
  }
  return SQL_PARAM_INPUT;
}

void Prepare(const CommandParameter& parameter, BoundParameter& bound) {
  bound.io_type = IoType(parameter.direction);
  bound.indicator = parameter.value.is_null() ? SQL_NULL_DATA : 0;
  switch (parameter.type) {
    case ParameterType::kInteger:
      bound.c_type = SQL_C_SLONG;
      bound.sql_type = SQL_INTEGER;
      if (!parameter.value.is_null() && parameter.value.type() == ValueType::kInteger) {
        bound.integer = static_cast<SQLINTEGER>(parameter.value.AsInteger());
      }
      break;
    case ParameterType::kDouble:
      bound.c_type = SQL_C_DOUBLE;
      bound.sql_type = SQL_DOUBLE;
      if (parameter.value.type() == ValueType::kFloat)
        bound.number = parameter.value.AsFloat();
      break;
    case ParameterType::kBoolean:
      bound.c_type = SQL_C_BIT;
      bound.sql_type = SQL_BIT;
      if (parameter.value.type() == ValueType::kBoolean)
        bound.boolean = parameter.value.AsBoolean();
      break;
    case ParameterType::kDate:
      // datetime's precision: "yyyy-mm-dd hh:mm:ss.fff", the time rounded to milliseconds.
      bound.c_type = SQL_C_TYPE_TIMESTAMP;
      bound.sql_type = SQL_TYPE_TIMESTAMP;
      bound.column_size = 23;
      bound.digits = 3;
      if (parameter.value.type() == ValueType::kDateTime) {
        const DateTimeValue d = RoundedToMilliseconds(parameter.value.AsDateTime());
        bound.timestamp = {
            static_cast<SQLSMALLINT>(d.year),      static_cast<SQLUSMALLINT>(d.month),
            static_cast<SQLUSMALLINT>(d.day),      static_cast<SQLUSMALLINT>(d.hour),
            static_cast<SQLUSMALLINT>(d.minute),   static_cast<SQLUSMALLINT>(d.second),
            static_cast<SQLUINTEGER>(d.nanosecond)};
      }
      break;
    case ParameterType::kWideText:
      // Wide characters converted here, so no driver's idea of the client encoding applies;
      // sizes count UTF-16 code units, as the server does.
      bound.c_type = SQL_C_WCHAR;
      bound.sql_type = SQL_WVARCHAR;
      bound.column_size = static_cast<SQLULEN>(std::max(parameter.size, 1));
      bound.text =
          Utf8ToUtf16(parameter.value.type() == ValueType::kText ? parameter.value.AsText() : "");
      if (bound.indicator != SQL_NULL_DATA)
        bound.indicator = static_cast<SQLLEN>(bound.text.size() * sizeof(SQLWCHAR));
      // Room for what an input-output parameter may bring back, and the terminator.
      bound.text.resize(std::max<std::size_t>(bound.text.size(), bound.column_size) + 1);
      break;
  }
}

SQLPOINTER Buffer(BoundParameter& bound) {
  switch (bound.c_type) {
    case SQL_C_SLONG:
      return &bound.integer;
    case SQL_C_DOUBLE:
      return &bound.number;
    case SQL_C_BIT:
      return &bound.boolean;
    case SQL_C_TYPE_TIMESTAMP:
      return &bound.timestamp;
    default:
      return bound.text.data();
  }
}

Value ValueOf(const BoundParameter& bound) {
  if (bound.indicator == SQL_NULL_DATA)
    return Value::Null();
  switch (bound.c_type) {
    case SQL_C_SLONG:
      return Value::Integer(bound.integer);
    case SQL_C_DOUBLE:
      return Value::Float(bound.number);
    case SQL_C_BIT:
      return Value::Boolean(bound.boolean != 0);
    case SQL_C_TYPE_TIMESTAMP: {
      const SQL_TIMESTAMP_STRUCT& t = bound.timestamp;
      return Value::DateTime({t.year, t.month, t.day, t.hour, t.minute, t.second,
                              static_cast<int>(t.fraction), true, true});
    }
    default: {
      const std::size_t units = std::min<std::size_t>(
          static_cast<std::size_t>(std::max<SQLLEN>(bound.indicator, 0)) / sizeof(SQLWCHAR),
          bound.text.size() - 1);
      return Value::Text(Utf16ToUtf8(std::u16string_view(bound.text).substr(0, units)));
    }
  }
}

// SQL Server's time(n) as Microsoft's drivers describe it (SQL_SS_TIME2).
constexpr SQLSMALLINT kSqlServerTime2 = -154;

struct ColumnKind {
  ValueType type;
  std::string name;
};

ColumnKind KindOf(SQLSMALLINT sql_type) {
  switch (sql_type) {
    case SQL_BIT:
      return {ValueType::kBoolean, "bit"};
    case SQL_TINYINT:
      return {ValueType::kInteger, "tinyint"};
    case SQL_SMALLINT:
      return {ValueType::kInteger, "smallint"};
    case SQL_INTEGER:
      return {ValueType::kInteger, "int"};
    case SQL_BIGINT:
      return {ValueType::kInteger, "bigint"};
    case SQL_REAL:
      return {ValueType::kFloat, "real"};
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return {ValueType::kFloat, "float"};
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      return {ValueType::kDecimal, "decimal"};
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
      return {ValueType::kDateTime, "datetime"};
    case SQL_TYPE_DATE:
      return {ValueType::kDateTime, "date"};
    case SQL_TYPE_TIME:
    case kSqlServerTime2:
      return {ValueType::kDateTime, "time"};
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return {ValueType::kBinary, "varbinary"};
    case SQL_GUID:
      return {ValueType::kGuid, "uniqueidentifier"};
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
      return {ValueType::kText, "nvarchar"};
    default:
      return {ValueType::kText, "varchar"};
  }
}

// Reads a long value in pieces; false on a driver error.
bool ReadChunks(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT c_type, std::string& out,
                bool& is_null) {
  out.clear();
  is_null = false;
  std::array<char, 8192> buffer{};
  const std::size_t terminator = c_type == SQL_C_CHAR ? 1 : 0;
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(stmt, column, c_type, buffer.data(),
                                    static_cast<SQLLEN>(buffer.size()), &indicator);
    if (rc == SQL_NO_DATA)
      return true;
    if (!Succeeded(rc))
      return false;
    if (indicator == SQL_NULL_DATA) {
      is_null = true;
      return true;
    }
    std::size_t got = buffer.size() - terminator;
    if (indicator != SQL_NO_TOTAL && static_cast<std::size_t>(indicator) < got) {
      got = static_cast<std::size_t>(indicator);
    }
    out.append(buffer.data(), got);
    if (rc == SQL_SUCCESS)
      return true;
  }
}

bool FetchValue(SQLHSTMT stmt, SQLUSMALLINT column, const ColumnKind& kind, Value& value) {
  SQLLEN indicator = 0;
  switch (kind.type) {
    case ValueType::kBoolean:
    case ValueType::kInteger: {
      SQLBIGINT number = 0;
      if (!Succeeded(SQLGetData(stmt, column, SQL_C_SBIGINT, &number, 0, &indicator)))
        return false;
      if (indicator == SQL_NULL_DATA) {
        value = Value::Null();
      } else if (kind.type == ValueType::kBoolean) {
        value = Value::Boolean(number != 0);
      } else {
        value = Value::Integer(number);
      }
      return true;
    }
    case ValueType::kFloat: {
      double number = 0;
      if (!Succeeded(SQLGetData(stmt, column, SQL_C_DOUBLE, &number, 0, &indicator)))
        return false;
      value = indicator == SQL_NULL_DATA ? Value::Null() : Value::Float(number);
      return true;
    }
    case ValueType::kDateTime: {
      SQL_TIMESTAMP_STRUCT t{};
      if (!Succeeded(SQLGetData(stmt, column, SQL_C_TYPE_TIMESTAMP, &t, sizeof t, &indicator))) {
        return false;
      }
      if (indicator == SQL_NULL_DATA) {
        value = Value::Null();
      } else {
        DateTimeValue d{t.year,
                        t.month,
                        t.day,
                        t.hour,
                        t.minute,
                        t.second,
                        static_cast<int>(t.fraction),
                        kind.name != "time",
                        kind.name != "date"};
        value = Value::DateTime(d);
      }
      return true;
    }
    case ValueType::kBinary: {
      std::string bytes;
      bool is_null = false;
      if (!ReadChunks(stmt, column, SQL_C_BINARY, bytes, is_null))
        return false;
      value = is_null ? Value::Null() : Value::Binary({bytes.begin(), bytes.end()});
      return true;
    }
    default: {
      std::string text;
      bool is_null = false;
      if (!ReadChunks(stmt, column, SQL_C_CHAR, text, is_null))
        return false;
      if (is_null) {
        value = Value::Null();
      } else if (kind.type == ValueType::kDecimal) {
        value = Value::Decimal(DecimalText(std::move(text)));
      } else if (kind.type == ValueType::kGuid) {
        value = Value::Guid(ToUpperAscii(text));
      } else {
        value = Value::Text(text);
      }
      return true;
    }
  }
}

bool FetchResultSet(SQLHSTMT stmt, SQLSMALLINT columns, ResultSet& set) {
  std::vector<ColumnKind> kinds;
  for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
    std::array<SQLCHAR, 512> name{};
    SQLSMALLINT name_length = 0;
    SQLSMALLINT sql_type = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    if (!Succeeded(SQLDescribeCol(stmt, c, name.data(), static_cast<SQLSMALLINT>(name.size()),
                                  &name_length, &sql_type, &size, &digits, &nullable))) {
      return false;
    }
    ColumnKind kind = KindOf(sql_type);
    set.columns.push_back(
        {std::string(reinterpret_cast<const char*>(name.data())), kind.type, kind.name});
    kinds.push_back(std::move(kind));
  }
  for (;;) {
    const SQLRETURN rc = SQLFetch(stmt);
    if (rc == SQL_NO_DATA)
      return true;
    if (!Succeeded(rc))
      return false;
    std::vector<Value> row(kinds.size());
    for (std::size_t c = 0; c < kinds.size(); ++c) {
      if (!FetchValue(stmt, static_cast<SQLUSMALLINT>(c + 1), kinds[c], row[c]))
        return false;
    }
    set.rows.push_back(std::move(row));
  }
}

CommandOutcome OdbcSession::Execute(const CommandRequest& request) {
  may_have_transaction_ = may_have_transaction_ || MayOpenTransaction(request);
  bool at_start = false;
  CommandOutcome outcome = ExecuteOnce(request, at_start);
  // A pooled connection the server dropped while it was idle fails its first command, and the
  // driver learns only then that it is dead: run the command once more on a new connection.
  if (!outcome.ok && at_start && from_pool_ && broken_ && reconnect_) {
    from_pool_ = false;
    std::vector<ServerMessage> errors;
    const SQLHDBC fresh = reconnect_(errors);
    if (fresh == SQL_NULL_HDBC)
      return outcome;
    Close(dbc_);
    dbc_ = fresh;
    broken_ = false;
    catalog_ = CurrentCatalog(dbc_);
    outcome = ExecuteOnce(request, at_start);
  }
  from_pool_ = false;
  return outcome;
}

CommandOutcome OdbcSession::ExecuteOnce(const CommandRequest& request, bool& at_start) {
  CommandOutcome outcome;
  at_start = true;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt))) {
    outcome.errors = OrGeneric(Diagnostics(SQL_HANDLE_DBC, dbc_), "Cannot create a statement.");
    broken_ = true;
    return outcome;
  }
  struct StatementGuard {
    SQLHSTMT stmt;
    ~StatementGuard() { SQLFreeHandle(SQL_HANDLE_STMT, stmt); }
  } guard{stmt};

  SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT,
                 reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(request.timeout_seconds)), 0);

  // A stored procedure is called with its return value first: {? = call name(?, ...)}.
  std::vector<BoundParameter> bound(request.parameters.size());
  std::string text = request.text;
  std::vector<std::size_t> order;  // request parameter index for each marker
  if (request.type == CommandType::kStoredProcedure) {
    std::string markers;
    std::size_t return_index = request.parameters.size();
    for (std::size_t i = 0; i < request.parameters.size(); ++i) {
      if (request.parameters[i].direction == ParameterDirection::kReturnValue) {
        return_index = i;
        continue;
      }
      markers += markers.empty() ? "?" : ",?";
      order.push_back(i);
    }
    text = "{call " + request.text + (markers.empty() ? "" : "(" + markers + ")") + "}";
    if (return_index < request.parameters.size()) {
      text = "{? =" + text.substr(1);
      order.insert(order.begin(), return_index);
    }
  } else {
    // Plain text takes only the parameters its own markers ask for; the return value has none.
    for (std::size_t i = 0; i < request.parameters.size(); ++i) {
      if (request.parameters[i].direction != ParameterDirection::kReturnValue)
        order.push_back(i);
    }
    const std::size_t markers = static_cast<std::size_t>(std::count(text.begin(), text.end(), '?'));
    if (order.size() > markers)
      order.resize(markers);
  }
  for (std::size_t m = 0; m < order.size(); ++m) {
    BoundParameter& b = bound[order[m]];
    Prepare(request.parameters[order[m]], b);
    const SQLLEN buffer_length =
        b.c_type == SQL_C_WCHAR ? static_cast<SQLLEN>(b.text.size() * sizeof(SQLWCHAR)) : 0;
    if (!Succeeded(SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(m + 1), b.io_type, b.c_type,
                                    b.sql_type, b.column_size, b.digits, Buffer(b), buffer_length,
                                    &b.indicator))) {
      outcome.errors = OrGeneric(Diagnostics(SQL_HANDLE_STMT, stmt), "Cannot bind a parameter.");
      return outcome;
    }
  }

  SQLRETURN rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()),
                               static_cast<SQLINTEGER>(text.size()));
  // A batch whose first statement is an UPDATE or DELETE touching no rows answers "no data"
  // here, while the results of the statements after it are still to come.
  if (rc == SQL_NO_DATA)
    rc = SQLMoreResults(stmt);
  if (!Succeeded(rc) && rc != SQL_NO_DATA) {
    outcome.errors = OrGeneric(Diagnostics(SQL_HANDLE_STMT, stmt), "The command failed.");
    broken_ = IsDead(dbc_);
    return outcome;
  }
  at_start = false;
  // Every result set of the batch; output parameters are ready after the last one.
  while (rc != SQL_NO_DATA) {
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    if (columns > 0) {
      ResultSet set;
      if (!FetchResultSet(stmt, columns, set)) {
        outcome.errors = OrGeneric(Diagnostics(SQL_HANDLE_STMT, stmt), "Reading rows failed.");
        broken_ = true;  // a connection that failed mid-result is not trusted again
        return outcome;
      }
      outcome.result_sets.push_back(std::move(set));
    }
    rc = SQLMoreResults(stmt);
    if (!Succeeded(rc) && rc != SQL_NO_DATA) {
      outcome.errors = OrGeneric(Diagnostics(SQL_HANDLE_STMT, stmt), "The command failed.");
      broken_ = IsDead(dbc_);
      return outcome;
    }
  }
  for (std::size_t i = 0; i < request.parameters.size(); ++i) {
    const bool was_bound = std::find(order.begin(), order.end(), i) != order.end();
    outcome.parameter_values.push_back(was_bound && request.parameters[i].direction !=
                                                        ParameterDirection::kInput
                                           ? ValueOf(bound[i])
                                           : request.parameters[i].value);
  }
  outcome.ok = true;
  return outcome;
}

}  // namespace

std::vector<std::string> InstalledSqlServerDrivers() {
  std::vector<std::string> drivers;
  SQLHENV env = SQL_NULL_HENV;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
    return drivers;
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  std::array<SQLCHAR, 256> name{};
  std::array<SQLCHAR, 1024> attributes{};
  SQLSMALLINT name_length = 0;
  SQLSMALLINT attributes_length = 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  while (Succeeded(SQLDrivers(env, direction, name.data(), static_cast<SQLSMALLINT>(name.size()),
                              &name_length, attributes.data(),
                              static_cast<SQLSMALLINT>(attributes.size()), &attributes_length))) {
    const std::string driver(reinterpret_cast<const char*>(name.data()));
    if (driver == "FreeTDS" || FindIgnoringCase(driver, "SQL Server") != std::string::npos) {
      drivers.push_back(driver);
    }
    direction = SQL_FETCH_NEXT;
  }
  SQLFreeHandle(SQL_HANDLE_ENV, env);
  return drivers;
}

std::string ChooseOdbcDriver(const std::vector<std::string>& installed,
                             const std::optional<std::string>& forced) {
  if (forced && !forced->empty())
    return *forced;
  for (const char* preferred :
       {"ODBC Driver 18 for SQL Server", "ODBC Driver 17 for SQL Server", "FreeTDS"}) {
    if (std::find(installed.begin(), installed.end(), preferred) != installed.end()) {
      return preferred;
    }
  }
  return {};
}

OdbcBackend::OdbcBackend(OdbcDriverChoice driver, std::chrono::seconds idle_limit, int browser_port)
    : driver_(std::move(driver)), browser_port_(browser_port), pool_(std::make_shared<Pool>()) {
  pool_->idle_limit = idle_limit;
  std::random_device random;
  for (int i = 0; i < 4; ++i)
    pool_->salt += std::to_string(random());
  if (Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &pool_->env))) {
    SQLSetEnvAttr(pool_->env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  } else {
    pool_->env = SQL_NULL_HENV;
  }
}

OdbcBackend::~OdbcBackend() = default;

std::size_t OdbcBackend::IdleConnections() const {
  std::lock_guard lock(pool_->mutex);
  return pool_->idle.size();
}

namespace {

// A salted SHA-256 of the password, in hex: what the pool key holds in its place.
std::string PasswordDigest(const std::string& salt, const std::string& password) {
  std::string input = salt + password;
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  EVP_Digest(input.data(), input.size(), digest.data(), &length, EVP_sha256(), nullptr);
  std::fill(input.begin(), input.end(), '\0');
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

// FreeTDS says nothing of why a Windows login failed; these are the usual reasons.
constexpr std::string_view kFreeTdsWindowsAuthenticationHint =
    " Windows authentication through FreeTDS needs a Kerberos ticket (run kinit as the user "
    "running Korvane), or use SQL Server authentication.";

ServerRecord RecordOf(const ConnectionRequest& request) {
  ServerRecord record;
  record.Name = request.server;
  record.SQLAuth = request.sql_auth;
  record.LoginName = request.login;
  record.Password = request.password;
  return record;
}

}  // namespace

OpenOutcome OdbcBackend::Open(const ConnectionRequest& request) {
  OpenOutcome outcome;
  if (driver_.name.empty() || pool_->env == SQL_NULL_HENV) {
    outcome.errors.push_back({0, 16, 1, "IM002",
                              "No SQL Server ODBC driver is installed (apt install tdsodbc, or "
                              "Microsoft's ODBC Driver for SQL Server)."});
    return outcome;
  }
  ServerRecord keyed = RecordOf(request);
  keyed.Password = PasswordDigest(pool_->salt, request.password);
  std::string refused;
  // The pool key includes the login time-out so differently configured callers never share.
  const std::string key =
      BuildOdbcConnectionString(keyed, request.database, true, driver_, &refused) + "|" +
      std::to_string(request.login_timeout_seconds);
  // Building the real string once tells whether the driver can be given these values at all.
  {
    std::string check =
        BuildOdbcConnectionString(RecordOf(request), request.database, true, driver_, &refused);
    const bool usable = !check.empty();
    std::fill(check.begin(), check.end(), '\0');
    if (!usable) {
      outcome.errors.push_back({0, 16, 1, "HY000", refused});
      return outcome;
    }
  }
  auto reconnect = [env = pool_->env, driver = driver_, browser_port = browser_port_,
                    request](std::vector<ServerMessage>& errors) -> SQLHDBC {
    const bool freetds = EqualsIgnoringCase(driver.name, "FreeTDS");
    ServerRecord record = RecordOf(request);
    const ServerAddress address = ParseServerAddress(request.server);
    if (freetds && !address.instance.empty() && address.port.empty()) {
      const std::optional<int> port = LookUpInstancePort(
          address.host, address.instance,
          std::chrono::seconds(std::max(request.login_timeout_seconds, 1)), browser_port);
      if (!port) {
        errors = {{0, 16, 1, "08001",
                   InstanceNotFoundMessage(address.host, address.instance, browser_port)}};
        return SQL_NULL_HDBC;
      }
      record.Name = address.host + "," + std::to_string(*port);
    }
    std::string connection_string =
        BuildOdbcConnectionString(record, request.database, true, driver);
    const SQLHDBC dbc = Connect(env, connection_string, request.login_timeout_seconds, errors);
    std::fill(connection_string.begin(), connection_string.end(), '\0');
    if (dbc == SQL_NULL_HDBC && freetds && !request.sql_auth && !errors.empty()) {
      errors.front().text += std::string(kFreeTdsWindowsAuthenticationHint);
    }
    return dbc;
  };
  if (SQLHDBC dbc = pool_->Take(key); dbc != SQL_NULL_HDBC) {
    outcome.session = std::make_unique<OdbcSession>(pool_, key, dbc, true, std::move(reconnect));
    return outcome;
  }
  const SQLHDBC dbc = reconnect(outcome.errors);
  if (dbc == SQL_NULL_HDBC)
    return outcome;
  outcome.session = std::make_unique<OdbcSession>(pool_, key, dbc, false, std::move(reconnect));
  return outcome;
}

}  // namespace korvane
