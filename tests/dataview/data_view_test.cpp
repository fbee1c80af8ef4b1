// The data view without its window: opening (count, messages, labels), loading row by row with
// Stop and Exit, the grid that reads loaded rows in place, auto-scroll, and its export page.
#include "dataview/data_view.h"

#include <gtest/gtest.h>

#include "dataview_fixture.h"
#include "db/data_access.h"
#include "export/html_export.h"

namespace korvane {
namespace {

using testing::DataViewFixture;

// Records what a window would show while the rows load.
class RecordingProgress final : public DataViewProgress {
 public:
  void ShowRow(std::int64_t row, std::string_view text, int percent,
               std::string_view elapsed) override {
    shown.push_back(row);
    last_text = text;
    last_percent = percent;
    last_elapsed = elapsed;
  }
  void RowLoaded(std::int64_t row) override { loaded.push_back(row); }
  void ScrollTo(std::int64_t top) override { tops.push_back(top); }

  std::vector<std::int64_t> shown;
  std::vector<std::int64_t> loaded;
  std::vector<std::int64_t> tops;
  std::string last_text;
  int last_percent = -1;
  std::string last_elapsed;
};

class DataViewTest : public DataViewFixture {
 protected:
  // Opens `table` and loads it, pressing Stop (or Exit) on event pump `stop_at` (0: never).
  DataViewLoad OpenAndLoad(const std::string& table, int stop_at = 0, bool exit = false) {
    counted_ = CountViewedTable(*context_, Table(table));
    EXPECT_TRUE(counted_.opened);
    ui_.on_pump = [this, stop_at, exit](int pump) {
      if (pump == stop_at)
        (exit ? requests_.exit : requests_.stop) = true;
    };
    return LoadDataView(*context_, counted_, kDatabase, table, 0, grid_, requests_, &progress_);
  }

