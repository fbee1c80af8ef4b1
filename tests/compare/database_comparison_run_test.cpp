#include "compare/database_comparison_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "base/files.h"
#include "comparison_run_fixture.h"
#include "db/data_access.h"

namespace korvane {
namespace {

using namespace std::chrono_literals;
using testing::ComparisonRunTest;
using testing::Failure;
using testing::Rows;

constexpr ObjectType kTables = ObjectType::kTables;
constexpr ObjectType kProcedures = ObjectType::kProcedures;
constexpr ObjectType kViews = ObjectType::kViews;
constexpr ObjectType kFunctions = ObjectType::kFunctions;
constexpr ObjectType kRelationships = ObjectType::kRelationships;
constexpr ObjectType kConstraints = ObjectType::kConstraints;

// --- Whole runs --------------------------------------------------------------------------

class WholeRunTest : public ComparisonRunTest {
 protected:
  // Three tables of which Orders differs; one procedure on the Source side, two on the Target.
  void ArrangeSalesDatabases() {
    ListBoth(kTables, {"Customers", "Orders", "Products"});
    texts_.Both(kTables, "Customers", "[Id] int\r\n", "[Id] int\r\n");
    texts_.Both(kTables, "Orders", "[Id] int\r\n", "[Id] bigint\r\n");
    texts_.Both(kTables, "Products", "[Code] char(4)\r\n", "[Code]   char(4)\r\n");
    List("Sales", kProcedures, {{"usp_GetOrders", 4}});
    List("Sales2", kProcedures, {{"usp_Archive", 14}, {"usp_GetOrders", 15}});
    texts_.Both(kProcedures, "usp_GetOrders", "select 1", "SELECT 1");
    texts_.Set(1, kProcedures, "usp_Archive", "select 2");
    texts_.on_fetch = [this] {
      if (!advanced_) {
        clock_.Advance(4s);
        advanced_ = true;
      }
    };
  }
  bool advanced_ = false;
};

TEST_F(WholeRunTest, TablesAndProceduresGiveTheWholeReport) {
  ArrangeSalesDatabases();
  const CompareAllOutcome outcome = RunComparison(Request({kTables, kProcedures}));

  ASSERT_TRUE(outcome.completed);
  EXPECT_FALSE(outcome.query_failed);
  EXPECT_EQ(outcome.object_types, "1,1,0,0,0,0,0");
  EXPECT_EQ(context_.report_buffer,
            Header() +
                "\r\n\r\nComparison of tables\r\n"
                "There are 3 tables in Source database.\r\n"
                "There are 3 tables in Target database.\r\n"
                "List of tables which differ:\r\n"
                "\tOrders\r\n"
                "\t(1 table)\r\n"
                "All 2 remaining tables have identical structures:\r\n"
                "\tCustomers\r\n"
                "\tProducts"
                "\r\n\r\nComparison of procedures\r\n"
                "There is 1 procedure in Source database.\r\n"
                "There are 2 procedures in Target database.\r\n"
                "List of procedures which exist in Target database but not in Source database:\r\n"
                "\tusp_Archive\r\n"
                "\t(1 procedure)\r\n"
                "One procedure [usp_GetOrders] has identical structure in both databases."
                "\r\n\r\nTime Elapsed: 00:00:04");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(WholeRunTest, ReadsEachSideOverItsOwnConnectionAndPairsByName) {
  ArrangeSalesDatabases();
  RunComparison(Request({kTables, kProcedures}));
  EXPECT_EQ(texts_.requests,
            (std::vector<std::string>{
                "S table Customers 1 Sales", "T table Customers 0 Sales2", "S table Orders 2 Sales",
                "T table Orders 0 Sales2", "S table Products 3 Sales", "T table Products 0 Sales2",
                "S module usp_GetOrders 4 Sales", "T module usp_GetOrders 0 Sales2"}));
  // The Source list is read again for the Target pass, over the Source connection.
  std::vector<std::string> databases;
  for (const auto& [connection, command] : backend_->commands)
    databases.push_back(connection.database);
  EXPECT_EQ(databases,
            (std::vector<std::string>{"Sales", "Sales2", "Sales", "Sales", "Sales2", "Sales"}));
  EXPECT_TRUE(texts_.last_with_indexes);
}

TEST_F(WholeRunTest, ProgressShowsStatusObjectsAndElapsedTime) {
  ArrangeSalesDatabases();
  RunComparison(Request({kTables, kProcedures}));
  EXPECT_EQ(progress_.events.front(), "running: 1");
  EXPECT_EQ(progress_.events.back(), "running: 0");
  EXPECT_EQ(progress_.Only("status: "),
            (std::vector<std::string>{
                "status: Comparing tables...", "status: Comparing tables... Finished",
                "status: Comparing procedures...", "status: Comparing procedures... Finished"}));
  EXPECT_EQ(progress_.Only("object: "),
            (std::vector<std::string>{"object: Customers", "object: Orders", "object: Products",
                                      "object: ", "object: Customers", "object: Orders",
                                      "object: Products", "object: ", "object: usp_GetOrders",
                                      "object: ", "object: usp_Archive", "object: usp_GetOrders",
                                      "object: "}));
  const std::vector<std::string> elapsed = progress_.Only("elapsed: ");
  ASSERT_EQ(elapsed.size(), 13u);  // with every change of the current-object label
  EXPECT_EQ(elapsed.front(), "elapsed: 00:00:00");
  EXPECT_EQ(elapsed.back(), "elapsed: 00:00:04");
  EXPECT_GE(progress_.pumps, 9);
}

TEST_F(WholeRunTest, EmptyAndOneSidedTypesEndTheirBlocksEarly) {
  ListBoth(kViews, {});
  List("Sales", kFunctions, {{"fn_Total", 5}});
  List("Sales2", kFunctions, {});
  const CompareAllOutcome outcome = RunComparison(Request({kFunctions, kViews}));
  ASSERT_TRUE(outcome.completed);
  EXPECT_EQ(context_.report_buffer, Header() +
                                        "\r\n\r\nComparison of functions\r\n"
                                        "There is 1 function in Source database.\r\n"
                                        "There are no functions in Target database.\r\n"
                                        "\r\n\r\nComparison of views\r\n"
                                        "There are no views in Source database.\r\n"
                                        "There are no views in Target database."
                                        "\r\n\r\nTime Elapsed: 00:00:00");
  EXPECT_TRUE(texts_.requests.empty());
}

TEST_F(WholeRunTest, EveryObjectIdenticalGivesTheAllIdenticalSentenceWithTheIgnoredNote) {
  ListBoth(kTables, {"A", "B"});
  texts_.Both(kTables, "A", "x", "x");
  texts_.Set(0, kTables, "B", "y", 1);
  texts_.Set(1, kTables, "B", "y");
  const CompareAllOutcome outcome = RunComparison(Request({kTables}));
  EXPECT_EQ(context_.report_buffer,
            Header() +
                "\r\n\r\nComparison of tables\r\n"
                "There are 2 tables in Source database.\r\n"
                "There are 2 tables in Target database.\r\n"
                "The structure of all tables in both databases is identical. (Some columns were "
                "ignored during comparison.)"
                "\r\n\r\nTime Elapsed: 00:00:00");
  ASSERT_EQ(outcome.result.types.size(), 1u);
  EXPECT_EQ(outcome.result.types[0].identical,
            (std::vector<ComparedObject>{{"A", false}, {"B", true}}));
}

TEST_F(WholeRunTest, ObjectsWithoutTargetTextAreSourceOnlyAndEmptySourceTextDiffers) {
  ListBoth(kProcedures, {"a", "b", "c"});
  texts_.Both(kProcedures, "a", "same", "same");
  texts_.Set(0, kProcedures, "b", "only in source");
  texts_.Set(1, kProcedures, "c", "only target text");
  const CompareAllOutcome outcome = RunComparison(Request({kProcedures}));
  EXPECT_EQ(context_.report_buffer,
            Header() +
                "\r\n\r\nComparison of procedures\r\n"
                "There are 3 procedures in Source database.\r\n"
                "There are 3 procedures in Target database.\r\n"
                "List of procedures which differ:\r\n"
                "\tc\r\n"
                "\t(1 procedure)\r\n"
                "List of procedures which exist in Source database but not in Target database:\r\n"
                "\tb\r\n"
                "\t(1 procedure)\r\n"
                "One procedure [a] has identical structure in both databases."
                "\r\n\r\nTime Elapsed: 00:00:00");
  EXPECT_TRUE(outcome.completed);
}

TEST_F(WholeRunTest, ConstraintsTakePartOnlyWhileAnalyzeConstraintsIsOn) {
  ListBoth(kConstraints, {"PK_A"});
  texts_.Both(kConstraints, "PK_A", "[Id]", "[Id]");
  CompareAllOutcome outcome = RunComparison(Request({kConstraints}));
  EXPECT_TRUE(outcome.completed);
  EXPECT_EQ(context_.report_buffer, Header() + "\r\n\r\nTime Elapsed: 00:00:00");
  EXPECT_EQ(outcome.object_types, "0,0,0,0,0,0,1");

  context_.settings.analyze_constraints = true;
  outcome = RunComparison(Request({kConstraints}));
  EXPECT_EQ(context_.report_buffer, Header() +
                                        "\r\n\r\nComparison of constraints\r\n"
                                        "There is 1 constraint in Source database.\r\n"
                                        "There is 1 constraint in Target database.\r\n"
                                        "All constraints in both databases are identical."
                                        "\r\n\r\nTime Elapsed: 00:00:00");
}

TEST_F(WholeRunTest, TargetPassFindsModulesByNameIgnoringCase) {
  List("Sales", kViews, {{"vOrders", 1}});
  List("Sales2", kViews, {{"VORDERS", 11}, {"vNew", 12}});
  texts_.Set(0, kViews, "vOrders", "v");
  texts_.Set(1, kViews, "vOrders", "v");
  const CompareAllOutcome outcome = RunComparison(Request({kViews}));
  ASSERT_EQ(outcome.result.types.size(), 1u);
  EXPECT_EQ(outcome.result.types[0].target_only, (std::vector<std::string>{"vNew"}));
  EXPECT_EQ(outcome.result.types[0].identical.size(), 1u);
}

TEST_F(WholeRunTest, TargetPassAsksTheSourceKeyTextOfRelationships) {
  List("Sales", kRelationships, {{"FK_A", 1}});
  List("Sales2", kRelationships, {{"FK_A", 11}, {"FK_B", 12}, {"FK_C", 13}});
  texts_.Both(kRelationships, "FK_A", "k", "k");
  // FK_B is missing from the Source list but the Source still has a key text for it.
  texts_.Set(0, kRelationships, "FK_B", "k2");
  const CompareAllOutcome outcome = RunComparison(Request({kRelationships}));
  ASSERT_EQ(outcome.result.types.size(), 1u);
  EXPECT_EQ(outcome.result.types[0].target_only, (std::vector<std::string>{"FK_C"}));
  EXPECT_EQ(texts_.requests.back(), "S key FK_C 0 Sales");
}

TEST_F(WholeRunTest, ClearsTheErrorLogAndAStaleCancelFlag) {
  ListBoth(kTables, {});
  const std::filesystem::path error_log = context_.locations.error_log;
  std::filesystem::create_directories(error_log.parent_path());
  std::ofstream(error_log) << "old";
  context_.cancel_requested = true;
  EXPECT_TRUE(RunComparison(Request({kTables})).completed);
  EXPECT_FALSE(std::filesystem::exists(error_log));
  EXPECT_FALSE(context_.cancel_requested);
}

// --- Options ------------------------------------------------------------------------------

class OptionsTest : public ComparisonRunTest {
 protected:
  // One object of the type on each side with the given texts; the verdict of the run.
  std::string Verdict(ObjectType type, std::string source, std::string target) {
    texts_.texts.clear();
    ListBoth(type, {"obj"});
    texts_.Both(type, "obj", std::move(source), std::move(target));
    outcome_ = RunComparison(Request({type}));
    const TypeComparison& result = outcome_.result.types.at(0);
    if (!result.identical.empty())
      return "identical";
    if (!result.different.empty())
      return "different";
    if (!result.source_only.empty())
      return "source-only";
    return "none";
  }
  CompareAllOutcome outcome_;
};

// The verdict on one pair of texts under the white-space (W), letter-case (C) and comment (M)
// options: "W" ignores white space, "C" counts case, "M" strips comments.
TEST_F(OptionsTest, VerdictsFollowTheComparisonOptions) {
  const struct {
    std::string options;
    ObjectType type;
    std::string source;
    std::string target;
    std::string verdict;
  } cases[] = {
      {"WM", kProcedures, "select  a\r\nfrom t", "select a from t", "identical"},
      {"M", kProcedures, "select  a\r\nfrom t", "select a from t", "different"},
      {"M", kProcedures, "select a", "select a", "identical"},
      {"WM", kViews, "SELECT A", "select a", "identical"},
      {"WCM", kViews, "SELECT A", "select a", "different"},
      // Without the white-space test the texts are compared exactly.
      {"M", kViews, "SELECT A", "select a", "different"},
      // Comments are stripped from modules that differ.
      {"WM", kProcedures, "select 1 -- old\r\nfrom t", "select 1 -- new\r\nfrom t", "identical"},
      {"WM", ObjectType::kTriggers, "/* a */ x", "/* b */ x", "identical"},
      {"W", kProcedures, "select 1 -- old\r\nfrom t", "select 1 -- new\r\nfrom t", "different"},
      // Table and key texts keep their double dashes.
      {"WM", kTables, "[a] varchar(5) DEFAULT ('--x')", "[a] varchar(5) DEFAULT ('--y')",
       "different"},
      {"WM", kRelationships, "[K--1]", "[K--2]", "different"},
      // Bare LF line ends: a difference after a comment is still a difference, and a text that
      // opens with a comment line is not stripped to nothing (source-only).
      {"WM", kProcedures, "as\n-- note\nselect 1", "as\n-- note\nselect 2", "different"},
      {"WM", kProcedures, "-- header\nselect 1", "-- header\nselect 2", "different"},
      {"WM", kProcedures, "-- old\nselect 1", "-- new\nselect 1", "identical"},
      {"CM", kProcedures, "x -- a\ny", "x -- b\ny", "identical"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options + ": " + c.source + " / " + c.target);
    context_.settings.ignore_whitespace = c.options.find('W') != std::string::npos;
    context_.settings.case_sensitive = c.options.find('C') != std::string::npos;
    context_.settings.ignore_comments = c.options.find('M') != std::string::npos;
    EXPECT_EQ(Verdict(c.type, c.source, c.target), c.verdict);
  }
}

TEST_F(OptionsTest, ATargetTextThatIsOnlyACommentMakesTheObjectSourceOnly) {
  EXPECT_EQ(Verdict(kProcedures, "select 1", "/* nothing left */"), "source-only");
  EXPECT_NE(context_.report_buffer.find("List of procedures which exist in Source database but not "
                                        "in Target database:\r\n\tobj\r\n"),
            std::string::npos);
}

TEST_F(OptionsTest, IgnoreIndexesAsksForTableTextsWithoutIndexes) {
  context_.settings.ignore_indexes = true;
  Verdict(kTables, "a", "a");
  EXPECT_FALSE(texts_.last_with_indexes);
}

TEST_F(OptionsTest, ColumnOrderIsTestedForSchemaPairedTablesOnly) {
  // Version 8: the Target id stays 0, so the order of the columns counts.
  texts_.view_texts[{0, 50, "obj"}] = "[a] int\r\n[b] int\r\n";
  texts_.view_texts[{1, 50, "obj"}] = "[b] int\r\n[a] int\r\n";
  EXPECT_EQ(Verdict(kTables, "[a] int\r\n[b] int\r\n", "[b] int\r\n[a] int\r\n"), "different");

  MakeVersion9();
  RespondIn("Sales2", ListQuery(kTables, "obj"), testing::ObjectListRows({{"obj", 11}}));
  RespondIn("Sales", ListQuery(kTables, "obj"), testing::ObjectListRows({{"obj", 1}}));
  Schema("Sales", 1, "dbo");
  Schema("Sales2", 11, "dbo");
  EXPECT_EQ(Verdict(kTables, "[a] int\r\n[b] int\r\n", "[b] int\r\n[a] int\r\n"), "identical");
  EXPECT_EQ(texts_.requests.back(), "T view obj 11 Sales2");

  context_.settings.ignore_col_seq = false;
  EXPECT_EQ(Verdict(kTables, "[a] int\r\n[b] int\r\n", "[b] int\r\n[a] int\r\n"), "different");
}

// --- Selective runs ------------------------------------------------------------------------

TEST_F(ComparisonRunTest, SelectiveRunComparesOnlyThePickedObjects) {
  List("Sales", kProcedures, {{"a", 1}, {"b", 2}, {"c", 3}});
  List("Sales2", kProcedures, {{"a", 11}, {"b", 12}, {"d", 14}});
  texts_.Both(kProcedures, "a", "x", "x");
  texts_.Both(kProcedures, "b", "x", "y");
  CompareAllRequest request = Request({kProcedures});
  request.selective = true;
  request.source_selected_count = 1;
  request.target_selected_count = 1;
  request.source_selection = {"a"};
  request.target_selection = {"a"};
  CompareAllOutcome outcome = RunComparison(request);
  EXPECT_EQ(context_.report_buffer, Header() +
                                        "\r\n\r\nSelective comparison of procedures\r\n"
                                        "\r\n1 objects selected in Source database"
                                        "\r\n1 objects selected in Target database"
                                        "\r\n\r\n"
                                        "All selected procedures in both databases are identical."
                                        "\r\n\r\nTime Elapsed: 00:00:00");
  EXPECT_EQ(texts_.requests,
            (std::vector<std::string>{"S module a 1 Sales", "T module a 0 Sales2"}));

  // A name picked on the Target side only takes part on both sides.
  request.source_selection = {"a"};
  request.target_selection = {"b", "d"};
  request.target_selected_count = 2;
  outcome = RunComparison(request);
  ASSERT_EQ(outcome.result.types.size(), 1u);
  const TypeComparison& type = outcome.result.types[0];
  EXPECT_EQ(type.different.size(), 1u);
  EXPECT_EQ(type.target_only, (std::vector<std::string>{"d"}));
  EXPECT_EQ(type.source_count, 3);
  EXPECT_NE(context_.report_buffer.find("\r\n2 objects selected in Target database\r\n\r\n"
                                        "List of procedures which differ:\r\n\tb\r\n"),
            std::string::npos);
}

TEST_F(ComparisonRunTest, SelectiveTablesSentence) {
  ListBoth(kTables, {"T1"});
  texts_.Both(kTables, "T1", "x", "x");
  CompareAllRequest request = Request({kTables});
  request.selective = true;
  request.source_selected_count = 1;
  request.target_selected_count = 1;
  request.source_selection = {"T1"};
  request.target_selection = {"T1"};
  RunComparison(request);
  EXPECT_NE(context_.report_buffer.find(
                "\r\n\r\nThe structure of all selected tables in both databases is identical."
                "\r\n\r\nTime"),
            std::string::npos);
}

// --- Details mode ----------------------------------------------------------------------------

TEST_F(ComparisonRunTest, DetailsModeListsTheDifferingLinesOfEachDifferingObject) {
  ListBoth(kProcedures, {"sales.p1", "p2", "p3"});
  // "sales.p1" is listed alone on each side: the dot is part of its name.
  texts_.Both(kProcedures, "sales.p1", "A\r\nB -- note", "A\r\nC -- note");
  texts_.Both(kProcedures, "p2", "same", "same");
  texts_.Both(kProcedures, "p3", "x\r\ny", "x\r\ny\r\nz");
  CompareAllRequest request = Request({kProcedures});
  request.details = true;
  const CompareAllOutcome outcome = RunComparison(request);
  EXPECT_EQ(context_.report_buffer,
            Header() +
                "\r\n\r\nComparison of procedures\r\n"
                "There are 3 procedures in Source database.\r\n"
                "There are 3 procedures in Target database.\r\n"
                "List of procedures which differ:\r\n"
                "\tsales.p1\r\n"
                "\tp3\r\n"
                "\t(2 procedures)\r\n"
                "One procedure [p2] has identical structure in both databases.\r\n"
                "===========================================\r\n"
                "\r\nDetailed list of differences between compared procedures\r\n"
                "\r\n1. sales.p1\r\n\r\n"
                // Listed after comment removal; the rest of a longer text as it stands.
                "Differences in Source:\r\nB \r\n\r\nDifferences in Target:\r\nC \r\n\r\n"
                "\r\n2. p3\r\n\r\n"
                "Differences in Target:\r\nz\r\n\r\n"
                "\r\n\r\nTime Elapsed: 00:00:00");
  ASSERT_EQ(outcome.result.types.size(), 1u);
  EXPECT_EQ(outcome.result.types[0].different[0].source_text, "A\r\nB ");
}

TEST_F(ComparisonRunTest, SimpleModeKeepsNoTexts) {
  ListBoth(kProcedures, {"p"});
  texts_.Both(kProcedures, "p", "a", "b");
  const CompareAllOutcome outcome = RunComparison(Request({kProcedures}));
  EXPECT_EQ(outcome.result.types.at(0).different,
            (std::vector<DifferentObject>{{"p", false, "", "", "p"}}));
  EXPECT_EQ(context_.report_buffer.find("Detailed"), std::string::npos);
}

// --- Cancel ----------------------------------------------------------------------------------

TEST_F(ComparisonRunTest, CancelInTheSourcePassEndsWithoutReport) {
  ListBoth(kProcedures, {"a", "b"});
  context_.report_buffer = "";
  texts_.on_fetch = [this] { context_.cancel_requested = true; };
  const CompareAllOutcome outcome = RunComparison(Request({kProcedures, kViews}));
  EXPECT_FALSE(outcome.completed);
  EXPECT_TRUE(outcome.object_types.empty());
  EXPECT_TRUE(context_.report_buffer.empty());
  // The Target text of the first object is still read; the second object never is.
  EXPECT_EQ(texts_.requests,
            (std::vector<std::string>{"S module a 1 Sales", "T module a 0 Sales2"}));
  EXPECT_EQ(progress_.events.back(), "running: 0");
}

TEST_F(ComparisonRunTest, CancelInTheTargetPassEndsWithoutReport) {
  List("Sales", kProcedures, {{"a", 1}});
  List("Sales2", kProcedures, {{"a", 11}, {"b", 12}});
  texts_.Both(kProcedures, "a", "x", "x");
  progress_.on_pump = [this] {
    if (progress_.events.back() == "object: ")  // the Source pass has ended
      context_.cancel_requested = true;
  };
  const CompareAllOutcome outcome = RunComparison(Request({kProcedures}));
  EXPECT_FALSE(outcome.completed);
  EXPECT_TRUE(context_.report_buffer.empty());
  EXPECT_TRUE(progress_.Only("object: b").empty());
}

TEST_F(ComparisonRunTest, CancelAfterAListLoadStopsBeforeTheNextList) {
  List("Sales", kTables, {{"a", 1}});
  progress_.on_pump = [this] { context_.cancel_requested = true; };  // at the first status
  const CompareAllOutcome outcome = RunComparison(Request({kTables}));
  EXPECT_FALSE(outcome.completed);
  ASSERT_EQ(backend_->commands.size(), 1u);
  EXPECT_EQ(backend_->commands[0].first.database, "Sales");
}

// --- Failures ----------------------------------------------------------------------------------

TEST_F(ComparisonRunTest, FailingObjectListQueryLeavesThatListEmptyAndIsNoted) {
  RespondIn("Sales", ListQuery(kTables),
            Failure(208, "42S02", "Invalid object name 'sysobjects'."));
  List("Sales2", kTables, {{"T1", 11}});
  const CompareAllOutcome outcome = RunComparison(Request({kTables}));
  EXPECT_TRUE(outcome.completed);
  EXPECT_TRUE(outcome.query_failed);
  EXPECT_EQ(context_.report_buffer, Header() +
                                        "\r\n\r\nComparison of tables\r\n"
                                        "There are no tables in Source database.\r\n"
                                        "There is 1 table in Target database.\r\n"
                                        "\r\n\r\nTime Elapsed: 00:00:00");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.messages[0].text.starts_with("Server connection failed."));
}

TEST_F(ComparisonRunTest, FailingStructureTextIsNotedAndCountsAsMissing) {
  ListBoth(kViews, {"v"});
  texts_.Set(0, kViews, "v", "x");
  texts_.Fail(1, kViews, "v");
  const CompareAllOutcome outcome = RunComparison(Request({kViews}));
  EXPECT_TRUE(outcome.completed);
  EXPECT_TRUE(outcome.query_failed);
  EXPECT_EQ(outcome.result.types.at(0).source_only, (std::vector<std::string>{"v"}));
}

TEST_F(ComparisonRunTest, ConnectionFailuresAbortWithTheirMessage) {
  backend_->refuse_databases = {"Sales"};
  context_.report_buffer = "";
  CompareAllOutcome outcome = RunComparison(Request({kTables}));
  EXPECT_FALSE(outcome.completed);
  ASSERT_FALSE(ui_.messages.empty());
  EXPECT_EQ(ui_.messages.back().text, "Cannot connect to Source database - aborting.");
  EXPECT_EQ(ui_.messages.back().icon, MessageIcon::kExclamation);

  backend_->refuse_databases = {"Sales2"};
  outcome = RunComparison(Request({kTables}));
  EXPECT_FALSE(outcome.completed);
  EXPECT_EQ(ui_.messages.back().text, "Cannot connect to Target database - aborting.");
  EXPECT_TRUE(context_.report_buffer.empty());
  EXPECT_TRUE(progress_.events.empty());
}

TEST_F(ComparisonRunTest, UnexpectedFailureGoesToTheErrorReportAndEndsWithoutReport) {
  ListBoth(kViews, {"v"});
  texts_.on_fetch = [] { throw std::runtime_error("text reader broke"); };
  const CompareAllOutcome outcome = RunComparison(Request({kViews}));
  EXPECT_FALSE(outcome.completed);
  EXPECT_TRUE(context_.report_buffer.empty());
  ASSERT_EQ(ui_.error_reports.size(), 1u);
  EXPECT_EQ(ui_.error_reports[0].procedure_name, "CompareAll");
  EXPECT_EQ(ui_.error_reports[0].error_description, "text reader broke");
  EXPECT_EQ(progress_.events.back(), "running: 0");
}

// --- Pairing tables by schema ----------------------------------------------------------------

class SchemaPairingTest : public ComparisonRunTest {
 protected:
  // Orders in the schemas dbo and sales on the Source side; on the Target side the same two
  // tables, listed in the other order of their ids.
  void ArrangeTwoSchemas() {
    ListBoth(kTables, {"Orders", "Orders"});
    RespondIn("Sales", ListQuery(kTables, "Orders"),
              testing::ObjectListRows({{"Orders", 1}, {"Orders", 2}}));
    RespondIn("Sales2", ListQuery(kTables, "Orders"),
              testing::ObjectListRows({{"Orders", 11}, {"Orders", 12}}));
    Schema("Sales", 1, "dbo");
    Schema("Sales", 2, "sales");
    Schema("Sales2", 11, "sales");
    Schema("Sales2", 12, "dbo");
    texts_.Both(kTables, "Orders", "x", "x");
  }
};

TEST_F(SchemaPairingTest, Version9PairsEachTableWithTheTableOfItsSchema) {
  MakeVersion9();
  ArrangeTwoSchemas();
  const CompareAllOutcome outcome = RunComparison(Request({kTables}));
  ASSERT_TRUE(outcome.completed);
  EXPECT_EQ(texts_.requests,
            (std::vector<std::string>{"S table Orders 1 Sales", "T table Orders 12 Sales2",
                                      "S table Orders 2 Sales", "T table Orders 11 Sales2"}));
  EXPECT_EQ(outcome.result.types.at(0).identical,
            (std::vector<ComparedObject>{{"dbo.Orders", false}, {"sales.Orders", false}}));
  EXPECT_TRUE(outcome.result.types.at(0).target_only.empty());
}

TEST_F(SchemaPairingTest, Version9TableWithoutItsSchemaOnTheOtherSideIsOneSided) {
  MakeVersion9();
  ArrangeTwoSchemas();
  Schema("Sales2", 11, "hr");
  const CompareAllOutcome outcome = RunComparison(Request({kTables}));
  const TypeComparison& type = outcome.result.types.at(0);
  EXPECT_EQ(type.source_only, (std::vector<std::string>{"sales.Orders"}));
  EXPECT_EQ(type.target_only, (std::vector<std::string>{"hr.Orders"}));
  EXPECT_EQ(type.identical, (std::vector<ComparedObject>{{"dbo.Orders", false}}));
}

TEST_F(SchemaPairingTest, Version8PairsByBareNameOnly) {
  ListBoth(kTables, {"Orders"});
  texts_.Both(kTables, "Orders", "x", "x");
  // One side of version 9 is not enough.
  context_.CurrentServers[kTarget].Version = "9.00.5000.00";
  context_.CurrentServers[kTarget].NumVersion = 9;
  const CompareAllOutcome outcome = RunComparison(Request({kTables}));
  EXPECT_EQ(texts_.requests,
            (std::vector<std::string>{"S table Orders 1 Sales", "T table Orders 0 Sales2"}));
  EXPECT_EQ(outcome.result.types.at(0).identical.size(), 1u);
}

// The Source's usp_A lives in dbo; the Target holds usp_A in sales (id 11, listed first) and in
// dbo (id 12). Read by name, the Target's text mixes the two.
class ModuleSchemaPairingTest : public ComparisonRunTest {
 protected:
  void ArrangeTwoTargetSchemas() {
    MakeVersion9();
    List("Sales", kProcedures, {{"usp_A", 1}});
    List("Sales2", kProcedures, {{"usp_A", 11}, {"usp_A", 12}});
    RespondIn("Sales", ListQuery(kProcedures, "usp_A"), testing::ObjectListRows({{"usp_A", 1}}));
    RespondIn("Sales2", ListQuery(kProcedures, "usp_A"),
              testing::ObjectListRows({{"usp_A", 11}, {"usp_A", 12}}));
    Schema("Sales", 1, "dbo");
    Schema("Sales2", 11, "sales");
    Schema("Sales2", 12, "dbo");
    texts_.Both(kProcedures, "usp_A", "select 1", "select 2select 1");
    texts_.SetById(0, kProcedures, 1, "select 1");
    texts_.SetById(1, kProcedures, 11, "select 2");
    texts_.SetById(1, kProcedures, 12, "select 1");
  }
};

TEST_F(ModuleSchemaPairingTest, ModulesArePairedBySchemaAndReadById) {
  ArrangeTwoTargetSchemas();
  const CompareAllOutcome outcome = RunComparison(Request({kProcedures}));
  ASSERT_TRUE(outcome.completed);
  EXPECT_FALSE(outcome.query_failed);
  EXPECT_EQ(texts_.requests,
            (std::vector<std::string>{"S module usp_A 1 Sales", "T module usp_A 12 Sales2"}));
  const TypeComparison& type = outcome.result.types.at(0);
  EXPECT_EQ(type.identical, (std::vector<ComparedObject>{{"usp_A", false}}));
  EXPECT_TRUE(type.different.empty());
  EXPECT_TRUE(type.source_only.empty());
  EXPECT_EQ(type.target_only, (std::vector<std::string>{"sales.usp_A"}));
}

TEST_F(ModuleSchemaPairingTest, ColumnOrderTestStaysWithTables) {
  // Schema-paired modules have positive ids on both sides; their lines in another order are
  // still another module.
  ArrangeTwoTargetSchemas();
  context_.settings.ignore_col_seq = true;
  texts_.SetById(0, kProcedures, 1, "select 1\r\nselect 2");
  texts_.SetById(1, kProcedures, 12, "select 2\r\nselect 1");
  texts_.view_texts[{0, 10, "usp_A"}] = "select 1\r\nselect 2";
  texts_.view_texts[{1, 10, "usp_A"}] = "select 2\r\nselect 1";
  const CompareAllOutcome outcome = RunComparison(Request({kProcedures}));
  ASSERT_TRUE(outcome.completed);
  EXPECT_EQ(outcome.result.types.at(0).different.size(), 1u);
  for (const std::string& request : texts_.requests)
    EXPECT_FALSE(request.starts_with("S view") || request.starts_with("T view")) << request;
}

TEST_F(ModuleSchemaPairingTest, Version8ReadsTheTargetModuleByName) {
  ListBoth(kProcedures, {"usp_A"});
  texts_.SetById(0, kProcedures, 1, "select 1");
  texts_.Set(1, kProcedures, "usp_A", "select 1");
  const CompareAllOutcome outcome = RunComparison(Request({kProcedures}));
  EXPECT_EQ(texts_.requests,
            (std::vector<std::string>{"S module usp_A 1 Sales", "T module usp_A 0 Sales2"}));
  EXPECT_EQ(outcome.result.types.at(0).identical.size(), 1u);
}

TEST_F(SchemaPairingTest, FailedSchemaLookUpEndsTheRunWithoutReport) {
  MakeVersion9();
  ListBoth(kTables, {"Orders"});
  RespondIn("Sales", testing::SchemaByIdQuery(1), testing::MissingView());
  RespondIn("Sales", testing::OwnerByIdQuery(1),
            Failure(208, "42S02", "Invalid object name 'sysobjects'."));
  const CompareAllOutcome outcome = RunComparison(Request({kTables}));
  EXPECT_FALSE(outcome.completed);
  EXPECT_TRUE(context_.report_buffer.empty());
  EXPECT_TRUE(texts_.requests.empty());
}

}  // namespace
}  // namespace korvane
