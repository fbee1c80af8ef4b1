#include "db/data_access.h"

#include <gtest/gtest.h>

#include <set>

#include "app/application_context.h"
#include "base/clock.h"
#include "db/server_list.h"
#include "support/fake_backend.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::Failure;
using testing::FakeBackend;
using testing::RecordingUserInterface;
using testing::Rows;
using testing::ScratchFolder;

class DataAccessTest : public ::testing::Test {
 protected:
  DataAccessTest()
      : context_(ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_) {
    backend_ = std::make_shared<FakeBackend>();
    context_.backends.odbc = backend_;
    server_.Name = "srv";
    server_.SQLAuth = true;
    server_.LoginName = "sa";
    server_.Password = "pw";
  }

  ScratchFolder folder_;
  RecordingUserInterface ui_;
  ManualClock clock_;
  ApplicationContext context_;
  std::shared_ptr<FakeBackend> backend_;
  ServerRecord server_;
};

TEST_F(DataAccessTest, RunCommandReturnsRowsAndUsesTheTimeout) {
  context_.settings.timeout = 0;
  backend_->responder = [](const ConnectionRequest&, const CommandRequest&) {
    return Rows({"name"}, {{Value::Text("master")}, {Value::Text("Sales")}});
  };
  RunCommandResult result =
      RunCommand(context_, server_, CommandType::kText, "SELECT name FROM sysdatabases", "master");
  ASSERT_FALSE(result.failed());
  EXPECT_EQ(result.result, 0);
  ASSERT_TRUE(result.recordset.has_value());
  EXPECT_EQ(result.recordset->RecordCount(), 2);
  ASSERT_EQ(backend_->commands.size(), 1u);
  const auto& [connection, command] = backend_->commands[0];
  EXPECT_EQ(connection.database, "master");
  EXPECT_EQ(connection.login, "sa");
  EXPECT_EQ(command.timeout_seconds, 0);
  ASSERT_EQ(command.parameters.size(), 1u);
  EXPECT_EQ(command.parameters[0].name, "Return");
  EXPECT_EQ(command.parameters[0].direction, ParameterDirection::kReturnValue);
  EXPECT_EQ(ui_.busy_changes, (std::vector<bool>{true, false}));
}

TEST_F(DataAccessTest, FailureShowsTheMessageOnceAndReturnsMinusOne) {
  backend_->responder = [](const ConnectionRequest&, const CommandRequest&) {
    return Failure(208, "42S02", "Invalid object name 'nosuch'.");
  };
  const RunCommandResult result =
      RunCommand(context_, server_, CommandType::kText, "SELECT * FROM nosuch", "db");
  EXPECT_TRUE(result.failed());
  EXPECT_FALSE(result.recordset.has_value());
  EXPECT_EQ(result.error_number, kMissingTableError);
  EXPECT_EQ(result.error_number, -2147217865);
  EXPECT_EQ(result.error_description, "Invalid object name 'nosuch'.");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "Server connection failed.\r\n\r\nRun time error: -2147217865\r\n"
            "Invalid object name 'nosuch'.\r\n\r\nCommand failed: \r\n\r\nSELECT * FROM nosuch");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_EQ(ui_.pending_events_pumped, 1);
  EXPECT_EQ(ui_.busy_changes.back(), false);
}

TEST_F(DataAccessTest, EmptyTextOnlyOpensWithoutNamingTheDatabase) {
  backend_->refuse_databases = {"*"};
  const RunCommandResult result = RunCommand(context_, server_, CommandType::kText, "", "db");
  EXPECT_TRUE(result.failed());
  ASSERT_EQ(backend_->connections.size(), 1u);
  EXPECT_EQ(backend_->connections[0].database, "");
  EXPECT_EQ(result.error_number, kGeneralError);
  EXPECT_EQ(ui_.messages[0].text,
            "Server connection failed.\r\n\r\nRun time error: -2147467259\r\n"
            "[FakeDriver]Server does not exist or access denied.\r\n\r\nCommand failed: \r\n\r\n");
}

TEST_F(DataAccessTest, SuppressedFailuresShowNothing) {
  backend_->refuse_databases = {"*"};
  context_.SuppressConnectionErrors = true;
  EXPECT_TRUE(RunCommand(context_, server_, CommandType::kText, "SELECT 1", "db").failed());
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataAccessTest, ParametersFollowTheValueTypes) {
  Value in_out_text = Value::Text("abc");
  Value in_out_number = Value::Integer(7);
  backend_->responder = [](const ConnectionRequest&, const CommandRequest& request) {
    CommandOutcome outcome;
    outcome.ok = true;
    outcome.parameter_values.resize(request.parameters.size());
    outcome.parameter_values[0] = Value::Integer(42);
    outcome.parameter_values[request.parameters.size() - 2] = Value::Text("changed");
    outcome.parameter_values[request.parameters.size() - 1] = Value::Integer(8);
    return outcome;
  };
  Value* in_out[] = {&in_out_text, &in_out_number};
  const RunCommandResult result = RunCommand(
      context_, server_, CommandType::kStoredProcedure, "usp_x", "db",
      {Value::Text(""), Value::Integer(-1), Value::Float(2.5), Value::Boolean(true), Value::Null()},
      in_out);
  ASSERT_FALSE(result.failed());
  EXPECT_EQ(result.result, 42);
  EXPECT_EQ(in_out_text, Value::Text("changed"));
  EXPECT_EQ(in_out_number, Value::Integer(8));
  const auto& parameters = backend_->commands[0].second.parameters;
  ASSERT_EQ(parameters.size(), 8u);
  EXPECT_TRUE(parameters[1].name.starts_with("str"));
  EXPECT_EQ(parameters[1].type, ParameterType::kWideText);
  EXPECT_EQ(parameters[1].size, 1);  // at least 1 for an input
  EXPECT_TRUE(parameters[2].name.starts_with("lng"));
  EXPECT_TRUE(parameters[2].value.is_null());  // -1 goes as Null
  EXPECT_TRUE(parameters[3].name.starts_with("dbl"));
  EXPECT_EQ(parameters[4].type, ParameterType::kBoolean);
  EXPECT_EQ(parameters[5].type, ParameterType::kDate);
  EXPECT_EQ(parameters[6].direction, ParameterDirection::kInputOutput);
  EXPECT_EQ(parameters[6].size, 255);  // at least 255 for an input-output text
  std::set<std::string> names;
  for (const auto& p : parameters)
    names.insert(p.name);
  EXPECT_EQ(names.size(), parameters.size());
}

