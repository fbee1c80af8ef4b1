#include "saved/save_comparison_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/clock.h"
#include "saved/saved_comparison_store.h"
#include "saved/saved_process_samples.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::RecordingUserInterface;
using testing::ScratchFolder;
using testing::SelectiveProcedures;
using testing::SingleTableByKey;
using Outcome = SaveComparisonDialog::OkOutcome;
using Names = std::vector<std::string>;

class SaveComparisonDialogTest : public ::testing::Test {
 protected:
  SaveComparisonDialog Open(SavedProcess comparison) {
    return SaveComparisonDialog(store_, ui_, clock_, std::move(comparison));
  }

  // The comparison as a report window passes it: no export, no print, no name.
  static SavedProcess AsPassed(SavedProcess process) {
    process.name.clear();
    process.export_file_path.clear();
    process.export_type = 0;
    process.print = false;
    return process;
  }

  ScratchFolder folder_;
  std::filesystem::path ini_ = folder_ / "kvn_comps.ini";
  RecordingUserInterface ui_;
  ManualClock clock_{LocalDateTime{2026, 12, 4, 9, 30, 0}};
  SavedComparisonStore store_{ini_, folder_.path(), ui_};
};

TEST_F(SaveComparisonDialogTest, ProposedNamesStartWithTheDate) {
  EXPECT_EQ(Open(SingleTableByKey()).ProposedName(), "Dec 04, 2026 - Orders");
  EXPECT_EQ(Open(SelectiveProcedures()).ProposedName(), "Dec 04, 2026 - ");
  clock_.Set({2027, 1, 31, 0, 0, 0});
  EXPECT_EQ(ProposedProcessName(clock_, "T"), "Jan 31, 2027 - T");
  clock_.Set({2026, 5, 9, 0, 0, 0});
  EXPECT_EQ(ProposedProcessName(clock_, ""), "May 09, 2026 - ");
}

TEST_F(SaveComparisonDialogTest, TheListShowsTheSavedProcessesInFileOrder) {
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("Zeta")));
  ASSERT_TRUE(store_.SaveProcess(SelectiveProcedures("Alpha")));
  EXPECT_EQ(Open(SelectiveProcedures()).ListedNames(), (Names{"Zeta", "Alpha"}));
}

TEST_F(SaveComparisonDialogTest, OkSavesUnderTheTrimmedNameAndReportsIt) {
  SaveComparisonDialog dialog = Open(AsPassed(SingleTableByKey()));
  EXPECT_EQ(dialog.Ok("  Dec 04, 2026 - Orders  ", /*print=*/true), Outcome::kClosed);
  EXPECT_TRUE(dialog.closed());
  EXPECT_TRUE(dialog.result().saved);
  EXPECT_EQ(dialog.result().name, "Dec 04, 2026 - Orders");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Comparison process saved successfully.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(ui_.messages[0].title, "Korvane");

  const SavedProcess saved = store_.LoadProcess("Dec 04, 2026 - Orders");
  EXPECT_EQ(saved.id, 1);
  EXPECT_TRUE(saved.print);
  EXPECT_EQ(saved.export_file_path, "");
  EXPECT_EQ(saved.export_type, 0);
  EXPECT_EQ(saved.table_name2, "Orders2");
  EXPECT_EQ(saved.obj_id1, 1977058079);
}

TEST_F(SaveComparisonDialogTest, TheSavedProcessNeverTakesExportSettingsFromTheCaller) {
  SaveComparisonDialog dialog = Open(SingleTableByKey());  // export path and type 2 given
  ASSERT_EQ(dialog.Ok("x", /*print=*/false), Outcome::kClosed);
  const SavedProcess saved = store_.LoadProcessKeys("x");
  EXPECT_EQ(saved.export_file_path, "");
  EXPECT_EQ(saved.export_type, 0);
  EXPECT_FALSE(saved.print);
}

TEST_F(SaveComparisonDialogTest, ABlankNameIsAskedForAgain) {
  SaveComparisonDialog dialog = Open(SelectiveProcedures());
  EXPECT_EQ(dialog.Ok("   ", false), Outcome::kFocusName);
  EXPECT_EQ(dialog.Ok("", false), Outcome::kFocusName);
  EXPECT_FALSE(dialog.closed());
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text, "Please enter a name for comparison process.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_FALSE(std::filesystem::exists(ini_));
}

TEST_F(SaveComparisonDialogTest, ANameWithALineBreakIsAskedForAgain) {
  SaveComparisonDialog dialog = Open(SelectiveProcedures());
  EXPECT_EQ(dialog.Ok("first\r\nsecond", false), Outcome::kFocusName);
  EXPECT_EQ(dialog.Ok("first\nsecond", false), Outcome::kFocusName);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text, "The name of a comparison process must be a single line.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  EXPECT_FALSE(std::filesystem::exists(ini_));
  EXPECT_EQ(dialog.Ok("first", false), Outcome::kClosed);
}

