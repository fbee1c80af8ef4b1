#include "compare/comp_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory_text_view.h"
#include "faulty_text_view.h"

namespace korvane {
namespace {

using testing::FaultyTextView;

CompLine Line(std::string text, std::int32_t start, std::int32_t end) {
  return {std::move(text), LineState::kNotAssigned, start, end};
}

std::vector<std::string> Texts(const std::vector<CompLine>& lines) {
  std::vector<std::string> texts;
  for (const CompLine& line : lines)
    texts.push_back(line.text);
  return texts;
}

std::vector<CompLine> LinesOf(const std::vector<std::string>& texts) {
  std::vector<CompLine> lines;
  for (const std::string& text : texts)
    lines.push_back({text, LineState::kNotAssigned, 0, 0});
  return lines;
}

std::vector<std::string> Sorted(const std::vector<std::string>& texts) {
  std::vector<CompLine> lines = LinesOf(texts);
  SortArray_CompLine(lines);
  return Texts(lines);
}

TEST(ConvTextToArrayTest, ReadsEveryLineWithItsRangeInCharacters) {
  const struct {
    std::string text;
    std::vector<CompLine> lines;
  } cases[] = {
      {"ab\r\ncd\r\n", {Line("ab", 0, 2), Line("cd", 3, 5), Line("", 6, 6)}},
      // Ranges count characters, not bytes.
      {"\xC3\xA9\xE2\x82\xAC\r\nx", {Line("\xC3\xA9\xE2\x82\xAC", 0, 2), Line("x", 3, 4)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const MemoryTextView view(c.text);
    std::vector<CompLine> lines;
    bool error = true;
    EXPECT_EQ(TXText_ConvTextToArray(view, lines, error), static_cast<int>(c.lines.size()));
    EXPECT_FALSE(error);
    EXPECT_EQ(lines, c.lines);
  }
}

TEST(ConvTextToArrayTest, EmptyViewHasNoLines) {
  const MemoryTextView view("");
  std::vector<CompLine> lines = LinesOf({"stale"});
  bool error = true;
  EXPECT_EQ(TXText_ConvTextToArray(view, lines, error), 0);
  EXPECT_FALSE(error);
  EXPECT_TRUE(lines.empty());
}

TEST(ConvTextToArrayTest, ViewAnswersThatCannotBeLinesAreErrors) {
  struct Case {
    std::string name;
    int line;
    int answer;
  };
  const std::vector<Case> cases = {
      {"negative start", 2, -1},
      {"next line starts before this one ends", 2, 0},
      {"line beyond the text", 2, 99},
      {"last line starts after the end", 3, 99},
  };
  for (const Case& c : cases) {
    FaultyTextView view("ab\r\ncd\r\nef");
    view.line_start_answers[c.line] = c.answer;
    std::vector<CompLine> lines = LinesOf({"stale"});
    bool error = false;
    EXPECT_EQ(TXText_ConvTextToArray(view, lines, error), 0) << c.name;
    EXPECT_TRUE(error) << c.name;
    EXPECT_TRUE(lines.empty()) << c.name;
  }
}

TEST(SortArrayCompLineTest, SortsByTextIgnoringCase) {
  EXPECT_EQ(Sorted({"c", "B", "a"}), (std::vector<std::string>{"a", "B", "c"}));
  EXPECT_EQ(Sorted({"[b] int", "[A] int", "[a] char"}),
            (std::vector<std::string>{"[a] char", "[A] int", "[b] int"}));
  EXPECT_EQ(Sorted({}), std::vector<std::string>{});
  EXPECT_EQ(Sorted({"_", "a", "Z"}), (std::vector<std::string>{"a", "Z", "_"}));  // '_' > 'Z'
}

TEST(SortArrayCompLineTest, TextsEqualApartFromCaseAreNeverExchangedWithEachOther) {
  EXPECT_EQ(Sorted({"a", "A"}), (std::vector<std::string>{"a", "A"}));
  EXPECT_EQ(Sorted({"A", "a"}), (std::vector<std::string>{"A", "a"}));
  EXPECT_EQ(Sorted({"b", "a", "A"}), (std::vector<std::string>{"a", "A", "b"}));
}

TEST(SortArrayCompLineTest, ExchangesWithOtherLinesCanReorderCaseEqualLines) {
  // "b" goes to the end when it is exchanged with "a"; "B" stays: the pair ends up reversed.
  EXPECT_EQ(Sorted({"b", "B", "a"}), (std::vector<std::string>{"a", "B", "b"}));
}

TEST(SortArrayCompLineTest, WholeRecordsAreExchanged) {
  std::vector<CompLine> lines = {{"b", LineState::kChanged, 0, 1},
                                 {"a", LineState::kOnlyInTarget, 2, 3}};
  SortArray_CompLine(lines);
  EXPECT_EQ(lines, (std::vector<CompLine>{{"a", LineState::kOnlyInTarget, 2, 3},
                                          {"b", LineState::kChanged, 0, 1}}));
}

TEST(AreTypeArraysIdenticalTest, SameCountAndExactlyEqualTexts) {
  EXPECT_TRUE(AreTypeArrays_CompLine_Identical({}, {}));
  EXPECT_TRUE(AreTypeArrays_CompLine_Identical(LinesOf({"a", "b"}), LinesOf({"a", "b"})));
  EXPECT_FALSE(AreTypeArrays_CompLine_Identical(LinesOf({"a", "b"}), LinesOf({"a", "B"})));
  EXPECT_FALSE(AreTypeArrays_CompLine_Identical(LinesOf({"a", "b"}), LinesOf({"a"})));
  EXPECT_FALSE(AreTypeArrays_CompLine_Identical(LinesOf({"a"}), LinesOf({"a", "b"})));
  // Only the texts count, not where the lines stand or their states.
  EXPECT_TRUE(AreTypeArrays_CompLine_Identical({{"a", LineState::kChanged, 0, 1}},
                                               {{"a", LineState::kNotAssigned, 7, 8}}));
}

}  // namespace
}  // namespace korvane
