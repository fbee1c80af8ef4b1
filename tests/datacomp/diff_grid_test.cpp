#include "datacomp/diff_grid.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(DiffGridTest, LoadDataGivesTheHeaderRowAndNoDataRows) {
  DiffGrid grid;
  grid.AddRecordToGrid(1, {"x"}, kSourceOnlyColour);
  grid.LoadData({"OrderID", "Qty"});
  EXPECT_EQ(grid.header(), (std::vector<std::string>{"Row", "OrderID", "Qty"}));
  EXPECT_EQ(grid.ColumnWidthsTwips(), (std::vector<int>{540, 1440, 1440}));
  EXPECT_EQ(grid.RowCount(), 0u);
}

TEST(DiffGridTest, ColoursAreThoseOfTheDifferencesWindow) {
  EXPECT_EQ(kSourceDiffColour, (Rgb{0, 255, 255}));
  EXPECT_EQ(kTargetDiffColour, (Rgb{255, 255, 128}));
  EXPECT_EQ(kSourceOnlyColour, (Rgb{192, 255, 192}));
  EXPECT_EQ(kTargetOnlyColour, (Rgb{255, 224, 192}));
  EXPECT_EQ(kDifferentCellColour, (Rgb{255, 0, 0}));
  EXPECT_EQ(kEqualCellColour, (Rgb{0, 0, 0}));
}

TEST(DiffGridTest, RecordTextsAreFittedToTheColumns) {
  DiffGrid grid;
  grid.LoadData({"A", "B"});
  grid.AddRecordToGrid(7, {"1"}, kTargetOnlyColour);
  grid.AddRecordToGrid(8, {"1", "2", "3"}, kSourceOnlyColour);
  ASSERT_EQ(grid.RowCount(), 2u);
  EXPECT_EQ(grid.rows()[0].cells, (std::vector<std::string>{"7", "1", ""}));
  EXPECT_EQ(grid.rows()[0].background, kTargetOnlyColour);
  EXPECT_EQ(grid.rows()[1].cells, (std::vector<std::string>{"8", "1", "2"}));
  EXPECT_EQ(grid.rows()[1].text_colours, std::vector<Rgb>(3, kEqualCellColour));
}

// Cells are marked by exact text: a trailing blank that the comparison ignores still shows red.
TEST(DiffGridTest, MarkDiffPaintsCellsThatDifferExactlyInBothRows) {
  DiffGrid grid;
  grid.LoadData({"A", "B", "C"});
  grid.AddRecordToGrid_MarkDiff(3, {"abc ", "x", "Null"}, {"abc", "y", "Null"}, kSourceDiffColour,
                                kTargetDiffColour);
  ASSERT_EQ(grid.RowCount(), 2u);
  const std::vector<Rgb> marks = {kEqualCellColour, kDifferentCellColour, kDifferentCellColour,
                                  kEqualCellColour};
  EXPECT_EQ(grid.rows()[0].cells, (std::vector<std::string>{"3", "abc ", "x", "Null"}));
  EXPECT_EQ(grid.rows()[1].cells, (std::vector<std::string>{"3", "abc", "y", "Null"}));
  EXPECT_EQ(grid.rows()[0].text_colours, marks);
  EXPECT_EQ(grid.rows()[1].text_colours, marks);
  EXPECT_EQ(grid.rows()[0].background, kSourceDiffColour);
  EXPECT_EQ(grid.rows()[1].background, kTargetDiffColour);
}

TEST(DiffGridTest, MarkDiffComparesAMissingTargetFieldAsEmpty) {
  DiffGrid grid;
  grid.LoadData({"A", "B"});
  grid.AddRecordToGrid_MarkDiff(1, {"a", ""}, {"a"}, kSourceDiffColour, kTargetDiffColour);
  EXPECT_EQ(grid.rows()[1].cells, (std::vector<std::string>{"1", "a", ""}));
  EXPECT_EQ(grid.rows()[1].text_colours, std::vector<Rgb>(3, kEqualCellColour));
}

TEST(DiffGridTest, TrailingRowsWithoutANumberOtherThanZeroAreRemoved) {
  DiffGrid grid;
  grid.LoadData({"A"});
  grid.AddRecordToGrid(0, {"a"}, kSourceOnlyColour);
  grid.AddRecordToGrid(4, {"b"}, kSourceOnlyColour);
  grid.AddEmptyRows(2, kTargetOnlyColour);
  grid.AddRecordToGrid(0, {"c"}, kSourceOnlyColour);
  grid.RemoveTrailingUnnumberedRows();
  ASSERT_EQ(grid.RowCount(), 2u);
  EXPECT_EQ(grid.rows()[1].cells[0], "4");
  DiffGrid only_unnumbered;
  only_unnumbered.LoadData({"A"});
  only_unnumbered.AddEmptyRows(3, kTargetOnlyColour);
  only_unnumbered.RemoveTrailingUnnumberedRows();
  EXPECT_EQ(only_unnumbered.RowCount(), 0u);
}

TEST(DiffGridTest, FillRowKeepsTheBackgroundOfTheEmptyRow) {
  DiffGrid grid;
  grid.LoadData({"A"});
  grid.AddEmptyRows(2, kTargetOnlyColour);
  grid.FillRow(1, 12, {"x"});
  EXPECT_EQ(grid.rows()[0].cells, (std::vector<std::string>{"", ""}));
  EXPECT_EQ(grid.rows()[1].cells, (std::vector<std::string>{"12", "x"}));
  EXPECT_EQ(grid.rows()[1].background, kTargetOnlyColour);
}

TEST(DiffGridTest, StatisticsAreFormattedWithThousandsSeparators) {
  DiffGrid grid;
  grid.SetStatistics(1234567, 0, 1000);
  EXPECT_EQ(grid.statistics(), (std::array<std::string, 3>{"1,234,567", "0", "1,000"}));
}

}  // namespace
}  // namespace korvane
