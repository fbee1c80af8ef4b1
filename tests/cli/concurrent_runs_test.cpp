// Many korvane-cli processes writing the same profile at once, as schedulers and scripts run
// them beside the window: every change of every run is kept.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "saved/ini_document.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ScratchFolder;
using testing::WriteFile;

std::string Quoted(const std::string& text) {
  return "'" + text + "'";
}

// Runs `command` through the shell and returns its exit status.
int RunShell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Regression: twelve "server add" at once left four servers, and eight "compare --save" at once
// handed out one process Id several times, all exiting 0.
TEST(ConcurrentRunsTest, SixteenRunsAddingServersAndSavingProcessesLoseNothing) {
  constexpr int kRuns = 16;
  ScratchFolder folder;
  const std::string cli = KORVANE_CLI_PATH;
  const std::string profile = (folder / "p").string();
  const std::string base = cli + " --profile " + Quoted(profile) + " ";
  WriteFile(folder / "s.sql", "CREATE TABLE t (a int)\n");
  ASSERT_EQ(RunShell(base + "load embedded:demo Shop " + Quoted((folder / "s.sql").string()) +
                     " >/dev/null"),
            0);
  for (int i = 1; i <= kRuns; ++i) {
    std::filesystem::copy(folder / "p" / "servers" / "demo",
                          folder / "p" / "servers" / ("s" + std::to_string(i)),
                          std::filesystem::copy_options::recursive);
  }

  // All runs start before any is waited for.
  std::vector<FILE*> runs;
  for (int i = 1; i <= kRuns; ++i) {
    const std::string n = std::to_string(i);
    const std::string command = "{ " + base + "server add embedded:s" + n + " && " + base +
                                "compare embedded:demo Shop embedded:demo Shop --save run" + n +
                                "; } 2>&1";
    FILE* run = ::popen(command.c_str(), "r");
    ASSERT_NE(run, nullptr);
    runs.push_back(run);
  }
  for (FILE* run : runs) {
    std::string output;
    char buffer[4096];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, run))
      output.append(buffer, got);
    const int status = ::pclose(run);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  }

  // Every server: the sixteen added and the one the saves listed.
  FILE* list = ::popen((base + "server list").c_str(), "r");
  ASSERT_NE(list, nullptr);
  std::string listed;
  char buffer[4096];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, list))
    listed.append(buffer, got);
  EXPECT_EQ(::pclose(list), 0);
  for (int i = 1; i <= kRuns; ++i) {
    EXPECT_NE(listed.find("\nembedded:s" + std::to_string(i) + "\t"), std::string::npos) << listed;
  }
  EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), kRuns + 2) << listed;

  // Every process, each with an Id of its own.
  const auto store = IniDocument::Load(folder / "p" / "Documents" / "kvn_comps.ini");
  ASSERT_TRUE(store.has_value());
  const std::vector<std::string> sections = store->SectionNames();
  EXPECT_EQ(sections.size(), static_cast<std::size_t>(kRuns));
  std::set<std::string> names(sections.begin(), sections.end());
  std::set<std::string> ids;
  for (const std::string& section : sections)
    ids.insert(store->Value(section, "Id").value_or(""));
  for (int i = 1; i <= kRuns; ++i) {
    EXPECT_TRUE(names.count("run" + std::to_string(i))) << i;
    EXPECT_TRUE(ids.count(std::to_string(i))) << i;
  }
}

}  // namespace
}  // namespace korvane
