#include "db/data_access.h"

#include <chrono>
#include <random>
#include <set>

#include "base/busy_pointer.h"
#include "base/clock.h"
#include "base/error_report.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "db/data_access_context.h"
#include "db/server_list.h"

namespace korvane {
namespace {

// Parameter names: a type prefix and a random number, unique within one command.
class ParameterNamer {
 public:
  explicit ParameterNamer(const Clock& clock)
      : random_(static_cast<std::uint32_t>(clock.SteadyNow().time_since_epoch().count())) {}
  std::string Next(std::string_view prefix) {
    for (;;) {
      std::string name = std::string(prefix) + std::to_string(random_() % 1000000);
      if (used_.insert(name).second)
        return name;
    }
  }

 private:
  std::mt19937 random_;
  std::set<std::string> used_;
};

std::string ValueTypeName(ValueType type) {
  switch (type) {
    case ValueType::kDecimal:
      return "Decimal";
    case ValueType::kBinary:
      return "Byte()";
    case ValueType::kGuid:
      return "Guid";
    default:
      return "Variant";
  }
}

// Builds the parameter for one value, or returns false for a type no parameter can carry.
bool MakeParameter(const Value& value, ParameterDirection direction, ParameterNamer& namer,
                   CommandParameter& parameter) {
  parameter.direction = direction;
  switch (value.type()) {
    case ValueType::kText: {
      const int length = static_cast<int>(Utf8Length(value.AsText()));
      parameter.name = namer.Next("str");
      parameter.type = ParameterType::kWideText;
      parameter.size = std::max(length, direction == ParameterDirection::kInput ? 1 : 255);
      parameter.value = value;
      return true;
    }
    case ValueType::kInteger:
      parameter.name = namer.Next("lng");
      parameter.type = ParameterType::kInteger;
      parameter.value = value.AsInteger() == -1 ? Value::Null() : value;
      return true;
    case ValueType::kFloat:
      parameter.name = namer.Next("dbl");
      parameter.type = ParameterType::kDouble;
      parameter.value = value.AsFloat() == -1 ? Value::Null() : value;
      return true;
    case ValueType::kBoolean:
      parameter.name = namer.Next("bln");
      parameter.type = ParameterType::kBoolean;
      parameter.value = value;
      return true;
    case ValueType::kDateTime:
    case ValueType::kNull:
      parameter.name = namer.Next("dtm");
      parameter.type = ParameterType::kDate;
      parameter.value = value;
      return true;
    default:
      return false;
  }
}

ConnectionRequest MakeConnectionRequest(const ServerRecord& server, std::string_view database) {
  ConnectionRequest request;
  request.server = server.Name;
  request.database = database;
  request.sql_auth = server.SQLAuth;
  request.login = server.LoginName;
  request.password = server.Password;
  return request;
}

void SetError(RunCommandResult& result, const std::vector<ServerMessage>& errors) {
  result.result = -1;
  result.recordset.reset();
  if (errors.empty()) {
    result.error_number = kGeneralError;
    result.error_description = "Unspecified error";
  } else {
    result.error_number = ErrorNumberOf(errors.front());
    result.error_description = errors.front().text;
  }
}

void ReportFailure(DataAccessContext& context, const RunCommandResult& result,
                   std::string_view text) {
  if (context.SuppressConnectionErrors)
    return;
  context.ui.ShowMessage(
      ConnectionFailureMessage(result.error_number, result.error_description, text),
      MessageIcon::kExclamation);
  context.ui.ProcessPendingEvents();
}

struct RunOptions {
  bool want_rows = true;
  bool catalog_always = false;
};

// Runs a prepared request on an open session and fills the result.
void ExecuteOn(DataAccessContext& context, DatabaseSession& session, CommandRequest request,
               std::span<Value* const> in_out, std::size_t first_in_out, bool want_rows,
               RunCommandResult& result) {
  request.timeout_seconds = static_cast<int>(context.CommandTimeoutSeconds());
  CommandOutcome outcome = session.Execute(request);
  if (!outcome.ok) {
    SetError(result, outcome.errors);
    return;
  }
  const Value return_value =
      outcome.parameter_values.empty() ? Value::Null() : outcome.parameter_values.front();
  result.result = return_value.type() == ValueType::kInteger
                      ? static_cast<std::int32_t>(return_value.AsInteger())
                      : 0;
  std::size_t parameter = first_in_out;
  for (Value* variable : in_out) {
    if (variable == nullptr)
      continue;
    if (parameter < outcome.parameter_values.size())
      *variable = outcome.parameter_values[parameter];
    ++parameter;
  }
  if (want_rows) {
    result.recordset.emplace(outcome.result_sets.empty() ? ResultSet{}
                                                         : std::move(outcome.result_sets.front()));
  }
}

RunCommandResult Run(DataAccessContext& context, const ServerRecord& server, CommandType type,
                     std::string_view text, std::string_view database,
                     const std::vector<Value>& inputs, std::span<Value* const> in_out,
                     RunOptions options) {
  BusyPointer busy(context.ui);
  RunCommandResult result;
  DatabaseBackend* backend = context.backends.For(server.Name);
  if (backend == nullptr) {
    SetError(result, {ServerMessage{0, 16, 1, "IM002",
                                    "No driver is available for server '" + server.Name + "'."}});
    ReportFailure(context, result, text);
    return result;
  }
  const bool with_catalog = options.catalog_always || !text.empty();
  OpenOutcome opened =
      backend->Open(MakeConnectionRequest(server, with_catalog ? database : std::string_view()));
  if (!opened.session) {
    SetError(result, opened.errors);
    ReportFailure(context, result, text);
    return result;
  }
  if (text.empty()) {
    result.result = 0;
    return result;
  }

  CommandRequest request;
  request.type = type;
  request.text = text;
  ParameterNamer namer(context.clock);
  CommandParameter return_parameter;
  return_parameter.name = "Return";
  return_parameter.type = ParameterType::kInteger;
  return_parameter.direction = ParameterDirection::kReturnValue;
  request.parameters.push_back(return_parameter);
  auto add = [&](const Value& value, ParameterDirection direction) {
    CommandParameter parameter;
    if (!MakeParameter(value, direction, namer, parameter)) {
      // A value no parameter can carry fails this command; the program goes on.
      SetError(result, {ServerMessage{
                           kUnhandledParameterType, 16, 1, "07006",
                           "Data Type " + ValueTypeName(value.type()) + " not currently handled"}});
      return false;
    }
    request.parameters.push_back(std::move(parameter));
    return true;
  };
  for (const Value& input : inputs) {
    if (!add(input, ParameterDirection::kInput)) {
      context.ui.ShowMessage(result.error_description, MessageIcon::kCritical);
      return result;
    }
  }
  const std::size_t first_in_out = request.parameters.size();
  for (Value* variable : in_out) {
    if (variable != nullptr && !add(*variable, ParameterDirection::kInputOutput)) {
      context.ui.ShowMessage(result.error_description, MessageIcon::kCritical);
      return result;
    }
  }
  ExecuteOn(context, *opened.session, std::move(request), in_out, first_in_out, options.want_rows,
            result);
  if (result.failed())
    ReportFailure(context, result, text);
  return result;
}

}  // namespace

std::int32_t ErrorNumberOf(const ServerMessage& message) {
  switch (message.number) {
    case 208:
      return kMissingTableError;
    case 2627:
    case 2601:
    case 515:
    case 547:
      return kIntegrityError;
    case 8152:
      return kDataOverflowError;
    case 245:
    case 8114:
      return kConversionError;
    case 18456:
      return kAuthenticationError;
    case kUnhandledParameterType:
      return kUnhandledParameterType;
    default:
      break;
  }
  if (message.sqlstate == "42S02")
    return kMissingTableError;
  if (message.sqlstate == "HYT00" || message.sqlstate == "HYT01")
    return kTimeoutError;
  if (message.sqlstate.starts_with("08") || message.sqlstate.starts_with("28") ||
      message.sqlstate.starts_with("IM") || message.number == 4060 || message.number == 0) {
    return kGeneralError;
  }
  return kCommandError;
}

std::string ConnectionFailureMessage(std::int32_t error_number, std::string_view description,
                                     std::string_view command_text) {
  return "Server connection failed.\r\n\r\nRun time error: " + std::to_string(error_number) +
         "\r\n" + std::string(description) + "\r\n\r\nCommand failed: \r\n\r\n" +
         std::string(command_text);
}

namespace {

// A backend's cursor together with the connection it reads on; the cursor ends first.
class SessionRowCursor final : public RowCursor {
 public:
  SessionRowCursor(std::unique_ptr<DatabaseSession> session, std::unique_ptr<RowCursor> rows)
      : session_(std::move(session)), rows_(std::move(rows)) {}
  ~SessionRowCursor() override { rows_.reset(); }
  SessionRowCursor(const SessionRowCursor&) = delete;
  SessionRowCursor& operator=(const SessionRowCursor&) = delete;

