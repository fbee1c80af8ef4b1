// The progress line of data comparisons on a terminal: while `compare-data`, `compare-data-all`
// or `run-saved` compares rows and stderr is a terminal, one line on stderr tells the table, the
// stage (the progress dialog's status texts), the rows compared of the rows counted, the rows
// per second and the elapsed time. It is rewritten in place and erased before anything else is
// written, so that no output line is ever left after a half-drawn one. When stderr is not a
// terminal nothing is drawn at all.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "datacomp/bulk_data_compare.h"
#include "datacomp/compare_status.h"

namespace korvane {

class Clock;

// The status of the comparing stage, which the progress dialog leaves blank (it shows its gauge).
inline constexpr std::string_view kComparingRecordsStatus = "Comparing records...";

// Progress counts are redrawn at most this often.
inline constexpr std::chrono::milliseconds kProgressLineInterval{100};

// Used when the terminal does not tell its width.
inline constexpr int kDefaultTerminalColumns = 80;

// What the line tells, before it is fitted to the terminal.
struct ProgressLineFields {
  std::string table;
  std::string stage;
  std::optional<std::int64_t> done;     // records compared so far
  std::optional<std::int64_t> counted;  // records counted in the tables
  std::optional<std::int64_t> rows_per_second;
  std::int64_t elapsed_seconds = 0;
};

// The line as drawn: table, stage, "DONE of COUNTED rows", "RATE rows/s" and "hh:mm:ss", two
// spaces apart, the counts "#,##0". It fits `columns` - 1 terminal columns (0 or less: 80), so
// that the terminal never wraps it: a long table name is shortened in the middle with "..."
// (down to 12 columns); when that does not help the rate is left out, then the table, and at last
// the rest is cut at the edge. Control characters
// in the table name are shown as "?", so that a name cannot move the cursor or change the
// terminal. Characters outside ASCII are counted as two columns (some are drawn double wide).
std::string ProgressLineText(const ProgressLineFields& fields, int columns);

// A number as "#,##0" writes it ("12,345"); nothing for any other text ("N/A", "Counting...").
std::optional<std::int64_t> ParseFormattedCount(std::string_view text);

// The line on a terminal. Each drawing is "\r", the text, and erase to the end of the line
// ("\x1b[K"), flushed at once. `columns` tells the terminal's width at the moment of drawing
// (0: unknown).
class TerminalProgressLine {
 public:
  TerminalProgressLine(std::ostream& terminal, const Clock& clock, std::function<int()> columns);
  ~TerminalProgressLine();
  TerminalProgressLine(const TerminalProgressLine&) = delete;
  TerminalProgressLine& operator=(const TerminalProgressLine&) = delete;

  // True when a drawing now would keep to the interval: nothing drawn yet, or at least
  // kProgressLineInterval since the last drawing.
  bool Due() const;
  // Draws the fields. Only when Due(), unless `at_once` (a new stage or table: the line never
  // goes on naming a stage the run has left while a long step blocks). A text equal to the one
  // on the terminal is not drawn again.
  void Show(const ProgressLineFields& fields, bool at_once);
  // Removes the line, leaving the cursor at the start of the empty line; nothing when no line is
  // drawn. Called before any other output.
  void Erase();

  // From now until the line is destroyed, a Ctrl-C (SIGINT) erases a drawn line and then ends
  // the process by SIGINT, as an unhandled one does. SIGINT is blocked in the calling thread, and
  // so in every thread it starts afterwards, and taken by a watcher thread; destroying the line
  // stops the watcher and gives the calling thread its signal mask back, so that a SIGINT that
  // came meanwhile ends the process then. Call it before any other thread starts, from the thread
  // that destroys the line. Nothing when SIGINT is ignored, or where there are no signals.
  void EraseOnInterrupt();

  bool drawn() const;
  const Clock& clock() const { return clock_; }

 private:
  class InterruptWatcher;

  // On the watcher thread: erases a drawn line, never in the middle of a drawing, and ends the
  // process by SIGINT.
  [[noreturn]] void EndByInterrupt();

  // Held by every write to the terminal: the watcher's erase comes after a drawing in progress.
  mutable std::mutex mutex_;
  std::unique_ptr<InterruptWatcher> interrupt_watcher_;
  std::ostream& terminal_;
  const Clock& clock_;
  std::function<int()> columns_;
  bool drawn_ = false;
  bool ever_drawn_ = false;
  std::chrono::steady_clock::time_point last_drawing_{};
  std::string text_;
};

// The progress dialog of one data comparison, drawn as the terminal line: the Source table, the
// stage's status text (kComparingRecordsStatus while comparing), the current record of the larger
// record count, the records per second since the comparing began, and the time since the dialog
// loaded. Closing the dialog erases the line.
class TerminalCompareStatus final : public CompareStatus {
 public:
  TerminalCompareStatus(const Clock& clock, TerminalProgressLine& line)
      : CompareStatus(clock), line_(line) {}
  void Unload() override { line_.Erase(); }

 protected:
  void Changed() override;

 private:
  ProgressLineFields Fields();

  TerminalProgressLine& line_;
  int drawn_stage_ = -1;
  std::chrono::steady_clock::time_point loaded_{};
  std::chrono::steady_clock::time_point comparing_since_{};
  std::int64_t last_record_ = 0;
  std::int64_t records_done_ = 0;  // records compared or listed since the comparing began
};

// The host of a bulk data comparison whose table pairs draw the terminal line; the line is
// erased between the pairs.
class TerminalBulkHost final : public BulkDataCompareHost {
 public:
  TerminalBulkHost(const Clock& clock, TerminalProgressLine& line) : status_(clock, line) {}
  CompareStatus* PairStatus() override { return &status_; }

 private:
  TerminalCompareStatus status_;
};

// The width of the terminal on stderr (TIOCGWINSZ; 0 when it does not tell), or nothing when
// stderr is not a terminal or the terminal cannot move its cursor (TERM=dumb).
std::function<int()> StderrTerminalColumns();

}  // namespace korvane
