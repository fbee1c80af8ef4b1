#include "saved/selection_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;
using testing::WriteFile;
using Lines = std::vector<std::string>;

TEST(SelectionFileTest, IdsHaveAtLeastThreeDigits) {
  EXPECT_EQ(FormatProcessId(0), "000");
  EXPECT_EQ(FormatProcessId(1), "001");
  EXPECT_EQ(FormatProcessId(7), "007");
  EXPECT_EQ(FormatProcessId(27), "027");
  EXPECT_EQ(FormatProcessId(999), "999");
  EXPECT_EQ(FormatProcessId(1234), "1234");
  EXPECT_EQ(FormatProcessId(2147483647), "2147483647");
  EXPECT_EQ(FormatProcessId(-5), "-005");
  EXPECT_EQ(FormatProcessId(-2147483647 - 1), "-2147483648");
}

TEST(SelectionFileTest, FileNamesCarryIdAndSide) {
  const std::filesystem::path folder = "/data";
  EXPECT_EQ(SelectionFilePath(folder, 7, SelectionSide::kSource),
            std::filesystem::path("/data/kvn_007_src.txt"));
  EXPECT_EQ(SelectionFilePath(folder, 7, SelectionSide::kTarget),
            std::filesystem::path("/data/kvn_007_tgt.txt"));
  EXPECT_EQ(SelectionFilePath(folder, 1234, SelectionSide::kSource).filename(), "kvn_1234_src.txt");
}

TEST(SelectionFileTest, WritingEndsEveryNameWithCrLf) {
  ScratchFolder folder;
  const auto file = folder / "kvn_001_src.txt";
  ASSERT_TRUE(WriteSelectionFile(file, {"[dbo].[A]", "B", "", "Ünïcode"}));
  EXPECT_EQ(ReadFile(file),
            "[dbo].[A]\r\nB\r\n\r\n\xC3\x9Cn\xC3\xAF"
            "code\r\n");
  EXPECT_EQ(ReadSelectionFile(file), (Lines{"[dbo].[A]", "B", "", "Ünïcode"}));
  ASSERT_TRUE(WriteSelectionFile(file, {}));
  EXPECT_EQ(ReadFile(file), "");
  EXPECT_EQ(ReadSelectionFile(file), Lines{});
}

TEST(SelectionFileTest, ReadingTakesEveryLineAsWrittenByHand) {
  ScratchFolder folder;
  const auto file = folder / "sel.txt";
  WriteFile(file, "a\nb\r\nc");
  EXPECT_EQ(ReadSelectionFile(file), (Lines{"a", "b", "c"}));
  WriteFile(file, "\xEF\xBB\xBFx\r\n\r\ny\r\n");
  EXPECT_EQ(ReadSelectionFile(file), (Lines{"x", "", "y"}));
  WriteFile(file, "\r\n");
  EXPECT_EQ(ReadSelectionFile(file), (Lines{""}));
}

TEST(SelectionFileTest, MissingFilesReadAsNothingAndDeleteWithoutFailure) {
  ScratchFolder folder;
  const auto file = folder / "kvn_003_tgt.txt";
  EXPECT_EQ(ReadSelectionFile(file), std::nullopt);
  EXPECT_TRUE(DeleteSelectionFile(file));
  WriteFile(file, "x\r\n");
  EXPECT_TRUE(DeleteSelectionFile(file));
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(SelectionFileTest, AFolderWhereAFileBelongsIsNeitherReadNorRemoved) {
  ScratchFolder folder;
  const auto in_the_way = folder / "kvn_004_src.txt";
  std::filesystem::create_directories(in_the_way);
  EXPECT_EQ(ReadSelectionFile(in_the_way), std::nullopt);
  EXPECT_FALSE(DeleteSelectionFile(in_the_way));
  EXPECT_TRUE(std::filesystem::is_directory(in_the_way));
  EXPECT_FALSE(WriteSelectionFile(in_the_way, {"a"}));
}

}  // namespace
}  // namespace korvane
