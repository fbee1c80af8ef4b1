#include "datacomp/data_compare_options.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(DataCompareOptionsTest, NoFieldAndEmptyKeyColumnsAreNotUsed) {
  EXPECT_FALSE(IsKeyColumnSet(""));
  EXPECT_FALSE(IsKeyColumnSet("No Field"));
  EXPECT_TRUE(IsKeyColumnSet("no field"));  // a column may be named so; only the item counts
  EXPECT_TRUE(IsKeyColumnSet("OrderID"));
}

TEST(DataCompareOptionsTest, NewOptionsCompareRecordByRecordFromTheFirstRecordInTableOrder) {
  const DataCompareOptions options;
  EXPECT_EQ(options.CompMethod, kCompMethodRecordByRecord);
  EXPECT_FALSE(options.use_default_order);
  for (const DataCompareSide& side : options.sides) {
    EXPECT_EQ(side.offset, 0);
    for (int rank = 0; rank < 3; ++rank) {
      EXPECT_EQ(side.sort_keys[rank], "");
      EXPECT_EQ(side.key_columns[rank], "");
    }
  }
}

}  // namespace
}  // namespace korvane
