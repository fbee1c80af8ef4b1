// The progress line in real runs on the demo databases: `compare-data`, `compare-data-all` and
// `run-saved` draw it on a terminal and erase it before any other output, leaving every other
// byte as it is without a terminal; korvane-cli under a pseudo-terminal does so for real, and
// with its output on pipes writes exactly what it writes in-process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "cli/demo_cli_fixture.h"
#include "db/embedded/sql_functions.h"
#include "db/embedded/sqlite_database.h"

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

// Reads both descriptors to their end (a pseudo-terminal's master ends with EIO), calling
// `after_read` after each piece.
void ReadAll(int first, std::string& first_text, int second, std::string& second_text,
             const std::function<void()>& after_read = {}) {
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
      if (after_read)
        after_read();
    }
  }
}

enum class Streams { kPipes, kStderrOnTerminal, kBothOnTerminal };

// When the test sends korvane-cli a SIGINT: never, once the first line stands drawn on the
// terminal, or as soon as the program is running (its exec done).
enum class Interrupt { kNever, kAtFirstDrawing, kOnceRunning };

struct SpawnedRun {
  int status = -1;       // the exit status, -1 when a signal ended the run
  int end_signal = 0;    // the signal that ended the run
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

  // korvane-cli itself, its streams on pipes or on a pseudo-terminal of `columns` (0: a
  // terminal that does not tell its width).
  SpawnedRun Spawn(const std::vector<std::string>& args, Streams streams,
                   unsigned short columns = 0, Interrupt interrupt = Interrupt::kNever) {
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
    int exec_pipe[2];  // closed by the exec: ends once korvane-cli runs
    if (::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0 || ::pipe2(exec_pipe, O_CLOEXEC) != 0) {
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
      for (int fd : {out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1], exec_pipe[0]})
        ::close(fd);
      ::execve(program.c_str(), argv.data(), envp.data());
      ::_exit(127);
    }
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    ::close(exec_pipe[1]);
    if (child > 0) {
      char byte = 0;
      while (::read(exec_pipe[0], &byte, 1) > 0) {
      }
    }
    ::close(exec_pipe[0]);
    if (child > 0 && interrupt == Interrupt::kOnceRunning)
      ::kill(child, SIGINT);
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
      bool interrupted = false;
      ReadAll(master, run.terminal, out_pipe[0], run.out, [&] {
        if (interrupt == Interrupt::kAtFirstDrawing && !interrupted &&
            !ParseTerminalOutput(run.terminal).drawings.empty()) {
          ::kill(child, SIGINT);
          interrupted = true;
        }
      });
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.end_signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return run;
  }

  // Runs the command without and with a terminal: the same status and stdout, and on stderr the
  // same bytes around a line that showed each of `stages` and was erased before any other text.
  void ExpectLineDrawnAndErased(const std::vector<std::string>& args, int expected_status,
                                const std::vector<std::string_view>& stages) {
    const CommandRun plain = Run(args);
    const CommandRun drawn = RunOnTerminal(args);
    EXPECT_EQ(plain.status, expected_status) << plain.err;
    EXPECT_EQ(drawn.status, plain.status);
    EXPECT_EQ(drawn.out, plain.out);
    EXPECT_EQ(plain.err.find('\x1b'), std::string::npos) << plain.err;
    const TerminalOutput err = ParseTerminalOutput(drawn.err);
    EXPECT_EQ(err.text, plain.err);
    EXPECT_FALSE(err.text_over_line) << drawn.err;
    EXPECT_FALSE(err.line_left_at_end) << drawn.err;
    for (std::string_view stage : stages)
      EXPECT_TRUE(AnyDrawingHolds(err, stage)) << "never showed " << stage;
  }

  const std::vector<std::string> customers_ = {"compare-data",  "embedded:demo", "FernhollowLive",
                                               "embedded:demo", "FernhollowDev", "Customers",
                                               "--key",         "CustomerID"};
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
    SCOPED_TRACE(c.name);
    ExpectLineDrawnAndErased(
        c.args, c.expected_status,
        {"Counting records in first table...", "Counting records in second table...",
         "Getting data from first table...", "Getting data from second table...",
         "Comparing records..."});
  }
}

// A message in the middle of a run comes after the line is erased: the catalogue still lists
// Customers.Email, but the Source table lost it, so its rows cannot be read once both tables are
// counted and the connection layer says so.
TEST_F(ProgressLineRunsTest, AMessageDuringTheRunErasesTheLineFirst) {
  embedded::SqliteDatabase live;
  std::string error;
  ASSERT_TRUE(live.Open(Locations().servers_folder / "demo" / "FernhollowLive.db", false, &error))
      << error;
  embedded::RegisterCollation(live.handle());
  const std::string customers = Run({"query", "embedded:demo", "FernhollowLive",
                                     "SELECT id FROM sysobjects WHERE name = 'Customers'"})
                                    .out.substr(3);  // after the header line "id\n"
  live.Exec("ALTER TABLE t" + std::string(Trim(ReplaceAll(customers, "\n", ""))) +
            " RENAME COLUMN Email TO EmailGone");
  live.Close();
  ExpectLineDrawnAndErased(customers_, kExitFailed, {"Getting data from first table..."});
  EXPECT_NE(Run(customers_).err.find("Server connection failed."), std::string::npos);
}

