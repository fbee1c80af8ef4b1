// A test base for the ODBC backend through unixODBC and FreeTDS against `korvane-cli serve`:
// a database "Shop" loaded from a script on an embedded server, the listener serving it, and a
// FreeTDS backend with its pool.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "db/embedded/script_loader.h"
#include "db/odbc/odbc_backend.h"
#include "support/scratch_folder.h"
#include "support/serve_process.h"

namespace korvane::testing {

class ServedBackendTestBase : public ::testing::Test {
 protected:
  // Builds database "Shop" from `script` (a failure is recorded).
  void Load(const std::string& script) {
    const ScriptLoadResult loaded = LoadScript(folder_ / "served", "embedded:shop", "Shop", script);
    ASSERT_TRUE(loaded.ok) << loaded.message;
  }

  // Starts (or starts again) the listener; a failure is recorded with the reason.
  void Serve(const std::string& hooks = "", int port = 0) {
    serve_.reset();
    std::string error;
    serve_ = ServeProcess::Start(
        {KORVANE_CLI_PATH, folder_ / "profile",
         "embedded:" + (folder_ / "served" / "shop").string(), login_, password_, hooks, port},
        &error);
    ASSERT_TRUE(serve_) << error;
  }

  ConnectionRequest Request(std::string database = "Shop") const {
    ConnectionRequest request;
    request.server = serve_->ServerName();
    request.database = std::move(database);
    request.sql_auth = true;
    request.login = login_;
    request.password = password_;
    request.login_timeout_seconds = 5;
    return request;
  }

  // One command in a session of its own, as the data-access layer runs them.
  CommandOutcome Run(const CommandRequest& command) {
    OpenOutcome open = backend_.Open(Request());
    if (!open.session) {
      CommandOutcome failed;
      failed.errors = std::move(open.errors);
      return failed;
    }
    return open.session->Execute(command);
  }

  CommandOutcome Run(const std::string& sql, int timeout_seconds = 30) {
    CommandRequest command;
    command.text = sql;
    command.timeout_seconds = timeout_seconds;
    return Run(command);
  }

  // The single value of a command's first result set.
  static Value Single(const CommandOutcome& outcome) {
    if (!outcome.ok || outcome.result_sets.empty() || outcome.result_sets[0].rows.empty())
      return Value::Null();
    return outcome.result_sets[0].rows[0][0];
  }

  static std::string FirstError(const std::vector<ServerMessage>& errors) {
    return errors.empty() ? "" : errors[0].sqlstate + " " + errors[0].text;
  }

  ScratchFolder folder_;
  std::string login_ = "tester";
  std::string password_ = "S3cret!";
  OdbcBackend backend_{OdbcDriverChoice{"FreeTDS", ""}};
  std::unique_ptr<ServeProcess> serve_;
};

}  // namespace korvane::testing
