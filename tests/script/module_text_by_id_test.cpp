#include "script/module_text_by_id.h"

#include <gtest/gtest.h>

#include <memory>

#include "db/data_access.h"
#include "script_fixture.h"

namespace korvane {
namespace {

using testing::NoRows;
using testing::QueryFailure;
using testing::ScriptTest;
using testing::TextRows;

using ModuleTextByIdTest = ScriptTest;

TEST_F(ModuleTextByIdTest, QuerySelectsTheOneObjectByIdInColidOrder) {
  EXPECT_EQ(BuildModuleTextByIdQuery(1977058079),
            "SELECT text FROM syscomments sc WHERE sc.id = 1977058079 ORDER BY sc.colid");
}

TEST_F(ModuleTextByIdTest, PiecesAreJoinedAndTrimmedAsTheTextReadByName) {
  Respond(BuildModuleTextByIdQuery(42),
          TextRows({"\r\nCREATE PROCEDURE sales.usp_A AS\r\nSEL", "ECT 1\r\n", " "}));
  EXPECT_EQ(GetProcedureTextById(context_, server(), "Sales", 42),
            "CREATE PROCEDURE sales.usp_A AS\r\nSELECT 1");
  EXPECT_EQ(Databases(), std::vector<std::string>{"Sales"});
}

TEST_F(ModuleTextByIdTest, NothingFoundOrFailedGivesEmptyText) {
  Respond(BuildModuleTextByIdQuery(7), NoRows({"text"}));
  Respond(BuildModuleTextByIdQuery(8), QueryFailure());
  EXPECT_EQ(GetProcedureTextById(context_, server(), "Sales", 7), "");
  EXPECT_EQ(GetProcedureTextById(context_, server(), "Sales", 8), "");
  EXPECT_TRUE(ui_.error_reports.empty());
}

TEST_F(ModuleTextByIdTest, UnexpectedFailureIsReportedAndGivesEmptyText) {
  Throw(BuildModuleTextByIdQuery(9));
  ArmThrowing();
  EXPECT_EQ(GetProcedureTextById(context_, server(), "Sales", 9), "");
  ASSERT_EQ(ui_.error_reports.size(), 1u);
  EXPECT_EQ(ui_.error_reports[0].procedure_name, "GetProcedureTextById");
}

TEST_F(ModuleTextByIdTest, OpenConnectionFormReadsManyObjectsOverOneConnection) {
  Respond(BuildModuleTextByIdQuery(1), TextRows({"CREATE PROC dbo.p AS SELECT 1"}));
  Respond(BuildModuleTextByIdQuery(2), TextRows({"CREATE PROC s2.p AS SELECT 2"}));
  std::unique_ptr<DatabaseSession> session = ADO_Connection_Open(context_, server(), "Sales");
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(GetProcedureTextById(context_, *session, 1), "CREATE PROC dbo.p AS SELECT 1");
  EXPECT_EQ(GetProcedureTextById(context_, *session, 2), "CREATE PROC s2.p AS SELECT 2");
  EXPECT_EQ(backend_->connections.size(), 1u);
}

}  // namespace
}  // namespace korvane
