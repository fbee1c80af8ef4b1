#include "cli/terminal_progress.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/text.h"

#ifndef _WIN32
#include <pthread.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>
#endif

namespace korvane {
namespace {

constexpr std::string_view kSeparator = "  ";
constexpr std::string_view kEllipsis = "...";
constexpr std::string_view kEraseToEnd = "\x1b[K";
// A name shortened further than this would tell nothing: the rate goes first, then the name.
constexpr std::size_t kShortestTableName = 12;

// One character of a table name as it may be written to a terminal: C0 and C1 control
// characters, DEL and bytes that are not UTF-8 become "?".
std::string_view Printable(std::string_view character) {
  const auto first = static_cast<unsigned char>(character[0]);
  if (character.size() == 1 && (first < 0x20 || first >= 0x7f))
    return "?";
  if (character.size() == 2 && first == 0xc2 && static_cast<unsigned char>(character[1]) < 0xa0)
    return "?";
  return character;
}

// Columns a character takes: ASCII one, anything else counted as two, so that the line never
// grows wider than measured.
std::size_t Columns(std::string_view character) {
  return character.size() == 1 ? 1 : 2;
}

std::vector<std::string_view> PrintableCharacters(std::string_view text) {
  std::vector<std::string_view> characters;
  for (std::string_view character : Utf8Chunks(text, 1))
    characters.push_back(Printable(character));
  return characters;
}

std::size_t Width(const std::vector<std::string_view>& characters) {
  std::size_t width = 0;
  for (std::string_view character : characters)
    width += Columns(character);
  return width;
}

// The name within `width` columns: its start and its end around "...".
std::string ShortenedInTheMiddle(const std::vector<std::string_view>& characters,
                                 std::size_t width) {
  const std::size_t budget = width - kEllipsis.size();
  const std::size_t tail_budget = budget / 2;
  const std::size_t head_budget = budget - tail_budget;
  std::string head;
  std::size_t used = 0;
  std::size_t next = 0;
  while (next < characters.size() && used + Columns(characters[next]) <= head_budget) {
    used += Columns(characters[next]);
    head += characters[next++];
  }
  std::vector<std::string_view> tail;
  used = 0;
  for (std::size_t i = characters.size(); i > next;) {
    --i;
    if (used + Columns(characters[i]) > tail_budget)
      break;
    used += Columns(characters[i]);
    tail.push_back(characters[i]);
  }
  std::string text = head + std::string(kEllipsis);
  for (auto it = tail.rbegin(); it != tail.rend(); ++it)
    text += *it;
  return text;
}

}  // namespace

std::string ProgressLineText(const ProgressLineFields& fields, int columns) {
  const std::size_t width =
      static_cast<std::size_t>(std::max(0, (columns > 0 ? columns : kDefaultTerminalColumns) - 1));
  const auto rest = [&fields](bool with_rate) {
    std::string text = std::string(kSeparator) + fields.stage;
    if (fields.done) {
      text += std::string(kSeparator) + FormatNumber(*fields.done);
      if (fields.counted)
        text += " of " + FormatNumber(*fields.counted);
      text += " rows";
    }
    if (with_rate && fields.rows_per_second)
      text += std::string(kSeparator) + FormatNumber(*fields.rows_per_second) + " rows/s";
    return text + std::string(kSeparator) + FormatElapsed(fields.elapsed_seconds);
  };

  const std::vector<std::string_view> table = PrintableCharacters(fields.table);
  const std::size_t table_width = Width(table);
  for (const bool with_rate : {true, false}) {
    const std::string tail = rest(with_rate);
    if (table.empty() && tail.size() - kSeparator.size() <= width)
      return tail.substr(kSeparator.size());
    if (table.empty())
      continue;
    if (table_width + tail.size() <= width) {
      std::string text;
      for (std::string_view character : table)
        text += character;
      return text + tail;
    }
    if (width >= tail.size() + kShortestTableName)
      return ShortenedInTheMiddle(table, width - tail.size()) + tail;
  }
  // No room for the name: the stage and the counts, cut at the edge.
  return rest(false).substr(kSeparator.size(), width);
}

std::optional<std::int64_t> ParseFormattedCount(std::string_view text) {
  std::int64_t value = 0;
  bool digits = false;
  for (const char c : text) {
    if (c == ',' && digits)
      continue;
    if (c < '0' || c > '9' || value > (INT64_MAX - 9) / 10)
      return std::nullopt;
    value = value * 10 + (c - '0');
    digits = true;
  }
  if (!digits)
    return std::nullopt;
  return value;
}

#ifndef _WIN32
// Waits for SIGINT while it is blocked in the thread that started the watcher and in the threads
// started from there. Stopping wakes it with a SIGINT queued to this thread alone, carrying the
// watcher's address, which no Ctrl-C or kill does.
class TerminalProgressLine::InterruptWatcher {
 public:
  explicit InterruptWatcher(TerminalProgressLine& line) : line_(line) {
    sigemptyset(&interrupt_);
    sigaddset(&interrupt_, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt_, &previous_mask_);
    try {
      thread_ = std::thread([this] { Watch(); });
    } catch (const std::system_error&) {
      pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr);
      throw;
    }
  }
  ~InterruptWatcher() {
    sigval stop{};
    stop.sival_ptr = this;
    pthread_sigqueue(thread_.native_handle(), SIGINT, stop);
    thread_.join();
    // A SIGINT that came after the watcher stopped is pending for the process and ends it here.
    pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr);
  }
  InterruptWatcher(const InterruptWatcher&) = delete;
  InterruptWatcher& operator=(const InterruptWatcher&) = delete;

 private:
  void Watch() {
    for (;;) {
      siginfo_t info{};
      if (sigwaitinfo(&interrupt_, &info) != SIGINT)
        continue;  // interrupted by another signal's handler
      if (info.si_code == SI_QUEUE && info.si_pid == ::getpid() && info.si_value.sival_ptr == this)
        return;  // the stop request
      line_.EndByInterrupt();
    }
  }

  TerminalProgressLine& line_;
  sigset_t interrupt_{};
  sigset_t previous_mask_{};
  std::thread thread_;
};

