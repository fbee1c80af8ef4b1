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
#include "db/odbc/odbc_diagnostics.h"
#include "db/odbc/odbc_messages.h"
#include "db/odbc/odbc_result_reader.h"
#include "db/odbc/odbc_values.h"

namespace korvane {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

struct OdbcBackend::Pool {
  SQLHENV env = SQL_NULL_HENV;
  // Pool keys hold a salted hash of the password, never the password.
  std::string salt;
  std::chrono::seconds idle_limit{60};
  std::size_t most_rows_per_fetch = kMostRowsPerFetch;
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

// One statement and the parameters bound to it, freed together (the driver writes output
// parameters into their buffers until the last result has been read).
struct Statement {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  std::vector<BoundParameter> bound;  // never resized once bound: the driver holds addresses
  std::vector<std::size_t> order;     // request parameter index for each marker

  Statement() = default;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement() {
    if (stmt != SQL_NULL_HSTMT)
      SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
};

bool Cancelled(const CommandRequest& request) {
  return request.cancel != nullptr && request.cancel->load(std::memory_order_relaxed);
}

ServerMessage CancelledMessage() {
  return {0, 16, 1, "HY008", "Operation canceled"};
}

class OdbcRowCursor;

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

  ~OdbcSession() override;

  CommandOutcome Execute(const CommandRequest& request) override;
  CursorOutcome OpenCursor(const CommandRequest& request) override;

  // What a cursor tells its session: it ended; reading failed and the connection is not to be
  // trusted again.
  void CursorEnded(const OdbcRowCursor* cursor) {
    if (cursor_ == cursor)
      cursor_ = nullptr;
  }
  void MarkBroken() { broken_ = true; }
  std::size_t MostRowsPerFetch() const { return pool_->most_rows_per_fetch; }
  bool ConnectionDead() const { return IsDead(dbc_); }

 private:
  // Runs the command on a statement of its own, up to its first result (`rc` is what
  // SQLExecDirect said, or SQL_NO_DATA when no result came). A pooled connection the server
  // dropped while it was idle fails its first command, and the driver learns only then that it
  // is dead: the command is run once more on a new connection. Null with `errors` set on failure.
  std::unique_ptr<Statement> Start(const CommandRequest& request, SQLRETURN& rc,
                                   std::vector<ServerMessage>& errors);
  std::unique_ptr<Statement> StartOnce(const CommandRequest& request, SQLRETURN& rc,
                                       std::vector<ServerMessage>& errors);
  // Ends a cursor still open on this session (its statement is freed; it reads no further).
  void EndCursor();
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
  OdbcRowCursor* cursor_ = nullptr;
};

// Streams the first result of a command, a block of rows at a time. Errors of the statements
// after that result are read when it ends, so a failing batch does not pass for a complete one.
class OdbcRowCursor final : public RowCursor {
 public:
  OdbcRowCursor(OdbcSession& session, std::unique_ptr<Statement> statement,
                const std::atomic<bool>* cancel)
      : session_(&session), statement_(std::move(statement)), cancel_(cancel) {}
  ~OdbcRowCursor() override {
    End(false);
    if (session_ != nullptr)
      session_->CursorEnded(this);
  }

  // Positions the cursor on the statement's first result with columns. False with the errors
  // set when none could be read.
  bool Open(SQLRETURN rc, std::vector<ServerMessage>& errors);

  const std::vector<ColumnInfo>& Columns() const override { return reader_.Columns(); }
  bool Next() override;
  FieldView Field(int index) const override {
    return index < 0 || done_ ? FieldView{} : reader_.Field(static_cast<std::size_t>(index));
  }
  const std::vector<ServerMessage>& Errors() const override { return errors_; }

  // Ends reading: with `drain`, the statements after the first result still run and their
  // errors are kept; otherwise the server is told to stop. Frees the statement.
  void End(bool drain);
  // The session ends, or runs another command, before the cursor has read its rows (callers
  // should not let it): reading stops, and says so rather than pass for the end.
  void Detach() {
    if (!done_)
      errors_ = {{0, 16, 1, "HY010",
                  "The rows were not read to the end: the session ran another command or ended."}};
    End(false);
    session_ = nullptr;
  }

 private:
  void Fail(std::vector<ServerMessage> errors);

