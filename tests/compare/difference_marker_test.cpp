#include "compare/difference_marker.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/memory_text_view.h"
#include "base/text.h"
#include "faulty_text_view.h"
#include "support/recording_user_interface.h"

namespace korvane {
namespace {

using testing::FaultyTextView;
using testing::RecordingUserInterface;

constexpr LineState k0 = LineState::kNotAssigned;
constexpr LineState kSame = LineState::kNotChanged;
constexpr LineState kChanged = LineState::kChanged;
constexpr LineState kIns = LineState::kOnlyInTarget;
constexpr LineState kDel = LineState::kOnlyInSource;

TEST(GetStateColorTest, EveryStateHasItsColour) {
  struct Case {
    LineState state;
    RgbColor colour;
  };
  const std::vector<Case> cases = {
      {LineState::kNotAssigned, {255, 255, 0}},    {LineState::kNotChanged, {255, 255, 255}},
      {LineState::kChanged, {192, 255, 192}},      {LineState::kOnlyInTarget, {122, 195, 217}},
      {LineState::kOnlyInSource, {255, 192, 192}}, {static_cast<LineState>(99), {0, 0, 0}},
      {static_cast<LineState>(-1), {0, 0, 0}},     {static_cast<LineState>(15), {0, 0, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetStateColor(c.state), c.colour) << static_cast<int>(c.state);
  }
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i)
    text += (i == 0 ? "" : "\r\n") + lines[i];
  return text;
}

std::vector<std::string> Numbered(const std::string& prefix, int count) {
  std::vector<std::string> lines;
  for (int k = 1; k <= count; ++k)
    lines.push_back(prefix + std::to_string(k));
  return lines;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<LineState> States(const std::vector<CompLine>& lines) {
  std::vector<LineState> states;
  for (const CompLine& line : lines)
    states.push_back(line.state);
  return states;
}

std::vector<LineState> Repeat(LineState state, int count) {
  return std::vector<LineState>(count, state);
}

std::vector<LineState> Concat(std::vector<LineState> a, const std::vector<LineState>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Every character of line i carries the colour of states[i]; line breaks carry none.
void ExpectPainted(const MemoryTextView& view, const std::vector<LineState>& states,
                   const std::string& side) {
  ASSERT_EQ(view.LineCount(), static_cast<int>(states.size())) << side;
  for (int line = 1; line <= view.LineCount(); ++line) {
    const int start = view.LineStart(line);
    const int end = line < view.LineCount() ? view.LineStart(line + 1) - 1 : view.Length();
    for (int position = start; position < end; ++position) {
      EXPECT_EQ(view.BackgroundAt(position), GetStateColor(states[line - 1]))
          << side << " line " << line << " position " << position;
    }
    if (line < view.LineCount()) {
      EXPECT_EQ(view.BackgroundAt(end), std::nullopt) << side << " break after line " << line;
    }
  }
}

void ExpectUnpainted(const MemoryTextView& view, const std::string& side) {
  for (int position = 0; position < view.Length(); ++position)
    EXPECT_EQ(view.BackgroundAt(position), std::nullopt) << side << " position " << position;
}

struct Marked {
  std::vector<LineState> source;
  std::vector<LineState> target;
};

// Marks the two texts in fresh views, checks the painting against the states and returns them.
Marked Mark(const std::string& source_text, const std::string& target_text) {
  MemoryTextView source(source_text);
  MemoryTextView target(target_text);
  std::vector<CompLine> source_lines;
  std::vector<CompLine> target_lines;
  bool error = true;
  RecordingUserInterface ui;
  Mark_Differences(source, target, source_lines, target_lines, error, ui);
  EXPECT_FALSE(error);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(ui.error_reports.empty());
  const Marked marked{States(source_lines), States(target_lines)};
  if (!source_lines.empty())
    ExpectPainted(source, marked.source, "source");
  if (!target_lines.empty())
    ExpectPainted(target, marked.target, "target");
  return marked;
}

TEST(MarkDifferencesTest, EveryLineGetsTheStateOfItsPlaceInTheOtherText) {
  using States = std::vector<LineState>;
  const struct {
    const char* what;
    std::string source;
    std::string target;
    States source_states;
    States target_states;
  } cases[] = {
      {"an extra line in the middle of the Target is the only coloured one",
       "a\r\nb\r\nc\r\nd",
       "a\r\nb\r\nX\r\nc\r\nd",
       {kSame, kSame, kSame, kSame},
       {kSame, kSame, kIns, kSame, kSame}},
      {"a line missing in the Target is deleted",
       "a\r\nX\r\nb",
       "a\r\nb",
       {kSame, kDel, kSame},
       {kSame, kSame}},
      {"a changed line of texts of one length is a changed pair",
       "[a] int\r\n[b] int\r\n[c] int",
       "[a] int\r\n[b] bigint\r\n[c] int",
       {kSame, kChanged, kSame},
       {kSame, kChanged, kSame}},
      // Lines are compared exactly: case, blanks and a final comma count.
      {"letter case", "a\r\nx", "A\r\nx", {kChanged, kSame}, {kChanged, kSame}},
      {"blanks", "a b\r\nx", "a  b\r\nx", {kChanged, kSame}, {kChanged, kSame}},
      {"a final comma", "a,\r\nx", "a\r\nx", {kChanged, kSame}, {kChanged, kSame}},
      // Both searches would find a match; the Source line's search in the Target wins.
      {"the search in the Target first", "a\r\nb", "b\r\na", {kSame, kDel}, {kIns, kSame}},
      {"the first match in the window",
       "x\r\ny",
       "a\r\nx\r\nx\r\ny",
       {kSame, kSame},
       {kIns, kSame, kIns, kSame}},
      // The walk stops after as many steps as the Source has lines; what is left belongs to
      // its side only.
      {"a longer Target", "a", "a\r\nb\r\nc", {kSame}, {kSame, kIns, kIns}},
      {"a longer Source", "a\r\nb\r\nc", "a", {kSame, kDel, kDel}, {kSame}},
      {"the Source runs out after a look-ahead",
       "b\r\nz",
       "a\r\nb\r\nz\r\nq",
       {kSame, kSame},
       {kIns, kSame, kSame, kIns}},
      {"an empty Source", "", "a\r\nb\r\nc", {}, {kIns, kIns, kIns}},
      {"an empty Target", "a\r\nb", "", {kDel, kDel}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Marked marked = Mark(c.source, c.target);
    EXPECT_EQ(marked.source, c.source_states);
    EXPECT_EQ(marked.target, c.target_states);
  }
}

TEST(MarkDifferencesTest, TargetLookAheadFindsTheTwentyFirstLineButNotTheTwentySecond) {
  // Twenty inserted lines: the Source line is found as the 21st line of the window.
  const Marked found =
      Mark(Join({"x", "end"}), Join(Concat(Concat(Numbered("t", 20), {"x"}), {"end"})));
  EXPECT_EQ(found.source, (std::vector<LineState>{kSame, kSame}));
  EXPECT_EQ(found.target, Concat(Repeat(kIns, 20), {kSame, kSame}));

  // Twenty-one inserted lines: not found, so the first pair is marked changed.
  const Marked missed =
      Mark(Join({"x", "end"}), Join(Concat(Concat(Numbered("t", 21), {"x"}), {"end"})));
  EXPECT_EQ(missed.source, (std::vector<LineState>{kChanged, kChanged}));
  EXPECT_EQ(missed.target, Concat({kChanged, kChanged}, Repeat(kIns, 21)));
}

TEST(MarkDifferencesTest, SourceLookAheadFindsTheTwentyFirstLineButNotTheTwentySecond) {
  const Marked found = Mark(Join(Concat(Numbered("s", 20), {"x"})), "x");
  EXPECT_EQ(found.source, Concat(Repeat(kDel, 20), {kSame}));
  EXPECT_EQ(found.target, (std::vector<LineState>{kSame}));

  // Not found: the first pair is changed and the Target is exhausted.
  const Marked missed = Mark(Join(Concat(Numbered("s", 21), {"x"})), "x");
  EXPECT_EQ(missed.source, Concat({kChanged}, Repeat(kDel, 21)));
  EXPECT_EQ(missed.target, (std::vector<LineState>{kChanged}));
}

TEST(MarkDifferencesTest, NoLineIsLeftWithoutAState) {
  const std::vector<std::string> sources = {"a\r\nb\r\nc", "x\r\ny\r\n", "a\r\nq\r\nq\r\nb"};
  const std::vector<std::string> targets = {"c\r\nb\r\na", "y\r\nx", "q\r\nb\r\na\r\nq\r\n"};
  for (const std::string& source : sources) {
    for (const std::string& target : targets) {
      const Marked marked = Mark(source, target);
      for (const LineState state : Concat(marked.source, marked.target))
        EXPECT_NE(state, k0) << source << " / " << target;
    }
  }
}

TEST(MarkDifferencesTest, PaintsCharactersOfMultiByteLinesExactly) {
  const Marked marked = Mark("\xC3\xA9t\xC3\xA9\r\nb", "\xC3\xA9t\xC3\xA9\r\nc");
  EXPECT_EQ(marked.source, (std::vector<LineState>{kSame, kChanged}));
}

TEST(MarkDifferencesTest, EqualTextsAreLeftAsTheyArePainted) {
  MemoryTextView source("a\r\nb");
  MemoryTextView target("a\r\nb");
  source.SetBackground(0, 1, {1, 2, 3});
  std::vector<CompLine> source_lines = {{"stale", kChanged, 0, 1}};
  std::vector<CompLine> target_lines;
  bool error = true;
  RecordingUserInterface ui;
  Mark_Differences(source, target, source_lines, target_lines, error, ui);
  EXPECT_FALSE(error);
  EXPECT_TRUE(source_lines.empty());
  EXPECT_EQ(source.BackgroundAt(0), (RgbColor{1, 2, 3}));
  EXPECT_EQ(source.BackgroundAt(2), std::nullopt);
  ExpectUnpainted(target, "target");
}

TEST(MarkDifferencesTest, RemarkingRepaintsEveryLine) {
  MemoryTextView source("a\r\nb");
  MemoryTextView target("a\r\nc");
  std::vector<CompLine> source_lines;
  std::vector<CompLine> target_lines;
  bool error = false;
  RecordingUserInterface ui;
  Mark_Differences(source, target, source_lines, target_lines, error, ui);
  ExpectPainted(target, {kSame, kChanged}, "target");

  target.SetText("b");
  Mark_Differences(source, target, source_lines, target_lines, error, ui);
  EXPECT_EQ(States(source_lines), (std::vector<LineState>{kDel, kSame}));
  ExpectPainted(source, {kDel, kSame}, "source");
  ExpectPainted(target, {kSame}, "target");
}

TEST(MarkDifferencesTest, UnreadableViewShowsErrorOccurredAndPaintsNothing) {
  for (const bool source_fails : {true, false}) {
    FaultyTextView source("a\r\nb");
    FaultyTextView target("a\r\nc");
    (source_fails ? source : target).line_start_answers[2] = -1;
    std::vector<CompLine> source_lines;
    std::vector<CompLine> target_lines;
    bool error = false;
    RecordingUserInterface ui;
    Mark_Differences(source, target, source_lines, target_lines, error, ui);
    EXPECT_TRUE(error);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Error occurred.");
    EXPECT_EQ(ui.messages[0].title, "Korvane");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::kCritical);
    EXPECT_TRUE(ui.error_reports.empty());
    EXPECT_TRUE(source_lines.empty());
    EXPECT_TRUE(target_lines.empty());
    ExpectUnpainted(source, "source");
    ExpectUnpainted(target, "target");
  }
}

TEST(MarkDifferencesTest, FailureGoesToTheErrorReport) {
  MemoryTextView source("a");
  FaultyTextView target("b");
  target.text_failure = FaultyTextView::Failure::kRuntimeError;
  std::vector<CompLine> source_lines;
  std::vector<CompLine> target_lines;
  bool error = false;
  RecordingUserInterface ui;
  Mark_Differences(source, target, source_lines, target_lines, error, ui);
  EXPECT_TRUE(error);
  EXPECT_TRUE(ui.messages.empty());
  ASSERT_EQ(ui.error_reports.size(), 1u);
  EXPECT_EQ(ui.error_reports[0].module_name, "modMarkDifferences");
  EXPECT_EQ(ui.error_reports[0].procedure_name, "Mark_Differences");
  EXPECT_EQ(ui.error_reports[0].error_number, 5);
  EXPECT_EQ(ui.error_reports[0].error_description, "the view is gone");
  ExpectUnpainted(source, "source");
}

}  // namespace
}  // namespace korvane
