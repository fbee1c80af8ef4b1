#include "script/module_text.h"

#include <gtest/gtest.h>

#include "db/data_access.h"
#include "script/structure_trim.h"
#include "script_fixture.h"

namespace korvane {
namespace {

using testing::ModuleQuery;
using testing::ModuleQueryById;
using testing::NoRows;
using testing::QueryFailure;
using testing::Rows;
using testing::ScriptTest;
using testing::TextRows;

// --- trimming ----------------------------------------------------------------------------------

TEST(TrimStructureTextTest, BlanksTabsAndLineBreaksGoFromBothEnds) {
  EXPECT_EQ(TrimStructureText("\r\n\r\n  \tCREATE PROC p AS\r\nSELECT 1 \t\r\n "),
            "CREATE PROC p AS\r\nSELECT 1");
  EXPECT_EQ(TrimStructureText("a \r\n b"), "a \r\n b");
  EXPECT_EQ(TrimStructureText("  \r\n\t "), "");
  EXPECT_EQ(TrimStructureText(""), "");
}

TEST(TrimStructureTextTest, OneCharacterIsKeptEvenABlankOrAMultiByteOne) {
  EXPECT_EQ(TrimStructureText(" "), " ");
  EXPECT_EQ(TrimStructureText("\n"), "\n");
  EXPECT_EQ(TrimStructureText("\xC3\xA9"), "\xC3\xA9");  // é: two bytes, one character
  EXPECT_EQ(TrimStructureText(" \xC3\xA9"), "\xC3\xA9");
}

// --- the module text reader ----------------------------------------------------------------------

using ModuleTextTest = ScriptTest;

TEST_F(ModuleTextTest, PiecesAreJoinedInColidOrderWithoutSeparators) {
  // The server cut the definition inside the word "SELECT"; the pieces join without a gap.
  Respond(ModuleQuery("usp_Orders"),
          TextRows({"\r\nCREATE PROCEDURE usp_Orders AS\r\nSEL", "ECT * FROM Orders\r\n", " "}));
  EXPECT_EQ(GetProcedureText(context_, server(), "Sales", "usp_Orders", ObjectType::kProcedures),
            "CREATE PROCEDURE usp_Orders AS\r\nSELECT * FROM Orders");
  EXPECT_EQ(Databases(), std::vector<std::string>{"Sales"});
}

TEST_F(ModuleTextTest, TextIsJoinedAndTrimmedFromWhatTheServerAnswers) {
  const struct {
    std::string name;
    std::string literal;  // the name as the query quotes it
    ObjectType type;
    CommandOutcome answer;
    std::string expected;
  } cases[] = {
      {"v", "v", ObjectType::kViews,
       Rows({"text"},
            {{Value::Text("CREATE VIEW v AS ")}, {Value::Null()}, {Value::Text("SELECT 1")}}),
       "CREATE VIEW v AS SELECT 1"},                             // Null pieces join as nothing
      {"f", "f", ObjectType::kFunctions, TextRows({" "}), " "},  // one space stays
      {"none", "none", ObjectType::kTriggers, NoRows({"text"}), ""},
      {"bad", "bad", ObjectType::kTriggers, QueryFailure(), ""},
      {"O'Brien", "O''Brien", ObjectType::kProcedures,
       TextRows({"CREATE PROC [O'Brien] AS SELECT 1"}), "CREATE PROC [O'Brien] AS SELECT 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Respond(ModuleQuery(c.literal), c.answer);
    EXPECT_EQ(GetProcedureText(context_, server(), "Sales", c.name, c.type), c.expected);
    EXPECT_EQ(Queries().back(), ModuleQuery(c.literal));
  }
}

TEST_F(ModuleTextTest, ListedSchemaNameIsLookedUpWithinItsSchema) {
  // Same-named objects of two schemas are listed as "schema.name"; the catalogue stores "name".
  Respond(ModuleQuery("sales.usp_A"), NoRows({"text"}));
  Respond(
      "SELECT text FROM syscomments sc INNER JOIN sysobjects so ON sc.id = so.id WHERE "
      "so.name = 'usp_A' AND OBJECT_SCHEMA_NAME(so.id) = 'sales' ORDER BY sc.colid",
      TextRows({"CREATE PROCEDURE sales.usp_A AS SELECT 1"}));
  Respond(ModuleQuery("[O''B].[x]"), NoRows({"text"}));
  Respond(
      "SELECT text FROM syscomments sc INNER JOIN sysobjects so ON sc.id = so.id WHERE "
      "so.name = 'x' AND OBJECT_SCHEMA_NAME(so.id) = 'O''B' ORDER BY sc.colid",
      NoRows({"text"}));
  EXPECT_EQ(GetProcedureText(context_, server(), "Sales", "sales.usp_A", ObjectType::kProcedures),
            "CREATE PROCEDURE sales.usp_A AS SELECT 1");
  EXPECT_EQ(GetProcedureText(context_, server(), "Sales", "[O'B].[x]", ObjectType::kProcedures),
            "");
  // A name without a qualifier is asked for once.
  Respond(ModuleQuery("plain"), NoRows({"text"}));
  EXPECT_EQ(GetProcedureText(context_, server(), "Sales", "plain", ObjectType::kProcedures), "");
  EXPECT_EQ(Queries().size(), 5u);
}

TEST_F(ModuleTextTest, Fault4KnownIdReadsThatObjectOnly) {
  // Two procedures named p in different schemas: by id the text of the one asked for, never the
  // two interleaved; and a missing id is not looked up again by name.
  const std::string by_id_7 = ModuleQueryById(7);
  const std::string by_id_8 = ModuleQueryById(8);
  Respond(by_id_7, TextRows({"CREATE PROC sales.p AS ", "SELECT 2"}));
  Respond(by_id_8, NoRows({"text"}));
  EXPECT_EQ(GetProcedureText(context_, server(), "Sales", "p", ObjectType::kProcedures, 7),
            "CREATE PROC sales.p AS SELECT 2");
  EXPECT_EQ(GetProcedureText(context_, server(), "Sales", "sales.q", ObjectType::kProcedures, 8),
            "");
  std::unique_ptr<DatabaseSession> session = ADO_Connection_Open(context_, server(), "Sales");
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(GetProcedureText(context_, *session, "p", ObjectType::kProcedures, 7),
            "CREATE PROC sales.p AS SELECT 2");
  EXPECT_EQ(Queries(), (std::vector<std::string>{by_id_7, by_id_8, by_id_7}));
}

TEST_F(ModuleTextTest, UnexpectedFailureIsReportedAndGivesEmptyText) {
  Throw(ModuleQuery("p"));
  ArmThrowing();
  EXPECT_EQ(GetProcedureText(context_, server(), "Sales", "p", ObjectType::kProcedures), "");
  ASSERT_EQ(ui_.error_reports.size(), 1u);
  EXPECT_EQ(ui_.error_reports[0].procedure_name, "GetProcedureText");
  EXPECT_EQ(ui_.error_reports[0].error_description, "backend exploded");
}

TEST_F(ModuleTextTest, OpenConnectionFormReadsManyObjectsOverOneConnection) {
  Respond(ModuleQuery("p1"), TextRows({"CREATE PROC p1 AS ", "SELECT 1 "}));
  Respond(ModuleQuery("p2"), TextRows({"CREATE PROC p2 AS SELECT 2"}));
  std::unique_ptr<DatabaseSession> session = ADO_Connection_Open(context_, server(), "Sales");
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(GetProcedureText(context_, *session, "p1", ObjectType::kProcedures),
            "CREATE PROC p1 AS SELECT 1");
  EXPECT_EQ(GetProcedureText(context_, *session, "p2", ObjectType::kProcedures),
            "CREATE PROC p2 AS SELECT 2");
  EXPECT_EQ(backend_->connections.size(), 1u);
  EXPECT_EQ(Queries(), (std::vector<std::string>{ModuleQuery("p1"), ModuleQuery("p2")}));
}

TEST_F(ModuleTextTest, ReaderGivenToTheCatalogueReadsModuleText) {
  Respond(ModuleQuery("trg"), TextRows({"CREATE TRIGGER [sales].[trg] ON t FOR INSERT AS"}));
  const ModuleTextReader reader = MakeModuleTextReader(context_);
  EXPECT_EQ(reader(server(), "Sales", "trg", ObjectType::kTriggers),
            "CREATE TRIGGER [sales].[trg] ON t FOR INSERT AS");
}

}  // namespace
}  // namespace korvane
