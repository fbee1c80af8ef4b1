#include "datacomp/data_compare_run_options.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/settings.h"
#include "datacomp/table_comp_settings.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ScratchFolder;
using testing::WriteFile;

constexpr std::string_view kSource = "DEV01.Sales.Orders";
constexpr std::string_view kTarget = "PROD.Sales.Orders";

TEST(DataCompareRunOptionsTest, DialogIsShownWhenSettingOrRequestAsksAndNeverUnattended) {
  EXPECT_TRUE(ShouldShowDataCompareOptions(false, true, false));
  EXPECT_TRUE(ShouldShowDataCompareOptions(false, false, true));
  EXPECT_TRUE(ShouldShowDataCompareOptions(false, true, true));
  EXPECT_FALSE(ShouldShowDataCompareOptions(false, false, false));
  EXPECT_FALSE(ShouldShowDataCompareOptions(true, true, true));
  EXPECT_FALSE(ShouldShowDataCompareOptions(true, true, false));
  EXPECT_FALSE(ShouldShowDataCompareOptions(true, false, true));
}

TEST(DataCompareRunOptionsTest, EachSideGetsTheOrderByOfItsOwnSortKeys) {
  DataCompareOptions options;
  options.sides[0].sort_keys = {"OrderID", "", "Qty"};
  options.sides[1].sort_keys = {"", "Ignored", ""};
  const DataCompareRunOptions run = WithOrderBy(options);
  EXPECT_EQ(run.options, options);
  EXPECT_EQ(run.source_order_by, " ORDER BY [OrderID] ");
  EXPECT_EQ(run.target_order_by, "");
}

TEST(DataCompareRunOptionsTest, DefaultOrderBuildsNoOrderByForEitherSide) {
  DataCompareOptions options;
  options.use_default_order = true;
  options.sides[0].sort_keys = {"OrderID", "", ""};
  options.sides[1].sort_keys = {"OrderID", "Qty", ""};
  const DataCompareRunOptions run = WithOrderBy(options);
  EXPECT_EQ(run.source_order_by, "");
  EXPECT_EQ(run.target_order_by, "");
}

class ChooseDataCompareOptionsTest : public ::testing::Test {
 protected:
  std::optional<DataCompareRunOptions> Choose(bool unattended) {
    return ChooseDataCompareOptions(store_, file_, kSource, kTarget, unattended, requested_,
                                    [this]() {
                                      ++dialogs_shown_;
                                      return dialog_result_;
                                    });
  }

  ScratchFolder folder_;
  SettingsStore store_{folder_ / "settings.reg"};
  std::filesystem::path file_ = folder_ / "kvn_tables_comps.ini";
  bool requested_ = false;
  int dialogs_shown_ = 0;
  std::optional<DataCompareOptions> dialog_result_;
};

TEST_F(ChooseDataCompareOptionsTest, DialogResultIsUsedWhenShownAndCancelAbandonsTheRun) {
  DataCompareOptions chosen;
  chosen.CompMethod = kCompMethodPrimaryKey;
  chosen.sides[0].sort_keys = {"A", "B", ""};
  chosen.sides[1].key_columns = {"K", "No Field", "No Field"};
  dialog_result_ = chosen;
  const std::optional<DataCompareRunOptions> run = Choose(false);  // ShowDataCompOpt is on
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(dialogs_shown_, 1);
  EXPECT_EQ(run->options, chosen);
  EXPECT_EQ(run->source_order_by, " ORDER BY [A], [B] ");
  EXPECT_EQ(run->target_order_by, "");

  dialog_result_.reset();
  EXPECT_FALSE(Choose(false).has_value());
  EXPECT_EQ(dialogs_shown_, 2);
}

TEST_F(ChooseDataCompareOptionsTest, WithoutTheDialogBothStoredSectionsAreUsed) {
  WriteBoolean(store_, Setting::kShowDataCompOpt, false);
  WriteFile(file_,
            "[DEV01.Sales.Orders]\r\nPrimarySortKey=OrderID\r\nCompMethod=1\r\n"
            "[PROD.Sales.Orders]\r\nPrimarySortKey=No\r\nSecondarySortKey=Line\r\n"
            "CompMethod=0\r\nOffsetStartRec=3\r\n");
  const std::optional<DataCompareRunOptions> run = Choose(false);
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(dialogs_shown_, 0);
  EXPECT_EQ(run->options.CompMethod, kCompMethodRecordByRecord);  // the Target section's
  EXPECT_EQ(run->options.sides[1].offset, 3);
  EXPECT_EQ(run->source_order_by, " ORDER BY [OrderID] ");
  EXPECT_EQ(run->target_order_by, " ORDER BY [No], [Line] ");
}

TEST_F(ChooseDataCompareOptionsTest, TablePairNeverConfiguredRunsRecordByRecordInTableOrder) {
  WriteBoolean(store_, Setting::kShowDataCompOpt, false);
  const std::optional<DataCompareRunOptions> run = Choose(false);
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(*run, DataCompareRunOptions{});
  EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(ChooseDataCompareOptionsTest, RequestShowsTheDialogOnceAndIsCleared) {
  WriteBoolean(store_, Setting::kShowDataCompOpt, false);
  dialog_result_ = DataCompareOptions{};
  requested_ = true;
  ASSERT_TRUE(Choose(false).has_value());
  EXPECT_EQ(dialogs_shown_, 1);
  EXPECT_FALSE(requested_);
  ASSERT_TRUE(Choose(false).has_value());
  EXPECT_EQ(dialogs_shown_, 1);
}

TEST_F(ChooseDataCompareOptionsTest, UnattendedRunsNeverShowTheDialog) {
  requested_ = true;
  WriteFile(file_, "[PROD.Sales.Orders]\r\nCompMethod=1\r\nCompKey=Id\r\n");
  const std::optional<DataCompareRunOptions> run = Choose(true);
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(dialogs_shown_, 0);
  EXPECT_FALSE(requested_);
  EXPECT_EQ(run->options.CompMethod, kCompMethodPrimaryKey);
  EXPECT_EQ(run->options.sides[1].key_columns[0], "Id");
}

TEST_F(ChooseDataCompareOptionsTest, MissingDialogCountsAsCancel) {
  EXPECT_FALSE(
      ChooseDataCompareOptions(store_, file_, kSource, kTarget, false, requested_, {}).has_value());
}

}  // namespace
}  // namespace korvane
