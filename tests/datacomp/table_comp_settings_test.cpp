#include "datacomp/table_comp_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/files.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;
using testing::WriteFile;

constexpr std::string_view kSource = "DEV01.Sales.Orders";
constexpr std::string_view kTarget = "PROD.Sales.Orders";

DataCompareSide Side(std::array<std::string, 3> sort_keys, std::int32_t offset,
                     std::array<std::string, 3> key_columns) {
  return DataCompareSide{std::move(sort_keys), offset, std::move(key_columns)};
}

class TableCompSettingsTest : public ::testing::Test {
 protected:
  ScratchFolder folder_;
  std::filesystem::path file_ = folder_ / "Documents" / "kvn_tables_comps.ini";
};

TEST_F(TableCompSettingsTest, SavedOptionsGiveOneSectionPerSideInWritingOrder) {
  DataCompareOptions options;
  options.CompMethod = kCompMethodPrimaryKey;
  options.sides[0] = Side({"OrderID", "Qty", ""}, 3, {"OrderID", "No Field", "No Field"});
  options.sides[1] = Side({"OrderNo", "", ""}, 0, {"OrderNo", "No Field", "No Field"});
  ASSERT_TRUE(StoreDataCompareOptions(file_, kSource, kTarget, options));
  EXPECT_EQ(ReadFile(file_),
            "[DEV01.Sales.Orders]\r\n"
            "PrimarySortKey=OrderID\r\n"
            "SecondarySortKey=Qty\r\n"
            "TertiarySortKey=\r\n"
            "OffsetStartRec=3\r\n"
            "DbType=SQL Server\r\n"
            "CompMethod=1\r\n"
            "CompKey=OrderID\r\n"
            "SecondaryCompKey=No Field\r\n"
            "TertiaryCompKey=No Field\r\n"
            "IgnoreColumn=\r\n"
            "[PROD.Sales.Orders]\r\n"
            "PrimarySortKey=OrderNo\r\n"
            "SecondarySortKey=\r\n"
            "TertiarySortKey=\r\n"
            "OffsetStartRec=0\r\n"
            "DbType=SQL Server\r\n"
            "CompMethod=1\r\n"
            "CompKey=OrderNo\r\n"
            "SecondaryCompKey=No Field\r\n"
            "TertiaryCompKey=No Field\r\n");
}

TEST_F(TableCompSettingsTest, DefaultOrderStoresNoSortKeys) {
  DataCompareOptions options;
  options.use_default_order = true;
  options.sides[0].sort_keys = {"Stale", "", ""};
  ASSERT_TRUE(StoreDataCompareOptions(file_, kSource, kTarget, options));
  EXPECT_EQ(ReadTableCompSettings(file_, kSource).side.sort_keys,
            (std::array<std::string, 3>{"", "", ""}));
}

TEST_F(TableCompSettingsTest, SaveReplacesValuesInPlaceAndKeepsOtherKeysAndSections) {
  WriteFile(file_,
            "; kept comment\r\n"
            "[Other.Db.T]\r\n"
            "CompMethod=1\r\n"
            "[dev01.sales.orders]\r\n"
            "CompKey=Old\r\n"
            "Custom=kept\r\n"
            "PrimarySortKey=Old\r\n");
  TableCompSettings settings;
  settings.side = Side({"New", "", ""}, 7, {"No Field", "", ""});
  ASSERT_TRUE(WriteTableCompSettings(file_, kSource, settings, /*is_source=*/false));
  EXPECT_EQ(ReadFile(file_),
            "; kept comment\r\n"
            "[Other.Db.T]\r\n"
            "CompMethod=1\r\n"
            "[dev01.sales.orders]\r\n"
            "CompKey=No Field\r\n"
            "Custom=kept\r\n"
            "PrimarySortKey=New\r\n"
            "SecondarySortKey=\r\n"
            "TertiarySortKey=\r\n"
            "OffsetStartRec=7\r\n"
            "DbType=SQL Server\r\n"
            "CompMethod=0\r\n"
            "SecondaryCompKey=\r\n"
            "TertiaryCompKey=\r\n");
}

