// The data analyzer without its window: the records field, the per-column query, counting by
// exact text, the report rows and a run with ignored columns, Stop and awkward names.
#include "dataview/data_analyzer.h"

#include <gtest/gtest.h>

#include "dataview_fixture.h"
#include "saved/ignored_columns.h"
#include "support/recording_user_interface.h"

namespace korvane {
namespace {

using testing::DataViewFixture;

TEST(DataAnalyzerTexts, CaptionAndHeaders) {
  EXPECT_EQ(AnalyzerCaption("Orders"), "Data Analyzer     Table: Orders");
  const std::vector<std::string> headers = AnalyzerHeaders();
  ASSERT_EQ(headers.size(), 23u);
  EXPECT_EQ(headers[0], "Column Name");
  EXPECT_EQ(headers[2], "Unique Values");
  EXPECT_EQ(headers[3], "Value 1");
  EXPECT_EQ(headers[4], "Count");
  EXPECT_EQ(headers[21], "Value 10");
  EXPECT_EQ(headers[22], "Count");
}

// The field shows "#,##0", so what it shows must read back as the same number.
TEST(RecordsFieldReadsItsOwnFormat, TextToRecords) {
  const std::pair<const char*, std::int64_t> cases[] = {
      {"1,000", 1000},
      {" 25 ", 25},
      {"1,234,567,890,123", 1234567890123},
      {"9223372036854775807", 9223372036854775807},
      {"9223372036854775808", 0},  // past 64 bits: all records
      {"99999999999999999999999", 0},
      {"", 0},
      {"abc", 0},
      {"-5", 0},
      {"12x", 0},
      {",", 0},
  };
  for (const auto& [text, records] : cases)
    EXPECT_EQ(ParseRecordsToAnalyze(text), records) << text;
}

TEST(DataAnalyzerRows, RowsToAnalyzeAndQueries) {
  const std::tuple<std::int64_t, std::int64_t, std::int64_t> rows[] = {
      {0, 50, 50}, {1, 50, 1}, {49, 50, 49}, {50, 50, 50}, {500, 50, 50}, {-3, 50, 50}};
  for (const auto& [records, count, read] : rows)
    EXPECT_EQ(RowsToAnalyze(records, count), read) << records;
  EXPECT_EQ(AnalyzerQuery("Name", "[dbo].[T]", 0, 10), "SELECT [Name] FROM [dbo].[T]");
  EXPECT_EQ(AnalyzerQuery("Name", "[dbo].[T]", 3, 10), "SELECT TOP 3 [Name] FROM [dbo].[T]");
  EXPECT_EQ(AnalyzerQuery("Name", "[dbo].[T]", 10, 10), "SELECT [Name] FROM [dbo].[T]");
}

TEST(AnalyzerQueryQuotesBracketsInColumnNames, ClosingBracketDoubled) {
  EXPECT_EQ(AnalyzerQuery("a]b", "[T]", 0, 5), "SELECT [a]]b] FROM [T]");
  EXPECT_EQ(AnalyzerQuery("[x]", "[T]", 2, 5), "SELECT TOP 2 [[x]]] FROM [T]");
}

TEST(ValueCounter, CountsExactTextsInFirstSeenOrder) {
  ValueCounter counter;
  for (const char* value : {"A", "a", "A", "Null", "b ", "b", "Null"})
    counter.Add(value);
  using Entry = ValueCounter::Entry;
  const auto texts = [](const std::vector<Entry>& entries) {
    std::vector<std::pair<std::string, std::int64_t>> out;
    for (const Entry& entry : entries)
      out.emplace_back(entry.text, entry.count);
    return out;
  };
  using Pairs = std::vector<std::pair<std::string, std::int64_t>>;
  EXPECT_EQ(texts(counter.entries()),
            (Pairs{{"A", 2}, {"a", 1}, {"Null", 2}, {"b ", 1}, {"b", 1}}));
  EXPECT_EQ(texts(counter.Sorted(false)),
            (Pairs{{"A", 2}, {"Null", 2}, {"a", 1}, {"b ", 1}, {"b", 1}}));
  EXPECT_EQ(texts(counter.Sorted(true)),
            (Pairs{{"a", 1}, {"b ", 1}, {"b", 1}, {"A", 2}, {"Null", 2}}));
}

TEST(AnalyzerRowCells, CountsFormattedAndMissingPairsEmpty) {
  AnalyzerRow row{"Qty", "int", 12345, {{"7", 1234}, {"x", 1}}};
  const std::vector<std::string> cells = row.Cells();
  ASSERT_EQ(cells.size(), 23u);
  EXPECT_EQ(cells[2], "12,345");
  EXPECT_EQ(cells[3], "7");
  EXPECT_EQ(cells[4], "1,234");
  EXPECT_EQ(cells[6], "1");
  EXPECT_EQ(cells[7], "");
  EXPECT_EQ(cells[22], "");
}

class DataAnalyzerRunTest : public DataViewFixture {
 protected:
  AnalyzerRun Run(const std::string& table, std::int64_t records = 0, bool least = false) {
    counted_ = CountViewedTable(*context_, Table(table));
    EXPECT_TRUE(counted_.opened);
    return RunAnalysis(*context_, counted_, kDatabase, table, 0, records, least, requests_,
                       nullptr);
  }

