// Database comparisons of two embedded SQL Server stand-ins loaded from T-SQL scripts, read
// through the scripting module's texts: the catalogue rows and stored module texts are the
// engine's, so schemas, ids and line ends are as a server keeps them.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/application_context.h"
#include "base/clock.h"
#include "base/memory_text_view.h"
#include "compare/compare_selected_in_context.h"
#include "compare/comparison_progress.h"
#include "compare/database_comparison_run.h"
#include "compare/script_text_source.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "saved/ignored_columns.h"
#include "script/table_structure.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

class EmbeddedComparisonTest : public ::testing::Test {
 protected:
  EmbeddedComparisonTest()
      : context_(ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_) {
    context_.backends.embedded = std::make_shared<EmbeddedBackend>(folder_ / "servers");
  }

  // Creates the side's server of `version` with database "Sales" loaded from `script`.
  void Load(int side, std::string_view version, std::string_view script) {
    ServerRecord& server = context_.CurrentServers[side];
    server.Name =
        "embedded:" + (folder_ / ((side == kSourceSide ? "src" : "tgt") + round_)).string();
    std::string error;
    ASSERT_TRUE(CreateEmbeddedServer(folder_ / "servers", server.Name, version, &error)) << error;
    server.Version = std::string(version);
    server.NumVersion = version[0] == '8' ? 8 : 9;
    const ScriptLoadResult loaded = LoadScript(folder_ / "servers", server.Name, "Sales", script);
    ASSERT_TRUE(loaded.ok) << loaded.message;
  }

  CompareAllOutcome CompareProcedures() { return Compare(ObjectType::kProcedures); }

  CompareAllOutcome Compare(ObjectType type) {
    CompareAllRequest request;
    request.source_database = "Sales";
    request.target_database = "Sales";
    request.ticked[ObjectTypeIndex(type)] = true;
    ScriptTextSource texts(context_);
    SilentComparisonProgress progress;
    return CompareAll(context_, request, texts, progress);
  }

  testing::ScratchFolder folder_;
  std::string round_;  // tells apart the servers of each round of a table-driven test
  testing::RecordingUserInterface ui_;
  ManualClock clock_{LocalDateTime{2026, 3, 7, 14, 5, 9}};
  ApplicationContext context_;
};

