// The progress line in real runs on the demo databases: `compare-data`, `compare-data-all` and
// `run-saved` draw it on a terminal and erase it before any other output, leaving every other
// byte as it is without a terminal; korvane-cli under a pseudo-terminal does so for real, and
// with its output on pipes writes exactly what it writes in-process.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "cli/compare_data_command.h"
#include "cli/demo_cli_fixture.h"
#include "cli/terminal_progress.h"

extern char** environ;

namespace korvane {
namespace {

using testing::CommandRun;

constexpr std::string_view kEraseToEnd = "\x1b[K";

// A stderr stream of a terminal taken apart: the lines drawn ("\r" TEXT "\x1b[K"), the erasures
// ("\r\x1b[K") and every other byte.
struct TerminalOutput {
  std::vector<std::string> drawings;
  std::string text;               // everything that is not the progress line
  bool text_over_line = false;    // some text was written while a line stood drawn
  bool line_left_at_end = false;  // the output ended with a line drawn
};

TerminalOutput ParseTerminalOutput(std::string_view output) {
  TerminalOutput parsed;
  bool drawn = false;
  for (std::size_t i = 0; i < output.size();) {
    if (output[i] == '\r' && output.substr(i + 1).starts_with(kEraseToEnd)) {
      drawn = false;
      i += 1 + kEraseToEnd.size();
      continue;
    }
    if (output[i] == '\r' && i + 1 < output.size() && output[i + 1] != '\n') {
      const std::size_t end = output.find(kEraseToEnd, i + 1);
      const std::size_t line_end = output.find('\n', i + 1);
      if (end != std::string_view::npos && end < line_end) {
        parsed.drawings.emplace_back(output.substr(i + 1, end - i - 1));
        drawn = true;
        i = end + kEraseToEnd.size();
        continue;
      }
    }
    parsed.text_over_line = parsed.text_over_line || drawn;
    parsed.text += output[i++];
  }
  parsed.line_left_at_end = drawn;
  return parsed;
}

bool AnyDrawingHolds(const TerminalOutput& output, std::string_view text) {
  for (const std::string& drawing : output.drawings) {
    if (drawing.find(text) != std::string::npos)
      return true;
  }
  return false;
}

std::size_t DisplayWidth(std::string_view text) {
  std::size_t width = 0;
  for (std::string_view character : Utf8Chunks(text, 1))
    width += character.size() == 1 ? 1 : 2;
  return width;
}

// Reads both descriptors to their end (a pseudo-terminal's master ends with EIO).
void ReadAll(int first, std::string& first_text, int second, std::string& second_text) {
  std::vector<pollfd> open = {{first, POLLIN, 0}, {second, POLLIN, 0}};
  std::string* texts[] = {&first_text, &second_text};
  while (open[0].fd >= 0 || open[1].fd >= 0) {
    if (::poll(open.data(), open.size(), -1) < 0)
      return;
    for (std::size_t i = 0; i < open.size(); ++i) {
      if (open[i].fd < 0 || open[i].revents == 0)
        continue;
      char buffer[4096];
      const ssize_t got = ::read(open[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        texts[i]->append(buffer, static_cast<std::size_t>(got));
      } else {
        ::close(open[i].fd);
        open[i].fd = -1;
      }
    }
  }
}

// Fails every query of a table's rows (a column list, then `needle`), as a server that cannot read
// the table does; counts and catalogue queries still work.
class FailingRowsBackend final : public DatabaseBackend {
 public:
  FailingRowsBackend(std::shared_ptr<DatabaseBackend> inner, std::string needle)
      : inner_(std::move(inner)), needle_(std::move(needle)) {}

  OpenOutcome Open(const ConnectionRequest& request) override {
    OpenOutcome outcome = inner_->Open(request);
    if (outcome.session)
      outcome.session = std::make_unique<Session>(std::move(outcome.session), needle_);
    return outcome;
  }

 private:
  class Session final : public DatabaseSession {
   public:
    Session(std::unique_ptr<DatabaseSession> inner, const std::string& needle)
        : inner_(std::move(inner)), needle_(needle) {}
    CommandOutcome Execute(const CommandRequest& request) override {
      if (!Fails(request))
        return inner_->Execute(request);
      CommandOutcome failed;
      failed.errors = {{0, 16, 1, "42000", "The table cannot be read."}};
      return failed;
    }
    CursorOutcome OpenCursor(const CommandRequest& request) override {
      if (!Fails(request))
        return inner_->OpenCursor(request);
      return DatabaseSession::OpenCursor(request);
    }

   private:
    bool Fails(const CommandRequest& request) const {
      return request.text.starts_with("SELECT [") &&
             request.text.find(needle_) != std::string::npos;
    }

    std::unique_ptr<DatabaseSession> inner_;
    const std::string& needle_;
  };

  std::shared_ptr<DatabaseBackend> inner_;
  std::string needle_;
};

enum class Streams { kPipes, kStderrOnTerminal, kBothOnTerminal };

struct SpawnedRun {
  int status = -1;
  std::string terminal;  // what the pseudo-terminal received
  std::string out;       // stdout, when on a pipe
  std::string err;       // stderr, when on a pipe
};

class ProgressLineRunsTest : public testing::DemoCliTest {
 protected:
  std::vector<std::string> WithProfile(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--profile", profile().string()});
    return args;
  }

  // The command in-process, with `err` standing for a terminal 120 columns wide.
  CommandRun RunOnTerminal(const std::vector<std::string>& args) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status =
        RunCli(WithProfile(args), env_, folder_ / "bin", clock_, in, out, err, [] { return 120; });
    return {status, out.str(), err.str()};
  }

  // A command in a fresh context whose messages and progress line share `err`, a terminal of
  // 120 columns; the command finds the line in context_progress_.
  CommandRun RunWithLine(
      const std::function<int(ApplicationContext&, std::ostream&, std::ostream&)>& command) {
    std::ostringstream out;
    std::ostringstream err;
    CliUserInterface ui(err);
    int status = kExitFailed;
    {
      TerminalProgressLine line(err, clock_, [] { return 120; });
      ui.SetProgressLine(&line);
      ApplicationContext context(Locations(), ui, clock_);
      RunStartUp(context, "");
      context.backends = CreateDefaultBackends(context.locations, env_);
      context_progress_ = &line;
      status = command(context, out, err);
      context_progress_ = nullptr;
    }
    return {status, out.str(), err.str()};
  }

  // korvane-cli itself, its streams on pipes or on a pseudo-terminal of `columns` (0: a
  // terminal that does not tell its width).
  SpawnedRun Spawn(const std::vector<std::string>& args, Streams streams,
                   unsigned short columns = 0) {
    const std::string program = KORVANE_CLI_PATH;
    std::vector<std::string> words = WithProfile(args);
    words.insert(words.begin(), program);
    std::vector<char*> argv;
    for (std::string& word : words)
      argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
      if (!std::string_view(*variable).starts_with("TERM="))
        variables.emplace_back(*variable);
    }
    variables.emplace_back("TERM=xterm");
    std::vector<char*> envp;
    for (std::string& variable : variables)
      envp.push_back(variable.data());
    envp.push_back(nullptr);

    SpawnedRun run;
    int out_pipe[2];
    int err_pipe[2];
    if (::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) {
      ADD_FAILURE() << "pipe: " << std::strerror(errno);
      return run;
    }
    int master = -1;
    pid_t child = -1;
    if (streams == Streams::kPipes) {
      child = ::fork();
    } else {
      termios raw{};
      ::cfmakeraw(&raw);  // the bytes as written, no CR added before LF
      winsize size{};
      size.ws_row = 24;
      size.ws_col = columns;
      child = ::forkpty(&master, nullptr, &raw, &size);
    }
    if (child == 0) {
      if (streams != Streams::kBothOnTerminal)
        ::dup2(out_pipe[1], STDOUT_FILENO);
      if (streams == Streams::kPipes)
        ::dup2(err_pipe[1], STDERR_FILENO);
      for (int fd : {out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]})
        ::close(fd);
      ::execve(program.c_str(), argv.data(), envp.data());
      ::_exit(127);
    }
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    if (child < 0) {
      ADD_FAILURE() << "fork: " << std::strerror(errno);
      ::close(out_pipe[0]);
      ::close(err_pipe[0]);
      return run;
    }
    if (streams == Streams::kPipes) {
      ReadAll(out_pipe[0], run.out, err_pipe[0], run.err);
    } else {
      ::close(err_pipe[0]);
      ReadAll(master, run.terminal, out_pipe[0], run.out);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
  }