void TerminalProgressLine::EndByInterrupt() {
  // Taken for good: no drawing starts after the erase.
  mutex_.lock();
  if (drawn_)
    terminal_ << '\r' << kEraseToEnd << std::flush;
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  sigaction(SIGINT, &default_action, nullptr);
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
  ::raise(SIGINT);
  ::_exit(128 + SIGINT);  // not reached: the default action ends the process
}
#endif

TerminalProgressLine::TerminalProgressLine(std::ostream& terminal, const Clock& clock,
                                           std::function<int()> columns)
    : terminal_(terminal), clock_(clock), columns_(std::move(columns)) {}

TerminalProgressLine::~TerminalProgressLine() {
  Erase();
  interrupt_watcher_.reset();
}

void TerminalProgressLine::EraseOnInterrupt() {
#ifndef _WIN32
  if (interrupt_watcher_)
    return;
  struct sigaction current {};
  if (sigaction(SIGINT, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
    return;  // a run started with Ctrl-C ignored keeps ignoring it
  try {
    interrupt_watcher_ = std::make_unique<InterruptWatcher>(*this);
  } catch (const std::system_error&) {
    // No thread to spare: a Ctrl-C ends the run as it would without the line.
  }
#endif
}

bool TerminalProgressLine::drawn() const {
  const std::lock_guard lock(mutex_);
  return drawn_;
}

bool TerminalProgressLine::Due() const {
  return !ever_drawn_ || clock_.SteadyNow() - last_drawing_ >= kProgressLineInterval;
}

void TerminalProgressLine::Show(const ProgressLineFields& fields, bool at_once) {
  if (!at_once && !Due())
    return;
  std::string text = ProgressLineText(fields, columns_ ? columns_() : 0);
  last_drawing_ = clock_.SteadyNow();
  ever_drawn_ = true;
  if (drawn_ && text == text_)
    return;
  const std::lock_guard lock(mutex_);
  terminal_ << '\r' << text << kEraseToEnd << std::flush;
  text_ = std::move(text);
  drawn_ = true;
}

void TerminalProgressLine::Erase() {
  const std::lock_guard lock(mutex_);
  if (!drawn_)
    return;
  terminal_ << '\r' << kEraseToEnd << std::flush;
  drawn_ = false;
  text_.clear();
}

void TerminalCompareStatus::Changed() {
  const CompareStatusState& s = state();
  const auto now = line_.clock().SteadyNow();
  if (s.stage == 0) {  // the dialog loads for a new table pair
    loaded_ = now;
    drawn_stage_ = -1;
    return;
  }
  const bool new_stage = s.stage != drawn_stage_;
  if (new_stage && s.stage == kComparingStage) {
    comparing_since_ = now;
    last_record_ = 0;
    records_done_ = 0;
  }
  if (!new_stage && !line_.Due())
    return;
  line_.Show(Fields(), new_stage);
  drawn_stage_ = s.stage;
}

ProgressLineFields TerminalCompareStatus::Fields() {
  const CompareStatusState& s = state();
  const auto now = line_.clock().SteadyNow();
  ProgressLineFields fields;
  fields.table = s.tables[0];
  fields.stage = s.stage == kComparingStage ? std::string(kComparingRecordsStatus) : s.status;
  fields.elapsed_seconds = std::chrono::duration_cast<std::chrono::seconds>(now - loaded_).count();
  if (s.stage != kComparingStage)
    return fields;

  // The current record runs up to the smaller count while pairs are compared, and on through
  // the rows left in the longer table; ranges of left-over rows may start again from 1.
  const std::int64_t record = ParseFormattedCount(s.current_record_label).value_or(0);
  records_done_ += record >= last_record_ ? record - last_record_ : record;
  last_record_ = record;
  fields.done = record;
  const std::optional<std::int64_t> source = ParseFormattedCount(s.count_labels[0]);
  const std::optional<std::int64_t> target = ParseFormattedCount(s.count_labels[1]);
  if (source || target)
    fields.counted = std::max(source.value_or(0), target.value_or(0));
  const auto milliseconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(now - comparing_since_).count();
  if (milliseconds > 0)
    fields.rows_per_second = records_done_ * 1000 / milliseconds;
  return fields;
}

std::function<int()> StderrTerminalColumns() {
#ifndef _WIN32
  const char* term = std::getenv("TERM");
  if (!::isatty(STDERR_FILENO) || (term != nullptr && std::string_view(term) == "dumb"))
    return {};
  return [] {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0)
      return 0;
    return static_cast<int>(size.ws_col);
  };
#else
  return {};
#endif
}

}  // namespace korvane
