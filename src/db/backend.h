// The one interface between the data-access layer and whatever answers as SQL Server: the ODBC
// backend for real servers and the embedded stand-in on SQLite. Nothing above the data-access
// layer knows which one answers.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "db/value.h"

namespace korvane {

// A message as SQL Server raises it: number 208, severity 16, "Invalid object name 'x'.".
struct ServerMessage {
  std::int32_t number = 0;  // SQL Server's message number (0 when the client failed)
  int severity = 16;
  int state = 1;
  std::string sqlstate;  // e.g. "42S02"; "08001" when the server could not be reached
  std::string text;
};

struct ColumnInfo {
  std::string name;
  ValueType type = ValueType::kText;
  std::string type_name;  // the server's type name: "int", "nvarchar", ...
};

// One result set: the columns and the rows in the order the server sent them.
struct ResultSet {
  std::vector<ColumnInfo> columns;
  std::vector<std::vector<Value>> rows;
};

enum class ParameterDirection { kInput = 1, kInputOutput = 3, kReturnValue = 4 };

// Parameter data types, by the data-access layer's type codes.
enum class ParameterType { kInteger = 3, kDouble = 5, kDate = 7, kBoolean = 11, kWideText = 202 };

struct CommandParameter {
  std::string name;
  ParameterType type = ParameterType::kInteger;
  ParameterDirection direction = ParameterDirection::kInput;
  int size = 0;
  Value value;
};

enum class CommandType { kText = 1, kStoredProcedure = 4 };

struct CommandRequest {
  CommandType type = CommandType::kText;
  std::string text;  // a T-SQL batch, or the procedure name for kStoredProcedure
  std::vector<CommandParameter> parameters;
  int timeout_seconds = 30;  // 0: no limit
  // When set, the command stops (failing with SQLSTATE HY008) once this turns true; another
  // thread sets it, e.g. on a client's cancel.
  const std::atomic<bool>* cancel = nullptr;
};

struct CommandOutcome {
  bool ok = false;
  std::vector<ServerMessage> errors;    // when not ok: what the server (or client) said
  std::vector<ResultSet> result_sets;   // every result set of the batch, in order
  std::vector<Value> parameter_values;  // after the call, one per request parameter
};

// A forward-only reader of the first result set of a command, row by row, for callers that look
// at each row once and keep little of it (the data comparison reads millions of rows so). The
// fields of the current row are views (FieldView in db/value.h) valid until the next move.
class RowCursor {
 public:
  virtual ~RowCursor() = default;
  virtual const std::vector<ColumnInfo>& Columns() const = 0;
  // To the next row (the first, on the first call). False at the end, and when reading failed,
  // the command timed out or was cancelled: Errors() then tells what happened.
  virtual bool Next() = 0;
  // Field `index` (0-based, below Columns().size()) of the current row.
  virtual FieldView Field(int index) const = 0;
  // The first out.size() fields of the current row (no more than Columns().size()), as Field
  // gives them, in one call: for callers that read every field of every row.
  virtual void Fields(std::span<FieldView> out) const;
  virtual const std::vector<ServerMessage>& Errors() const = 0;
};

struct CursorOutcome {
  std::unique_ptr<RowCursor> cursor;  // null when the command failed before any row
  std::vector<ServerMessage> errors;
};

// A cursor over rows already read, for backends that cannot stream. Once `cancel` (when given)
// turns true, the next move ends the rows as a cancelled command (SQLSTATE HY008).
class MaterialisedRowCursor final : public RowCursor {
 public:
  explicit MaterialisedRowCursor(ResultSet rows, const std::atomic<bool>* cancel = nullptr)
      : rows_(std::move(rows)), cancel_(cancel) {}
  const std::vector<ColumnInfo>& Columns() const override { return rows_.columns; }
  bool Next() override;
  FieldView Field(int index) const override;
  const std::vector<ServerMessage>& Errors() const override { return errors_; }

 private:
  ResultSet rows_;
  const std::atomic<bool>* cancel_ = nullptr;
  std::size_t next_ = 0;
  std::vector<ServerMessage> errors_;
};

// An open connection to one database of one server.
class DatabaseSession {
 public:
  virtual ~DatabaseSession() = default;
  virtual CommandOutcome Execute(const CommandRequest& request) = 0;
  // Runs a command that returns rows and reads its first result set through a cursor, with the
  // request's time-out and cancel flag applying to every move. The cursor uses this session:
  // it must end before the session does, and no other command runs on the session meanwhile.
  // By default the rows are read whole by Execute and walked in memory.
  virtual CursorOutcome OpenCursor(const CommandRequest& request);
};

struct ConnectionRequest {
  std::string server;    // the server name as the user gave it
  std::string database;  // empty: the login's default database
  bool sql_auth = false;
  std::string login;
  std::string password;
  int login_timeout_seconds = 15;
};

struct OpenOutcome {
  std::unique_ptr<DatabaseSession> session;  // null on failure
  std::vector<ServerMessage> errors;
};

class DatabaseBackend {
 public:
  virtual ~DatabaseBackend() = default;
  virtual OpenOutcome Open(const ConnectionRequest& request) = 0;
};

}  // namespace korvane

namespace korvane {

// The backends of one run: the embedded stand-in answers "embedded:" server names, ODBC the rest.
struct DatabaseBackends {
  std::shared_ptr<DatabaseBackend> embedded;
  std::shared_ptr<DatabaseBackend> odbc;
  bool odbc_driver_available = false;  // a SQL Server ODBC driver is installed

  // The backend for a server name; null when that kind of backend is not available.
  DatabaseBackend* For(std::string_view server_name) const;
};

inline constexpr std::string_view kEmbeddedPrefix = "embedded:";

bool IsEmbeddedServerName(std::string_view server_name);

}  // namespace korvane
