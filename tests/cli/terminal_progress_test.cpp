// The terminal progress line of data comparisons: its text fitted to the terminal, how often it
// is drawn (a fake clock drives the time), the stages of a comparison as it shows them, and the
// messages of the command line erasing it first, and a Ctrl-C erasing it before the process ends.
#include "cli/terminal_progress.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/text.h"
#include "cli/cli_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using std::chrono::milliseconds;

constexpr std::string_view kErase = "\r\x1b[K";

// A clock whose monotonic reading moves only when the test moves it.
class FakeClock final : public Clock {
 public:
  LocalDateTime LocalNow() const override { return {}; }
  std::chrono::steady_clock::time_point SteadyNow() const override { return now_; }
  void Advance(milliseconds by) { now_ += by; }

 private:
  std::chrono::steady_clock::time_point now_{};
};

std::string Drawing(std::string_view text) {
  return "\r" + std::string(text) + "\x1b[K";
}

// What the output gained since the last call.
class OutputTail {
 public:
  explicit OutputTail(const std::ostringstream& stream) : stream_(stream) {}
  std::string Next() {
    const std::string all = stream_.str();
    std::string tail = all.substr(seen_);
    seen_ = all.size();
    return tail;
  }

 private:
  const std::ostringstream& stream_;
  std::size_t seen_ = 0;
};

// Columns as the line measures them: ASCII one, other characters two.
std::size_t DisplayWidth(std::string_view text) {
  std::size_t width = 0;
  for (std::string_view character : Utf8Chunks(text, 1))
    width += character.size() == 1 ? 1 : 2;
  return width;
}

ProgressLineFields Counting(std::string table) {
  return {std::move(table), "Counting records in first table...", {}, {}, {}, 0};
}

TEST(ProgressLineTextTest, FitsTheTerminalAndShortensLongTableNames) {
  const ProgressLineFields full{"dbo.Orders", "Comparing records...", 12345, 1000000, 45678, 65};
  struct Case {
    const char* name;
    ProgressLineFields fields;
    int columns;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"counting", Counting("Orders"), 80, "Orders  Counting records in first table...  00:00:00"},
      {"unknown width is 80", Counting("Orders"), 0,
       "Orders  Counting records in first table...  00:00:00"},
      {"first comparing drawing has no rate",
       {"Orders", "Comparing records...", 0, 42, {}, 0},
       80,
       "Orders  Comparing records...  0 of 42 rows  00:00:00"},
      {"no count known",
       {"Orders", "Comparing records...", 7, {}, {}, 3},
       80,
       "Orders  Comparing records...  7 rows  00:00:03"},
      {"everything fits", full, 100,
       "dbo.Orders  Comparing records...  12,345 of 1,000,000 rows  45,678 rows/s  00:01:05"},
      // 73 columns of counts would leave 6 of the 79 for the name: the rate goes first.
      {"rate left out to keep the name", full, 80,
       "dbo.Orders  Comparing records...  12,345 of 1,000,000 rows  00:01:05"},
      {"long name shortened beside the rate",
       {"Sales.CustomerOrderLinesArchive2024", "Comparing records...", 5, 10, 2, 1},
       80,
       "Sales.Cust...rchive2024  Comparing records...  5 of 10 rows  2 rows/s  00:00:01"},
      // Without the rate 58 columns leave 11 for the name, fewer than the 12 it keeps.
      {"then the name left out",
       {"Sales.CustomerOrderLinesArchive2024", "Comparing records...", 12345, 1000000, 45678, 65},
       70,
       "Comparing records...  12,345 of 1,000,000 rows  00:01:05"},
      {"long name kept at both ends", Counting("Sales.CustomerOrderLinesArchive2024"), 60,
       "Sales...e2024  Counting records in first table...  00:00:00"},
      {"no room for a name: the rest cut at the edge", Counting("Orders"), 20,
       "Counting records in"},
      {"control characters cannot reach the terminal", Counting("Ord\x1b[2Jers\x7f\tX"), 80,
       "Ord?[2Jers??X  Counting records in first table...  00:00:00"},
      {"C1 controls and stray bytes",
       Counting("A\xc2\x9b"
                "B\xff"),
       80, "A?B?  Counting records in first table...  00:00:00"},
      {"wide characters fit exactly", Counting("Zam\xc3\xb3wienia"), 58,
       "Zam\xc3\xb3wienia  Counting records in first table...  00:00:00"},
      {"wide characters counted double when shortening",
       Counting("Zam\xc3\xb3wienia_klient\xc3\xb3w_archiwum"), 60,
       "Zam\xc3\xb3...hiwum  Counting records in first table...  00:00:00"},
      {"a name that would keep fewer than 12 columns is left out", Counting("Zam\xc3\xb3wienia"),
       57, "Counting records in first table...  00:00:00"},
      {"no table", Counting(""), 80, "Counting records in first table...  00:00:00"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProgressLineText(c.fields, c.columns), c.expected) << c.name;
}

