#include "compare/comparison_commands.h"

#include <gtest/gtest.h>

#include "compare/comparison_run_dialog.h"
#include "compare/object_selection.h"
#include "comparison_run_fixture.h"
#include "saved/saved_process.h"

namespace korvane {
namespace {

using testing::ComparisonRunTest;
using testing::RecordingUserInterface;

constexpr ObjectType kTables = ObjectType::kTables;
constexpr ObjectType kProcedures = ObjectType::kProcedures;

// --- Starting a run ------------------------------------------------------------------------

class ComparisonCommandsTest : public ComparisonRunTest {
 protected:
  ComparisonCommandsTest() {
    ListBoth(kProcedures, {"a", "b"});
    texts_.Both(kProcedures, "a", "x", "x");
    texts_.Both(kProcedures, "b", "x", "y");
    present_ = [this](const ReportWindowState& window) {
      shown_.push_back(window);
      shown_texts_.push_back(context_.report_buffer);
    };
  }

  ReportPresenter present_;
  std::vector<ReportWindowState> shown_;
  std::vector<std::string> shown_texts_;
};

TEST_F(ComparisonCommandsTest, CompareAllObjectsShowsTheReportAndEmptiesTheBuffer) {
  std::array<bool, kObjTypeCount> ticked{};
  ticked[1] = true;
  const ComparisonCommandOutcome outcome =
      CompareAllObjects(context_, "Sales", "Sales2", ticked, texts_, progress_, present_);
  ASSERT_TRUE(outcome.ran);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_texts_[0], outcome.report);
  EXPECT_TRUE(outcome.report.starts_with("Comparison of databases\r\n"));
  EXPECT_TRUE(context_.report_buffer.empty());
  const ReportWindowState& window = shown_[0];
  EXPECT_EQ(window.title, "Comparison Report");
  EXPECT_EQ(window.comparison_type, 1);
  EXPECT_EQ(window.sub_type, 10);
  EXPECT_EQ(window.sub_sub_type, 0);
  EXPECT_EQ(window.object_types, "0,1,0,0,0,0,0");
  EXPECT_EQ(window.comparison_method, -1);
  EXPECT_EQ(window.source_server, "embedded:SRV1");
  EXPECT_EQ(window.target_database, "Sales2");
  EXPECT_FALSE(window.running_saved_process);
  // The dialog's busy pointer around the run.
  EXPECT_EQ(ui_.busy_changes.front(), true);
  EXPECT_EQ(ui_.busy_changes.back(), false);
}

TEST_F(ComparisonCommandsTest, AnEmptyDatabaseNameRefusesEveryCommand) {
  std::array<bool, kObjTypeCount> ticked{};
  ticked[1] = true;
  EXPECT_FALSE(CompareAllObjects(context_, "", "Sales2", ticked, texts_, progress_, present_).ran);
  EXPECT_FALSE(
      CompareAllObjectsOfType(context_, "Sales", "", 1, false, texts_, progress_, present_).ran);
  ASSERT_EQ(ui_.messages.size(), 2u);
  for (const auto& message : ui_.messages) {
    EXPECT_EQ(message.text, "Cannot compare - the list of databases is empty.");
    EXPECT_EQ(message.title, "Cannot Compare");
    EXPECT_EQ(message.icon, MessageIcon::kInformation);
  }
  EXPECT_TRUE(backend_->connections.empty());
}

TEST_F(ComparisonCommandsTest, NoVisibleTypeTickedAsksForOne) {
  std::array<bool, kObjTypeCount> ticked{};
  ticked[6] = true;  // constraints, hidden while "AnalyzeConstraints" is off
  const ComparisonCommandOutcome outcome =
      CompareAllObjects(context_, "Sales", "Sales2", ticked, texts_, progress_, present_);
  EXPECT_FALSE(outcome.ran);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Please select at least one object type to be compared.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_TRUE(shown_.empty());
}

TEST_F(ComparisonCommandsTest, SavedProcessTicksItsTypesAndCarriesExportAndPrint) {
  SavedProcess saved;
  saved.enc_obj_types = "0,1,0,0,0,0,0";
  saved.export_file_path = "/tmp/out.txt";
  saved.print = true;
  const ComparisonCommandOutcome outcome =
      CompareAllObjects(context_, "Sales", "Sales2", {}, texts_, progress_, present_, &saved);
  ASSERT_TRUE(outcome.run.completed);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_TRUE(shown_[0].running_saved_process);
  EXPECT_EQ(shown_[0].export_path, "/tmp/out.txt");
  EXPECT_TRUE(shown_[0].print);
  EXPECT_EQ(shown_[0].object_types, "");
  EXPECT_NE(outcome.report.find("Comparison of procedures"), std::string::npos);
}

TEST_F(ComparisonCommandsTest, OneTypeRunsSimpleOrDetails) {
  ComparisonCommandOutcome outcome =
      CompareAllObjectsOfType(context_, "Sales", "Sales2", 1, false, texts_, progress_, present_);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].sub_type, 20);
  EXPECT_EQ(shown_[0].sub_sub_type, 10);
  EXPECT_EQ(shown_[0].object_types, "0,1,0,0,0,0,0");
  EXPECT_EQ(outcome.report.find("Detailed"), std::string::npos);

  outcome =
      CompareAllObjectsOfType(context_, "Sales", "Sales2", 1, true, texts_, progress_, present_);
  ASSERT_EQ(shown_.size(), 2u);
  EXPECT_EQ(shown_[1].sub_sub_type, 20);
  EXPECT_NE(outcome.report.find("Detailed list of differences between compared procedures"),
            std::string::npos);
}

