#include "base/memory_text_view.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace korvane {
namespace {

constexpr RgbColor kRed{255, 0, 0};
constexpr RgbColor kGreen{0, 255, 0};
constexpr RgbColor kBlue{0, 0, 255};

// The background of every position, in order.
std::vector<std::optional<RgbColor>> Backgrounds(const MemoryTextView& view) {
  std::vector<std::optional<RgbColor>> colours;
  for (int position = 0; position < view.Length(); ++position)
    colours.push_back(view.BackgroundAt(position));
  return colours;
}

// Each line break is one position between its lines; lone LF and CR are line breaks too, read
// back as CR LF.
TEST(MemoryTextViewLinesTest, LinesStartAfterOnePositionPerLineBreak) {
  const struct {
    std::string text;
    std::string read_back;
    int length;
    std::vector<std::pair<int, std::string>> lines;  // start and text of each line
  } cases[] = {
      {"ab\r\ncde\r\nf", "ab\r\ncde\r\nf", 8, {{0, "ab"}, {3, "cde"}, {7, "f"}}},
      {"", "", 0, {{0, ""}}},  // the empty text is one empty line
      {"a\r\n", "a\r\n", 2, {{0, "a"}, {2, ""}}},
      {"a\nb\rc\r\n\r\nd\n\r",
       "a\r\nb\r\nc\r\n\r\nd\r\n\r\n",
       10,
       {{0, "a"}, {2, "b"}, {4, "c"}, {6, ""}, {7, "d"}, {9, ""}, {10, ""}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.read_back);
    const MemoryTextView view(c.text);
    EXPECT_EQ(view.Text(), c.read_back);
    EXPECT_EQ(view.Length(), c.length);
    ASSERT_EQ(view.LineCount(), static_cast<int>(c.lines.size()));
    for (int line = 1; line <= view.LineCount(); ++line) {
      EXPECT_EQ(view.LineStart(line), c.lines[line - 1].first) << line;
      EXPECT_EQ(view.LineText(line), c.lines[line - 1].second) << line;
    }
  }
}

TEST(MemoryTextViewLinesTest, LinesOutsideTheTextHaveNoStartAndNoText) {
  const MemoryTextView view("ab\r\ncd");
  EXPECT_EQ(view.LineStart(0), -1);
  EXPECT_EQ(view.LineStart(3), -1);
  EXPECT_EQ(view.LineStart(-1), -1);
  EXPECT_EQ(view.LineText(0), "");
  EXPECT_EQ(view.LineText(3), "");
}

TEST(MemoryTextViewLinesTest, PositionsCountCharactersNotBytes) {
  // e-acute (2 bytes), euro sign (3 bytes), G clef (4 bytes).
  const MemoryTextView view("\xC3\xA9\xE2\x82\xAC\r\n\xF0\x9D\x84\x9Ex");
  EXPECT_EQ(view.Length(), 5);
  EXPECT_EQ(view.LineStart(2), 3);
  EXPECT_EQ(view.LineText(1), "\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(view.LineText(2), "\xF0\x9D\x84\x9Ex");
  EXPECT_EQ(view.TextAt(1, 3), "\xE2\x82\xAC\r\n\xF0\x9D\x84\x9E");
}

TEST(MemoryTextViewLinesTest, MalformedByteCountsAsOneCharacter) {
  const MemoryTextView view("a\xFF\xC3z");
  EXPECT_EQ(view.Length(), 4);
  EXPECT_EQ(view.TextAt(1, 2), "\xFF\xC3");
  EXPECT_EQ(view.Text(), "a\xFF\xC3z");
}

TEST(MemoryTextViewSelectionTest, SelectedTextSpansLineBreaksAsCrLf) {
  MemoryTextView view("ab\r\ncd");
  view.SetSelection(1, 3);
  EXPECT_EQ(view.SelectionStart(), 1);
  EXPECT_EQ(view.SelectionLength(), 3);
  EXPECT_EQ(view.SelectedText(), "b\r\nc");
}

TEST(MemoryTextViewSelectionTest, SelectionKeepsThePartInsideTheText) {
  MemoryTextView view("abcde");
  struct Case {
    int start, length, expected_start, expected_length;
  };
  for (const Case& c : std::vector<Case>{{-3, 2, 0, 0},
                                         {-1, 3, 0, 2},
                                         {3, 100, 3, 2},
                                         {100, 1, 5, 0},
                                         {2, -1, 2, 0},
                                         {0, 5, 0, 5}}) {
    view.SetSelection(c.start, c.length);
    EXPECT_EQ(view.SelectionStart(), c.expected_start) << c.start << "," << c.length;
    EXPECT_EQ(view.SelectionLength(), c.expected_length) << c.start << "," << c.length;
  }
}

TEST(MemoryTextViewSelectionTest, NewTextEmptiesTheSelectionAndClearsColours) {
  MemoryTextView view("abc");
  view.SetSelection(1, 2);
  view.SetSelectionBackground(kRed);
  view.SetText("xyz");
  EXPECT_EQ(view.SelectionStart(), 0);
  EXPECT_EQ(view.SelectionLength(), 0);
  EXPECT_EQ(view.SelectedText(), "");
  EXPECT_EQ(Backgrounds(view), std::vector<std::optional<RgbColor>>(3));
}

TEST(MemoryTextViewColourTest, ColouringOneLineLeavesEveryOtherCharacterUnchanged) {
  MemoryTextView view("ab\r\ncd\r\nef");
  view.SetBackground(view.LineStart(2), 2, kGreen);
  EXPECT_EQ(Backgrounds(view), (std::vector<std::optional<RgbColor>>{
                                   std::nullopt, std::nullopt, std::nullopt, kGreen, kGreen,
                                   std::nullopt, std::nullopt, std::nullopt}));

  view.SetBackground(view.LineStart(1), 2, kRed);
  view.SetBackground(view.LineStart(3), 2, kBlue);
  view.SetBackground(view.LineStart(2), 2, kRed);
  EXPECT_EQ(Backgrounds(view),
            (std::vector<std::optional<RgbColor>>{kRed, kRed, std::nullopt, kRed, kRed,
                                                  std::nullopt, kBlue, kBlue}));
}

TEST(MemoryTextViewColourTest, SelectionBackgroundPaintsExactlyTheSelection) {
  MemoryTextView view("abcdef");
  view.SetSelection(2, 2);
  view.SetSelectionBackground(kBlue);
  EXPECT_EQ(Backgrounds(view),
            (std::vector<std::optional<RgbColor>>{std::nullopt, std::nullopt, kBlue, kBlue,
                                                  std::nullopt, std::nullopt}));
  EXPECT_EQ(view.SelectionStart(), 2);
  EXPECT_EQ(view.SelectionLength(), 2);
}

TEST(MemoryTextViewColourTest, RangesAreCutToTheTextAndDoNotMoveTheSelection) {
  MemoryTextView view("abc");
  view.SetSelection(1, 1);
  view.SetBackground(2, 10, kRed);
  view.SetBackground(-5, 6, kGreen);
  view.SetBackground(1, -1, kBlue);
  EXPECT_EQ(Backgrounds(view), (std::vector<std::optional<RgbColor>>{kGreen, std::nullopt, kRed}));
  EXPECT_EQ(view.BackgroundAt(3), std::nullopt);
  EXPECT_EQ(view.BackgroundAt(-1), std::nullopt);
  EXPECT_EQ(view.SelectionStart(), 1);
  EXPECT_EQ(view.SelectionLength(), 1);
}

TEST(MemoryTextViewDeviceTest, PageSizeFocusAndPrinting) {
  MemoryTextView view("line 1\r\nline 2");
  view.SetPageSize(20000, 15840);
  EXPECT_EQ(view.PageWidth(), 20000u);
  EXPECT_EQ(view.PageHeight(), 15840u);

  view.SetFocus();
  EXPECT_EQ(view.focus_requests(), 1);

  EXPECT_TRUE(view.Print("Comparison Report"));
  view.set_print_result(false);
  EXPECT_FALSE(view.Print("Second"));
  ASSERT_EQ(view.printed().size(), 2u);
  EXPECT_EQ(view.printed()[0].document_name, "Comparison Report");
  EXPECT_EQ(view.printed()[0].text, "line 1\r\nline 2");
  EXPECT_EQ(view.printed()[1].document_name, "Second");
}

}  // namespace
}  // namespace korvane