TEST_F(TableCompSettingsTest, TableNeverConfiguredReadsRecordByRecordInTableOrderFromTheStart) {
  EXPECT_EQ(ReadTableCompSettings(file_, kSource), TableCompSettings{});
  EXPECT_FALSE(std::filesystem::exists(file_));
  WriteFile(file_, "[Other.Db.T]\r\nCompMethod=1\r\nOffsetStartRec=9\r\n");
  const DataCompareOptions options = ReadStoredDataCompareOptions(file_, kSource, kTarget);
  EXPECT_EQ(options, DataCompareOptions{});
  EXPECT_FALSE(options.use_default_order);
}

TEST_F(TableCompSettingsTest, WrittenSettingsReadBackUnchanged) {
  TableCompSettings settings;
  settings.CompMethod = kCompMethodPrimaryKey;
  settings.side = Side({"  Padded ", "it's", "a=b"}, 2147483647, {"Order]Id", "\"q\"", "Größe"});
  ASSERT_TRUE(WriteTableCompSettings(file_, kTarget, settings, /*is_source=*/false));
  EXPECT_EQ(ReadTableCompSettings(file_, kTarget), settings);
  EXPECT_EQ(ReadTableCompSettings(file_, "prod.SALES.orders"), settings);
}

TEST_F(TableCompSettingsTest, IgnoreColumnIsWrittenInSourceSectionsOnly) {
  ASSERT_TRUE(WriteTableCompSettings(file_, kTarget, {}, /*is_source=*/false));
  EXPECT_EQ(ReadFile(file_).find("IgnoreColumn"), std::string::npos);
  ASSERT_TRUE(WriteTableCompSettings(file_, kSource, {}, /*is_source=*/true));
  const std::string text = ReadFile(file_);
  const std::size_t source = text.find("[DEV01.Sales.Orders]\r\n");
  ASSERT_NE(source, std::string::npos);
  EXPECT_EQ(text.find("IgnoreColumn"), text.rfind("IgnoreColumn"));
  EXPECT_GT(text.find("IgnoreColumn=\r\n"), source);
}

TEST_F(TableCompSettingsTest, TargetSectionDecidesTheMethodOfAStoredRun) {
  WriteFile(file_,
            "[DEV01.Sales.Orders]\r\nCompMethod=1\r\nCompKey=OrderID\r\nOffsetStartRec=4\r\n"
            "[PROD.Sales.Orders]\r\nCompMethod=0\r\nCompKey=No Field\r\n"
            "PrimarySortKey=OrderID\r\n");
  DataCompareOptions options = ReadStoredDataCompareOptions(file_, kSource, kTarget);
  EXPECT_EQ(options.CompMethod, kCompMethodRecordByRecord);
  EXPECT_EQ(options.sides[0].key_columns[0], "OrderID");
  EXPECT_EQ(options.sides[0].offset, 4);
  EXPECT_EQ(options.sides[1].key_columns[0], "No Field");
  EXPECT_EQ(options.sides[1].sort_keys[0], "OrderID");
  EXPECT_EQ(options.sides[0].sort_keys[0], "");

  options = ReadStoredDataCompareOptions(file_, kTarget, kSource);
  EXPECT_EQ(options.CompMethod, kCompMethodPrimaryKey);
}

TEST_F(TableCompSettingsTest, NumbersReadAsLeadingWholeNumbers) {
  const auto read = [&](const std::string& offset, const std::string& method) {
    WriteFile(file_, "[S.D.T]\r\nOffsetStartRec=" + offset + "\r\nCompMethod=" + method + "\r\n");
    return ReadTableCompSettings(file_, "S.D.T");
  };
  EXPECT_EQ(read("12abc", "1x").side.offset, 12);
  EXPECT_EQ(read("12abc", "1x").CompMethod, 1);
  EXPECT_EQ(read(" +25", "+1").side.offset, 25);
  EXPECT_EQ(read(" +25", "+1").CompMethod, 1);
  // Offsets beyond 16 bits survive; the dialog accepts any number of digits.
  EXPECT_EQ(read("40000", "0").side.offset, 40000);
  EXPECT_EQ(read("2147483647", "0").side.offset, 2147483647);
  EXPECT_EQ(read("2147483648", "0").side.offset, 0);
  EXPECT_EQ(read("99999999999999999999", "0").side.offset, 0);
  EXPECT_EQ(read("-5", "0").side.offset, 0);
  EXPECT_EQ(read("abc", "").side.offset, 0);
  // Only 1 is the key method; anything else compares record by record.
  EXPECT_EQ(read("0", "2").CompMethod, 0);
  EXPECT_EQ(read("0", "-1").CompMethod, 0);
  EXPECT_EQ(read("0", "01").CompMethod, 1);
}

