// The ignored-column editor and viewer without their windows, and the hand-off of a text to
// the desktop's text editor.
#include <gtest/gtest.h>

#include <fstream>

#include "dataview/ignored_columns_editor.h"
#include "dataview/ignored_columns_viewer.h"
#include "dataview/text_handoff.h"
#include "dataview_fixture.h"
#include "saved/ignored_columns.h"
#include "support/recording_user_interface.h"

namespace korvane {
namespace {

using testing::DataViewFixture;

TEST(IgnoreColumnsTexts, CaptionsAndInstructionsByKind) {
  struct Case {
    IgnoredColumnsKind kind;
    const char* caption;
    const char* instruction;
    const char* viewer_text;
  };
  const Case cases[] = {
      {IgnoredColumnsKind::Data, "Ignore Columns - Data Comparison",
       "Deselect columns which you want to be ignored during data comparison.",
       "The columns listed below are ignored during data comparisons."},
      {IgnoredColumnsKind::Structure, "Ignore Columns - Structure Comparison",
       "Deselect columns which you want to be ignored during structure comparison.",
       "The columns listed below are ignored during structure comparisons."},
      {IgnoredColumnsKind::DataAnalysis, "Ignore Columns - Data Analysis",
       "Deselect columns which you want to be ignored during data analysis.", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IgnoreEditorCaption(c.kind), c.caption);
    EXPECT_EQ(IgnoreEditorInstruction(c.kind), c.instruction);
    EXPECT_EQ(IgnoreViewerText(c.kind), c.viewer_text);
  }
  EXPECT_EQ(IgnoreViewerCountLabel(3), "Number of columns listed: 3");
  EXPECT_EQ(IgnoreViewerHeaders(),
            (std::vector<std::string>{"Server", "Database", "Table", "Column"}));
}

class IgnoreEditorTest : public DataViewFixture {
 protected:
  void SetUp() override {
    Load(
        "CREATE TABLE Orders (Id int NOT NULL, RowVersion int NULL, "
        "LastChanged datetime NULL, Note nvarchar(40) NULL)\nGO\n");
  }
  std::vector<std::string> Saved(IgnoredColumnsKind kind = IgnoredColumnsKind::Structure) const {
    return GetIgnoredColumns(context_->locations, kind, kKey);
  }
  static constexpr const char* kKey = "embedded:views.Shop.Orders";
};

TEST_F(IgnoreEditorTest, ListedColumnsAreUntickedLetterCaseAside) {
  testing::RecordingUserInterface recording;
  ASSERT_TRUE(SaveIgnoredColumns(context_->locations, IgnoredColumnsKind::Structure, kKey,
                                 {"rowversion"}, recording));
  const IgnoreEditorState state =
      OpenIgnoreEditor(*context_, IgnoredColumnsKind::Structure, Table("Orders"));
  EXPECT_EQ(state.label, "Table: Orders (Database: Shop, Server: embedded:views)");
  EXPECT_EQ(state.rows, (std::vector<IgnoreEditorRow>{{"Id", "int", true},
                                                      {"RowVersion", "int", false},
                                                      {"LastChanged", "datetime", true},
                                                      {"Note", "nvarchar (40)", true}}));
  // The Data list of the same table is another list.
  EXPECT_TRUE(
      OpenIgnoreEditor(*context_, IgnoredColumnsKind::Data, Table("Orders")).rows[1].ticked);
}

TEST_F(IgnoreEditorTest, AcceptSavesUntickedRowsInListOrder) {
  IgnoreEditorState state =
      OpenIgnoreEditor(*context_, IgnoredColumnsKind::Structure, Table("Orders"));
  std::string unknown;
  ASSERT_TRUE(ChooseIgnoredColumns(state, {"NOTE", "rowversion"}, unknown));
  EXPECT_EQ(AcceptIgnoreEditor(*context_, state), IgnoreEditorSave::kSaved);
  EXPECT_EQ(Saved(), (std::vector<std::string>{"RowVersion", "Note"}));
  // None named clears the list.
  ASSERT_TRUE(ChooseIgnoredColumns(state, {}, unknown));
  EXPECT_EQ(AcceptIgnoreEditor(*context_, state), IgnoreEditorSave::kSaved);
  EXPECT_TRUE(Saved().empty());
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(IgnoreEditorTest, RefusesNoTickedRowAndUnknownNames) {
  IgnoreEditorState state =
      OpenIgnoreEditor(*context_, IgnoredColumnsKind::Structure, Table("Orders"));
  std::string unknown;
  EXPECT_FALSE(ChooseIgnoredColumns(state, {"Id", "Nope"}, unknown));
  EXPECT_EQ(unknown, "Nope");
  EXPECT_TRUE(state.rows[0].ticked);  // nothing changed
  ASSERT_TRUE(ChooseIgnoredColumns(state, {"Id", "RowVersion", "LastChanged", "Note"}, unknown));
  EXPECT_EQ(AcceptIgnoreEditor(*context_, state), IgnoreEditorSave::kNothingTicked);
  ASSERT_EQ(
      MessageTexts(),
      (std::vector<std::string>{"Please select at least one column or click Cancel button."}));
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_TRUE(Saved().empty());
}

TEST_F(IgnoreEditorTest, FailedSaveIsReportedAsNotSaved) {
  IgnoreEditorState state =
      OpenIgnoreEditor(*context_, IgnoredColumnsKind::Structure, Table("Orders"));
  std::string unknown;
  ASSERT_TRUE(ChooseIgnoredColumns(state, {"Note"}, unknown));
  // The list's file cannot be written: a folder stands where it should be.
  std::filesystem::create_directories(context_->locations.ignored_cols_struct_ini / "blocked");
  EXPECT_EQ(AcceptIgnoreEditor(*context_, state), IgnoreEditorSave::kNotSaved);
  ASSERT_FALSE(ui_.messages.empty());
  EXPECT_EQ(ui_.messages.back().text, kIgnoredListNotSaved);
  EXPECT_EQ(ui_.messages.back().icon, MessageIcon::kExclamation);
}

TEST_F(IgnoreEditorTest, ViewerButtonsRefuseAnEmptyListing) {
  const IgnoredColumnsListing empty;
  CopyListingToClipboard(*context_, empty);
  EXPECT_FALSE(CopyListingToFile(*context_, empty));
  EXPECT_FALSE(SendListingToEditor(*context_, empty));
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"There is nothing to copy to the Clipboard.",
                                                      "There is nothing to copy to file.",
                                                      "There is nothing to send to the Notepad."}));
  EXPECT_TRUE(ui_.requests.empty());
  EXPECT_TRUE(ui_.opened.empty());
}

