// The command line on settings and saved-process stores that cannot be read or written, are
// held by another run, or are given names the file format cannot hold.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sstream>

#include "base/files.h"
#include "base/registry_tree.h"
#include "base/settings_store.h"
#include "cli_profile_fixture.h"

namespace korvane {
namespace {

using testing::CommandRun;
using testing::ReadFile;
using testing::WriteFile;

class CliStoreTest : public testing::CliProfileTest {
 protected:
  std::filesystem::path settings() const { return profile() / "settings.reg"; }
  std::string Script(const std::string& text) {
    WriteFile(folder_ / "s.sql", text);
    return (folder_ / "s.sql").string();
  }
};

// Regression: "settings set" with a line break in a value name or key path exited 0 and wrote
// a file it could not read back.
TEST_F(CliStoreTest, LineBreaksInNamesAreRefused) {
  ASSERT_EQ(Run({"settings", "set", ".", "Timeout", "dword", "40"}).status, kExitDone);
  const std::string before = ReadFile(settings());
  const struct {
    const char* key;
    const char* name;
  } cases[] = {{".", "a\nb"}, {".", "a\rb"}, {"Comparisons\nX", "n"}, {"Com\rparisons", "n"}};
  for (const auto& c : cases) {
    const CommandRun run = Run({"settings", "set", c.key, c.name, "string", "v"});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_NE(run.err.find("line break"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(settings()), before);
  }
  // A value may hold line breaks: it is kept as hex(1) and reads back whole.
  ASSERT_EQ(Run({"settings", "set", ".", "Note", "string", "a\r\nb"}).status, kExitDone);
  EXPECT_EQ(Run({"settings", "get", ".", "Note"}).out, "a\r\nb\n");
  EXPECT_TRUE(RegistryTree::Parse(ReadFile(settings())).unreadable_lines.empty());
}

// Regression: a settings file that could not be read was replaced by the start-up writes.
TEST_F(CliStoreTest, UnreadableSettingsAreNeverWritten) {
  std::filesystem::create_directories(settings() / "not-a-file");
  const CommandRun list = Run({"server", "list"});
  EXPECT_EQ(list.status, kExitDone);  // reading commands still run
  EXPECT_EQ(list.err.find(std::string(kSettingsUnreadableTitle) + ": The settings file"), 0u)
      << list.err;
  const struct {
    std::vector<std::string> args;
  } writes[] = {{{"server", "add", "embedded:x"}},
                {{"settings", "set", ".", "Timeout", "dword", "5"}},
                {{"server", "remove", "x"}}};
  for (const auto& w : writes) {
    const CommandRun run = Run(w.args);
    EXPECT_EQ(run.status, kExitFailed) << w.args[0];
  }
  EXPECT_TRUE(std::filesystem::is_directory(settings() / "not-a-file"));
}

// Regression: "server add" and "server remove" ignored the result of the store write.
TEST_F(CliStoreTest, WritesThatCannotBeMadeExitTwo) {
  ASSERT_EQ(Run({"load", "embedded:demo", "Shop", Script("CREATE TABLE t (a int)\n")}).status,
            kExitDone);
  ASSERT_EQ(Run({"load", "embedded:other", "Shop", Script("CREATE TABLE t (a int)\n")}).status,
            kExitDone);
  ASSERT_EQ(Run({"server", "add", "embedded:demo"}).status, kExitDone);
  std::string error;
  std::optional<FileLock> other_run =
      FileLock::Acquire(settings(), error, std::chrono::milliseconds(0));
  ASSERT_TRUE(other_run.has_value()) << error;
  ::setenv("KORVANE_LOCK_TIMEOUT_MS", "0", 1);
  const CommandRun add = Run({"server", "add", "embedded:other"});
  const CommandRun remove = Run({"server", "remove", "embedded:demo"});
  const CommandRun set = Run({"settings", "set", ".", "Timeout", "dword", "5"});
  // Incidental writes (start-up values) fail without a word; a comparison still runs.
  const CommandRun compare = Run({"compare", "embedded:demo", "Shop", "embedded:demo", "Shop"});
  ::unsetenv("KORVANE_LOCK_TIMEOUT_MS");
  other_run.reset();
  for (const CommandRun* run : {&add, &remove, &set}) {
    EXPECT_EQ(run->status, kExitFailed);
    EXPECT_NE(run->err.find("in use by another run"), std::string::npos) << run->err;
  }
  EXPECT_EQ(compare.status, kExitDone) << compare.err;
  EXPECT_EQ(compare.err, "");
  EXPECT_EQ(Run({"server", "list"}).out,
            "Name\tAuthentication\tLogin\tDatabase\tVersion\n"
            "embedded:demo\tWindows\t\tmaster\t\n");
}

// Regression: "compare --save" said "Saved as process N" although the server it names could
// not be put in the server list.
TEST_F(CliStoreTest, SaveIsNotReportedWhenItsServerCannotBeListed) {
  ASSERT_EQ(Run({"load", "embedded:demo", "Shop", Script("CREATE TABLE t (a int)\n")}).status,
            kExitDone);
  std::string error;
  const auto other_run = FileLock::Acquire(settings(), error, std::chrono::milliseconds(0));
  ASSERT_TRUE(other_run.has_value());
  ::setenv("KORVANE_LOCK_TIMEOUT_MS", "0", 1);
  const CommandRun structure =
      Run({"compare", "embedded:demo", "Shop", "embedded:demo", "Shop", "--save", "Nightly"});
  const CommandRun data = Run({"compare-data", "embedded:demo", "Shop", "embedded:demo", "Shop",
                               "t", "--by-record", "--save", "Rows"});
  ::unsetenv("KORVANE_LOCK_TIMEOUT_MS");
  for (const CommandRun* run : {&structure, &data}) {
    EXPECT_EQ(run->status, kExitFailed);
    EXPECT_EQ(run->err.find("Saved as process"), std::string::npos) << run->err;
  }
  EXPECT_FALSE(std::filesystem::exists(profile() / "Documents" / "kvn_comps.ini"));
}

}  // namespace
}  // namespace korvane