  OdbcSession* session_;
  std::unique_ptr<Statement> statement_;
  const std::atomic<bool>* cancel_;
  OdbcResultReader reader_;  // declared after the statement: released before it is freed
  std::vector<ServerMessage> errors_;
  bool done_ = false;
};

bool OdbcRowCursor::Open(SQLRETURN rc, std::vector<ServerMessage>& errors) {
  const SQLHSTMT stmt = statement_->stmt;
  while (rc != SQL_NO_DATA) {
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    if (columns > 0) {
      if (reader_.Open(stmt, columns, session_->MostRowsPerFetch(), errors))
        return true;
      session_->MarkBroken();
      return false;
    }
    rc = SQLMoreResults(stmt);
    if (!Succeeded(rc) && rc != SQL_NO_DATA) {
      errors = OrGeneric(Diagnostics(SQL_HANDLE_STMT, stmt), "The command failed.");
      if (session_->ConnectionDead())
        session_->MarkBroken();
      return false;
    }
  }
  // A command without rows: an empty cursor.
  End(true);
  return true;
}

bool OdbcRowCursor::Next() {
  if (done_)
    return false;
  if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) {
    Fail({CancelledMessage()});  // the server is told to stop
    return false;
  }
  std::vector<ServerMessage> errors;
  switch (reader_.Next(errors)) {
    case OdbcResultReader::Step::kRow:
      return true;
    case OdbcResultReader::Step::kEnd:
      End(true);
      return false;
    case OdbcResultReader::Step::kFailed:
      // A connection that failed mid-result is not trusted again.
      session_->MarkBroken();
      Fail(std::move(errors));
      return false;
  }
  return false;
}

void OdbcRowCursor::Fail(std::vector<ServerMessage> errors) {
  errors_ = std::move(errors);
  End(false);
}

void OdbcRowCursor::End(bool drain) {
  if (done_)
    return;
  done_ = true;
  reader_.Release();
  if (!statement_)
    return;
  const SQLHSTMT stmt = statement_->stmt;
  if (drain) {
    for (SQLRETURN rc = SQLMoreResults(stmt); rc != SQL_NO_DATA; rc = SQLMoreResults(stmt)) {
      if (!Succeeded(rc)) {
        errors_ = OrGeneric(Diagnostics(SQL_HANDLE_STMT, stmt), "The command failed.");
        if (session_ != nullptr && session_->ConnectionDead())
          session_->MarkBroken();
        break;
      }
    }
  } else if (!Succeeded(SQLCancel(stmt)) && session_ != nullptr) {
    session_->MarkBroken();
  }
  statement_.reset();
}

OdbcSession::~OdbcSession() {
  EndCursor();
  if (!broken_ && Reset()) {
    pool_->Give(key_, dbc_);
  } else {
    Close(dbc_);
  }
}

void OdbcSession::EndCursor() {
  if (cursor_ != nullptr) {
    OdbcRowCursor* cursor = cursor_;
    cursor_ = nullptr;
    cursor->Detach();
  }
}

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

std::unique_ptr<Statement> OdbcSession::Start(const CommandRequest& request, SQLRETURN& rc,
                                              std::vector<ServerMessage>& errors) {
  EndCursor();
  may_have_transaction_ = may_have_transaction_ || MayOpenTransaction(request);
  if (Cancelled(request)) {
    errors = {CancelledMessage()};
    return nullptr;
  }
  std::unique_ptr<Statement> statement = StartOnce(request, rc, errors);
  if (!statement && from_pool_ && broken_ && reconnect_) {
    from_pool_ = false;
    std::vector<ServerMessage> reconnect_errors;
    const SQLHDBC fresh = reconnect_(reconnect_errors);
    if (fresh == SQL_NULL_HDBC)
      return nullptr;
    Close(dbc_);
    dbc_ = fresh;
    broken_ = false;
    catalog_ = CurrentCatalog(dbc_);
    errors.clear();
    statement = StartOnce(request, rc, errors);
  }
  from_pool_ = false;
  return statement;
}

std::unique_ptr<Statement> OdbcSession::StartOnce(const CommandRequest& request, SQLRETURN& rc,
                                                  std::vector<ServerMessage>& errors) {
  auto statement = std::make_unique<Statement>();
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &statement->stmt))) {
    statement->stmt = SQL_NULL_HSTMT;
    errors = OrGeneric(Diagnostics(SQL_HANDLE_DBC, dbc_), "Cannot create a statement.");
    broken_ = true;
    return nullptr;
  }
  const SQLHSTMT stmt = statement->stmt;
  SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT,
                 reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(request.timeout_seconds)), 0);

  // A stored procedure is called with its return value first: {? = call name(?, ...)}.
  std::vector<BoundParameter>& bound = statement->bound;
  std::vector<std::size_t>& order = statement->order;
  bound.resize(request.parameters.size());
  std::string text = request.text;
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
      errors = OrGeneric(Diagnostics(SQL_HANDLE_STMT, stmt), "Cannot bind a parameter.");
      return nullptr;
    }
  }

  rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()),
                     static_cast<SQLINTEGER>(text.size()));
  // A batch whose first statement is an UPDATE or DELETE touching no rows answers "no data"
  // here, while the results of the statements after it are still to come.
  if (rc == SQL_NO_DATA)
    rc = SQLMoreResults(stmt);
  if (!Succeeded(rc) && rc != SQL_NO_DATA) {
    errors = OrGeneric(Diagnostics(SQL_HANDLE_STMT, stmt), "The command failed.");
    broken_ = IsDead(dbc_);
    return nullptr;
  }
  return statement;
}

