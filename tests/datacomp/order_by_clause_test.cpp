#include "datacomp/order_by_clause.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(OrderByClauseTest, PrimaryKeyAloneGivesOneBracketedColumnAndATrailingSpace) {
  EXPECT_EQ(BuildOrderBy("OrderID", "", ""), " ORDER BY [OrderID] ");
}

TEST(OrderByClauseTest, KeysFollowInRankOrderSeparatedByCommaAndSpace) {
  EXPECT_EQ(BuildOrderBy("OrderID", "Qty", ""), " ORDER BY [OrderID], [Qty] ");
  EXPECT_EQ(BuildOrderBy("OrderID", "Qty", "Price"), " ORDER BY [OrderID], [Qty], [Price] ");
}

TEST(OrderByClauseTest, EmptyPrimaryGivesNoClauseWhateverFollows) {
  EXPECT_EQ(BuildOrderBy("", "", ""), "");
  EXPECT_EQ(BuildOrderBy("", "Qty", "Price"), "");
  EXPECT_EQ(BuildOrderBy("   ", "Qty", ""), "");
}

TEST(OrderByClauseTest, TertiaryIsDroppedWhenTheSecondaryIsEmpty) {
  EXPECT_EQ(BuildOrderBy(" OrderID", "", "Qty"), " ORDER BY [OrderID] ");
  EXPECT_EQ(BuildOrderBy("OrderID", "  ", "Qty"), " ORDER BY [OrderID] ");
}

TEST(OrderByClauseTest, KeysAreTrimmedOfSpacesOnly) {
  EXPECT_EQ(BuildOrderBy("  Order ID  ", " Qty", "Price "),
            " ORDER BY [Order ID], [Qty], [Price] ");
  EXPECT_EQ(BuildOrderBy("\tA", "", ""), " ORDER BY [\tA] ");
}

// A closing bracket inside a name must not end the identifier early: "]" is doubled, so a
// column named like an injection stays one column.
TEST(OrderByClauseTest, ClosingBracketsInsideNamesAreDoubled) {
  EXPECT_EQ(BuildOrderBy("a]b", "", ""), " ORDER BY [a]]b] ");
  EXPECT_EQ(BuildOrderBy("x]; DROP TABLE t; --", "", ""), " ORDER BY [x]]; DROP TABLE t; --] ");
  EXPECT_EQ(BuildOrderBy("[Bracketed]", "]]", "q'uote"),
            " ORDER BY [[Bracketed]]], []]]]], [q'uote] ");
}

TEST(OrderByClauseTest, BracketColumnNameDoublesOnlyClosingBrackets) {
  EXPECT_EQ(BracketColumnName("Plain"), "[Plain]");
  EXPECT_EQ(BracketColumnName(""), "[]");
  EXPECT_EQ(BracketColumnName("[x"), "[[x]");
  EXPECT_EQ(BracketColumnName("Größe]"), "[Größe]]]");
}

}  // namespace
}  // namespace korvane
