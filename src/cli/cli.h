// korvane-cli: scripts, CI and unattended runs drive the core through it. Texts go to `out`
// byte for byte; messages go to `err`. Exit status: 0 done (and identical), 1 done and
// different, 2 refused or failed.
#pragma once

#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace korvane {

class Clock;
struct Environment;

inline constexpr int kExitDone = 0;
inline constexpr int kExitDifferent = 1;
inline constexpr int kExitFailed = 2;

// Runs one command line (the arguments after the program name).
int RunCli(const std::vector<std::string>& args, const Environment& env,
           const std::filesystem::path& program_folder, const Clock& clock, std::istream& in,
           std::ostream& out, std::ostream& err);

// The text of `korvane-cli --help`.
std::string CliUsage();

}  // namespace korvane
