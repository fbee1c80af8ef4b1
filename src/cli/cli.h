// korvane-cli: scripts, CI and unattended runs drive the core through it. Texts go to `out`
// byte for byte; messages go to `err`. Exit status: 0 done (and identical), 1 done and
// different, 2 refused or failed.
#pragma once

#include <filesystem>
#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class Clock;
struct Environment;

inline constexpr int kExitDone = 0;
inline constexpr int kExitDifferent = 1;
inline constexpr int kExitFailed = 2;

// Why `server add ... --password P` is refused.
inline constexpr std::string_view kPasswordOptionRefused =
    "--password is refused: a password on the command line shows in the process list. Give it on "
    "standard input with --password-stdin, or leave both out to be asked for it on the terminal.";

// Runs one command line (the arguments after the program name). `err_terminal_columns`, given
// when `err` is a terminal, tells its width: data comparisons then draw their progress line on
// `err` (see TerminalProgressLine).
int RunCli(const std::vector<std::string>& args, const Environment& env,
           const std::filesystem::path& program_folder, const Clock& clock, std::istream& in,
           std::ostream& out, std::ostream& err,
           const std::function<int()>& err_terminal_columns = {});

// The text of `korvane-cli --help`.
std::string CliUsage();

// The entries of that text for one command word (`korvane-cli COMMAND --help`, `help COMMAND`);
// empty for a word that is no command.
std::string CommandUsage(std::string_view command);

}  // namespace korvane
