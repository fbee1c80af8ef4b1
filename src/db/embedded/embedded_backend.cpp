#include "db/embedded/embedded_backend.h"

#include <chrono>

#include "app/text.h"
#include "db/embedded/batch_executor.h"
#include "db/embedded/embedded_database.h"
#include "db/embedded/server_folder.h"
#include "db/embedded/sql_error.h"

namespace korvane {
namespace {

using embedded::BatchExecutor;
using embedded::EmbeddedDatabase;
using embedded::MakeServerMessage;
using embedded::ServerFolder;
using embedded::SqlError;

struct Deadline {
  std::chrono::steady_clock::time_point end;
  bool expired = false;
  static int Check(void* self) {
    auto* deadline = static_cast<Deadline*>(self);
    if (std::chrono::steady_clock::now() >= deadline->end)
      deadline->expired = true;
    return deadline->expired ? 1 : 0;
  }
};

class EmbeddedSession final : public DatabaseSession {
 public:
  EmbeddedSession(std::filesystem::path folder, std::unique_ptr<EmbeddedDatabase> database)
      : folder_(std::move(folder)), database_(std::move(database)) {}

  CommandOutcome Execute(const CommandRequest& request) override {
    CommandOutcome outcome;
    outcome.parameter_values.resize(request.parameters.size());
    // The command time-out (0: none) interrupts SQLite and reports what a client reports.
    Deadline deadline;
    if (request.timeout_seconds > 0) {
      deadline.end =
          std::chrono::steady_clock::now() + std::chrono::seconds(request.timeout_seconds);
      sqlite3_progress_handler(database_->db().handle(), 10000, &Deadline::Check, &deadline);
    }
    struct ClearHandler {
      sqlite3* db;
      ~ClearHandler() { sqlite3_progress_handler(db, 0, nullptr, nullptr); }
    } clear{database_->db().handle()};
    try {
      if (request.type == CommandType::kStoredProcedure) {
        RunProcedure(request, &outcome);
      } else {
        database_->db().Exec("BEGIN");
        try {
          BatchExecutor executor(*database_);
          executor.set_attach_handler(
              [this](const std::string& name, const std::vector<std::string>& files) {
                ServerFolder(folder_).Attach(name, files);
              });
          outcome.result_sets = executor.Run(request.text);
          database_->db().Exec("COMMIT");
        } catch (...) {
          sqlite3_exec(database_->db().handle(), "ROLLBACK", nullptr, nullptr, nullptr);
          throw;
        }
      }
      outcome.ok = true;
    } catch (const SqlError& error) {
      outcome.ok = false;
      outcome.result_sets.clear();
      outcome.errors.push_back(error.message());
      const int number = error.message().number;
      if (number == 515 || number == 547 || number == 2601 || number == 2627 || number == 8152) {
        // Statement-ending errors are followed by the informational 3621.
        ServerMessage terminated = MakeServerMessage(3621, "The statement has been terminated.");
        terminated.severity = 0;
        terminated.sqlstate = "01000";
        outcome.errors.push_back(terminated);
      }
      if (deadline.expired) {
        ServerMessage timeout;
        timeout.number = 0;
        timeout.sqlstate = "HYT00";
        timeout.text = "Timeout expired";
        outcome.errors = {timeout};
      }
    } catch (const std::exception& error) {
      outcome.ok = false;
      outcome.result_sets.clear();
      outcome.errors.push_back(
          MakeServerMessage(50000, std::string("Internal error: ") + error.what()));
    }
    return outcome;
  }

 private:
  void RunProcedure(const CommandRequest& request, CommandOutcome* outcome) {
    std::string name(Trim(request.text));
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
      name = name.substr(dot + 1);
    const bool attach = EqualsIgnoringCase(name, "sp_attach_db");
    const bool single = EqualsIgnoringCase(name, "sp_attach_single_file_db");
    if (!attach && !single)
      throw SqlError(2812, "Could not find stored procedure '" + request.text + "'.");
    std::vector<std::string> values;
    for (const auto& parameter : request.parameters) {
      if (parameter.direction == ParameterDirection::kReturnValue)
        continue;
      values.push_back(parameter.value.type() == ValueType::kText ? parameter.value.AsText()
                                                                  : NullText(parameter.value));
    }
    if (values.size() < 2)
      throw SqlError(201, "Procedure or function '" + name +
                              "' expects parameter '@filename1', which was not supplied.");
    ServerFolder(folder_).Attach(values[0],
                                 std::vector<std::string>(values.begin() + 1, values.end()));
    for (std::size_t i = 0; i < request.parameters.size(); ++i)
      if (request.parameters[i].direction == ParameterDirection::kReturnValue)
        outcome->parameter_values[i] = Value::Integer(0);
      else
        outcome->parameter_values[i] = request.parameters[i].value;
  }

  std::filesystem::path folder_;
  std::unique_ptr<EmbeddedDatabase> database_;
};

ServerMessage Unreachable(const std::string& detail) {
  ServerMessage message =
      MakeServerMessage(17, "SQL Server does not exist or access denied. (" + detail + ")");
  message.sqlstate = "08001";
  return message;
}

}  // namespace

OpenOutcome EmbeddedBackend::Open(const ConnectionRequest& request) {
  OpenOutcome outcome;
  const auto folder = embedded::ResolveServerFolder(request.server, servers_folder_);
  if (!folder) {
    outcome.errors.push_back(Unreachable(
        "'" + request.server + "' is not an embedded server name; use embedded:<folder>"));
    return outcome;
  }
  ServerFolder server(*folder);
  if (!server.Exists()) {
    outcome.errors.push_back(Unreachable("no embedded server in " + folder->string()));
    return outcome;
  }
  try {
    const std::string database =
        request.database.empty() ? std::string("master") : request.database;
    const auto file = server.DatabaseFile(database);
    const std::string version = server.ProductVersion();
    const int major = embedded::MajorVersionOf(version);
    std::error_code error;
    if (!file || !std::filesystem::is_regular_file(*file, error)) {
      ServerMessage message = MakeServerMessage(
          4060, major >= 9
                    ? "Cannot open database \"" + database +
                          "\" requested by the login. The login failed."
                    : "Cannot open database requested in login '" + database + "'. Login fails.");
      outcome.errors.push_back(message);
      return outcome;
    }
    embedded::SessionInfo info;
    info.product_version = version;
    info.major_version = major;
    // OBJECT_SCHEMA_NAME arrived with 2005 Service Pack 2 (9.00.3042).
    info.has_object_schema_name =
        major > 9 ||
        (major == 9 && LeadingNumber(version.size() > 5 ? version.substr(5) : "") >= 3042);
    info.server_name = folder->filename().string();
    {
      // The database's own name as master lists it.
      for (const auto& name : server.DatabaseNames())
        if (embedded::CompareNames(name, database) == 0)
          info.database_name = name;
    }
    auto db = std::make_unique<EmbeddedDatabase>();
    std::string open_error;
    if (!db->Open(*file, server.MasterFile(), info, &open_error)) {
      outcome.errors.push_back(MakeServerMessage(
          4060, major >= 9 ? "Cannot open database \"" + database +
                                 "\" requested by the login. The login failed. (" + open_error + ")"
                           : "Cannot open database requested in login '" + database +
                                 "'. Login fails. (" + open_error + ")"));
      return outcome;
    }
    outcome.session = std::make_unique<EmbeddedSession>(*folder, std::move(db));
  } catch (const SqlError& error) {
    outcome.errors.push_back(error.message());
  }
  return outcome;
}

}  // namespace korvane