TEST(ProgressLineTextTest, NeverWiderThanTheTerminalLessOneColumn) {
  const std::vector<ProgressLineFields> lines = {
      Counting("Sales.CustomerOrderLinesArchive2024"),
      Counting("\xe5\xae\xa2\xe6\x88\xb7\xe8\xae\xa2\xe5\x8d\x95\xe6\x98\x8e\xe7\xbb\x86"),
      {"dbo.Orders", "Comparing records...", 999999999, 1999999999, 123456789, 400000},
  };
  for (const ProgressLineFields& fields : lines) {
    for (int columns = 1; columns <= 140; ++columns) {
      const std::string text = ProgressLineText(fields, columns);
      EXPECT_LE(DisplayWidth(text), static_cast<std::size_t>(columns - 1))
          << fields.table << " at " << columns << ": " << text;
      EXPECT_TRUE(IsValidUtf8(text)) << fields.table << " at " << columns;
    }
  }
}

TEST(ParseFormattedCountTest, ReadsOnlyFormattedCounts) {
  struct Case {
    std::string_view text;
    std::optional<std::int64_t> expected;
  };
  const std::vector<Case> cases = {
      {"0", 0},
      {"42", 42},
      {"1,000,000", 1000000},
      {"N/A", std::nullopt},
      {"Counting...", std::nullopt},
      {"", std::nullopt},
      {",5", std::nullopt},
      {"-3", std::nullopt},
      {"99999999999999999999", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ParseFormattedCount(c.text), c.expected) << c.text;
}

TEST(TerminalProgressLineTest, DrawsAtMostEveryTenthOfASecondUnlessAtOnce) {
  FakeClock clock;
  std::ostringstream terminal;
  OutputTail tail(terminal);
  struct Step {
    int advance_ms;
    const char* stage;
    bool at_once;
    bool drawn;
  };
  const std::vector<Step> steps = {
      {0, "A", false, true},     // the first drawing
      {50, "B", false, false},   // too soon
      {49, "C", false, false},   // still too soon
      {1, "D", false, true},     // 100 ms after A
      {10, "E", true, true},     // a new stage is drawn at once
      {0, "E", true, false},     // the same text is not drawn again
      {100, "E", false, false},  // nor later
      {100, "F", false, true},
  };
  TerminalProgressLine line(terminal, clock, [] { return 100; });
  for (std::size_t i = 0; i < steps.size(); ++i) {
    clock.Advance(milliseconds(steps[i].advance_ms));
    line.Show({"T", steps[i].stage, {}, {}, {}, 0}, steps[i].at_once);
    const std::string expected =
        steps[i].drawn ? Drawing(std::string("T  ") + steps[i].stage + "  00:00:00") : "";
    EXPECT_EQ(tail.Next(), expected) << "step " << i;
  }
  line.Erase();
  EXPECT_EQ(tail.Next(), kErase);
  line.Erase();
  EXPECT_EQ(tail.Next(), "") << "nothing left to erase";
}

TEST(TerminalProgressLineTest, GoingAwayErasesTheLine) {
  FakeClock clock;
  std::ostringstream terminal;
  {
    TerminalProgressLine line(terminal, clock, {});
    line.Show(Counting("Orders"), false);
  }
  EXPECT_EQ(terminal.str(),
            Drawing("Orders  Counting records in first table...  00:00:00") + std::string(kErase));
}

TEST(TerminalProgressLineTest, MeasuresTheTerminalAtEachDrawing) {
  FakeClock clock;
  std::ostringstream terminal;
  OutputTail tail(terminal);
  int columns = 80;
  TerminalProgressLine line(terminal, clock, [&columns] { return columns; });
  line.Show(Counting("Orders"), true);
  EXPECT_EQ(tail.Next(), Drawing("Orders  Counting records in first table...  00:00:00"));
  columns = 20;
  line.Show(Counting("Orders"), true);
  EXPECT_EQ(tail.Next(), Drawing("Counting records in"));
}

// The progress dialog of one comparison as the record comparison engine drives it.
TEST(TerminalCompareStatusTest, ShowsEachStageAndTheComparingRate) {
  FakeClock clock;
  std::ostringstream terminal;
  OutputTail tail(terminal);
  TerminalProgressLine line(terminal, clock, [] { return 120; });
  TerminalCompareStatus status(clock, line);
  const auto load = [&status] {
    status.Load({"s1", "s2"}, {"Live", "Dev"}, {"dbo.Orders", "dbo.Orders2"});
  };
  const std::string table = "dbo.Orders  ";
  struct Step {
    int advance_ms;
    std::function<void()> action;
    std::string expected;
  };
  const std::vector<Step> steps = {
      {0, load, ""},
      {0, [&] { status.ShowStage(kCountingSourceStage); },
       Drawing(table + "Counting records in first table...  00:00:00")},
      {10, [&] { status.ShowCount(0, "1,000"); }, ""},
      {10, [&] { status.ShowStage(kCountingTargetStage); },
       Drawing(table + "Counting records in second table...  00:00:00")},
      {10, [&] { status.ShowCount(1, "1,200"); }, ""},
      // Due again, but nothing new to show.
      {500, [&] { status.ResetGauge(); }, ""},
      {0, [&] { status.ShowStage(kReadingSourceStage); },
       Drawing(table + "Getting data from first table...  00:00:00")},
      {2000, [&] { status.ShowStage(kReadingTargetStage); },
       Drawing(table + "Getting data from second table...  00:00:02")},
      {2000, [&] { status.ShowStage(kComparingStage); },
       Drawing(table + "Comparing records...  0 of 1,200 rows  00:00:04")},
      {1000, [&] { status.ShowProgress("1,000", 83); },
       Drawing(table + "Comparing records...  1,000 of 1,200 rows  1,000 rows/s  00:00:05")},
      {50, [&] { status.ShowProgress("1,100", 91); }, ""},
      {50, [&] { status.UpdateTimeElapsed(); },
       Drawing(table + "Comparing records...  1,100 of 1,200 rows  1,000 rows/s  00:00:05")},
      // Left-over rows numbered from 1 again still add to the rate: 1,101 rows in 2 s.
      {900, [&] { status.ShowProgress("1", 0); },
       Drawing(table + "Comparing records...  1 of 1,200 rows  550 rows/s  00:00:06")},
      {0, [&] { status.Unload(); }, std::string(kErase)},
      // The next pair of a bulk run starts its own line and time.
      {10, load, ""},
      {0, [&] { status.ShowStage(kCountingSourceStage); },
       Drawing(table + "Counting records in first table...  00:00:00")},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    clock.Advance(milliseconds(steps[i].advance_ms));
    steps[i].action();
    EXPECT_EQ(tail.Next(), steps[i].expected) << "step " << i;
  }
}

TEST(CliUserInterfaceTest, MessagesEraseTheProgressLineFirst) {
  struct Case {
    const char* name;
    std::function<void(CliUserInterface&)> call;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"message",
       [](CliUserInterface& ui) {
         ui.ShowMessage("Gone.", MessageIcon::kExclamation, "Compare Data");
       },
       "Compare Data: Gone.\n"},
      {"question",
       [](CliUserInterface& ui) {
         ui.Ask("Go on?", "Different Structures", Answer::kYes, MessageIcon::kQuestion);
       },
       "Different Structures: Go on?\nDifferent Structures: answered Yes (no one to ask on the "
       "command line)\n"},
  };
  for (const Case& c : cases) {
    FakeClock clock;
    std::ostringstream err;
    CliUserInterface ui(err);
    TerminalProgressLine line(err, clock, {});
    ui.SetProgressLine(&line);
    c.call(ui);
    EXPECT_EQ(err.str(), c.message) << c.name << ": no line drawn, nothing to erase";
    err.str("");
    line.Show(Counting("Orders"), true);
    c.call(ui);
    EXPECT_EQ(err.str(), Drawing("Orders  Counting records in first table...  00:00:00") +
                             std::string(kErase) + c.message)
        << c.name;
    EXPECT_FALSE(line.drawn()) << c.name;
  }
}