CommandOutcome OdbcSession::Execute(const CommandRequest& request) {
  CommandOutcome outcome;
  SQLRETURN rc = SQL_SUCCESS;
  const std::unique_ptr<Statement> statement = Start(request, rc, outcome.errors);
  if (!statement)
    return outcome;
  const SQLHSTMT stmt = statement->stmt;
  // Every result set of the batch; output parameters are ready after the last one.
  while (rc != SQL_NO_DATA) {
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    if (columns > 0) {
      OdbcResultReader reader;
      if (!reader.Open(stmt, columns, pool_->most_rows_per_fetch, outcome.errors)) {
        broken_ = true;
        return outcome;
      }
      ResultSet set;
      set.columns = reader.Columns();
      const std::size_t width = set.columns.size();
      for (;;) {
        if (Cancelled(request)) {
          reader.Release();
          broken_ = broken_ || !Succeeded(SQLCancel(stmt));
          outcome.errors = {CancelledMessage()};
          return outcome;
        }
        std::vector<ServerMessage> errors;
        const OdbcResultReader::Step step = reader.Next(errors);
        if (step == OdbcResultReader::Step::kEnd)
          break;
        if (step == OdbcResultReader::Step::kFailed) {
          outcome.errors = std::move(errors);
          broken_ = true;  // a connection that failed mid-result is not trusted again
          return outcome;
        }
        std::vector<Value>& row = set.rows.emplace_back();
        row.reserve(width);
        for (std::size_t c = 0; c < width; ++c)
          row.push_back(reader.TakeValue(c));
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
  const std::vector<std::size_t>& order = statement->order;
  for (std::size_t i = 0; i < request.parameters.size(); ++i) {
    const bool was_bound = std::find(order.begin(), order.end(), i) != order.end();
    outcome.parameter_values.push_back(was_bound && request.parameters[i].direction !=
                                                        ParameterDirection::kInput
                                           ? ValueOf(statement->bound[i])
                                           : request.parameters[i].value);
  }
  outcome.ok = true;
  return outcome;
}

CursorOutcome OdbcSession::OpenCursor(const CommandRequest& request) {
  CursorOutcome outcome;
  SQLRETURN rc = SQL_SUCCESS;
  std::unique_ptr<Statement> statement = Start(request, rc, outcome.errors);
  if (!statement)
    return outcome;
  auto cursor = std::make_unique<OdbcRowCursor>(*this, std::move(statement), request.cancel);
  if (!cursor->Open(rc, outcome.errors))
    return outcome;
  cursor_ = cursor.get();
  outcome.cursor = std::move(cursor);
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

OdbcBackend::OdbcBackend(OdbcDriverChoice driver, std::chrono::seconds idle_limit, int browser_port,
                         std::size_t most_rows_per_fetch)
    : driver_(std::move(driver)), browser_port_(browser_port), pool_(std::make_shared<Pool>()) {
  pool_->most_rows_per_fetch = std::max<std::size_t>(most_rows_per_fetch, 1);
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
