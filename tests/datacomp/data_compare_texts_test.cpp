// The texts of a data comparison run and of its windows, byte for byte.
#include "datacomp/data_compare_texts.h"

#include <gtest/gtest.h>

#include <chrono>

#include "base/clock.h"
#include "datacomp/compare_status.h"
#include "datacomp/data_compare_options.h"
#include "datacomp/data_differences_window.h"

namespace korvane {
namespace {

TEST(DataCompareTextsTest, IgnoredColumnsText) {
  EXPECT_EQ(IgnoredColumnsText({}, {}), "");
  EXPECT_EQ(IgnoredColumnsText({"Price"}, {}), "Column ignored during comparison: Source - Price");
  EXPECT_EQ(IgnoredColumnsText({}, {"Price"}), "Column ignored during comparison: Target - Price");
  EXPECT_EQ(IgnoredColumnsText({"Price", "Name"}, {}),
            "Columns ignored during comparison: Source - Price,Name");
  EXPECT_EQ(IgnoredColumnsText({"A", "B"}, {"C"}),
            "Columns ignored during comparison: Source - A,B Target - C");
}

TEST(DataCompareTextsTest, Outcomes) {
  EXPECT_EQ(IdenticalOutcome(""), "Data stored in both tables is identical.");
  EXPECT_EQ(IdenticalOutcome("Column ignored during comparison: Source - Price"),
            "Data stored in both tables is identical.\r\n"
            "Column ignored during comparison: Source - Price");
  EXPECT_EQ(DifferencesOutcome(1234567, 1000, 0, ""),
            "Number of records in first table: 1,234,567\r\n"
            "Number of records in second table: 1,000\r\n"
            "Number of different records: 0");
  EXPECT_EQ(DifferencesOutcome(4, 5, 2, "Column ignored during comparison: Target - X"),
            "Number of records in first table: 4\r\n"
            "Number of records in second table: 5\r\n"
            "Number of different records: 2\r\n"
            "Column ignored during comparison: Target - X");
  EXPECT_EQ(RecordCountsLog(1234, 0), "llngRecsCount1 = 1234, llngRecsCount2 = 0");
}

TEST(DataCompareTextsTest, NoteMessage) {
  EXPECT_EQ(NotAllDifferencesShownMessage(150000, 5000),
            "Not all records will be shown in the table displaying differences between two "
            "selected tables.\r\n\r\n"
            "There are 150,000 differences found by the program.\r\n\r\n"
            "Please note that program's setting for maximum number of records displayed in "
            "differences table is currently set to 5,000.\r\n\r\n"
            "Since there is more different records than it is currently allowed to be shown in "
            "the table, only first 5,000 records will be shown.\r\n\r\n"
            "If you wish to increase the number of records shown in differences table, please "
            "click menu item Tools -> Options, click tab 'Rows to Display', change the maximum "
            "number of rows and click button 'OK'.");
}

TEST(DifferencesWindowTest, CaptionAndLabels) {
  EXPECT_EQ(DifferencesWindowCaption("Orders", "Orders2"),
            "Differences between data in tables 'Orders' and 'Orders2'");
  EXPECT_EQ(DifferencesTableLabel(kSourceTableLabel, "Orders", "Sales", "DEV01"),
            "Source Table: Orders (Database: Sales, Server: DEV01)");
  EXPECT_EQ(DifferencesTableLabel(kTargetTableLabel, "Orders", "Sales", "DEV02"),
            "Target Table: Orders (Database: Sales, Server: DEV02)");
  EXPECT_EQ(NotAllShownLabel(5000), "Only first 5,000 different records are shown");
}

TEST(DifferencesWindowTest, InformationLabel) {
  const std::array<std::array<std::string, 3>, 2> keys = {
      std::array<std::string, 3>{"OrderID", "Line", "No Field"},
      std::array<std::string, 3>{"OrderNo", "LineNo", "Extra"}};
  EXPECT_EQ(ComparisonInformationLabel(kCompMethodRecordByRecord, keys),
            "Comparison method: Record by Record");
  EXPECT_EQ(ComparisonInformationLabel(kCompMethodPrimaryKey, keys),
            "Comparison method: Primary Key \r\n"
            "Source PK: OrderID, Line\r\n"
            "Target PK: OrderNo, LineNo, Extra");
  // A tertiary key without a secondary is not used, so it is not named.
  const std::array<std::array<std::string, 3>, 2> gap = {
      std::array<std::string, 3>{"A", "", "C"}, std::array<std::string, 3>{"A", "No Field", "C"}};
  EXPECT_EQ(ComparisonInformationLabel(kCompMethodPrimaryKey, gap),
            "Comparison method: Primary Key \r\nSource PK: A\r\nTarget PK: A");
}

TEST(DifferencesWindowTest, IgnoredColumnsLabel) {
  EXPECT_EQ(IgnoredColumnsLabel({}, {}), "");
  EXPECT_EQ(IgnoredColumnsLabel({}, {"Price"}), "Ignored Column: Price");
  EXPECT_EQ(IgnoredColumnsLabel({"Price"}, {"Price"}), "NOTE: 2 columns were ignored.");

  DataDifferencesWindow window;
  ShowUpDifferencesWindow(window, kCompMethodRecordByRecord, {}, {"A", "B"}, {"C"});
  EXPECT_TRUE(window.ignored_columns_visible);
  EXPECT_EQ(window.ignored_columns_label, "NOTE: 3 columns were ignored.");
  ShowUpDifferencesWindow(window, kCompMethodRecordByRecord, {}, {}, {});
  EXPECT_FALSE(window.ignored_columns_visible);
}

TEST(CompareStatusTest, StagesAndElapsedTime) {
  ManualClock clock;
  CompareStatus status(clock);
  status.Load({"S", "T"}, {"Sdb", "Tdb"}, {"St", "Tt"});
  status.ShowStage(kCountingSourceStage);
  status.ShowCount(0, "1,234");
  status.ShowStage(kCountingTargetStage);
  EXPECT_EQ(status.state().count_labels, (std::array<std::string, 2>{"1,234", "Counting..."}));
  status.ShowStage(kReadingSourceStage);
  EXPECT_EQ(status.state().status, "Getting data from first table...");
  EXPECT_TRUE(status.state().status_visible);
  EXPECT_FALSE(status.state().gauge_visible);
  status.ShowStage(kReadingTargetStage);
  EXPECT_EQ(status.state().status, "Getting data from second table...");
  status.ShowStage(kComparingStage);
  EXPECT_FALSE(status.state().status_visible);
  EXPECT_TRUE(status.state().gauge_visible);
  EXPECT_TRUE(status.state().elapsed_visible);
  status.ShowProgress("12", 140);
  EXPECT_EQ(status.state().gauge_percent, 100);
  EXPECT_EQ(status.state().current_record_label, "12");
  clock.Advance(std::chrono::seconds(3725));
  status.UpdateTimeElapsed();
  EXPECT_EQ(status.state().elapsed, "01:02:05");
}

}  // namespace
}  // namespace korvane