TEST_F(IgnoreEditorTest, ViewerCopiesTheListingText) {
  testing::RecordingUserInterface recording;
  ASSERT_TRUE(SaveIgnoredColumns(context_->locations, IgnoredColumnsKind::Data, kKey,
                                 {"Note", "Id"}, recording));
  const IgnoredColumnsListing listing =
      LoadAllIgnoredColumns(context_->locations, IgnoredColumnsKind::Data);
  const std::string text =
      "embedded:views, Shop, Orders, Note\r\nembedded:views, Shop, Orders, Id\r\n";
  CopyListingToClipboard(*context_, listing);
  EXPECT_EQ(ui_.clipboard, text);

  ui_.save_choice = folder_ / "out" / "Report";
  std::filesystem::create_directories(folder_ / "out");
  ASSERT_TRUE(CopyListingToFile(*context_, listing));
  ASSERT_EQ(ui_.requests.size(), 1u);
  EXPECT_EQ(ui_.requests[0].title, "Specify Target File");
  EXPECT_EQ(ui_.requests[0].proposed_name, "Report.txt");
  EXPECT_EQ(testing::ReadFile(folder_ / "out" / "Report.txt"), text);

  ASSERT_TRUE(SendListingToEditor(*context_, listing));
  ASSERT_EQ(ui_.opened.size(), 1u);
  EXPECT_EQ(testing::ReadFile(ui_.opened[0]), text);
}

// --- the hand-off to the text editor

TEST(HandOffFileNames, WhatTheCleanUpRecognises) {
  const std::pair<const char*, bool> names[] = {
      {"20260102030405.tmp", true},       {"20260102030405-1.tmp", true},
      {"20260102030405-12.tmp", true},    {"2026010203040.tmp", false},
      {"20260102030405-.tmp", false},     {"20260102030405.txt", false},
      {"notes20260102030405.tmp", false}, {"20260102030405-x.tmp", false}};
  for (const auto& [name, recognised] : names)
    EXPECT_EQ(IsHandOffFileName(name), recognised) << name;
}

TEST_F(IgnoreEditorTest, HandOffFilesGoToTheWritableFolderAndNeverShareAName) {
  const auto first = WriteHandOffFile(context_->locations.writable_folder, clock_, "one");
  const auto second = WriteHandOffFile(context_->locations.writable_folder, clock_, "two");
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->parent_path(), context_->locations.writable_folder);
  EXPECT_EQ(first->filename(), "20260102030405.tmp");
  EXPECT_EQ(second->filename(), "20260102030405-1.tmp");
  EXPECT_EQ(testing::ReadFile(*first), "one");
  EXPECT_EQ(testing::ReadFile(*second), "two");
}

TEST_F(IgnoreEditorTest, HandOffLaunchFailureKeepsItsMessage) {
  ui_.open_result = 5;
  EXPECT_FALSE(SendToTextEditor(*context_, "text"));
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Error on LaunchProgram: 5"}));
}

TEST_F(IgnoreEditorTest, HandOffIntoAFolderThatCannotBeWrittenSaysSo) {
  testing::WriteFile(folder_ / "file", "x");
  EXPECT_FALSE(WriteHandOffFile(folder_ / "file", clock_, "text"));
  context_->locations.writable_folder = folder_ / "file";
  EXPECT_FALSE(SendToTextEditor(*context_, "text"));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].text.find("could not be written"), std::string::npos);
  EXPECT_TRUE(ui_.opened.empty());
}

TEST_F(IgnoreEditorTest, StaleHandOffFilesAreRemovedOthersKept) {
  const std::filesystem::path folder = context_->locations.writable_folder;
  const auto now = std::filesystem::file_time_type::clock::now();
  struct File {
    const char* name;
    std::chrono::hours age;
    bool removed;
  };
  const File files[] = {{"20250101000000.tmp", std::chrono::hours(48), true},
                        {"20250101000000-3.tmp", std::chrono::hours(25), true},
                        {"20260102030405.tmp", std::chrono::hours(1), false},
                        {"ErrorLog.txt", std::chrono::hours(48), false},
                        {"keep.tmp", std::chrono::hours(48), false}};
  for (const File& file : files) {
    testing::WriteFile(folder / file.name, "x");
    std::filesystem::last_write_time(folder / file.name, now - file.age);
  }
  EXPECT_EQ(RemoveStaleHandOffFiles(folder, now), 2);
  for (const File& file : files)
    EXPECT_EQ(std::filesystem::exists(folder / file.name), !file.removed) << file.name;
  EXPECT_EQ(RemoveStaleHandOffFiles(folder_ / "missing", now), 0);
}

}  // namespace
}  // namespace korvane