// A SIGINT sent by a child process to itself while or after it draws a line into a file: the
// process ends by SIGINT, as it would without a line, with the line erased last; a run started
// with SIGINT ignored goes on ignoring it.
TEST(TerminalProgressLineTest, CtrlCErasesADrawnLineAndStillEndsTheProcess) {
  enum class When { kDrawn, kNothingDrawn, kLineGone, kIgnored };
  struct Case {
    const char* name;
    When when;
    int end_signal;  // 0: the child went on and exited 0
    bool erased;     // the output ends with the line drawn and erased
  };
  const std::vector<Case> cases = {
      {"while a line stands drawn", When::kDrawn, SIGINT, true},
      {"with no line drawn", When::kNothingDrawn, SIGINT, false},
      {"after the line is gone: the mask is back", When::kLineGone, SIGINT, true},
      {"ignored as the run began", When::kIgnored, 0, true},
  };
  const std::string drawing = Drawing("Orders  Counting records in first table...  00:00:00");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::ScratchFolder folder;
    const std::filesystem::path output = folder / "terminal";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (c.when == When::kIgnored)
        std::signal(SIGINT, SIG_IGN);
      std::ofstream terminal(output, std::ios::binary);
      FakeClock clock;
      std::optional<TerminalProgressLine> line;
      line.emplace(terminal, clock, std::function<int()>{});
      line->EraseOnInterrupt();
      if (c.when != When::kNothingDrawn)
        line->Show(Counting("Orders"), true);
      if (c.when == When::kLineGone || c.when == When::kIgnored)
        line.reset();
      ::kill(::getpid(), SIGINT);
      if (c.when == When::kDrawn || c.when == When::kNothingDrawn) {
        for (;;)
          ::pause();  // SIGINT is blocked here: the watcher ends the process
      }
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WIFSIGNALED(status) ? WTERMSIG(status) : 0, c.end_signal);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.end_signal == 0 ? 0 : -1);
    EXPECT_EQ(testing::ReadFile(output), c.erased ? drawing + std::string(kErase) : "");
  }
}

}  // namespace
}  // namespace korvane