TEST_F(ComparisonCommandsTest, WrongTypeIndexRunsNothing) {
  EXPECT_FALSE(
      CompareAllObjectsOfType(context_, "Sales", "Sales2", 7, false, texts_, progress_, present_)
          .ran);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "Wrong index value in Sub mnuComparisonAllObjects_Click, Index = 7");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kNone);
  EXPECT_TRUE(backend_->connections.empty());
}

TEST_F(ComparisonCommandsTest, SelectiveRunTakesThePickedObjects) {
  ObjectChooser choose = [](ObjectType type) -> std::optional<ObjectSelection> {
    EXPECT_EQ(type, ObjectType::kProcedures);
    return ObjectSelection{false, 1, 1, {"b"}, {"b"}};
  };
  const ComparisonCommandOutcome outcome = CompareSelectedObjectsOfType(
      context_, "Sales", "Sales2", 1, false, texts_, progress_, present_, choose);
  ASSERT_TRUE(outcome.run.completed);
  EXPECT_NE(outcome.report.find("Selective comparison of procedures\r\n\r\n1 objects selected in "
                                "Source database\r\n1 objects selected in Target database\r\n\r\n"
                                "List of procedures which differ:\r\n\tb\r\n\t(1 procedure)\r\n"
                                "There are no procedures which are identical in both databases."),
            std::string::npos);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].sub_type, 30);
  EXPECT_EQ(shown_[0].sub_sub_type, 30);
  EXPECT_EQ(shown_[0].source_count, 1);
  EXPECT_EQ(shown_[0].target_selection, (std::vector<std::string>{"b"}));
}

TEST_F(ComparisonCommandsTest, SelectingEverythingMakesAnOrdinaryRunStillRecordedAsSelective) {
  ObjectChooser choose = [](ObjectType) -> std::optional<ObjectSelection> {
    return ObjectSelection{true, 2, 2, {"a", "b"}, {"a", "b"}};
  };
  const ComparisonCommandOutcome outcome = CompareSelectedObjectsOfType(
      context_, "Sales", "Sales2", 1, true, texts_, progress_, present_, choose);
  EXPECT_NE(outcome.report.find("\r\n\r\nComparison of procedures\r\nThere are 2 procedures"),
            std::string::npos);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].sub_type, 30);
  EXPECT_EQ(shown_[0].sub_sub_type, 40);
  EXPECT_EQ(shown_[0].source_count, 0);
  EXPECT_TRUE(shown_[0].source_selection.empty());
}