  const std::vector<std::string> customers_args_ = {
      "embedded:demo", "FernhollowLive", "embedded:demo", "FernhollowDev",
      "Customers",     "--key",          "CustomerID"};
  const std::vector<std::string> customers_ = [this] {
    std::vector<std::string> args = {"compare-data"};
    args.insert(args.end(), customers_args_.begin(), customers_args_.end());
    return args;
  }();
  TerminalProgressLine* context_progress_ = nullptr;
};

// Every command that compares data draws the line and leaves every other byte as it was.
TEST_F(ProgressLineRunsTest, DataCommandsDrawTheLineAndChangeNothingElse) {
  const CommandRun saved =
      Run({"compare-data", "embedded:demo", "FernhollowLive", "embedded:demo", "FernhollowDev",
           "Products", "--key", "ProductID", "--save", "products"});
  ASSERT_EQ(saved.status, kExitDifferent) << saved.err;
  ASSERT_NE(saved.err.find("Saved as process 1"), std::string::npos) << saved.err;

  struct Case {
    const char* name;
    std::vector<std::string> args;
    int expected_status;
  };
  const std::vector<Case> cases = {
      {"compare-data, differing", customers_, kExitDifferent},
      {"compare-data, identical",
       {"compare-data", "embedded:demo", "FernhollowLive", "embedded:demo", "FernhollowDev",
        "Categories", "--key", "CategoryID"},
       kExitDone},
      {"compare-data-all",
       {"compare-data-all", "embedded:demo", "FernhollowLive", "embedded:demo", "FernhollowDev"},
       kExitDifferent},
      {"run-saved of a data process", {"run-saved", "1"}, kExitDifferent},
  };
  for (const Case& c : cases) {
    const CommandRun plain = Run(c.args);
    const CommandRun drawn = RunOnTerminal(c.args);
    EXPECT_EQ(plain.status, c.expected_status) << c.name << ": " << plain.err;
    EXPECT_EQ(drawn.status, plain.status) << c.name;
    EXPECT_EQ(drawn.out, plain.out) << c.name;
    EXPECT_EQ(plain.err.find('\x1b'), std::string::npos) << c.name << ": " << plain.err;

    const TerminalOutput err = ParseTerminalOutput(drawn.err);
    EXPECT_EQ(err.text, plain.err) << c.name;
    EXPECT_FALSE(err.text_over_line) << c.name << ": " << drawn.err;
    EXPECT_FALSE(err.line_left_at_end) << c.name << ": " << drawn.err;
    for (std::string_view stage :
         {"Counting records in first table...", "Counting records in second table...",
          "Getting data from first table...", "Getting data from second table...",
          "Comparing records..."}) {
      EXPECT_TRUE(AnyDrawingHolds(err, stage)) << c.name << " never showed " << stage;
    }
  }
}

// A message in the middle of a run comes after the line is erased: the Source rows of Customers
// cannot be read once both tables are counted, and the connection layer says so.
TEST_F(ProgressLineRunsTest, AMessageDuringTheRunErasesTheLineFirst) {
  const std::function<int(ApplicationContext&, std::ostream&, std::ostream&)> compare =
      [this](ApplicationContext& context, std::ostream& out, std::ostream& err) {
        context.backends.embedded =
            std::make_shared<FailingRowsBackend>(context.backends.embedded, " FROM [Customers]");
        return CompareDataCommand(context, customers_args_, out, err, context_progress_);
      };
  const CommandRun plain = Run(compare);
  EXPECT_EQ(plain.status, kExitFailed);
  ASSERT_NE(plain.err.find("Server connection failed."), std::string::npos) << plain.err;

  const CommandRun drawn = RunWithLine(compare);
  EXPECT_EQ(drawn.status, plain.status);
  EXPECT_EQ(drawn.out, plain.out);
  const TerminalOutput err = ParseTerminalOutput(drawn.err);
  EXPECT_EQ(err.text, plain.err);
  EXPECT_FALSE(err.text_over_line) << drawn.err;
  EXPECT_FALSE(err.line_left_at_end) << drawn.err;
  EXPECT_TRUE(AnyDrawingHolds(err, "Getting data from first table...")) << drawn.err;
}

TEST_F(ProgressLineRunsTest, OnAPseudoTerminalTheLineIsErasedBeforeTheReport) {
  const CommandRun plain = Run(customers_);
  ASSERT_EQ(plain.status, kExitDifferent) << plain.err;
  const SpawnedRun run = Spawn(customers_, Streams::kBothOnTerminal);
  EXPECT_EQ(run.status, kExitDifferent) << run.terminal;
  const TerminalOutput terminal = ParseTerminalOutput(run.terminal);
  // The messages come before the outcome; both reach the terminal byte for byte.
  EXPECT_EQ(terminal.text, plain.err + plain.out);
  EXPECT_FALSE(terminal.text_over_line) << run.terminal;
  EXPECT_FALSE(terminal.line_left_at_end) << run.terminal;
  ASSERT_FALSE(terminal.drawings.empty()) << run.terminal;
  EXPECT_TRUE(AnyDrawingHolds(terminal, "Customers  Counting records in first table..."))
      << run.terminal;
  EXPECT_TRUE(AnyDrawingHolds(terminal, "Comparing records..."));
  for (const std::string& drawing : terminal.drawings)
    EXPECT_LE(DisplayWidth(drawing), 79u)
        << "a terminal of unknown width counts as 80: " << drawing;
}

TEST_F(ProgressLineRunsTest, OnANarrowPseudoTerminalTheLineFitsItsWidth) {
  const CommandRun plain = Run(customers_);
  const SpawnedRun run = Spawn(customers_, Streams::kStderrOnTerminal, 30);
  EXPECT_EQ(run.status, plain.status) << run.terminal;
  EXPECT_EQ(run.out, plain.out);
  const TerminalOutput terminal = ParseTerminalOutput(run.terminal);
  EXPECT_EQ(terminal.text, plain.err);
  ASSERT_FALSE(terminal.drawings.empty()) << run.terminal;
  for (const std::string& drawing : terminal.drawings)
    EXPECT_LE(DisplayWidth(drawing), 29u) << drawing;
  EXPECT_FALSE(terminal.line_left_at_end);
}

// Scripts see exactly what they saw before: no line, no escape, the same bytes.
TEST_F(ProgressLineRunsTest, OnPipesTheOutputIsByteForByteTheSame) {
  const std::vector<std::vector<std::string>> commands = {
      customers_,
      {"compare-data-all", "embedded:demo", "FernhollowLive", "embedded:demo", "FernhollowDev"},
  };
  for (const std::vector<std::string>& args : commands) {
    const CommandRun plain = Run(args);
    const SpawnedRun run = Spawn(args, Streams::kPipes);
    EXPECT_EQ(run.status, plain.status) << args[0];
    EXPECT_EQ(run.out, plain.out) << args[0];
    EXPECT_EQ(run.err, plain.err) << args[0];
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << args[0];
  }
}

}  // namespace
}  // namespace korvane
