#include "compare/column_order_comparison.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory_text_view.h"
#include "faulty_text_view.h"
#include "support/recording_user_interface.h"

namespace korvane {
namespace {

using testing::FaultyTextView;
using testing::RecordingUserInterface;

TEST(CompareProcsIgnoreColumnsOrderTest, SameLinesInAnyOrder) {
  struct Case {
    std::string name;
    std::string source;
    std::string target;
    bool identical;
  };
  const std::vector<Case> cases = {
      {"columns swapped", "[A] int NULL\r\n[B] char(10)", "[B] char(10)\r\n[A] int NULL", true},
      {"same order", "[A] int\r\n[B] int", "[A] int\r\n[B] int", true},
      {"line twice on one side, once on the other", "[A]\r\n[A]\r\n[B]", "[A]\r\n[B]", false},
      {"same count, other multiplicities", "[A]\r\n[A]\r\n[B]", "[A]\r\n[B]\r\n[B]", false},
      {"case-only pair swapped", "a\r\nA", "A\r\na", false},
      {"case-only pair in the same order", "a\r\nA", "a\r\nA", true},
      {"case-only pair reordered by the sort", "b\r\nB\r\na", "a\r\nb\r\nB", false},
      {"letter case counts", "[a] int", "[A] int", false},
      {"white space counts", "[a]  int", "[a] int", false},
      {"trailing line break is an extra empty line", "a\r\nb\r\n", "b\r\na", false},
      {"both empty", "", "", true},
      {"one empty", "", "a", false},
  };
  for (const Case& c : cases) {
    RecordingUserInterface ui;
    const MemoryTextView source(c.source);
    const MemoryTextView target(c.target);
    EXPECT_EQ(CompareProcs_IgnoreColumnsOrder(source, target, ui), c.identical) << c.name;
    EXPECT_TRUE(ui.messages.empty()) << c.name;
  }
}

TEST(CompareProcsIgnoreColumnsOrderTest, UnreadableViewNamesItsSideAndAnswersDifferent) {
  const MemoryTextView good("a\r\nb");
  FaultyTextView bad("a\r\nb");
  bad.line_start_answers[2] = -1;

  RecordingUserInterface ui;
  EXPECT_FALSE(CompareProcs_IgnoreColumnsOrder(bad, good, ui));
  EXPECT_FALSE(CompareProcs_IgnoreColumnsOrder(good, bad, ui));
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Ignore Columns Order option (Source) - error occurred.");
  EXPECT_EQ(ui.messages[1].text, "Ignore Columns Order option (Target) - error occurred.");
  for (const auto& message : ui.messages) {
    EXPECT_EQ(message.title, "Korvane");
    EXPECT_EQ(message.icon, MessageIcon::kCritical);
  }
  EXPECT_TRUE(ui.error_reports.empty());
}

TEST(CompareProcsIgnoreColumnsOrderTest, FailureGoesToTheErrorReportAndAnswersDifferent) {
  const struct {
    FaultyTextView::Failure failure;
    bool source_fails;
    int error_number;
    std::string description;
  } cases[] = {
      {FaultyTextView::Failure::kRuntimeError, false, 5, "the view is gone"},
      {FaultyTextView::Failure::kOutOfMemory, true, 7, "Out of memory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    const MemoryTextView good("a");
    FaultyTextView failing("a");
    failing.text_failure = c.failure;
    RecordingUserInterface ui;
    EXPECT_FALSE(c.source_fails ? CompareProcs_IgnoreColumnsOrder(failing, good, ui)
                                : CompareProcs_IgnoreColumnsOrder(good, failing, ui));
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ui.error_reports.size(), 1u);
    const ErrorReport& report = ui.error_reports[0];
    EXPECT_EQ(report.module_name, "modIgnoreColumnsOrder");
    EXPECT_EQ(report.procedure_name, "CompareProcs_IgnoreColumnsOrder");
    EXPECT_EQ(report.error_number, c.error_number);
    EXPECT_EQ(report.error_description, c.description);
    EXPECT_EQ(report.program_version, "1.3");
    EXPECT_EQ(report.build_number, 172);
    EXPECT_EQ(report.extra_description, "");
  }
}

}  // namespace
}  // namespace korvane