// korvane-cli itself under a pseudo-terminal: the line drawn within the terminal's width (80
// when it does not tell) and erased before the report and the messages, which arrive byte for
// byte.
TEST_F(ProgressLineRunsTest, OnAPseudoTerminalTheLineFitsAndIsErasedBeforeTheReport) {
  const CommandRun plain = Run(customers_);
  ASSERT_EQ(plain.status, kExitDifferent) << plain.err;
  struct Case {
    const char* name;
    Streams streams;
    unsigned short columns;
    std::size_t widest;
  };
  const std::vector<Case> cases = {
      {"stdout on the terminal too, width unknown", Streams::kBothOnTerminal, 0, 79},
      {"stdout on a pipe, 30 columns", Streams::kStderrOnTerminal, 30, 29},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool both = c.streams == Streams::kBothOnTerminal;
    const SpawnedRun run = Spawn(customers_, c.streams, c.columns);
    EXPECT_EQ(run.status, kExitDifferent) << run.terminal;
    EXPECT_EQ(run.out, both ? "" : plain.out);
    const TerminalOutput terminal = ParseTerminalOutput(run.terminal);
    EXPECT_EQ(terminal.text, both ? plain.err + plain.out : plain.err);
    EXPECT_FALSE(terminal.text_over_line) << run.terminal;
    EXPECT_FALSE(terminal.line_left_at_end) << run.terminal;
    EXPECT_TRUE(AnyDrawingHolds(
        terminal, both ? "Customers  Counting records in first table..." : "Counting records"))
        << run.terminal;
    for (const std::string& drawing : terminal.drawings)
      EXPECT_LE(DisplayWidth(drawing), c.widest) << drawing;
  }
}

// Ctrl-C in the middle of a long comparison: on a terminal the drawn line is erased last, so that
// the shell's prompt starts on an empty line, and the run still ends by SIGINT, as it does on
// pipes, where nothing is drawn.
TEST_F(ProgressLineRunsTest, CtrlCDuringAComparisonLeavesNoLineBehind) {
  // 200,000 rows on each side: the comparison goes on long after its first line is drawn.
  const std::string script =
      "CREATE TABLE Digits (D int NOT NULL PRIMARY KEY)\nGO\n"
      "INSERT INTO Digits (D) VALUES (0),(1),(2),(3),(4),(5),(6),(7),(8),(9)\nGO\n"
      "CREATE TABLE Big (ID int NOT NULL PRIMARY KEY, Name varchar(40) NOT NULL)\nGO\n"
      "INSERT INTO Big (ID, Name) SELECT a.D + 10 * b.D + 100 * c.D + 1000 * d.D + 10000 * e.D"
      " + 100000 * f.D, 'row' FROM Digits a CROSS JOIN Digits b CROSS JOIN Digits c"
      " CROSS JOIN Digits d CROSS JOIN Digits e CROSS JOIN Digits f WHERE f.D < 2\nGO\n";
  for (const char* database : {"BigLive", "BigDev"}) {
    const ScriptLoadResult loaded =
        LoadScript(Locations().servers_folder, "embedded:demo", database, script);
    ASSERT_TRUE(loaded.ok) << database << ": " << loaded.message;
  }
  const std::vector<std::string> args = {
      "compare-data", "embedded:demo", "BigLive", "embedded:demo", "BigDev", "Big", "--key", "ID"};
  struct Case {
    const char* name;
    Streams streams;
    Interrupt interrupt;
  };
  const std::vector<Case> cases = {
      {"stderr on the terminal", Streams::kStderrOnTerminal, Interrupt::kAtFirstDrawing},
      {"stdout on the terminal too", Streams::kBothOnTerminal, Interrupt::kAtFirstDrawing},
      {"no terminal", Streams::kPipes, Interrupt::kOnceRunning},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SpawnedRun run = Spawn(args, c.streams, 80, c.interrupt);
    EXPECT_EQ(run.end_signal, SIGINT)
        << "exit status " << run.status << ": " << run.terminal << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    if (c.streams == Streams::kPipes) {
      EXPECT_EQ(run.terminal, "");
      continue;
    }
    const TerminalOutput terminal = ParseTerminalOutput(run.terminal);
    EXPECT_FALSE(terminal.drawings.empty()) << run.terminal;
    EXPECT_EQ(terminal.text, "") << run.terminal;
    EXPECT_TRUE(run.terminal.ends_with("\r" + std::string(kEraseToEnd))) << run.terminal;
  }
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