TEST_F(DataAccessTest, UnhandledValueTypeFailsTheCommandNotTheProgram) {
  const RunCommandResult result = RunCommand(context_, server_, CommandType::kStoredProcedure,
                                             "usp_x", "db", {Value::Binary({1})});
  EXPECT_TRUE(result.failed());
  EXPECT_TRUE(backend_->commands.empty());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Data Type Byte() not currently handled");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kCritical);
}

TEST_F(DataAccessTest, ServerVersionIsReadOnceAndStored) {
  ApplicationContext& c = context_;
  c.settings_store.SaveNumber("Software\\KVN\\Servers", "Count", 1);
  c.settings_store.SaveString(ServerKeyPath(1), "Name", "srv");
  server_.RegIndex = 1;
  backend_->responder = [](const ConnectionRequest& connection, const CommandRequest& command) {
    EXPECT_EQ(connection.database, "Master");
    EXPECT_EQ(command.text, "SELECT serverproperty('ProductVersion') AS ServerVer");
    return Rows({"ServerVer"}, {{Value::Text("9.00.5000.00")}});
  };
  CheckSQLServerVersion(c, server_);
  EXPECT_EQ(server_.Version, "9.00.5000.00");
  EXPECT_EQ(c.settings_store.GetString(ServerKeyPath(1), "Version", ""), "9.00.5000.00");
  ServerRecord again = server_;
  again.Version.clear();
  CheckSQLServerVersion(c, again);  // from the store this time
  EXPECT_EQ(again.Version, "9.00.5000.00");
  EXPECT_EQ(backend_->commands.size(), 1u);
}

TEST_F(DataAccessTest, UnlistedServerVersionIsNotStored) {
  backend_->responder = [](const ConnectionRequest&, const CommandRequest&) {
    return Rows({"ServerVer"}, {{Value::Text("8.00.2039")}});
  };
  CheckSQLServerVersion(context_, server_);  // RegIndex 0: not an entry of the list
  EXPECT_EQ(server_.Version, "8.00.2039");
  EXPECT_FALSE(context_.settings_store.KeyExists(ServerKeyPath(0)));
}

TEST_F(DataAccessTest, FailedVersionQueryLeavesTheVersionEmptyAndSaysNothing) {
  backend_->refuse_databases = {"*"};
  CheckSQLServerVersion(context_, server_);
  EXPECT_EQ(server_.Version, "");
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(context_.SuppressConnectionErrors);
}

TEST_F(DataAccessTest, NewServerTestChoosesTheQueryByDatabaseName) {
  server_.MRUDb = "MASTER";
  EXPECT_TRUE(TestNewServerConnection(context_, server_));
  EXPECT_EQ(backend_->commands.back().second.text, "SELECT TOP 1 name FROM sysdatabases");
  server_.MRUDb = "Sales";
  backend_->responder = [](const ConnectionRequest&, const CommandRequest&) {
    return Failure(208, "42S02", "Invalid object name 'sys.databases'.");
  };
  EXPECT_TRUE(TestNewServerConnection(context_, server_));  // the plain connection succeeds
  EXPECT_EQ(backend_->commands.back().second.text, "SELECT TOP 1 name FROM sys.databases");
  EXPECT_EQ(backend_->connections.back().database, "");
  backend_->refuse_databases = {"*"};
  EXPECT_FALSE(TestNewServerConnection(context_, server_));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST(ErrorNumberTest, ServerMessagesMapToTheProviderErrors) {
  EXPECT_EQ(ErrorNumberOf({208, 16, 1, "42S02", ""}), kMissingTableError);
  EXPECT_EQ(ErrorNumberOf({0, 16, 1, "42S02", ""}), kMissingTableError);
  EXPECT_EQ(ErrorNumberOf({102, 15, 1, "42000", ""}), kCommandError);
  EXPECT_EQ(ErrorNumberOf({2627, 14, 1, "23000", ""}), kIntegrityError);
  EXPECT_EQ(ErrorNumberOf({0, 16, 1, "HYT00", ""}), kTimeoutError);
  EXPECT_EQ(ErrorNumberOf({4060, 11, 1, "42000", ""}), kGeneralError);
  EXPECT_EQ(ErrorNumberOf({0, 16, 1, "08001", ""}), kGeneralError);
  EXPECT_EQ(ErrorNumberOf({18456, 14, 1, "28000", ""}), kAuthenticationError);
}

}  // namespace
}  // namespace korvane