TEST_F(ComparisonCommandsTest, CancelledChoiceRunsNothing) {
  ObjectChooser choose = [](ObjectType) -> std::optional<ObjectSelection> { return {}; };
  EXPECT_FALSE(CompareSelectedObjectsOfType(context_, "Sales", "Sales2", 1, false, texts_,
                                            progress_, present_, choose)
                   .ran);
  EXPECT_TRUE(backend_->connections.empty());
}

TEST_F(ComparisonCommandsTest, SavedSelectiveRunUsesTheStoredSelection) {
  SavedProcess saved;
  saved.sel_comp_count_source = 1;
  saved.sel_comp_count_target = 1;
  saved.source_selection = {"a"};
  saved.target_selection = {"a"};
  ObjectChooser never = [](ObjectType) -> std::optional<ObjectSelection> {
    ADD_FAILURE() << "the selection dialog must not open";
    return {};
  };
  const ComparisonCommandOutcome outcome = CompareSelectedObjectsOfType(
      context_, "Sales", "Sales2", 1, false, texts_, progress_, present_, never, &saved);
  EXPECT_NE(outcome.report.find("All selected procedures in both databases are identical."),
            std::string::npos);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_TRUE(shown_[0].running_saved_process);
}

TEST_F(ComparisonCommandsTest, CancelledRunOpensNoReportWindow) {
  progress_.on_pump = [this] { context_.cancel_requested = true; };
  const ComparisonCommandOutcome outcome =
      CompareAllObjectsOfType(context_, "Sales", "Sales2", 1, false, texts_, progress_, present_);
  EXPECT_TRUE(outcome.ran);
  EXPECT_FALSE(outcome.run.completed);
  EXPECT_TRUE(outcome.report.empty());
  EXPECT_TRUE(shown_.empty());
}

TEST(AllVisibleTypesTest, ConstraintsFollowAnalyzeConstraints) {
  EXPECT_EQ(AllVisibleTypes(false),
            (std::array<bool, kObjTypeCount>{true, true, true, true, true, true, false}));
  EXPECT_EQ(AllVisibleTypes(true),
            (std::array<bool, kObjTypeCount>{true, true, true, true, true, true, true}));
}

// --- The run dialog -------------------------------------------------------------------------

TEST_F(ComparisonCommandsTest, CancelDuringTheRunSetsTheFlagAndOtherwiseCloses) {
  ComparisonDialogState state;
  EXPECT_TRUE(PressCancel(context_, state));
  EXPECT_TRUE(MayCloseDialog(state));
  EXPECT_FALSE(context_.cancel_requested);

  CompareAllRequest request = Request({kProcedures});
  std::vector<bool> timer_seen;
  progress_.on_pump = [&] {
    timer_seen.push_back(state.timer_enabled);
    if (timer_seen.size() == 1) {
      EXPECT_FALSE(MayCloseDialog(state));
      EXPECT_FALSE(PressCancel(context_, state));  // Cancel clicked during the run
    }
  };
  const std::optional<CompareAllOutcome> outcome =
      PressCompare(context_, state, request, texts_, progress_);
  ASSERT_TRUE(outcome.has_value());
  EXPECT_FALSE(outcome->completed);
  EXPECT_TRUE(context_.cancel_requested);
  EXPECT_EQ(timer_seen.front(), true);
  EXPECT_FALSE(state.timer_enabled);
  EXPECT_FALSE(state.compare_enabled);
  EXPECT_TRUE(texts_.requests.empty());
}

TEST(ComparisonDialogCaptionTest, SelectiveRunsHaveTheirOwnCaption) {
  EXPECT_EQ(ComparisonDialogCaption(false), "Compare All");
  EXPECT_EQ(ComparisonDialogCaption(true), "Compare Selected Objects");
}

// --- Picking objects --------------------------------------------------------------------------

