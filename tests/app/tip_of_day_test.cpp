#include "app/tip_of_day.h"

#include <gtest/gtest.h>

#include "app/settings.h"
#include "base/settings_store.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ScratchFolder;
using testing::WriteFile;

constexpr std::string_view kHeader = "h1\r\nh2\r\nh3\r\nh4\r\nh5\r\nh6\r\n";

TEST(TipFormatTest, FiveBlanksAreParagraphBreaks) {
  EXPECT_EQ(FormatTip("A     B"), "A\r\n\r\nB");
  EXPECT_EQ(FormatTip("A          B"), "A\r\n\r\n\r\n\r\nB");  // ten blanks: two breaks
  EXPECT_EQ(FormatTip("A      B"), "A\r\n\r\n B");             // six: two line breaks, a blank
  EXPECT_EQ(FormatTip("A    B"), "A    B");                    // four stay blanks
  EXPECT_EQ(FormatTip(""), "");
}

TEST(TipFileTest, SixHeaderLinesAreSkippedAndEveryFurtherLineIsATip) {
  const std::vector<std::string> tips =
      ParseTips(std::string(kHeader) + "first\r\n\r\nthird     part\r\n");
  EXPECT_EQ(tips, (std::vector<std::string>{"first", "", "third\r\n\r\npart"}));
}

TEST(TipFileTest, LineBreaksOfAnySpellingAndNoTrailingBreak) {
  EXPECT_EQ(ParseTips("1\n2\r3\r\n4\n5\n6\nx\ry"), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(ParseTips("1\n2\n3\n4\n5\n6\nx\n\n"), (std::vector<std::string>{"x", ""}));
}

TEST(TipFileTest, SixLinesOrFewerHoldNoTip) {
  EXPECT_TRUE(ParseTips(kHeader).empty());
  EXPECT_TRUE(ParseTips("a\r\nb").empty());
  EXPECT_TRUE(ParseTips("").empty());
}

TEST(TipFileTest, MissingFileOrEmptyNameReadsAsNothing) {
  ScratchFolder folder;
  EXPECT_FALSE(ReadTipFile(folder / "TipOfDay.txt").has_value());
  EXPECT_FALSE(ReadTipFile("").has_value());
  WriteFile(folder / "TipOfDay.txt", std::string(kHeader) + "tip");
  EXPECT_EQ(ReadTipFile(folder / "TipOfDay.txt"), (std::vector<std::string>{"tip"}));
}

class TipOfDayTest : public ::testing::Test {
 protected:
  void WriteTips(const std::string& tips) {
    WriteFile(folder_ / "TipOfDay.txt", std::string(kHeader) + tips);
  }
  TipOfDay Load() { return TipOfDay::Load(store_, folder_ / "TipOfDay.txt"); }

  ScratchFolder folder_;
  SettingsStore store_{folder_ / "settings.reg"};
};

TEST_F(TipOfDayTest, FirstOpeningShowsTipOneAndNextTipWrapsAround) {
  WriteTips("one\r\ntwo\r\nthree\r\n");
  TipOfDay tip = Load();
  EXPECT_TRUE(tip.file_found());
  EXPECT_EQ(tip.text(), "one");
  EXPECT_EQ(tip.counter(), "Tip number 1/3");
  tip.ShowNextTip();
  tip.ShowNextTip();
  EXPECT_EQ(tip.text(), "three");
  EXPECT_EQ(tip.counter(), "Tip number 3/3");
  tip.ShowNextTip();
  EXPECT_EQ(tip.text(), "one");
  EXPECT_EQ(tip.counter(), "Tip number 1/3");
}

TEST_F(TipOfDayTest, ThreeTipsWithTipThreeStoredOpenOnTipOne) {
  WriteTips("one\r\ntwo\r\nthree");
  WriteNumber(store_, Setting::kDisplayedTipNum, 3);
  const TipOfDay tip = Load();
  EXPECT_EQ(tip.text(), "one");
  EXPECT_EQ(tip.counter(), "Tip number 1/3");
}

TEST_F(TipOfDayTest, StoredNumberBeyondTheFileStartsAgainAtOne) {
  WriteTips("one\r\ntwo");
  for (const std::uint32_t stored : {7u, 0xFFFFFFFFu}) {
    WriteNumber(store_, Setting::kDisplayedTipNum, stored);
    const TipOfDay tip = Load();
    EXPECT_EQ(tip.current_number(), 1u) << stored;
    EXPECT_EQ(tip.text(), "one") << stored;
  }
}

TEST_F(TipOfDayTest, ClosingStoresTheShownTipAndTheCheckBox) {
  WriteTips("one\r\ntwo\r\nthree");
  WriteNumber(store_, Setting::kDisplayedTipNum, 1);
  TipOfDay tip = Load();
  EXPECT_TRUE(tip.show_at_startup());  // the default
  EXPECT_EQ(tip.text(), "two");
  tip.Save(store_, false);
  EXPECT_EQ(ReadNumber(store_, Setting::kDisplayedTipNum), 2u);
  EXPECT_EQ(store_.GetNumber("Software\\KVN", "ShowTipOfDay", 99), 0u);

  TipOfDay again = Load();
  EXPECT_FALSE(again.show_at_startup());
  EXPECT_EQ(again.text(), "three");
  again.Save(store_, true);
  EXPECT_EQ(store_.GetNumber("Software\\KVN", "ShowTipOfDay", 99), 1u);
  EXPECT_EQ(ReadNumber(store_, Setting::kDisplayedTipNum), 3u);
}

TEST_F(TipOfDayTest, FileOfSixLinesShowsNoTipAndNoCounter) {
  WriteTips("");
  TipOfDay tip = Load();
  EXPECT_TRUE(tip.file_found());
  EXPECT_EQ(tip.tip_count(), 0);
  EXPECT_EQ(tip.text(), "");
  EXPECT_EQ(tip.counter(), "");
  tip.ShowNextTip();
  EXPECT_EQ(tip.text(), "");
  EXPECT_EQ(tip.counter(), "");
}

TEST_F(TipOfDayTest, MissingFileShowsTheExplanationAndError) {
  WriteNumber(store_, Setting::kDisplayedTipNum, 4);
  TipOfDay tip = Load();
  EXPECT_FALSE(tip.file_found());
  EXPECT_EQ(tip.counter(), "Error");
  EXPECT_EQ(tip.text(),
            "That the TipOfDay.txt file was not found? \r\n\r\n"
            "Create a text file named TipOfDay.txt using NotePad with 1 tip per line, leaving "
            "first 6 lines empty. Then place it in the same directory as the application. "
            "\r\n\r\nOptionally, reinstall this program.");
  tip.ShowNextTip();  // nothing to show: the explanation stays
  EXPECT_EQ(tip.counter(), "Error");
  EXPECT_EQ(TipOfDay::Load(store_, "").counter(), "Error");
}

TEST_F(TipOfDayTest, ParagraphBreakInsideATipIsShownAsAnEmptyLine) {
  WriteTips("A     B");
  EXPECT_EQ(Load().text(), "A\r\n\r\nB");
}

}  // namespace
}  // namespace korvane