  const std::vector<ColumnInfo>& Columns() const override { return rows_->Columns(); }
  bool Next() override { return rows_->Next(); }
  FieldView Field(int index) const override { return rows_->Field(index); }
  void Fields(std::span<FieldView> out) const override { rows_->Fields(out); }
  const std::vector<ServerMessage>& Errors() const override { return rows_->Errors(); }

 private:
  std::unique_ptr<DatabaseSession> session_;
  std::unique_ptr<RowCursor> rows_;
};

}  // namespace

OpenRowCursorResult OpenRowCursor(DataAccessContext& context, const ServerRecord& server,
                                  std::string_view text, std::string_view database,
                                  const std::atomic<bool>* cancel) {
  BusyPointer busy(context.ui);
  OpenRowCursorResult result;
  RunCommandResult failure;
  auto fail = [&](const std::vector<ServerMessage>& errors) {
    SetError(failure, errors);
    result.error_number = failure.error_number;
    result.error_description = failure.error_description;
    ReportFailure(context, failure, text);
    return std::move(result);
  };
  DatabaseBackend* backend = context.backends.For(server.Name);
  if (backend == nullptr) {
    return fail({ServerMessage{0, 16, 1, "IM002",
                               "No driver is available for server '" + server.Name + "'."}});
  }
  OpenOutcome opened = backend->Open(MakeConnectionRequest(server, database));
  if (!opened.session)
    return fail(opened.errors);
  CommandRequest request;
  request.type = CommandType::kText;
  request.text = text;
  request.timeout_seconds = static_cast<int>(context.CommandTimeoutSeconds());
  request.cancel = cancel;
  CursorOutcome cursor = opened.session->OpenCursor(request);
  if (!cursor.cursor)
    return fail(cursor.errors);
  result.cursor =
      std::make_unique<SessionRowCursor>(std::move(opened.session), std::move(cursor.cursor));
  return result;
}

void ReportRowCursorFailure(DataAccessContext& context, const RowCursor& cursor,
                            std::string_view text) {
  if (cursor.Errors().empty())
    return;
  RunCommandResult failure;
  SetError(failure, cursor.Errors());
  ReportFailure(context, failure, text);
}

RunCommandResult RunCommand(DataAccessContext& context, const ServerRecord& server,
                            CommandType type, std::string_view text, std::string_view database,
                            const std::vector<Value>& inputs, std::span<Value* const> in_out) {
  return Run(context, server, type, text, database, inputs, in_out, RunOptions{});
}

RunCommandResult RunCommandOnConnection(DataAccessContext& context, DatabaseSession& session,
                                        CommandType type, std::string_view text) {
  BusyPointer busy(context.ui);
  RunCommandResult result;
  CommandRequest request;
  request.type = type;
  request.text = text;
  CommandParameter return_parameter;
  return_parameter.name = "Return";
  return_parameter.direction = ParameterDirection::kReturnValue;
  request.parameters.push_back(return_parameter);
  ExecuteOn(context, session, std::move(request), {}, 1, true, result);
  if (result.failed())
    ReportFailure(context, result, text);
  return result;
}

RunCommandResult SQL_Execute(DataAccessContext& context, const ServerRecord& server,
                             CommandType type, std::string_view text, std::string_view database,
                             const std::vector<Value>& inputs, std::span<Value* const> in_out) {
  return Run(context, server, type, text, database, inputs, in_out,
             RunOptions{.want_rows = false, .catalog_always = true});
}

std::unique_ptr<DatabaseSession> ADO_Connection_Open(DataAccessContext& context,
                                                     const ServerRecord& server,
                                                     std::string_view database) {
  DatabaseBackend* backend = context.backends.For(server.Name);
  if (backend == nullptr)
    return nullptr;
  return backend->Open(MakeConnectionRequest(server, database)).session;
}

std::string GetServerVersion(DataAccessContext& context, const ServerRecord& server) {
  const bool suppressed = context.SuppressConnectionErrors;
  context.SuppressConnectionErrors = true;
  std::string version;
  RunCommandResult result =
      RunCommand(context, server, CommandType::kText,
                 "SELECT serverproperty('ProductVersion') AS ServerVer", "Master");
  if (result.recordset && !result.recordset->Eof()) {
    const Value& field = result.recordset->Field("ServerVer");
    if (!field.is_null())
      version = NullText(field);
    result.recordset->Close();
  }
  context.SuppressConnectionErrors = suppressed;
  return version;
}

void CheckSQLServerVersion(DataAccessContext& context, ServerRecord& server) {
  if (!server.Version.empty())
    return;
  // Only entries of the list (RegIndex > 0) have a stored version.
  const bool listed = server.RegIndex > 0;
  const std::string stored =
      listed ? context.settings_store.GetString(ServerKeyPath(server.RegIndex), "Version", "")
             : std::string();
  if (!stored.empty()) {
    server.Version = stored;
    return;
  }
  const std::string version = GetServerVersion(context, server);
  if (version.empty())
    return;
  if (listed)
    SaveServerVersion(context.settings_store, server.RegIndex, version);
  server.Version = version;
}

bool TestNewServerConnection(DataAccessContext& context, const ServerRecord& record) {
  const bool suppressed = context.SuppressConnectionErrors;
  context.SuppressConnectionErrors = true;
  BusyPointer busy(context.ui);
  const std::string database = record.MRUDb.empty() ? "master" : record.MRUDb;
  bool ok = false;
  if (ToLowerAscii(database) == "master") {
    ok = !RunCommand(context, record, CommandType::kText, "SELECT TOP 1 name FROM sysdatabases",
                     database)
              .failed();
  } else {
    ok = !RunCommand(context, record, CommandType::kText, "SELECT TOP 1 name FROM sys.databases",
                     database)
              .failed();
    if (!ok)
      ok = ADO_Connection_Open(context, record, "") != nullptr;
  }
  context.SuppressConnectionErrors = suppressed;
  return ok;
}

}  // namespace korvane
