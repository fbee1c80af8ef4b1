#include "compare/comparison_report.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "compare/report_type_names.h"

namespace korvane {
namespace {

using std::chrono::seconds;

constexpr std::string_view kHeader =
    "Comparison of databases\r\n"
    "\r\n"
    "Source database SRV1.Sales\r\n"
    "Target database SRV2.Sales\r\n";

DatabaseComparisonResult NewRun(std::vector<TypeComparison> types, seconds elapsed = seconds(4)) {
  DatabaseComparisonResult result;
  result.server_names = {"SRV1", "SRV2"};
  result.database_names = {"Sales", "Sales"};
  result.types = std::move(types);
  result.elapsed = elapsed;
  return result;
}

DatabaseComparisonResult SelectiveRun(std::vector<TypeComparison> types, int source_selected,
                                      int target_selected) {
  DatabaseComparisonResult result = NewRun(std::move(types));
  result.selective = true;
  result.source_selected_count = source_selected;
  result.target_selected_count = target_selected;
  return result;
}

// A differing object; a displayed "schema.name" has the catalogue name after the schema.
DifferentObject Diff(std::string name, bool columns_ignored = false, std::string source = {},
                     std::string target = {}) {
  std::string bare = name.substr(name.find('.') + 1);
  return {std::move(name), columns_ignored, std::move(source), std::move(target), std::move(bare)};
}

ComparedObject Same(std::string name, bool columns_ignored = false) {
  return {std::move(name), columns_ignored};
}

TypeComparison Type(std::int32_t code, int source_count, int target_count) {
  TypeComparison type;
  type.type_code = code;
  type.source_count = source_count;
  type.target_count = target_count;
  return type;
}

std::string WithFrame(std::string_view blocks, std::string_view elapsed = "00:00:04") {
  return std::string(kHeader) + std::string(blocks) +
         "\r\n\r\nTime Elapsed: " + std::string(elapsed);
}

TEST(ReportTypeNamesTest, PluralAndReportSingularOfEveryCode) {
  struct Case {
    std::int32_t code;
    std::string plural;
    std::string singular;
  };
  const std::vector<Case> cases = {
      {50, "tables", "table"},           {10, "procedures", "procedure"},
      {20, "functions", "function"},     {30, "views", "view"},
      {40, "triggers", "trigger"},       {60, "relationships", "relationship"},
      {80, "constraints", "constraint"}, {70, "objects", "object"},
      {0, "objects", "object"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReportTypePlural(c.code), c.plural) << c.code;
    EXPECT_EQ(ReportTypeSingular(c.code), c.singular) << c.code;
  }
  EXPECT_EQ(ReportTypeOrderIndex(50), 0u);
  EXPECT_EQ(ReportTypeOrderIndex(80), 6u);
  EXPECT_EQ(ReportTypeOrderIndex(70), 7u);
}

TEST(ReportCountLineTest, NoneOneAndMany) {
  EXPECT_EQ(ReportCountLine(50, 0, "Source"), "There are no tables in Source database.");
  EXPECT_EQ(ReportCountLine(50, 1, "Target"), "There is 1 table in Target database.");
  EXPECT_EQ(ReportCountLine(10, 2, "Source"), "There are 2 procedures in Source database.");
  // No digit grouping in reports.
  EXPECT_EQ(ReportCountLine(30, 12345, "Target"), "There are 12345 views in Target database.");
}

// The worked example: one table differs, one procedure exists only in the Target database.
TEST(ComparisonReportTest, NonSelectiveSimpleReportWithDifferencesAndIdenticalSummaries) {
  TypeComparison tables = Type(50, 3, 3);
  tables.different = {Diff("Orders")};
  tables.identical = {Same("Customers"), Same("Products")};
  TypeComparison procedures = Type(10, 1, 2);
  procedures.target_only = {"usp_Archive"};
  procedures.identical = {Same("usp_GetOrders")};

  // Blocks come out in the fixed type order whatever order the run stored them in.
  EXPECT_EQ(BuildComparisonReport(NewRun({procedures, tables})),
            WithFrame("\r\n\r\nComparison of tables\r\n"
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
                      "List of procedures which exist in Target database but not in Source "
                      "database:\r\n"
                      "\tusp_Archive\r\n"
                      "\t(1 procedure)\r\n"
                      "One procedure [usp_GetOrders] has identical structure in both databases."));
}

TEST(ComparisonReportTest, AllThreeListsWithPluralCountsAndNoIdenticalObject) {
  TypeComparison views = Type(30, 4, 3);
  views.different = {Diff("v1"), Diff("sales.v2")};
  views.source_only = {"v3", "v4"};
  views.target_only = {"v9"};
  TypeComparison tables = Type(50, 2, 2);
  tables.different = {Diff("T1"), Diff("T2")};

  EXPECT_EQ(BuildComparisonReport(NewRun({tables, views})),
            WithFrame("\r\n\r\nComparison of tables\r\n"
                      "There are 2 tables in Source database.\r\n"
                      "There are 2 tables in Target database.\r\n"
                      "List of tables which differ:\r\n"
                      "\tT1\r\n"
                      "\tT2\r\n"
                      "\t(2 tables)\r\n"
                      "There are no tables which have identical structure in both databases."
                      "\r\n\r\nComparison of views\r\n"
                      "There are 4 views in Source database.\r\n"
                      "There are 3 views in Target database.\r\n"
                      "List of views which differ:\r\n"
                      "\tv1\r\n"
                      "\tsales.v2\r\n"
                      "\t(2 views)\r\n"
                      "List of views which exist in Source database but not in Target "
                      "database:\r\n"
                      "\tv3\r\n"
                      "\tv4\r\n"
                      "\t(2 views)\r\n"
                      "List of views which exist in Target database but not in Source "
                      "database:\r\n"
                      "\tv9\r\n"
                      "\t(1 view)\r\n"
                      "There are no views which are identical in both databases."));
}

TEST(ComparisonReportTest, IgnoredColumnsNotesOnDifferingAndIdenticalTables) {
  TypeComparison tables = Type(50, 3, 3);
  tables.different = {Diff("Orders", true)};
  tables.source_only = {"Old"};
  tables.identical = {Same("Customers", true)};

  EXPECT_EQ(BuildComparisonReport(NewRun({tables})),
            WithFrame("\r\n\r\nComparison of tables\r\n"
                      "There are 3 tables in Source database.\r\n"
                      "There are 3 tables in Target database.\r\n"
                      "List of tables which differ:\r\n"
                      "\tOrders (some columns ignored during comparison)\r\n"
                      "\t(1 table)\r\n"
                      "List of tables which exist in Source database but not in Target "
                      "database:\r\n"
                      "\tOld\r\n"
                      "\t(1 table)\r\n"
                      "One table [Customers (some columns ignored during comparison)] has "
                      "identical structure in both databases."));

  tables.different.clear();
  tables.identical = {Same("A"), Same("B", true), Same("C")};
  EXPECT_EQ(BuildComparisonReport(NewRun({tables})),
            WithFrame("\r\n\r\nComparison of tables\r\n"
                      "There are 3 tables in Source database.\r\n"
                      "There are 3 tables in Target database.\r\n"
                      "List of tables which exist in Source database but not in Target "
                      "database:\r\n"
                      "\tOld\r\n"
                      "\t(1 table)\r\n"
                      "All 3 remaining tables have identical structures:\r\n"
                      "\tA\r\n"
                      "\tB (some columns ignored during comparison)\r\n"
                      "\tC"));
}

TEST(ComparisonReportTest, IdenticalSummariesOfOtherTypes) {
  TypeComparison functions = Type(20, 3, 4);
  functions.target_only = {"f9"};
  functions.identical = {Same("f1"), Same("f2"), Same("dbo.f3")};
  TypeComparison triggers = Type(40, 2, 1);
  triggers.source_only = {"t2"};
  triggers.identical = {Same("t1")};

  EXPECT_EQ(BuildComparisonReport(NewRun({functions, triggers})),
            WithFrame("\r\n\r\nComparison of functions\r\n"
                      "There are 3 functions in Source database.\r\n"
                      "There are 4 functions in Target database.\r\n"
                      "List of functions which exist in Target database but not in Source "
                      "database:\r\n"
                      "\tf9\r\n"
                      "\t(1 function)\r\n"
                      "All 3 remaining functions are identical:\r\n"
                      "\tf1\r\n"
                      "\tf2\r\n"
                      "\tdbo.f3"
                      "\r\n\r\nComparison of triggers\r\n"
                      "There are 2 triggers in Source database.\r\n"
                      "There is 1 trigger in Target database.\r\n"
                      "List of triggers which exist in Source database but not in Target "
                      "database:\r\n"
                      "\tt2\r\n"
                      "\t(1 trigger)\r\n"
                      "One trigger [t1] has identical structure in both databases."));
}

TEST(ComparisonReportTest, EveryObjectIdenticalGivesOnlyTheSentence) {
  TypeComparison tables = Type(50, 2, 2);
  tables.identical = {Same("A"), Same("B")};
  TypeComparison relationships = Type(60, 1, 1);
  relationships.identical = {Same("FK_A_B")};

  EXPECT_EQ(BuildComparisonReport(NewRun({tables, relationships})),
            WithFrame("\r\n\r\nComparison of tables\r\n"
                      "There are 2 tables in Source database.\r\n"
                      "There are 2 tables in Target database.\r\n"
                      "The structure of all tables in both databases is identical."
                      "\r\n\r\nComparison of relationships\r\n"
                      "There is 1 relationship in Source database.\r\n"
                      "There is 1 relationship in Target database.\r\n"
                      "All relationships in both databases are identical."));
}

TEST(ComparisonReportTest, AllIdenticalTablesWithIgnoredColumnsCarryTheRunNote) {
  TypeComparison tables = Type(50, 2, 2);
  tables.identical = {Same("A"), Same("B", true)};
  EXPECT_EQ(BuildComparisonReport(NewRun({tables})),
            WithFrame("\r\n\r\nComparison of tables\r\n"
                      "There are 2 tables in Source database.\r\n"
                      "There are 2 tables in Target database.\r\n"
                      "The structure of all tables in both databases is identical. (Some "
                      "columns were ignored during comparison.)"));
}

TEST(ComparisonReportTest, EmptyListsEndTheBlockEarly) {
  const TypeComparison views = Type(30, 0, 2);        // one side empty: opening only
  const TypeComparison triggers = Type(40, 0, 0);     // both empty: last line break removed
  const TypeComparison constraints = Type(80, 0, 0);  // the last type of the report

  EXPECT_EQ(BuildComparisonReport(NewRun({views, triggers, constraints})),
            WithFrame("\r\n\r\nComparison of views\r\n"
                      "There are no views in Source database.\r\n"
                      "There are 2 views in Target database.\r\n"
                      "\r\n\r\nComparison of triggers\r\n"
                      "There are no triggers in Source database.\r\n"
                      "There are no triggers in Target database."
                      "\r\n\r\nComparison of constraints\r\n"
                      "There are no constraints in Source database.\r\n"
                      "There are no constraints in Target database."));
}

TEST(ComparisonReportTest, OneSideEmptyListsNothingEvenWhenTheRunRecordedObjects) {
  TypeComparison views = Type(30, 3, 0);
  views.source_only = {"a", "b", "c"};  // not listed: the other side has no objects at all
  EXPECT_EQ(BuildComparisonReport(NewRun({views})),
            WithFrame("\r\n\r\nComparison of views\r\n"
                      "There are 3 views in Source database.\r\n"
                      "There are no views in Target database.\r\n"));
}

TEST(ComparisonReportTest, SelectiveRunShowsSelectedCountsInsteadOfCountLines) {
  TypeComparison tables = Type(50, 10, 12);
  tables.identical = {Same("A")};
  TypeComparison procedures = Type(10, 5, 5);
  procedures.different = {Diff("p1")};
  TypeComparison views = Type(30, 0, 0);
  TypeComparison functions = Type(20, 4, 4);  // nothing selected matched: all identical

  EXPECT_EQ(BuildComparisonReport(SelectiveRun({tables, procedures, functions, views}, 1, 2)),
            WithFrame("\r\n\r\nSelective comparison of tables\r\n"
                      "\r\n1 objects selected in Source database"
                      "\r\n2 objects selected in Target database"
                      "\r\n\r\n"
                      "The structure of all selected tables in both databases is identical."
                      "\r\n\r\nSelective comparison of procedures\r\n"
                      "\r\n1 objects selected in Source database"
                      "\r\n2 objects selected in Target database"
                      "\r\n\r\n"
                      "List of procedures which differ:\r\n"
                      "\tp1\r\n"
                      "\t(1 procedure)\r\n"
                      "There are no procedures which are identical in both databases."
                      "\r\n\r\nSelective comparison of functions\r\n"
                      "\r\n1 objects selected in Source database"
                      "\r\n2 objects selected in Target database"
                      "\r\n\r\n"
                      "All selected functions in both databases are identical."
                      "\r\n\r\nSelective comparison of views\r\n"
                      "\r\n1 objects selected in Source database"
                      "\r\n2 objects selected in Target database"
                      "\r\n"));
}

TEST(ComparisonReportTest, SelectiveRunWithOneSideEmptyKeepsTheOpeningWhole) {
  EXPECT_EQ(BuildComparisonReport(SelectiveRun({Type(50, 0, 3)}, 2, 2)),
            WithFrame("\r\n\r\nSelective comparison of tables\r\n"
                      "\r\n2 objects selected in Source database"
                      "\r\n2 objects selected in Target database"
                      "\r\n\r\n"));
}

TEST(ComparisonReportTest, DetailsFollowTheSummaryAndRestartNumberingPerType) {
  TypeComparison tables = Type(50, 3, 2);
  tables.different = {Diff("dbo.Orders", false, "[a] int\r\n[b] int", "[a] int\r\n[c] int")};
  tables.source_only = {"Old"};
  tables.identical = {Same("Customers")};
  TypeComparison procedures = Type(10, 2, 2);
  procedures.different = {Diff("p1", false, "x", "y"), Diff("sales.p2", false, "same", "same")};
  TypeComparison views = Type(30, 1, 1);
  views.identical = {Same("v1")};  // no differing view: no details block

  DatabaseComparisonResult result = NewRun({tables, procedures, views});
  result.details = true;

  const std::string rule = "===========================================";
  EXPECT_EQ(BuildComparisonReport(result),
            WithFrame("\r\n\r\nComparison of tables\r\n"
                      "There are 3 tables in Source database.\r\n"
                      "There are 2 tables in Target database.\r\n"
                      "List of tables which differ:\r\n"
                      "\tdbo.Orders\r\n"
                      "\t(1 table)\r\n"
                      "List of tables which exist in Source database but not in Target "
                      "database:\r\n"
                      "\tOld\r\n"
                      "\t(1 table)\r\n"
                      "One table [Customers] has identical structure in both databases.\r\n" +
                      rule +
                      "\r\n\r\nDetailed list of differences between compared tables\r\n"
                      "\r\n1. Orders\r\n\r\n"
                      "Differences in Source:\r\n[B] INT\r\n"
                      "\r\nDifferences in Target:\r\n[C] INT\r\n\r\n"
                      "\r\n\r\nComparison of procedures\r\n"
                      "There are 2 procedures in Source database.\r\n"
                      "There are 2 procedures in Target database.\r\n"
                      "List of procedures which differ:\r\n"
                      "\tp1\r\n"
                      "\tsales.p2\r\n"
                      "\t(2 procedures)\r\n"
                      "There are no procedures which are identical in both databases.\r\n" +
                      rule +
                      "\r\n\r\nDetailed list of differences between compared procedures\r\n"
                      "\r\n1. p1\r\n\r\n"
                      "Differences in Source:\r\nX\r\n"
                      "\r\nDifferences in Target:\r\nY\r\n\r\n"
                      "\r\n2. p2\r\n\r\n"  // equal texts list nothing
                      "\r\n\r\nComparison of views\r\n"
                      "There is 1 view in Source database.\r\n"
                      "There is 1 view in Target database.\r\n"
                      "All views in both databases are identical."));
}

TEST(ComparisonReportTest, DetailsListingHonoursTheRunOptions) {
  TypeComparison procedures = Type(10, 1, 1);
  procedures.different = {Diff("p", false, "select a", "SELECT a")};
  DatabaseComparisonResult result = NewRun({procedures});
  result.details = true;
  result.options.case_sensitive = true;
  EXPECT_NE(BuildComparisonReport(result).find("Differences in Source:\r\nselect a\r\n"),
            std::string::npos);

  result.details = false;  // Simple mode never lists lines
  EXPECT_EQ(BuildComparisonReport(result).find("Detailed list"), std::string::npos);
}

TEST(ComparisonReportTest, NoTypesGiveHeaderAndTrailerOnly) {
  EXPECT_EQ(BuildComparisonReport(NewRun({}, seconds(0))), WithFrame("", "00:00:00"));
}

TEST(ComparisonReportTest, ElapsedTimeIsHoursMinutesSeconds) {
  EXPECT_EQ(BuildComparisonReport(NewRun({}, seconds(3 * 3600 + 25 * 60 + 7))),
            WithFrame("", "03:25:07"));
  // A run longer than a day keeps counting hours instead of starting again at 00.
  EXPECT_EQ(BuildComparisonReport(NewRun({}, seconds(25 * 3600 + 1))), WithFrame("", "25:00:01"));
}

TEST(ComparisonReportTest, UnknownTypeCodesComeLastAsObjects) {
  TypeComparison odd = Type(70, 1, 1);
  odd.different = {Diff("x")};
  EXPECT_EQ(BuildComparisonReport(NewRun({odd, Type(80, 0, 0)})),
            WithFrame("\r\n\r\nComparison of constraints\r\n"
                      "There are no constraints in Source database.\r\n"
                      "There are no constraints in Target database."
                      "\r\n\r\nComparison of objects\r\n"
                      "There is 1 object in Source database.\r\n"
                      "There is 1 object in Target database.\r\n"
                      "List of objects which differ:\r\n"
                      "\tx\r\n"
                      "\t(1 object)\r\n"
                      "There are no objects which are identical in both databases."));
}

}  // namespace
}  // namespace korvane