TEST_F(EmbeddedComparisonTest, ModulesOfTheSameNameArePairedBySchemaAndReadById) {
  // The Target holds P in two schemas; dbo.P is the Source's P, sales.P is another procedure.
  Load(kSourceSide, "9.00.5000.00", "CREATE PROCEDURE dbo.P AS SELECT 1\nGO\n");
  Load(kTargetSide, "9.00.5000.00",
       "CREATE SCHEMA sales\nGO\nCREATE PROCEDURE sales.P AS SELECT 2\nGO\n"
       "CREATE PROCEDURE dbo.P AS SELECT 1\nGO\n");
  const CompareAllOutcome outcome = CompareProcedures();
  ASSERT_TRUE(outcome.completed);
  EXPECT_FALSE(outcome.query_failed);
  ASSERT_EQ(outcome.result.types.size(), 1u);
  const TypeComparison& procedures = outcome.result.types[0];
  EXPECT_EQ(procedures.identical, (std::vector<ComparedObject>{{"P", false}}));
  EXPECT_TRUE(procedures.different.empty());
  EXPECT_TRUE(procedures.source_only.empty());
  EXPECT_EQ(procedures.target_only, (std::vector<std::string>{"sales.P"}));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(EmbeddedComparisonTest, ModuleWithoutItsSchemaOnTheOtherSideIsOneSided) {
  Load(kSourceSide, "9.00.5000.00",
       "CREATE SCHEMA sales\nGO\nCREATE PROCEDURE sales.P AS SELECT 1\nGO\n");
  Load(kTargetSide, "9.00.5000.00", "CREATE PROCEDURE dbo.P AS SELECT 1\nGO\n");
  const CompareAllOutcome outcome = CompareProcedures();
  ASSERT_TRUE(outcome.completed);
  const TypeComparison& procedures = outcome.result.types.at(0);
  EXPECT_TRUE(procedures.identical.empty());
  EXPECT_EQ(procedures.source_only, (std::vector<std::string>{"P"}));
  EXPECT_EQ(procedures.target_only, (std::vector<std::string>{"P"}));
}

TEST_F(EmbeddedComparisonTest, BareLfModulesDifferingAfterALineCommentAreDifferent) {
  // Scripts saved with bare LF line ends; the servers keep the module texts as written.
  Load(kSourceSide, "8.00.2039",
       "CREATE PROCEDURE P AS\n-- the total\nSELECT 1\nGO\n"
       "CREATE PROCEDURE Q AS\nSELECT 1 -- one\nSELECT 2\nGO\n");
  Load(kTargetSide, "8.00.2039",
       "CREATE PROCEDURE P AS\n-- the total\nSELECT 2\nGO\n"
       "CREATE PROCEDURE Q AS\nSELECT 1 -- uno\nSELECT 2\nGO\n");
  const CompareAllOutcome outcome = CompareProcedures();
  ASSERT_TRUE(outcome.completed);
  const TypeComparison& procedures = outcome.result.types.at(0);
  ASSERT_EQ(procedures.different.size(), 1u);
  EXPECT_EQ(procedures.different[0].name, "P");
  EXPECT_EQ(procedures.identical, (std::vector<ComparedObject>{{"Q", false}}));
}

// Scalar, inline and table-valued functions, each kept alike on both sides, plus one function on
// each side alone: every kind pairs with its own partner on either server version.
constexpr std::string_view kSharedFunctions =
    "CREATE FUNCTION dbo.fn_Scalar (@a int) RETURNS int AS BEGIN RETURN @a + 1 END\nGO\n"
    "CREATE FUNCTION dbo.fn_Inline (@a int) RETURNS TABLE AS RETURN (SELECT @a AS a)\nGO\n"
    "CREATE FUNCTION dbo.fn_Table (@a int) RETURNS @t TABLE (a int) AS\n"
    "BEGIN INSERT INTO @t VALUES (@a) RETURN END\nGO\n";

TEST_F(EmbeddedComparisonTest, FunctionsPairWithTheirOwnPartnerOfEveryKind) {
  for (const std::string_view version : {"8.00.2039", "9.00.5000.00"}) {
    SCOPED_TRACE(version);
    round_ = std::string(version);
    Load(kSourceSide, version,
         std::string(kSharedFunctions) +
             "CREATE FUNCTION dbo.fn_Here () RETURNS int AS BEGIN RETURN 1 END\nGO\n");
    Load(kTargetSide, version,
         std::string(kSharedFunctions) +
             "CREATE FUNCTION dbo.fn_There () RETURNS TABLE AS RETURN (SELECT 2 AS b)\nGO\n");
    const CompareAllOutcome outcome = Compare(ObjectType::kFunctions);
    ASSERT_TRUE(outcome.completed);
    EXPECT_FALSE(outcome.query_failed);
    const TypeComparison& functions = outcome.result.types.at(0);
    EXPECT_EQ(functions.identical,
              (std::vector<ComparedObject>{
                  {"fn_Inline", false}, {"fn_Scalar", false}, {"fn_Table", false}}));
    EXPECT_TRUE(functions.different.empty());
    EXPECT_EQ(functions.source_only, (std::vector<std::string>{"fn_Here"}));
    EXPECT_EQ(functions.target_only, (std::vector<std::string>{"fn_There"}));
  }
}

TEST_F(EmbeddedComparisonTest, IgnoredColumnAndColumnOrderGetOneVerdictFromBothComparisons) {
  // Columns a and b swap places; the only other change is in the ignored column note.
  for (const std::string_view version : {"8.00.2039", "9.00.5000.00"}) {
    SCOPED_TRACE(version);
    round_ = std::string(version);
    Load(kSourceSide, version,
         "CREATE TABLE dbo.T (a int NULL, b int NULL, note varchar(10) NULL)\nGO\n");
    Load(kTargetSide, version,
         "CREATE TABLE dbo.T (b int NULL, a int NULL, note varchar(20) NULL)\nGO\n");
    for (int side : {kSourceSide, kTargetSide}) {
      ASSERT_TRUE(SaveIgnoredColumns(context_.locations, IgnoredColumnsKind::Structure,
                                     context_.CurrentServers[side].Name + ".Sales.T", {"note"},
                                     ui_));
    }
    const CompareAllOutcome outcome = Compare(ObjectType::kTables);
    ASSERT_TRUE(outcome.completed);
    EXPECT_EQ(outcome.result.types.at(0).identical, (std::vector<ComparedObject>{{"T", true}}));

    // Compare Selected on the two structure views as the main window shows them.
    SelectionContext selection;
    selection.type_code = ObjectTypeCode(ObjectType::kTables);
    selection.type_word = "tables";
    std::array<MemoryTextView, 2> views;
    for (int side : {kSourceSide, kTargetSide}) {
      selection.sides[side] = {context_.CurrentServers[side].Name, "Sales", "T", 0};
      views[side].SetText(GetTableText(context_, context_.CurrentServers[side], "Sales", "T", false,
                                       0, "", false, ""));
    }
    const std::optional<SelectedObjectsComparison> selected =
        CompareSelectedObjects(context_, selection, views[kSourceSide], views[kTargetSide]);
    ASSERT_TRUE(selected.has_value());
    EXPECT_TRUE(selected->identical) << selected->report_text;
  }
}

// The same-named foreign key and primary key in the schemas s1 and s2; `s2_column` is the
// column s2's key is on.
std::string TwoSchemaKeys(std::string_view s2_column) {
  std::string script = "CREATE SCHEMA s1\nGO\nCREATE SCHEMA s2\nGO\n";
  for (const std::string schema : {"s1", "s2"}) {
    const std::string column = schema == "s1" ? "a" : std::string(s2_column);
    script += "CREATE TABLE " + schema +
              ".P (a int NOT NULL, b int NOT NULL, CONSTRAINT PK_X PRIMARY KEY CLUSTERED (" +
              column + "), CONSTRAINT UQ_" + schema + " UNIQUE (a), CONSTRAINT UQ2_" + schema +
              " UNIQUE (b))\nGO\n" + "CREATE TABLE " + schema +
              ".C (id int NOT NULL, r int NULL, CONSTRAINT FK_X FOREIGN KEY (r) REFERENCES " +
              schema + ".P (" + column + "))\nGO\n";
  }
  return script;
}

TEST_F(EmbeddedComparisonTest, SameNamedKeysOfTwoSchemasPairBySchema) {
  context_.settings.analyze_constraints = true;
  Load(kSourceSide, "9.00.5000.00", TwoSchemaKeys("a"));
  Load(kTargetSide, "9.00.5000.00", TwoSchemaKeys("b"));
  for (const ObjectType type : {ObjectType::kRelationships, ObjectType::kConstraints}) {
    SCOPED_TRACE(ObjectTypeName(type, false));
    CompareAllRequest request;
    request.source_database = "Sales";
    request.target_database = "Sales";
    request.details = true;
    request.ticked[ObjectTypeIndex(type)] = true;
    ScriptTextSource texts(context_);
    SilentComparisonProgress progress;
    const CompareAllOutcome outcome = CompareAll(context_, request, texts, progress);
    ASSERT_TRUE(outcome.completed);
    EXPECT_FALSE(outcome.query_failed);
    const TypeComparison& keys = outcome.result.types.at(0);
    const std::string key = type == ObjectType::kRelationships ? "FK_X" : "PK_X";
    EXPECT_EQ(keys.identical, (std::vector<ComparedObject>{{"s1." + key, false}}));
    ASSERT_EQ(keys.different.size(), 1u);
    EXPECT_EQ(keys.different[0].name, "s2." + key);
    // The details block shows the name the catalogue stores.
    EXPECT_EQ(keys.different[0].bare_name, key);
    EXPECT_NE(keys.different[0].source_text.find("[a]"), std::string::npos);
    EXPECT_NE(keys.different[0].target_text.find("[b]"), std::string::npos);
    EXPECT_TRUE(keys.source_only.empty());
    EXPECT_TRUE(keys.target_only.empty());
  }
}

TEST_F(EmbeddedComparisonTest, NamesHoldingADotAreNamesNotSchemas) {
  constexpr std::string_view kDotted =
      "CREATE TABLE [x.y] (a int NOT NULL)\nGO\n"
      "CREATE PROCEDURE [p.q] AS SELECT 1\nGO\n";
  for (const std::string_view version : {"8.00.2039", "9.00.5000.00"}) {
    SCOPED_TRACE(version);
    round_ = std::string(version);
    Load(kSourceSide, version, kDotted);
    Load(kTargetSide, version, kDotted);
    CompareAllRequest request;
    request.source_database = "Sales";
    request.target_database = "Sales";
    request.ticked[ObjectTypeIndex(ObjectType::kTables)] = true;
    request.ticked[ObjectTypeIndex(ObjectType::kProcedures)] = true;
    ScriptTextSource texts(context_);
    SilentComparisonProgress progress;
    const CompareAllOutcome outcome = CompareAll(context_, request, texts, progress);
    ASSERT_TRUE(outcome.completed);
    ASSERT_EQ(outcome.result.types.size(), 2u);
    for (const TypeComparison& type : outcome.result.types) {
      const std::string name =
          type.type_code == ObjectTypeCode(ObjectType::kTables) ? "x.y" : "p.q";
      EXPECT_EQ(type.identical, (std::vector<ComparedObject>{{name, false}}));
      EXPECT_TRUE(type.different.empty());
      EXPECT_TRUE(type.source_only.empty());
      EXPECT_TRUE(type.target_only.empty());
    }
  }
}

}  // namespace
}  // namespace korvane