  CountedTable counted_;
  DataViewGrid grid_;
  DataViewRequests requests_;
  RecordingProgress progress_;
};

TEST_F(DataViewTest, OneRowTableOpensWithItsCountAndOneNumberedRow) {
  Load(
      "CREATE TABLE Single (Id int NOT NULL, Note varchar(10) NULL)\n"
      "INSERT INTO Single VALUES (7, NULL)\nGO\n");
  const DataViewLoad load = OpenAndLoad("Single");
  EXPECT_EQ(counted_.label, "Table: Single (Database: Shop, Server: embedded:views)");
  EXPECT_EQ(DataViewStatistics(counted_.count), "Number of records: 1");
  EXPECT_EQ(grid_.header(), (std::vector<std::string>{"Row", "Id", "Note"}));
  ASSERT_EQ(grid_.RowCount(), 1);
  EXPECT_EQ(load.loaded, 1);
  EXPECT_EQ(load.loaded_record_number, 2);
  EXPECT_FALSE(load.stopped);
  EXPECT_EQ(grid_.Cell(1, 0), "1");
  EXPECT_EQ(grid_.Cell(1, 1), "7");
  EXPECT_EQ(grid_.Cell(1, 2), "Null");  // a Null reads as the text Null
  EXPECT_EQ(progress_.last_text, "1");
  EXPECT_EQ(progress_.last_percent, 100);
  EXPECT_EQ(progress_.last_elapsed, "00:00:00");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataViewTest, EmptyMissingAndDroppedTablesAreReportedAndNothingOpens) {
  Load("CREATE TABLE Nothing (Id int NOT NULL)\nGO\n");
  struct Case {
    const char* table;
    const char* message;
    MessageIcon icon;
  };
  const Case cases[] = {
      {"Nothing", "Table Nothing doesn't contain any data.", MessageIcon::kInformation},
      {"Gone", "Error while reading data from table Gone.", MessageIcon::kExclamation},
  };
  for (const Case& c : cases) {
    ui_.messages.clear();
    const CountedTable counted = CountViewedTable(*context_, Table(c.table));
    EXPECT_FALSE(counted.opened) << c.table;
    ASSERT_EQ(ui_.messages.size(), 1u) << c.table;
    EXPECT_EQ(ui_.messages[0].text, c.message);
    EXPECT_EQ(ui_.messages[0].icon, c.icon);
    EXPECT_EQ(ui_.messages[0].title, "View Data");
  }
}

TEST_F(DataViewTest, TableDroppedBetweenCountAndReadLoadsNothingAndSaysSo) {
  Load(NumberedTable("Brief", 3) + "CREATE TABLE Keep (Id int)\nGO\n");
  counted_ = CountViewedTable(*context_, Table("Brief"));
  ASSERT_TRUE(counted_.opened);
  ASSERT_FALSE(SQL_Execute(*context_, context_->CurrentServers[kSource], CommandType::kText,
                           "DROP TABLE Brief", kDatabase)
                   .failed());
  const DataViewLoad load =
      LoadDataView(*context_, counted_, kDatabase, "Brief", 0, grid_, requests_, &progress_);
  EXPECT_TRUE(load.query_failed);
  EXPECT_EQ(load.loaded, 0);
  EXPECT_EQ(grid_.LoadedRows(), 0);
  ASSERT_FALSE(ui_.messages.empty());  // the connection layer's failure message
  EXPECT_NE(ui_.messages.back().text.find("Server connection failed."), std::string::npos);
}

TEST_F(DataViewTest, StopAfterAHundredRowsKeepsThemAndEmptyRowsBelow) {
  Load(NumberedTable("Many", 300));
  const DataViewLoad load = OpenAndLoad("Many", /*stop_at=*/101);
  EXPECT_TRUE(load.stopped);
  EXPECT_EQ(load.loaded, 100);
  EXPECT_EQ(load.loaded_record_number, 101);
  EXPECT_EQ(grid_.RowCount(), 300);  // the grid keeps the count's rows
  EXPECT_EQ(grid_.LoadedRows(), 100);
  EXPECT_EQ(grid_.Cell(100, 0), "100");
  EXPECT_EQ(grid_.Cell(100, 2), "n100");
  EXPECT_EQ(grid_.Cell(101, 0), "");
  EXPECT_EQ(grid_.Cell(300, 1), "");
  EXPECT_EQ(progress_.tops.back(), 1);  // scrolled back to the first row
  EXPECT_EQ(grid_.LoadedGrid().RowCount(), 100u);
}

TEST_F(DataViewTest, ExitEndsTheLoadWithoutScrollingBack) {
  Load(NumberedTable("Many", 50));
  const DataViewLoad load = OpenAndLoad("Many", /*stop_at=*/10, /*exit=*/true);
  EXPECT_TRUE(load.stopped);
  EXPECT_EQ(load.loaded, 9);
  EXPECT_TRUE(progress_.tops.empty() || progress_.tops.back() != 1);
}

TEST_F(DataViewTest, AutoScrollKeepsTheLoadingRowFortyRowsBelowTheTop) {
  Load(NumberedTable("Many", 130));
  OpenAndLoad("Many");
  // Every 40th row past the first 40, then back to row 1 at the end.
  EXPECT_EQ(progress_.tops, (std::vector<std::int64_t>{40, 80, 1}));
  EXPECT_EQ(progress_.loaded.size(), 130u);
  EXPECT_EQ(progress_.last_text, "130");
}

TEST_F(DataViewTest, AutoScrollTopsAndRowColours) {
  const std::pair<std::int64_t, std::optional<std::int64_t>> tops[] = {
      {1, std::nullopt}, {40, std::nullopt}, {41, std::nullopt}, {80, 40}, {120, 80}};
  for (const auto& [row, top] : tops)
    EXPECT_EQ(AutoScrollTop(row), top) << row;
  EXPECT_EQ(DataViewRowColour(1), (Rgb{255, 255, 128}));
  EXPECT_EQ(DataViewRowColour(2), (Rgb{0, 255, 255}));
  EXPECT_EQ(DataViewStatistics(1234567), "Number of records: 1,234,567");
}

TEST_F(DataViewTest, AwkwardNamesAndTypesReadUnderTheCountedName) {
  Load(
      "CREATE TABLE [we]]ird.na'me] ([a]]b] int NULL, [Ünï] nvarchar(10) NULL, "
      "[bin] varbinary(4) NULL, [long] text NULL)\n"
      "INSERT INTO [we]]ird.na'me] VALUES (1, N'ÄÖ', 0x0A1B, 'tab\there')\nGO\n");
  const DataViewLoad load = OpenAndLoad("we]ird.na'me");
  ASSERT_EQ(load.loaded, 1);
  EXPECT_EQ(grid_.header(), (std::vector<std::string>{"Row", "a]b", "Ünï", "bin", "long"}));
  EXPECT_EQ(grid_.Cell(1, 2), "ÄÖ");
  EXPECT_EQ(grid_.Cell(1, 3), "0x0A1B");
  EXPECT_EQ(grid_.Cell(1, 4), "tab\there");
}

TEST_F(DataViewTest, ExportPageReportsTheLoadedRows) {
  Load(NumberedTable("Many", 5));
  const DataViewLoad load = OpenAndLoad("Many", /*stop_at=*/4);
  const HtmlExportPage page = DataViewExportPage(counted_, load, DataViewStatistics(5));
  const std::vector<std::string> lines = HtmlLines(grid_.LoadedGrid(), page);
  ASSERT_GT(lines.size(), 3u);
  EXPECT_EQ(lines[2],
            "<p align='center'><b> View Data</b><p> Table: Many (Database: Shop, Server: "
            "embedded:views)<br> <br> Number of records loaded: 3Number of records: 5<p>");
}

}  // namespace
}  // namespace korvane
