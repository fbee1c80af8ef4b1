#include "saved/save_comp_run_dialog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/files.h"
#include "saved/saved_comparison_store.h"
#include "saved/saved_process_samples.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::RecordingUserInterface;
using testing::ScratchFolder;
using testing::SelectiveProcedures;
using testing::SingleTableByKey;
using Names = std::vector<std::string>;

class SaveCompRunDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("Nightly")));
    ASSERT_TRUE(store_.SaveProcess(SingleTableByKey("Orders")));
  }

  std::filesystem::path Selection(int id, SelectionSide side) {
    return SelectionFilePath(folder_.path(), id, side);
  }

  ScratchFolder folder_;
  RecordingUserInterface ui_;
  SavedComparisonStore store_{folder_ / "kvn_comps.ini", folder_.path(), ui_};
};

TEST_F(SaveCompRunDialogTest, RunNeedsASelectedProcess) {
  SaveCompRunDialog dialog(store_, ui_);
  EXPECT_EQ(dialog.Names(), (Names{"Nightly", "Orders"}));
  EXPECT_EQ(dialog.Run(std::nullopt), std::nullopt);
  EXPECT_EQ(dialog.Run(std::string()), std::nullopt);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text, "Please select the comparison process to be run.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_FALSE(dialog.closed());

  EXPECT_EQ(dialog.Run("Orders"), "Orders");
  EXPECT_TRUE(dialog.closed());
  EXPECT_EQ(dialog.Run("Nightly"), std::nullopt);  // closed: ignored
}

TEST_F(SaveCompRunDialogTest, DeleteNeedsASelectedProcess) {
  SaveCompRunDialog dialog(store_, ui_);
  EXPECT_FALSE(dialog.Delete(std::nullopt));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Please select the comparison process to be deleted.");
  EXPECT_EQ(store_.ProcessCount(), 2);
}

TEST_F(SaveCompRunDialogTest, DeleteAsksAndKeepsTheProcessOnNo) {
  SaveCompRunDialog dialog(store_, ui_);
  ui_.answers = {Answer::kNo};
  EXPECT_FALSE(dialog.Delete("Nightly"));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.messages[0].is_question);
  EXPECT_EQ(ui_.messages[0].text, "Are you sure you want to remove comparison process 'Nightly' ?");
  EXPECT_EQ(ui_.messages[0].title, "Confirm Process Deletion");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kQuestion);
  EXPECT_EQ(dialog.Names(), (Names{"Nightly", "Orders"}));
  EXPECT_TRUE(std::filesystem::exists(Selection(1, SelectionSide::kSource)));
}

TEST_F(SaveCompRunDialogTest, DeleteOnYesRemovesProcessAndFilesAndReloadsTheList) {
  SaveCompRunDialog dialog(store_, ui_);
  ui_.answers = {Answer::kYes};
  EXPECT_TRUE(dialog.Delete("Nightly"));
  EXPECT_EQ(dialog.Names(), (Names{"Orders"}));
  EXPECT_EQ(store_.ProcessNames(), (Names{"Orders"}));
  EXPECT_FALSE(std::filesystem::exists(Selection(1, SelectionSide::kSource)));
  EXPECT_FALSE(std::filesystem::exists(Selection(1, SelectionSide::kTarget)));
  EXPECT_EQ(ui_.messages.size(), 1u);  // the question alone
  EXPECT_FALSE(dialog.closed());
  // The process without selection files goes silently as well.
  EXPECT_TRUE(dialog.Delete("Orders"));
  EXPECT_TRUE(dialog.Names().empty());
  EXPECT_EQ(ui_.messages.size(), 2u);
}

// Regression: a delete that could not be written closed the question and said nothing.
TEST_F(SaveCompRunDialogTest, DeleteThatCannotBeWrittenIsReportedAndKeepsTheFiles) {
  SaveCompRunDialog dialog(store_, ui_);
  std::string error;
  const auto other_run =
      FileLock::Acquire(folder_ / "kvn_comps.ini", error, std::chrono::milliseconds(0));
  ASSERT_TRUE(other_run.has_value());
  ::setenv("KORVANE_LOCK_TIMEOUT_MS", "0", 1);
  ui_.answers = {Answer::kYes};
  EXPECT_FALSE(dialog.Delete("Nightly"));
  ::unsetenv("KORVANE_LOCK_TIMEOUT_MS");
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_NE(ui_.messages[1].text.find("in use"), std::string::npos);
  EXPECT_EQ(store_.ProcessNames(), (Names{"Nightly", "Orders"}));
  EXPECT_TRUE(std::filesystem::exists(Selection(1, SelectionSide::kSource)));
}

TEST_F(SaveCompRunDialogTest, RightClickShowsThePropertiesOfTheSelectedEntry) {
  SaveCompRunDialog dialog(store_, ui_);
  dialog.ShowProperties(std::nullopt);
  EXPECT_TRUE(ui_.messages.empty());
  dialog.ShowProperties("Orders");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].title, "Properties");
  EXPECT_EQ(ui_.messages[0].text, store_.PropertiesText("Orders"));
  EXPECT_EQ(ui_.messages[0].text.rfind(
                "Comparison Process Name: Orders\r\nComparison Process Id: 2\r\n", 0),
            0u);
}

TEST_F(SaveCompRunDialogTest, DialogTexts) {
  EXPECT_EQ(kSaveCompRunCaption, "Run Saved Comparison Process");
  EXPECT_EQ(kSaveCompRunIntro, "Please select comparison processes to be run and click 'Run'.");
  EXPECT_EQ(kSaveCompRunHint, "Please right-click selected process to see its properties.");
}

}  // namespace
}  // namespace korvane