class ObjectSelectionTest : public ::testing::Test {
 protected:
  ObjectSelectionLists lists_{{"a", "b", "B", "dbo.c"}, {"A", "b", "b", "dbo.c"}};
  RecordingUserInterface ui_;

  std::vector<bool> Ticks(int side) const {
    std::vector<bool> ticks;
    for (const auto& row : lists_.rows(side))
      ticks.push_back(row.ticked);
    return ticks;
  }
};

TEST_F(ObjectSelectionTest, TickingMirrorsTheFirstExactlyEqualNameOnTheOtherSide) {
  lists_.SetTicked(kSourceSide, 0, true);  // "a": the Target's "A" differs in case
  EXPECT_EQ(Ticks(kTargetSide), (std::vector<bool>{false, false, false, false}));
  lists_.SetTicked(kSourceSide, 1, true);  // "b": only the first Target "b"
  EXPECT_EQ(Ticks(kTargetSide), (std::vector<bool>{false, true, false, false}));
  lists_.SetTicked(kTargetSide, 3, true);
  EXPECT_EQ(Ticks(kSourceSide), (std::vector<bool>{true, true, false, true}));
  lists_.SetTicked(kTargetSide, 1, false);
  EXPECT_EQ(Ticks(kSourceSide), (std::vector<bool>{true, false, false, true}));
  lists_.SetTicked(kTargetSide, 9, true);  // outside the list: nothing
  EXPECT_EQ(Ticks(kTargetSide), (std::vector<bool>{false, false, false, true}));
}

TEST_F(ObjectSelectionTest, OkNamesWhatIsMissing) {
  EXPECT_FALSE(lists_.Accept(ui_));
  lists_.SetTicked(kTargetSide, 0, true);
  EXPECT_FALSE(lists_.Accept(ui_));
  lists_.SetTicked(kTargetSide, 0, false);
  lists_.SetTicked(kSourceSide, 0, true);
  EXPECT_FALSE(lists_.Accept(ui_));
  ASSERT_EQ(ui_.messages.size(), 3u);
  EXPECT_EQ(ui_.messages[0].text, "Please select at least one object or click Cancel button.");
  EXPECT_EQ(ui_.messages[1].text,
            "Please select at least one object in Source database or click Cancel button.");
  EXPECT_EQ(ui_.messages[2].text,
            "Please select at least one object in Target database or click Cancel button.");
  for (const auto& message : ui_.messages)
    EXPECT_EQ(message.icon, MessageIcon::kInformation);
}

TEST_F(ObjectSelectionTest, AcceptedSelectionKeepsListOrderAndTellsWhenAllWerePicked) {
  lists_.SetTicked(kSourceSide, 3, true);
  lists_.SetTicked(kSourceSide, 1, true);
  std::optional<ObjectSelection> selection = lists_.Accept(ui_);
  ASSERT_TRUE(selection);
  EXPECT_EQ(*selection, (ObjectSelection{false, 2, 2, {"b", "dbo.c"}, {"b", "dbo.c"}}));

  lists_.SetAllTicked(true);
  selection = lists_.Accept(ui_);
  ASSERT_TRUE(selection);
  EXPECT_TRUE(selection->all_selected);
  EXPECT_EQ(selection->source_count, 4);

  lists_.SetAllTicked(false);
  EXPECT_EQ(Ticks(kSourceSide), (std::vector<bool>{false, false, false, false}));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ComparisonCommandsTest, SelectionListsLoadBothSidesUnticked) {
  const ObjectSelectionLists lists =
      ObjectSelectionLists::Load(context_, "Sales", "Sales2", ObjectType::kProcedures);
  ASSERT_EQ(lists.rows(kSourceSide).size(), 2u);
  EXPECT_EQ(lists.rows(kTargetSide)[1].name, "b");
  EXPECT_FALSE(lists.rows(kTargetSide)[1].ticked);
  EXPECT_EQ(ObjectSelectionTypeWord(ObjectType::kProcedures), "PROCEDURES");
}

}  // namespace
}  // namespace korvane
