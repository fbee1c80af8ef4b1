#include "datacomp/compare_records.h"

#include <gtest/gtest.h>

#include "datacomp/record_compare_fixture.h"

namespace korvane::testing {
namespace {

Value T(const char* text) {
  return Value::Text(text);
}
Value I(std::int64_t number) {
  return Value::Integer(number);
}

class CompareRecordsTest : public ::testing::Test {
 protected:
  CompareRecordsTest() {
    input_.sides[0].qualified_table = "[dbo].[Orders]";
    input_.sides[1].qualified_table = "[dbo].[Orders2]";
    input_.sides[0].columns = {"ID", "Name"};
    input_.sides[1].columns = {"ID", "Name"};
    input_.sides[0].key_columns = {"ID", "No Field", "No Field"};
    input_.sides[1].key_columns = {"ID", "No Field", "No Field"};
  }

  // Tables of the columns ID and Name, one row per (id, name).
  static ResultSet Table(const std::vector<std::pair<std::int64_t, std::string>>& rows) {
    ResultSet table = MakeTable({"ID", "Name"}, {});
    for (const auto& [id, name] : rows)
      table.rows.push_back({I(id), T(name.c_str())});
    return table;
  }

  static std::vector<std::pair<std::int64_t, std::string>> Numbered(int from, int to) {
    std::vector<std::pair<std::int64_t, std::string>> rows;
    for (int n = from; n <= to; ++n)
      rows.emplace_back(n, "row " + std::to_string(n));
    return rows;
  }

  CompareRecordsResult Run(ResultSet source, ResultSet target) {
    input_.sides[0].record_count = static_cast<std::int64_t>(source.rows.size());
    input_.sides[1].record_count = static_cast<std::int64_t>(target.rows.size());
    opener_.results[{0, SourceRecordsQuery(input_.sides[0])}] = std::move(source);
    opener_.results[{1, CandidateTargetQuery(input_.sides[0], input_.sides[1])}] =
        std::move(target);
    return CompareRecords(env_.context(), input_, opener_, progress_, grid_);
  }

  // The number and first field of each grid row, with its background's name.
  std::vector<std::string> GridRows() const {
    std::vector<std::string> rows;
    for (const DiffGridRow& row : grid_.rows()) {
      std::string colour = row.background == kSourceDiffColour   ? "cyan"
                           : row.background == kTargetDiffColour ? "yellow"
                           : row.background == kSourceOnlyColour ? "green"
                           : row.background == kTargetOnlyColour ? "orange"
                                                                 : "?";
      rows.push_back(row.cells[0] + " " + (row.cells.size() > 1 ? row.cells[1] : "") + " " +
                     colour);
    }
    return rows;
  }

