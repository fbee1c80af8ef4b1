#include "catalog/sql_names.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(SqlNamesTest, LiteralsDoubleTheirQuotes) {
  EXPECT_EQ(EscapeSqlLiteral("O'Brien"), "O''Brien");
  EXPECT_EQ(EscapeSqlLiteral("''"), "''''");
  EXPECT_EQ(EscapeSqlLiteral("plain"), "plain");
  EXPECT_EQ(EscapeSqlLiteral(""), "");
}

TEST(SqlNamesTest, BracketingAddsBracketsOnceAndDoublesClosingBrackets) {
  EXPECT_EQ(BracketName("Orders"), "[Orders]");
  EXPECT_EQ(BracketName("[Orders]"), "[Orders]");  // already bracketed: not twice
  EXPECT_EQ(BracketName("Order Details"), "[Order Details]");
  EXPECT_EQ(BracketName("a]b"), "[a]]b]");
  // Half-bracketed texts are names of their own, quoted whole.
  EXPECT_EQ(BracketName("[abc"), "[[abc]");
  EXPECT_EQ(BracketName("abc]"), "[abc]]]");
  EXPECT_EQ(BracketName("O'Brien"), "[O'Brien]");
  EXPECT_EQ(BracketName(""), "[]");
}

TEST(SqlNamesTest, QuotingACatalogueNameAlwaysBracketsIt) {
  EXPECT_EQ(QuoteName("dbo"), "[dbo]");
  EXPECT_EQ(QuoteName("[x]"), "[[x]]]");
  EXPECT_EQ(QuoteName("s]x"), "[s]]x]");
}

TEST(SqlNamesTest, UnbracketingUndoesBracketing) {
  for (const char* name : {"Orders", "a]b", "[abc", "abc]", "x.y"})
    EXPECT_EQ(UnbracketName(BracketName(name)), name);
  EXPECT_EQ(UnbracketName("plain"), "plain");
}

TEST(SqlNamesTest, SplitsAtTheLastDotOutsideBrackets) {
  QualifiedName parts = SplitQualifiedName("sales.Orders");
  EXPECT_EQ(parts.qualifier, "sales");
  EXPECT_EQ(parts.name, "Orders");
  parts = SplitQualifiedName("a.b.c");
  EXPECT_EQ(parts.qualifier, "a.b");
  EXPECT_EQ(parts.name, "c");
  parts = SplitQualifiedName("Orders");
  EXPECT_EQ(parts.qualifier, "");
  EXPECT_EQ(parts.name, "Orders");
  parts = SplitQualifiedName("[my.table]");
  EXPECT_EQ(parts.qualifier, "");
  EXPECT_EQ(parts.name, "[my.table]");
  parts = SplitQualifiedName("[sa.les].[Or]].ders]");
  EXPECT_EQ(parts.qualifier, "[sa.les]");
  EXPECT_EQ(parts.name, "[Or]].ders]");
}

}  // namespace
}  // namespace korvane