  static std::vector<std::vector<std::string>> Cells(const AnalyzerRun& run) {
    std::vector<std::vector<std::string>> cells;
    for (const AnalyzerRow& row : run.rows) {
      std::vector<std::string> all = row.Cells();
      all.resize(9);  // name, type, unique values and the first three pairs
      cells.push_back(all);
    }
    return cells;
  }

  void SetUp() override {
    Load(
        "CREATE TABLE Letters (Code varchar(5) NULL, [a]]b] int NULL, Stamp int NULL)\n"
        "INSERT INTO Letters VALUES ('A', 1, 10)\n"
        "INSERT INTO Letters VALUES ('a', 1, 11)\n"
        "INSERT INTO Letters VALUES ('A', 2, 12)\n"
        "INSERT INTO Letters VALUES (NULL, 1, 13)\n"
        "INSERT INTO Letters VALUES ('Null', NULL, 14)\nGO\n");
  }

  CountedTable counted_;
  AnalyzerRequests requests_;
};

TEST_F(DataAnalyzerRunTest, CountsCaseApartAndNullWithTheTextNull) {
  using Rows = std::vector<std::vector<std::string>>;
  EXPECT_EQ(Cells(Run("Letters")),
            (Rows{{"Code", "varchar (5)", "3", "A", "2", "Null", "2", "a", "1"},
                  {"a]b", "int", "3", "1", "3", "2", "1", "Null", "1"},
                  {"Stamp", "int", "5", "10", "1", "11", "1", "12", "1"}}));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataAnalyzerRunTest, RecordsBoundTheRowsAndLeastReversesTheOrder) {
  const AnalyzerRun run = Run("Letters", 3, /*least=*/true);
  EXPECT_EQ(Cells(run)[0],
            (std::vector<std::string>{"Code", "varchar (5)", "2", "a", "1", "A", "2", "", ""}));
  // 0 and more than the count read every row.
  for (const std::int64_t records : {0, 5, 99})
    EXPECT_EQ(Cells(Run("Letters", records))[2][2], "5") << records;
}

TEST_F(DataAnalyzerRunTest, IgnoredColumnsAreLeftOut) {
  testing::RecordingUserInterface recording;
  ASSERT_TRUE(SaveIgnoredColumns(context_->locations, IgnoredColumnsKind::DataAnalysis,
                                 "embedded:views.Shop.Letters", {"code", "STAMP"}, recording));
  const AnalyzerRun run = Run("Letters");
  ASSERT_EQ(run.rows.size(), 1u);
  EXPECT_EQ(run.rows[0].column, "a]b");
}

TEST_F(DataAnalyzerRunTest, ColumnInterruptedByStopGetsNoRow) {
  // Five rows per column: the seventh pump is the second row of the second column.
  ui_.on_pump = [this](int pump) { requests_.stop = pump == 7; };
  const AnalyzerRun run = Run("Letters");
  EXPECT_TRUE(run.stopped);
  ASSERT_EQ(run.rows.size(), 1u);
  EXPECT_EQ(run.rows[0].column, "Code");
}

TEST_F(DataAnalyzerRunTest, ExportGridHoldsTheReport) {
  const AnalyzerRun run = Run("Letters");
  const DiffGrid grid = AnalyzerGrid(run.rows);
  ASSERT_EQ(grid.RowCount(), 3u);
  EXPECT_EQ(grid.header().size(), 24u);  // the row number, then the 23 report columns
  EXPECT_EQ(grid.rows()[1].cells[1], "a]b");
  EXPECT_EQ(AnalyzerExportPage(counted_, "Letters").caption, "Data Analyzer     Table: Letters");
}

}  // namespace
}  // namespace korvane