  RecordCompareEnvironment env_;
  TableOpener opener_;
  RecordingProgress progress_;
  DiffGrid grid_;
  CompareRecordsInput input_;
};

using Texts = std::vector<std::string>;

TEST_F(CompareRecordsTest, TwoEmptyTablesAreIdenticalWithoutOpeningAnything) {
  const CompareRecordsResult result = Run(Table({}), Table({}));
  EXPECT_EQ(result, (CompareRecordsResult{CompareRecordsStatus::kCompleted, 0, true}));
  EXPECT_TRUE(opener_.opened.empty());
  EXPECT_TRUE(progress_.calls.empty());
  EXPECT_EQ(env_.Log(), "");
  EXPECT_TRUE(env_.ui().busy_changes.empty());
}

TEST_F(CompareRecordsTest, IdenticalTablesLogEnteringAndExitingWithTheRecordIndex) {
  const CompareRecordsResult result = Run(Table(Numbered(1, 3)), Table(Numbered(1, 3)));
  EXPECT_EQ(result, (CompareRecordsResult{CompareRecordsStatus::kCompleted, 0, true}));
  EXPECT_EQ(env_.Log(),
            "03:04:05     Entering CompareRecords\r\n"
            "03:04:05     Exiting CompareRecords, llngIndexRec = 4\r\n");
  EXPECT_EQ(env_.ui().busy_changes, (std::vector<bool>{true, false}));
  EXPECT_EQ(progress_.calls, (std::vector<std::string>{"reset", "stage 3", "stage 4", "stage 5"}));
  EXPECT_EQ(grid_.header(), (std::vector<std::string>{"Row", "ID", "Name"}));
  EXPECT_EQ(grid_.statistics(), (std::array<std::string, 3>{"3", "3", "0"}));
}

TEST_F(CompareRecordsTest, RecordByRecordListsTheLongerTargetsExtraRecordsAsTargetOnly) {
  const CompareRecordsResult result = Run(Table(Numbered(1, 10)), Table(Numbered(1, 12)));
  EXPECT_EQ(result, (CompareRecordsResult{CompareRecordsStatus::kCompleted, 2, false}));
  EXPECT_EQ(GridRows(), (Texts{"11 11 orange", "12 12 orange"}));
  EXPECT_EQ(grid_.statistics(), (std::array<std::string, 3>{"10", "12", "2"}));
  EXPECT_EQ(env_.Log().substr(env_.Log().find("Exiting")),
            "Exiting CompareRecords, llngIndexRec = 11\r\n");
}

TEST_F(CompareRecordsTest, RecordByRecordListsTheLongerSourcesExtraRecordsAsSourceOnly) {
  const CompareRecordsResult result = Run(Table(Numbered(1, 4)), Table(Numbered(1, 2)));
  EXPECT_EQ(result, (CompareRecordsResult{CompareRecordsStatus::kCompleted, 2, false}));
  EXPECT_EQ(GridRows(), (Texts{"3 3 green", "4 4 green"}));
}

TEST_F(CompareRecordsTest, ADifferingPairIsShownAsCyanAndYellowRowsWithTheDifferenceNumber) {
  auto target = Numbered(1, 3);
  target[1].second = "changed";
  const CompareRecordsResult result = Run(Table(Numbered(1, 3)), Table(target));
  EXPECT_EQ(result.different_records, 1);
  EXPECT_FALSE(result.identical);
  ASSERT_EQ(GridRows(), (Texts{"1 2 cyan", "1 2 yellow"}));
  EXPECT_EQ(grid_.rows()[0].cells[2], "row 2");
  EXPECT_EQ(grid_.rows()[1].cells[2], "changed");
  EXPECT_EQ(grid_.rows()[0].text_colours,
            (std::vector<Rgb>{kEqualCellColour, kEqualCellColour, kDifferentCellColour}));
}

TEST_F(CompareRecordsTest, WithoutMarkingAPairIsTwoPlainRecords) {
  input_.mark_differences = false;
  Run(Table({{1, "a"}}), Table({{1, "b"}}));
  EXPECT_EQ(GridRows(), (Texts{"1 1 cyan", "1 1 yellow"}));
  EXPECT_EQ(grid_.rows()[0].text_colours, std::vector<Rgb>(3, kEqualCellColour));
}

TEST_F(CompareRecordsTest, NullEqualsTheTextNullAndTrailingBlanksDoNotCountButCaseDoes) {
  ResultSet source =
      MakeTable({"ID", "Name"},
                {{I(1), Value::Null()}, {I(2), T("abc ")}, {I(3), T("ABC")}, {I(4), T("  x")}});
  ResultSet target = MakeTable(
      {"ID", "Name"}, {{I(1), T("Null")}, {I(2), T("abc")}, {I(3), T("abc")}, {I(4), T("x")}});
  const CompareRecordsResult result = Run(source, target);
  EXPECT_EQ(result.different_records, 1);
  EXPECT_EQ(GridRows(), (Texts{"1 3 cyan", "1 3 yellow"}));
}

TEST(SameFieldTextTest, ComparesTrimmedTextFormsWithLetterCase) {
  EXPECT_TRUE(SameFieldText(Value::Null(), Value::Text("Null")));
  EXPECT_TRUE(SameFieldText(Value::Text(" abc "), Value::Text("abc")));
  EXPECT_FALSE(SameFieldText(Value::Text("ABC"), Value::Text("abc")));
  EXPECT_TRUE(SameFieldText(Value::Integer(12), Value::Text("12")));
  EXPECT_FALSE(SameFieldText(Value::Decimal("12.00"), Value::Integer(12)));
  EXPECT_TRUE(SameFieldText(Value::Boolean(true), Value::Text("True")));
  EXPECT_FALSE(SameFieldText(Value::Text("\tx"), Value::Text("x")));  // only blanks are trimmed
}

// Equal doubles with different texts: the comparison goes by text.
TEST(SameFieldTextTest, MinusZeroDiffersFromZero) {
  EXPECT_FALSE(SameFieldText(Value::Float(-0.0), Value::Float(0.0)));
  EXPECT_TRUE(SameFieldText(Value::Float(0.1), Value::Float(0.1)));
}

TEST_F(CompareRecordsTest, OffsetsPairTheThirdSourceRecordWithTheFirstTargetRecord) {
  input_.sides[0].offset = 3;
  input_.sides[1].offset = 1;
  auto target = Numbered(3, 6);
  target[0].second = "changed";
  const CompareRecordsResult result = Run(Table(Numbered(1, 6)), Table(target));
  // The count difference uses 6 - 2 records against 4. The counts of the tables differ, so the
  // run is not identical; the Source-only rows that would follow lie past its end and the
  // empty rows are removed again.
  EXPECT_EQ(result, (CompareRecordsResult{CompareRecordsStatus::kCompleted, 1, false}));
  EXPECT_EQ(GridRows(), (Texts{"1 3 cyan", "1 3 yellow"}));
  EXPECT_EQ(grid_.statistics(), (std::array<std::string, 3>{"6", "4", "1"}));
}

TEST_F(CompareRecordsTest, AnOffsetOnTheLongerSideCountsOnlyTheRecordsFromIt) {
  input_.sides[0].offset = 3;
  // Source records 3 to 6 against Target records 3 to 7: the seventh is counted, and never
  // listed, since the loop stops at the Source's end.
  const CompareRecordsResult result = Run(Table(Numbered(1, 6)), Table(Numbered(3, 7)));
  EXPECT_EQ(result, (CompareRecordsResult{CompareRecordsStatus::kCompleted, 1, false}));
  EXPECT_TRUE(GridRows().empty());
}

TEST_F(CompareRecordsTest, AnOffsetBeyondTheEndComparesNothing) {
  input_.sides[0].offset = 20;
  const CompareRecordsResult result = Run(Table(Numbered(1, 3)), Table(Numbered(1, 3)));
  // No pair is read past the end; the Source counts 0 records from its offset against 3.
  EXPECT_EQ(result, (CompareRecordsResult{CompareRecordsStatus::kCompleted, 3, false}));
  EXPECT_TRUE(GridRows().empty());
}

TEST_F(CompareRecordsTest, OnlyTheFirstMaxRowsInDiffTableDifferencesAreShown) {
  env_.context().settings.max_rows_in_diff_table = 100;
  auto target = Numbered(1, 150);
  for (auto& row : target)
    row.second += "!";
  const CompareRecordsResult result = Run(Table(Numbered(1, 150)), Table(target));
  EXPECT_EQ(result.different_records, 150);
  ASSERT_EQ(grid_.RowCount(), 200u);
  EXPECT_EQ(grid_.rows().back().cells[0], "100");
  EXPECT_EQ(grid_.statistics()[2], "150");
}

TEST_F(CompareRecordsTest, TargetOnlyRangeStopsAtMaxRowsInDiffTable) {
  env_.context().settings.max_rows_in_diff_table = 3;
  const CompareRecordsResult result = Run(Table(Numbered(1, 1)), Table(Numbered(1, 10)));
  EXPECT_EQ(result.different_records, 9);
  EXPECT_EQ(GridRows(), (Texts{"2 2 orange", "3 3 orange", "4 4 orange"}));
}

TEST_F(CompareRecordsTest, TheGaugeOfARangeStaysWithinItsScale) {
  Run(Table(Numbered(1, 10)), Table(Numbered(1, 12)));
  EXPECT_EQ(progress_.calls,
            (std::vector<std::string>{"reset", "stage 3", "stage 4", "stage 5", "progress 11 50%",
                                      "elapsed", "progress 12 100%", "elapsed"}));
}

TEST_F(CompareRecordsTest, ProgressIsRefreshedEveryIntervalWithFormattedRecordNumbers) {
  input_.progress_interval = 1000;
  Run(Table(Numbered(1, 2500)), Table(Numbered(1, 2500)));
  EXPECT_EQ(progress_.calls, (std::vector<std::string>{"reset", "stage 3", "stage 4", "stage 5",
                                                       "progress 1,000 40%", "elapsed",
                                                       "progress 2,000 80%", "elapsed"}));
  EXPECT_EQ(env_.ui().pumps, 4);  // after each open and on each refresh
}

TEST_F(CompareRecordsTest, WithoutTrackingTheGridIsLeftAlone) {
  input_.track_differences = false;
  const CompareRecordsResult result = Run(Table(Numbered(1, 2)), Table(Numbered(1, 5)));
  EXPECT_EQ(result.different_records, 3);
  EXPECT_TRUE(grid_.header().empty());
  EXPECT_EQ(grid_.RowCount(), 0u);
}

// --- Key method --------------------------------------------------------------------------------

TEST_F(CompareRecordsTest, KeyMethodListsAMissingKeyAsSourceOnlyAndUnmatchedTargetRowsLast) {
  input_.CompMethod = 1;
  auto source = Numbered(1, 6);
  auto target = Numbered(1, 4);
  target.emplace_back(6, "row 6");
  target.emplace_back(9, "row 9");
  target.emplace_back(8, "row 8");
  const CompareRecordsResult result = Run(Table(source), Table(target));
  EXPECT_EQ(result, (CompareRecordsResult{CompareRecordsStatus::kCompleted, 3, false}));
  EXPECT_EQ(GridRows(), (Texts{"1 5 green", "1 9 orange", "2 8 orange"}));
  EXPECT_EQ(grid_.statistics(), (std::array<std::string, 3>{"6", "7", "3"}));
}

// Regression: walking only as many Source records as the smaller count and adding the
// difference of the counts gave 2 in both of the next two cases.
TEST_F(CompareRecordsTest, KeyMethodCountsAChangedPairAndAKeyOnEachSide) {
  input_.CompMethod = 1;
  auto target = Numbered(1, 4);
  target[2].second = "changed";
  target.emplace_back(6, "row 6");
  target.emplace_back(7, "row 7");
  const CompareRecordsResult result = Run(Table(Numbered(1, 6)), Table(target));
  EXPECT_EQ(result.different_records, 3);
  EXPECT_EQ(GridRows(), (Texts{"1 3 cyan", "1 3 yellow", "2 5 green", "1 7 orange"}));
}

TEST_F(CompareRecordsTest, KeyMethodVisitsTheLastSourceRecordWhenAnEarlyOneIsMissing) {
  input_.CompMethod = 1;
  const CompareRecordsResult result = Run(Table(Numbered(1, 7)), Table(Numbered(2, 7)));
  EXPECT_EQ(result.different_records, 1);
  EXPECT_EQ(GridRows(), (Texts{"1 1 green"}));
  EXPECT_EQ(env_.Log().substr(env_.Log().find("Exiting")),
            "Exiting CompareRecords, llngIndexRec = 8\r\n");
}

TEST_F(CompareRecordsTest, KeyMethodPairsDuplicateKeysInTargetOrder) {
  input_.CompMethod = 1;
  const CompareRecordsResult result =
      Run(Table({{1, "b"}, {1, "a"}}), Table({{1, "a"}, {1, "b"}, {1, "c"}}));
  // Each Source record takes the first Target row with its key not taken before.
  EXPECT_EQ(result.different_records, 3);
  EXPECT_EQ(GridRows(), (Texts{"1 1 cyan", "1 1 yellow", "2 1 cyan", "2 1 yellow", "1 1 orange"}));
  EXPECT_EQ(grid_.rows()[4].cells[2], "c");
}

TEST_F(CompareRecordsTest, KeysMatchIgnoringCaseAndTrailingBlanksAndKeepQuotes) {
  input_.CompMethod = 1;
  ResultSet source = MakeTable(
      {"ID", "Name"},
      {{T("O'Brien"), T("1")}, {T("abc"), T("2")}, {Value::Null(), T("3")}, {T(" lead"), T("4")}});
  ResultSet target = MakeTable({"ID", "Name"}, {{T("lead"), T("4")},
                                                {T("ABC  "), T("2")},
                                                {T("o'brien"), T("1")},
                                                {T("null"), T("3")},
                                                {Value::Null(), T("5")}});
  const CompareRecordsResult result = Run(source, target);
  // A Source NULL key searches for the text Null; a Target NULL key is never found; a leading
  // blank counts. Paired records still differ in the letter case of their keys.
  EXPECT_EQ(result.different_records, 6);
  EXPECT_EQ(GridRows(), (Texts{"1 O'Brien cyan", "1 o'brien yellow", "2 abc cyan", "2 ABC   yellow",
                               "3 Null cyan", "3 null yellow", "4  lead green", "1 lead orange",
                               "2 Null orange"}));
}

TEST_F(CompareRecordsTest, KeyNumbersMatchByValueAcrossTypes) {
  input_.CompMethod = 1;
  ResultSet source =
      MakeTable({"ID", "Name"}, {{Value::Decimal("2.00"), T("x")}, {Value::Float(1.0), T("y")}});
  ResultSet target = MakeTable({"ID", "Name"}, {{I(1), T("y")}, {I(2), T("x")}});
  const CompareRecordsResult result = Run(source, target);
  // Paired by value; the pair's texts still differ ("2.00" against "2").
  EXPECT_EQ(result.different_records, 1);
  EXPECT_EQ(GridRows(), (Texts{"1 2.00 cyan", "1 2 yellow"}));
}

TEST_F(CompareRecordsTest, SeveralKeysPairOnEveryKeyColumn) {
  input_.CompMethod = 1;
  input_.sides[0].columns = {"ID", "Line", "Qty"};
  input_.sides[1].columns = input_.sides[0].columns;
  input_.sides[0].key_columns = {"ID", "Line", "No Field"};
  input_.sides[1].key_columns = {"id", "LINE", "No Field"};
  ResultSet source = MakeTable({"ID", "Line", "Qty"},
                               {{I(1), I(1), I(5)}, {I(1), I(2), I(6)}, {I(2), I(1), I(7)}});
  ResultSet target = MakeTable({"ID", "Line", "Qty"},
                               {{I(1), I(2), I(6)}, {I(2), I(2), I(7)}, {I(1), I(1), I(9)}});
  const CompareRecordsResult result = Run(source, target);
  EXPECT_EQ(result.different_records, 3);
  EXPECT_EQ(GridRows(), (Texts{"1 1 cyan", "1 1 yellow", "2 2 green", "1 2 orange"}));
}

TEST_F(CompareRecordsTest, ATertiaryKeyNamedInTheSourceOnlyMakesTheSearchFail) {
  input_.CompMethod = 1;
  input_.sides[0].key_columns = {"ID", "Name", "Name"};
  input_.sides[1].key_columns = {"ID", "Name", "No Field"};
  const CompareRecordsResult result = Run(Table(Numbered(1, 2)), Table(Numbered(1, 2)));
  EXPECT_EQ(result.status, CompareRecordsStatus::kFailed);
  EXPECT_FALSE(result.identical);
}

// A search that cannot be made used to end the loop and report a complete result.
TEST_F(CompareRecordsTest, AKeyColumnMissingFromTheTargetFailsTheRun) {
  input_.CompMethod = 1;
  input_.sides[1].key_columns = {"OrderNo", "No Field", "No Field"};
  const CompareRecordsResult result = Run(Table(Numbered(1, 2)), Table(Numbered(1, 2)));
  EXPECT_EQ(result, (CompareRecordsResult{CompareRecordsStatus::kFailed, 0, false}));
  EXPECT_EQ(env_.Log().substr(env_.Log().find("Exiting")),
            "Exiting CompareRecords, llngIndexRec = 1\r\n");
}

TEST_F(CompareRecordsTest, AnEmptySourceNeedsNoSearchAndListsTheTargetAsTargetOnly) {
  input_.CompMethod = 1;
  input_.sides[1].key_columns = {"No Field", "No Field", "No Field"};
  const CompareRecordsResult result = Run(Table({}), Table(Numbered(1, 2)));
  EXPECT_EQ(result, (CompareRecordsResult{CompareRecordsStatus::kCompleted, 2, false}));
  EXPECT_EQ(GridRows(), (Texts{"1 1 orange", "2 2 orange"}));
}

TEST_F(CompareRecordsTest, KeyMethodLeavesBothRecordsetsUnchanged) {
  input_.CompMethod = 1;
  ResultSet target = Table(Numbered(1, 3));
  input_.sides[0].record_count = 3;
  input_.sides[1].record_count = 3;
  opener_.results[{0, SourceRecordsQuery(input_.sides[0])}] = Table(Numbered(1, 3));
  // The opener hands out recordsets that share nothing with `kept`; check through a clone.
  Recordset kept(target);
  class SharingOpener final : public RecordsetOpener {
   public:
    SharingOpener(Recordset source, Recordset target) : source_(source), target_(target) {}
    std::optional<Recordset> Open(int side, std::string_view, bool) override {
      return side == 0 ? source_ : target_;
    }

   private:
    Recordset source_;
    Recordset target_;
  } sharing(Recordset(Table(Numbered(1, 3))), kept);
  const CompareRecordsResult result =
      CompareRecords(env_.context(), input_, sharing, progress_, grid_);
  EXPECT_TRUE(result.identical);
  EXPECT_EQ(kept.RecordCount(), 3);
}

// --- Queries, failures and Stop ----------------------------------------------------------------

TEST_F(CompareRecordsTest, QueriesSelectTheComparedColumnsInBracketsWithEachSidesOrder) {
  input_.sides[0].columns = {"ID", "Na]me"};
  input_.sides[0].order_by = " ORDER BY [ID] ";
  input_.sides[1].order_by = " ORDER BY [Code] ";
  EXPECT_EQ(ColumnQueryPrefix(input_.sides[0].columns), "SELECT [ID],[Na]]me] FROM");
  EXPECT_EQ(ColumnQueryPrefix({}), "SELECT * FROM");
  EXPECT_EQ(SourceRecordsQuery(input_.sides[0]),
            "SELECT [ID],[Na]]me] FROM [dbo].[Orders]  ORDER BY [ID] ");
  EXPECT_EQ(CandidateTargetQuery(input_.sides[0], input_.sides[1]),
            "SELECT [ID],[Na]]me] FROM [dbo].[Orders2]  ORDER BY [Code] ");
  EXPECT_EQ(OwnTargetQuery(input_.sides[1]),
            "SELECT [ID],[Name] FROM [dbo].[Orders2]  ORDER BY [Code] ");
}

TEST_F(CompareRecordsTest, TheCandidateTargetQueryIsProbedAndItsRowsUsed) {
  Run(Table(Numbered(1, 2)), Table(Numbered(1, 2)));
  EXPECT_EQ(opener_.opened,
            (std::vector<TableOpener::Call>{{1, "SELECT [ID],[Name] FROM [dbo].[Orders2]", true},
                                            {0, "SELECT [ID],[Name] FROM [dbo].[Orders]", false}}));
}

TEST_F(CompareRecordsTest, ATargetWithoutTheSourceColumnsIsReadWithItsOwnByPosition) {
  input_.sides[1].columns = {"Code", "Title", "Extra"};
  input_.sides[0].record_count = 1;
  input_.sides[1].record_count = 1;
  opener_.results[{0, SourceRecordsQuery(input_.sides[0])}] = Table({{1, "a"}});
  opener_.results[{1, OwnTargetQuery(input_.sides[1])}] =
      MakeTable({"Code", "Title", "Extra"}, {{I(1), T("a"), T("never compared")}});
  const CompareRecordsResult result =
      CompareRecords(env_.context(), input_, opener_, progress_, grid_);
  EXPECT_TRUE(result.identical);
  ASSERT_EQ(opener_.opened.size(), 3u);
  EXPECT_EQ(opener_.opened[2],
            (TableOpener::Call{1, "SELECT [Code],[Title],[Extra] FROM [dbo].[Orders2]", false}));
}

TEST_F(CompareRecordsTest, ASourceFieldTheTargetLacksComparesWithAnEmptyText) {
  input_.sides[1].columns = {"ID"};
  input_.sides[0].record_count = 2;
  input_.sides[1].record_count = 2;
  opener_.results[{0, SourceRecordsQuery(input_.sides[0])}] = Table({{1, "  "}, {2, "b"}});
  opener_.results[{1, OwnTargetQuery(input_.sides[1])}] = MakeTable({"ID"}, {{I(1)}, {I(2)}});
  const CompareRecordsResult result =
      CompareRecords(env_.context(), input_, opener_, progress_, grid_);
  EXPECT_EQ(result.different_records, 1);
  EXPECT_EQ(GridRows(), (Texts{"1 2 cyan", "1 2 yellow"}));
  EXPECT_EQ(grid_.rows()[1].cells, (std::vector<std::string>{"1", "2", ""}));
}

TEST_F(CompareRecordsTest, ARecordsetThatCannotBeOpenedFailsTheRun) {
  input_.sides[0].record_count = 2;
  input_.sides[1].record_count = 2;
  const CompareRecordsResult result =
      CompareRecords(env_.context(), input_, opener_, progress_, grid_);
  EXPECT_EQ(result, (CompareRecordsResult{CompareRecordsStatus::kFailed, 0, false}));
  EXPECT_EQ(env_.Log(),
            "03:04:05     Entering CompareRecords\r\n"
            "03:04:05     Exiting CompareRecords, llngIndexRec = 0\r\n");
  EXPECT_EQ(env_.ui().busy_changes, (std::vector<bool>{true, false}));
}

TEST_F(CompareRecordsTest, ATargetThatCannotBeReadAnyMoreFailsTheRun) {
  input_.sides[0].record_count = 2;
  input_.sides[1].record_count = 2;
  opener_.results[{0, SourceRecordsQuery(input_.sides[0])}] = Table(Numbered(1, 2));
  const CompareRecordsResult result =
      CompareRecords(env_.context(), input_, opener_, progress_, grid_);
  EXPECT_EQ(result, (CompareRecordsResult{CompareRecordsStatus::kFailed, 0, false}));
  EXPECT_EQ(opener_.opened.back(),
            (TableOpener::Call{1, "SELECT [ID],[Name] FROM [dbo].[Orders2]", false}));
  EXPECT_EQ(progress_.calls, (std::vector<std::string>{"reset", "stage 3", "stage 4"}));
}

// A query that fails while it is read (a dropped connection) fails the run wherever it happens:
// no verdict, no rows of the end, the failure shown once; the statistics only when the failure
// came while the rows of the end were listed.
TEST_F(CompareRecordsTest, AQueryThatFailsWhileItIsReadFailsTheRunAndIsReportedOnce) {
  struct Case {
    std::int32_t method;
    int side;
    std::size_t rows_read;  // rows read before the failure
    std::int32_t differences;
    bool statistics;
  };
  // Source 1..6, Target 1..4 and 9: row 3 differs, 5 and 6 are Source-only, 9 Target-only.
  for (const Case& c : {Case{1, 0, 0, 0, false}, Case{1, 0, 4, 1, false}, Case{1, 0, 6, 3, false},
                        Case{1, 1, 0, 0, false}, Case{1, 1, 3, 0, false}, Case{0, 0, 0, 0, false},
                        Case{0, 0, 3, 1, false}, Case{0, 1, 2, 0, false}, Case{0, 1, 4, 1, false},
                        Case{0, 0, 5, 3, true}}) {
    SCOPED_TRACE("method " + std::to_string(c.method) + ", side " + std::to_string(c.side) +
                 ", after " + std::to_string(c.rows_read) + " rows");
    env_.Reset();
    grid_ = DiffGrid();
    opener_ = TableOpener();
    opener_.read_failures[c.side] = c.rows_read;
    input_.CompMethod = c.method;
    auto target = Numbered(1, 4);
    target[2].second = "changed";
    target.emplace_back(9, "row 9");
    const CompareRecordsResult result = Run(Table(Numbered(1, 6)), Table(target));
    EXPECT_EQ(result, (CompareRecordsResult{CompareRecordsStatus::kFailed, c.differences, false}));
    const std::string query = c.side == 0 ? "SELECT [ID],[Name] FROM [dbo].[Orders]"
                                          : "SELECT [ID],[Name] FROM [dbo].[Orders2]";
    EXPECT_EQ(opener_.reported, (std::vector<std::string>{std::to_string(c.side) + " " + query +
                                                          ": Communication link failure"}));
    EXPECT_EQ(grid_.statistics()[2].empty(), !c.statistics);
    for (const DiffGridRow& row : grid_.rows()) {
      EXPECT_NE(row.background, kTargetOnlyColour);
      EXPECT_NE(row.cells[0], "6");  // the row after the failure is never listed
    }
  }
}

TEST_F(CompareRecordsTest, ValuesOfEveryKindAreComparedByTheirTextForm) {
  input_.sides[0].record_count = 1;
  input_.sides[1].record_count = 1;
  input_.sides[0].columns = {"B", "G", "D"};
  input_.sides[1].columns = input_.sides[0].columns;
  opener_.results[{0, SourceRecordsQuery(input_.sides[0])}] =
      MakeTable({"B", "G", "D"}, {{Value::Binary({0x0A, 0xFF}), Value::Guid("6F9619FF"),
                                   Value::DateTime({2024, 3, 7, 14, 5, 9, 0, true, true})}});
  opener_.results[{1, CandidateTargetQuery(input_.sides[0], input_.sides[1])}] =
      MakeTable({"B", "G", "D"}, {{T("0x0AFF"), T("6F9619FF"), T("2024-03-07 14:05:09")}});
  const CompareRecordsResult result =
      CompareRecords(env_.context(), input_, opener_, progress_, grid_);
  EXPECT_TRUE(result.identical);
}

TEST_F(CompareRecordsTest, StopAfterTheSourceIsReadEndsBeforeTheTargetStage) {
  env_.ui().stop_at_pump = 1;
  const CompareRecordsResult result = Run(Table(Numbered(1, 2)), Table(Numbered(1, 2)));
  EXPECT_EQ(result, (CompareRecordsResult{CompareRecordsStatus::kCancelled, 0, false}));
  EXPECT_EQ(progress_.calls, (std::vector<std::string>{"reset", "stage 3"}));
  EXPECT_TRUE(grid_.header().empty());
}

TEST_F(CompareRecordsTest, StopOnASourceOnlyRecordEndsTheKeyLoopWithoutTargetOnlyRows) {
  input_.CompMethod = 1;
  env_.ui().stop_at_pump = 3;  // after both opens, the first refresh
  const CompareRecordsResult result = Run(Table({{5, "a"}, {1, "b"}}), Table({{1, "b"}, {2, "c"}}));
  EXPECT_EQ(result.status, CompareRecordsStatus::kCancelled);
  EXPECT_FALSE(result.identical);
  EXPECT_EQ(GridRows(), (Texts{"1 5 green"}));
  EXPECT_EQ(env_.Log().substr(env_.Log().find("Exiting")),
            "Exiting CompareRecords, llngIndexRec = 1\r\n");
}

TEST_F(CompareRecordsTest, StopWhileTargetOnlyRecordsAreAddedLeavesTheRestOut) {
  env_.ui().stop_at_pump = 4;
  const CompareRecordsResult result = Run(Table(Numbered(1, 1)), Table(Numbered(1, 5)));
  EXPECT_EQ(result.status, CompareRecordsStatus::kCancelled);
  ASSERT_EQ(grid_.RowCount(), 4u);
  EXPECT_EQ(grid_.rows()[0].cells[0], "2");
  EXPECT_EQ(grid_.rows()[1].cells[0], "");
}

TEST_F(CompareRecordsTest, AStopRequestedBeforeTheRunIsNoticedAfterTheFirstOpen) {
  env_.context().cancel_requested = true;
  const CompareRecordsResult result = Run(Table(Numbered(1, 2)), Table(Numbered(1, 2)));
  EXPECT_EQ(result.status, CompareRecordsStatus::kCancelled);
  EXPECT_EQ(opener_.opened.size(), 2u);
}

}  // namespace
}  // namespace korvane::testing
