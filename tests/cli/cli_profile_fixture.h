// A scratch profile and korvane-cli commands run in it, each as a fresh program start with the
// test's environment and a manual clock.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/locations.h"
#include "base/clock.h"
#include "cli/cli.h"
#include "support/scratch_folder.h"

namespace korvane::testing {

struct CommandRun {
  int status;
  std::string out;
  std::string err;
};

class CliProfileTest : public ::testing::Test {
 protected:
  // One korvane-cli command with `--profile` put in front; `input` is its standard input.
  CommandRun Run(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {"--profile", profile().string()});
    return RunBare(args, input);
  }
  // The command as it is typed, without a profile of its own.
  CommandRun RunBare(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCli(args, env_, folder_ / "bin", clock_, in, out, err);
    return {status, out.str(), err.str()};
  }

  // Loads `script` into `database` of the embedded `server` with the load command.
  void Load(const std::string& server, const std::string& database, const std::string& script) {
    const std::filesystem::path file = folder_ / "fixture.sql";
    WriteFile(file, script);
    const CommandRun load = Run({"load", server, database, file.string()});
    ASSERT_EQ(load.status, kExitDone) << load.err;
  }

  // The outcome text of a data comparison that ran unattended.
  static std::string Counts(int source, int target, int different) {
    return "Number of records in first table: " + std::to_string(source) +
           "\r\nNumber of records in second table: " + std::to_string(target) +
           "\r\nNumber of different records: " + std::to_string(different) + "\n";
  }

  std::filesystem::path profile() const { return folder_ / "p"; }
  AppLocations Locations() const { return ComputeLocations(folder_ / "bin", profile(), env_); }

  ScratchFolder folder_;
  Environment env_;
  ManualClock clock_;
};

}  // namespace korvane::testing
