#include "base/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;
using testing::WriteFile;

TEST(FilesTest, AtomicWriteReplacesTheWholeFileAndCreatesFolders) {
  ScratchFolder folder;
  const auto file = folder / "a" / "b" / "x.ini";
  ASSERT_TRUE(WriteFileAtomically(file, "first content, long"));
  ASSERT_TRUE(WriteFileAtomically(file, "second"));
  EXPECT_EQ(ReadFile(file), "second");
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder / "a" / "b")) {
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST(FilesTest, AtomicWriteFailureLeavesTheOldFile) {
  ScratchFolder folder;
  const auto target = folder / "dir_in_the_way";
  std::filesystem::create_directories(target / "child");
  EXPECT_FALSE(WriteFileAtomically(target, "text"));
  EXPECT_TRUE(std::filesystem::is_directory(target / "child"));
}

TEST(FilesTest, AppendKeepsEarlierContentAndWritesBytesAsGiven) {
  ScratchFolder folder;
  const auto file = folder / "log" / "x.txt";
  ASSERT_TRUE(AppendToFile(file, "one\r\n"));
  ASSERT_TRUE(AppendToFile(file, "two\r\n"));
  EXPECT_EQ(ReadFile(file), "one\r\ntwo\r\n");
  WriteFile(folder / "plain", "x");
  EXPECT_FALSE(AppendToFile(folder / "plain" / "below-a-file.txt", "y"));
}

TEST(FilesTest, ReadWholeFileTellsMissingFromEmpty) {
  ScratchFolder folder;
  EXPECT_FALSE(ReadWholeFile(folder / "missing").has_value());
  WriteFile(folder / "empty", "");
  EXPECT_EQ(ReadWholeFile(folder / "empty"), "");
}

TEST(FilesTest, FolderTextEndsWithASeparator) {
  EXPECT_EQ(FolderText("/opt/korvane"), "/opt/korvane/");
  EXPECT_EQ(FolderText("/opt/korvane/"), "/opt/korvane/");
}

mode_t ModeOf(const std::filesystem::path& file) {
  struct stat info {};
  EXPECT_EQ(::lstat(file.c_str(), &info), 0);
  return info.st_mode & 07777;
}

// Regression: a rewrite used to give the file the default mode, so a file its owner had made
// private became readable by everybody after the next run.
TEST(FilesTest, AtomicRewriteKeepsTheTargetsMode) {
  struct Case {
    std::optional<mode_t> before;  // nothing: no file yet
    FileMode mode;
    mode_t after;
  };
  const mode_t umask_now = ::umask(022);
  const Case cases[] = {
      {0600, FileMode::kShared, 0600},         {0640, FileMode::kShared, 0640},
      {0604, FileMode::kShared, 0604},         {0644, FileMode::kOwnerOnly, 0600},
      {0400, FileMode::kOwnerOnly, 0400},      {std::nullopt, FileMode::kOwnerOnly, 0600},
      {std::nullopt, FileMode::kShared, 0644},
  };
  for (const Case& c : cases) {
    ScratchFolder folder;
    const auto file = folder / "report.txt";
    if (c.before) {
      WriteFile(file, "old");
      ASSERT_EQ(::chmod(file.c_str(), *c.before), 0);
    }
    ASSERT_TRUE(WriteFileAtomically(file, "new", c.mode));
    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_EQ(ModeOf(file), c.after) << std::oct << c.before.value_or(0);
  }
  ::umask(umask_now);
}

TEST(FilesTest, AtomicRewriteKeepsTheTargetsOwnerWherePossible) {
  ScratchFolder folder;
  const auto file = folder / "kvn_comps.ini";
  WriteFile(file, "old");
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(file.c_str(), 4321, 4322), 0);
  }
  ASSERT_TRUE(WriteFileAtomically(file, "new"));
  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_EQ(after.st_uid, ::geteuid() == 0 ? 4321u : before.st_uid);
  EXPECT_EQ(after.st_gid, ::geteuid() == 0 ? 4322u : before.st_gid);
}

TEST(FilesTest, AtomicRewriteReplacesALinkInsteadOfFollowingIt) {
  ScratchFolder folder;
  WriteFile(folder / "precious", "keep me");
  std::filesystem::create_symlink(folder / "precious", folder / "out.csv");
  ASSERT_TRUE(WriteFileAtomically(folder / "out.csv", "export"));
  EXPECT_EQ(ReadFile(folder / "precious"), "keep me");
  EXPECT_FALSE(std::filesystem::is_symlink(folder / "out.csv"));
  EXPECT_EQ(ReadFile(folder / "out.csv"), "export");
}

TEST(FileLockTest, SecondHolderWaitsUntilTheTimeOutAndIsToldWhy) {
  ScratchFolder folder;
  const auto target = folder / "settings.reg";
  std::string error;
  std::optional<FileLock> first = FileLock::Acquire(target, error, std::chrono::milliseconds(0));
  ASSERT_TRUE(first.has_value()) << error;
  EXPECT_TRUE(std::filesystem::exists(LockFilePath(target)));
  EXPECT_FALSE(std::filesystem::exists(target));  // the lock does not make the file itself
  // A second open of the lock file is a second holder, even in the same process.
  EXPECT_FALSE(FileLock::Acquire(target, error, std::chrono::milliseconds(5)).has_value());
  EXPECT_NE(error.find(target.string()), std::string::npos) << error;
  EXPECT_NE(error.find("in use"), std::string::npos) << error;
  // Moving keeps the lock held; destroying the holder frees it.
  std::optional<FileLock> moved = std::move(first);
  first.reset();
  EXPECT_FALSE(FileLock::Acquire(target, error, std::chrono::milliseconds(0)).has_value());
  moved.reset();
  EXPECT_TRUE(FileLock::Acquire(target, error, std::chrono::milliseconds(0)).has_value());
  EXPECT_EQ(error, "");
}

TEST(FileLockTest, LockFileThatCannotBeMadeIsAnError) {
  ScratchFolder folder;
  WriteFile(folder / "plain", "x");
  std::string error;
  EXPECT_FALSE(FileLock::Acquire(folder / "plain" / "settings.reg", error).has_value());
  EXPECT_NE(error.find("settings.reg.lock"), std::string::npos) << error;
}

TEST(FileLockTest, TimeOutComesFromTheEnvironment) {
  const struct {
    const char* value;  // nullptr: unset
    long long milliseconds;
  } cases[] = {{nullptr, 10000}, {"", 10000},   {"250", 250},
               {"0", 0},         {"-5", 10000}, {"12ab", 10000}};
  for (const auto& c : cases) {
    if (c.value == nullptr)
      ::unsetenv("KORVANE_LOCK_TIMEOUT_MS");
    else
      ::setenv("KORVANE_LOCK_TIMEOUT_MS", c.value, 1);
    EXPECT_EQ(DefaultLockTimeout().count(), c.milliseconds) << (c.value ? c.value : "unset");
  }
  ::unsetenv("KORVANE_LOCK_TIMEOUT_MS");
}

}  // namespace
}  // namespace korvane
