#include "compare/structure_text_copy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/settings.h"
#include "base/memory_text_view.h"
#include "base/settings_store.h"
#include "compare/color_legend.h"
#include "compare/structure_view_setup.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::RecordingUserInterface;
using testing::ScratchFolder;

TEST(ColorLegendTest, TextsAndSwatchesInOrder) {
  EXPECT_EQ(kColorLegendTitle, "Color Schema");
  EXPECT_EQ(kColorLegendIntroduction,
            "Following colors are used to mark differences in structure of compared objects.");
  EXPECT_EQ(kColorLegendCloseCaption, "&Close");
  const auto entries = ColorLegendEntries();
  struct Expected {
    LineState state;
    std::string caption;
    RgbColor color;
  };
  const Expected expected[] = {
      {LineState::kOnlyInTarget, "Inserted (exists only in target)", {122, 195, 217}},
      {LineState::kOnlyInSource, "Deleted (exists only in source)", {255, 192, 192}},
      {LineState::kChanged, "Changed", {192, 255, 192}},
      {LineState::kNotChanged, "Not Changed", {255, 255, 255}},
      {LineState::kNotAssigned, "Not Assigned", {255, 255, 0}},
  };
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].state, expected[i].state) << i;
    EXPECT_EQ(entries[i].caption, expected[i].caption) << i;
    EXPECT_EQ(entries[i].color, expected[i].color) << i;
  }
}

TEST(TXTextConvArrayToTextTest, EveryLineFollowedByCrLf) {
  EXPECT_EQ(TXText_ConvArrayToText({}), "");
  EXPECT_EQ(TXText_ConvArrayToText({{"a"}, {""}, {"b"}}), "a\r\n\r\nb\r\n");
}

TEST(CopyStructureToClipboardTest, NothingSelectedIsRefused) {
  RecordingUserInterface ui;
  ui.clipboard = "before";
  CopyStructureToClipboard(false, MemoryTextView("x"), ui);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "There is nothing to copy.");
  EXPECT_EQ(ui.messages[0].title, "Cannot Copy");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(ui.clipboard, "before");
}

TEST(CopyStructureToClipboardTest, CopiesTheLinesOrClearsTheClipboard) {
  RecordingUserInterface ui;
  CopyStructureToClipboard(true, MemoryTextView("[a] int\nNOT NULL\r\n[b] int"), ui);
  EXPECT_EQ(ui.clipboard, "[a] int\r\nNOT NULL\r\n[b] int\r\n");
  CopyStructureToClipboard(true, MemoryTextView(""), ui);
  EXPECT_EQ(ui.clipboard, "");
  EXPECT_TRUE(ui.messages.empty());
}

TEST(CopyToFileTest, ProposesTheObjectNameAndWritesTheTrimmedText) {
  ScratchFolder folder;
  RecordingUserInterface ui;
  const std::filesystem::path file = folder / "Orders.txt";
  ui.file_choices.push_back(file);
  EXPECT_EQ(CopyStructureToFile(true, MemoryTextView("  [a] int\r\n[b] int"), "Orders",
                                folder.path(), ui),
            file.string());
  ASSERT_EQ(ui.file_requests.size(), 1u);
  const FileRequest& request = ui.file_requests[0];
  EXPECT_EQ(request.title, "Specify Target File");
  EXPECT_EQ(request.filter, "*.*|*.*");
  EXPECT_EQ(request.proposed_name, "Orders.txt");
  EXPECT_EQ(request.initial_folder, folder.path());
  EXPECT_TRUE(request.overwrite_prompt);
  EXPECT_EQ(ReadFile(file), "[a] int\r\n[b] int\r\n");  // no mark, nothing appended

  // An existing file is replaced, not appended to.
  ui.file_choices.push_back(file);
  CopyToFile("short", "Orders", folder.path(), ui);
  EXPECT_EQ(ReadFile(file), "short");
}

TEST(CopyToFileTest, EmptyTextCancelAndRefusalWriteNothing) {
  ScratchFolder folder;
  RecordingUserInterface ui;
  EXPECT_EQ(CopyToFile("   ", "Orders", folder.path(), ui), "");
  EXPECT_TRUE(ui.file_requests.empty());
  EXPECT_EQ(CopyToFile("x", "Orders", folder.path(), ui), "");  // dialog cancelled
  EXPECT_EQ(ui.file_requests.size(), 1u);
  EXPECT_EQ(CopyStructureToFile(false, MemoryTextView("x"), "Orders", folder.path(), ui), "");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "There is nothing to copy.");
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(CopyToFileTest, ProposedNameStaysInTheFolder) {
  ScratchFolder folder;
  RecordingUserInterface ui;
  CopyToFile("x", "../odd/name\\x", folder.path(), ui);
  ASSERT_EQ(ui.file_requests.size(), 1u);
  EXPECT_EQ(ui.file_requests[0].proposed_name, ".._odd_name_x.txt");
}

TEST(CopyToFileTest, UnwritableFileShowsTheError) {
  ScratchFolder folder;
  testing::WriteFile(folder / "blocker", "x");
  RecordingUserInterface ui;
  ui.file_choices.push_back(folder / "blocker" / "a.txt");
  EXPECT_EQ(CopyToFile("text", "a", folder.path(), ui), "");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Error in Sub CopyToFile, error nr 75 (Path/File access error).");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::kCritical);
}

TEST(InitializeTXTextControlTest, ClearsTheViewAndSetsThePageSizeFromTheSettings) {
  ScratchFolder folder;
  SettingsStore store(folder / "settings.reg");
  MemoryTextView view("old text");
  InitializeTXTextControl(view, store);
  EXPECT_EQ(view.Text(), "");
  EXPECT_EQ(view.PageWidth(), 20000u);
  EXPECT_EQ(view.PageHeight(), 15840u);

  WriteNumber(store, Setting::kPageWidth, 30000);
  WriteNumber(store, Setting::kPageHeight, 100);  // below the default: raised
  InitializeTXTextControl(view, store);
  EXPECT_EQ(view.PageWidth(), 30000u);
  EXPECT_EQ(view.PageHeight(), 15840u);
}

}  // namespace
}  // namespace korvane