TEST_F(SaveComparisonDialogTest, AnExistingNameIsOverwrittenOnlyAfterYes) {
  ASSERT_TRUE(store_.SaveProcess(SingleTableByKey("Daily")));
  const std::string before = ReadFile(ini_);
  SaveComparisonDialog dialog = Open(SelectiveProcedures());

  ui_.answers = {Answer::kNo};
  EXPECT_EQ(dialog.Ok("Daily", false), Outcome::kFocusName);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.messages[0].is_question);
  EXPECT_EQ(ui_.messages[0].text,
            "Comparison process with name Daily already exists.\r\n\r\n"
            "Do you want to overwrite it?");
  EXPECT_EQ(ui_.messages[0].title, "Overwrite Comparison Process");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kQuestion);
  EXPECT_EQ(ReadFile(ini_), before);

  ui_.answers = {Answer::kYes};
  EXPECT_EQ(dialog.Ok("Daily", false), Outcome::kClosed);
  EXPECT_EQ(ui_.messages.back().text, "Comparison process saved successfully.");
  const SavedProcess saved = store_.LoadProcessKeys("Daily");
  EXPECT_EQ(saved.comp_type, 1);
  EXPECT_EQ(saved.id, 1);  // overwriting keeps the Id
  EXPECT_EQ(store_.ProcessCount(), 1);
}

TEST_F(SaveComparisonDialogTest, ANameDifferingOnlyInCaseIsAlsoOfferedForOverwrite) {
  // Both names would share one section: saving without asking would silently replace the
  // other process.
  ASSERT_TRUE(store_.SaveProcess(SingleTableByKey("Daily")));
  const std::string before = ReadFile(ini_);
  SaveComparisonDialog dialog = Open(SelectiveProcedures());
  ui_.answers = {Answer::kNo};
  EXPECT_EQ(dialog.Ok("DAILY", false), Outcome::kFocusName);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "Comparison process with name Daily already exists.\r\n\r\n"
            "Do you want to overwrite it?");
  EXPECT_EQ(ReadFile(ini_), before);
  // A tab around the name is ignored by the store as well.
  ui_.answers = {Answer::kNo};
  EXPECT_EQ(dialog.Ok("\tdaily", false), Outcome::kFocusName);
  EXPECT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ReadFile(ini_), before);
}

TEST_F(SaveComparisonDialogTest, UnattendedFrontEndsOverwrite) {
  ASSERT_TRUE(store_.SaveProcess(SingleTableByKey("Daily")));
  SaveComparisonDialog dialog = Open(SelectiveProcedures());
  EXPECT_EQ(dialog.Ok("Daily", false), Outcome::kClosed);  // no scripted answer: goes on
  EXPECT_TRUE(dialog.result().saved);
}

TEST_F(SaveComparisonDialogTest, AFailedSaveIsReportedTwiceAndReturnsTheName) {
  std::filesystem::create_directories(ini_);  // the store cannot be written
  SaveComparisonDialog dialog = Open(SelectiveProcedures());
  EXPECT_EQ(dialog.Ok("Weekly", false), Outcome::kClosed);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text, "Failed to save comparison's process name.");
  EXPECT_EQ(ui_.messages[1].text, "Comparison process not saved.");
  EXPECT_EQ(ui_.messages[1].icon, MessageIcon::kInformation);
  EXPECT_FALSE(dialog.result().saved);
  EXPECT_EQ(dialog.result().name, "Weekly");
}

TEST_F(SaveComparisonDialogTest, CancelSavesNothingAndLaterClicksAreIgnored) {
  SaveComparisonDialog dialog = Open(SelectiveProcedures());
  dialog.Cancel();
  EXPECT_TRUE(dialog.closed());
  EXPECT_FALSE(dialog.result().saved);
  EXPECT_EQ(dialog.result().name, "");
  EXPECT_EQ(dialog.Ok("late", false), Outcome::kIgnored);
  EXPECT_FALSE(std::filesystem::exists(ini_));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SaveComparisonDialogTest, DialogTexts) {
  EXPECT_EQ(kSaveComparisonCaption, "Save Comparison Process");
  EXPECT_EQ(kSaveComparisonIntro,
            "You can save comparison's process parameters so it can be re-run later.");
  EXPECT_EQ(kSaveComparisonListLabel, "List of previously saved comparison processes:");
  EXPECT_EQ(kSaveComparisonNameLabel, "Please enter the name for the process:");
  EXPECT_EQ(kSaveComparisonNote,
            "If you want to include automatic exporting in your saved comparison process, "
            "please save the process first and then export data to file. The program will add "
            "exporting info to saved comparison process.");
  EXPECT_EQ(kSaveComparisonPrintBox, "Automatically print the final report");
  EXPECT_EQ(kSavedProcessHelpContextId, 250);
}

}  // namespace
}  // namespace korvane