TEST_F(TableCompSettingsTest, TextsAreCutAt255Characters) {
  const std::string long_name(300, 'x');
  std::string umlauts;
  for (int i = 0; i < 300; ++i)
    umlauts += "ä";
  WriteFile(file_, "[S.D.T]\r\nPrimarySortKey=" + long_name + "\r\nCompKey=" + umlauts + "\r\n");
  const TableCompSettings settings = ReadTableCompSettings(file_, "S.D.T");
  EXPECT_EQ(settings.side.sort_keys[0], std::string(255, 'x'));
  std::string expected;
  for (int i = 0; i < 255; ++i)
    expected += "ä";
  EXPECT_EQ(settings.side.key_columns[0], expected);
}

TEST_F(TableCompSettingsTest, ValueThatCannotBeStoredFailsButTheOthersAreWritten) {
  TableCompSettings settings;
  settings.side = Side({"Line\r\nBreak", "", ""}, 5, {"K", "", ""});
  EXPECT_FALSE(WriteTableCompSettings(file_, kSource, settings, /*is_source=*/true));
  const TableCompSettings read = ReadTableCompSettings(file_, kSource);
  EXPECT_EQ(read.side.sort_keys[0], "");
  EXPECT_EQ(read.side.offset, 5);
  EXPECT_EQ(read.side.key_columns[0], "K");
}

TEST_F(TableCompSettingsTest, UnreadableFileIsNeverReplaced) {
  std::filesystem::create_directories(file_);  // a folder where the file should be
  EXPECT_FALSE(WriteTableCompSettings(file_, kSource, {}, true));
  EXPECT_FALSE(StoreDataCompareOptions(file_, kSource, kTarget, {}));
  EXPECT_TRUE(std::filesystem::is_directory(file_));
  EXPECT_EQ(ReadTableCompSettings(file_, kSource), TableCompSettings{});
  EXPECT_FALSE(StoreDataCompareOptions({}, kSource, kTarget, {}));
}

// Regression: the file was read, changed and replaced without a lock, so two runs storing
// options at once lost one run's section.
TEST_F(TableCompSettingsTest, LockedFileIsLeftAlone) {
  WriteFile(file_, "[S]\r\nCompMethod=1\r\n");
  std::string error;
  const auto other_run = FileLock::Acquire(file_, error, std::chrono::milliseconds(0));
  ASSERT_TRUE(other_run.has_value());
  ::setenv("KORVANE_LOCK_TIMEOUT_MS", "0", 1);
  EXPECT_FALSE(WriteTableCompSettings(file_, kSource, {}, true));
  EXPECT_FALSE(StoreDataCompareOptions(file_, kSource, kTarget, {}));
  ::unsetenv("KORVANE_LOCK_TIMEOUT_MS");
  EXPECT_EQ(ReadFile(file_), "[S]\r\nCompMethod=1\r\n");
}

TEST_F(TableCompSettingsTest, StoringTheSameOptionsAgainLeavesTheFileAsItIs) {
  DataCompareOptions options;
  options.sides[0].sort_keys = {"A", "B", ""};
  ASSERT_TRUE(StoreDataCompareOptions(file_, kSource, kTarget, options));
  const std::string first = ReadFile(file_);
  ASSERT_TRUE(StoreDataCompareOptions(file_, kSource, kTarget, options));
  EXPECT_EQ(ReadFile(file_), first);
  std::vector<std::string> entries;
  for (const auto& entry : std::filesystem::directory_iterator(file_.parent_path()))
    entries.push_back(entry.path().filename().string());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries,
            (std::vector<std::string>{"kvn_tables_comps.ini", "kvn_tables_comps.ini.lock"}));
}

}  // namespace
}  // namespace korvane
