// Failure paths of the data-access layer, driven by a backend that fails on demand.
#include "support/faulty_backend.h"

#include <gtest/gtest.h>

#include "app/application_context.h"
#include "base/clock.h"
#include "db/data_access.h"
#include "support/fake_backend.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::FakeBackend;
using testing::FaultyBackend;
using testing::RecordingUserInterface;
using testing::Rows;
using testing::ScratchFolder;

class FaultyBackendTest : public ::testing::Test {
 protected:
  FaultyBackendTest() {
    auto inner = std::make_shared<FakeBackend>();
    inner->responder = [](const ConnectionRequest&, const CommandRequest&) {
      return Rows({"name"}, {{Value::Text("a")}, {Value::Text("b")}});
    };
    faulty_ = std::make_shared<FaultyBackend>(inner);
    context_.backends.odbc = faulty_;
    server_.Name = "srv";
  }

  ScratchFolder folder_;
  RecordingUserInterface ui_;
  ManualClock clock_;
  ApplicationContext context_{ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_,
                              clock_};
  std::shared_ptr<FaultyBackend> faulty_;
  ServerRecord server_;
};

TEST_F(FaultyBackendTest, ConnectionDroppedMidResultGivesNoRowsAndTheMessage) {
  faulty_->drop_next_results = 1;
  const RunCommandResult dropped =
      RunCommand(context_, server_, CommandType::kText, "SELECT name FROM t", "db");
  EXPECT_TRUE(dropped.failed());
  EXPECT_FALSE(dropped.recordset.has_value());  // half a result is never handed on
  EXPECT_EQ(dropped.error_number, kGeneralError);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "Server connection failed.\r\n\r\nRun time error: -2147467259\r\nCommunication link "
            "failure\r\n\r\nCommand failed: \r\n\r\nSELECT name FROM t");
  // The next command opens a new connection and works.
  const RunCommandResult next =
      RunCommand(context_, server_, CommandType::kText, "SELECT name FROM t", "db");
  ASSERT_FALSE(next.failed());
  EXPECT_EQ(next.recordset->RecordCount(), 2);
  EXPECT_EQ(faulty_->opens, 2);
  EXPECT_EQ(ui_.busy_changes, (std::vector<bool>{true, false, true, false}));
}

TEST_F(FaultyBackendTest, RefusedConnectionsAreRetriedByTheNextCommandOnly) {
  faulty_->refuse_next_opens = 1;
  context_.SuppressConnectionErrors = true;
  EXPECT_TRUE(RunCommand(context_, server_, CommandType::kText, "SELECT 1", "db").failed());
  EXPECT_EQ(faulty_->commands, 0);
  EXPECT_FALSE(RunCommand(context_, server_, CommandType::kText, "SELECT 1", "db").failed());
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(FaultyBackendTest, VersionLookUpSurvivesADroppedConnection) {
  faulty_->drop_next_results = 1;
  EXPECT_EQ(GetServerVersion(context_, server_), "");
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(context_.SuppressConnectionErrors);
}

}  // namespace
}  // namespace korvane
