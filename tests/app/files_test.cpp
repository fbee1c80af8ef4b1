#include "app/files.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace korvane
