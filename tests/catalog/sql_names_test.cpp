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

// A text is kept as already bracketed only when it is one well-formed bracketed identifier or a
// schema.name pair of them; everything else is quoted whole and so names one object.
TEST(SqlNamesTest, BracketedNameInjectionIsQuotedWhole) {
  struct Case {
    const char* text;
    bool well_formed;
    const char* bracketed;
  };
  const Case cases[] = {
      {"[Orders]", true, "[Orders]"},
      {"[a]]b]", true, "[a]]b]"},
      {"[sales].[Orders]", true, "[sales].[Orders]"},
      {"[s]]x].[a]]]]b]", true, "[s]]x].[a]]]]b]"},
      {"[a\r\nb]", true, "[a\r\nb]"},
      {"[a--b]", true, "[a--b]"},
      {"[O'Brien]", true, "[O'Brien]"},
      // The name the catalogue listed in the audit: it starts with "[" and ends with "]", but
      // its first "]" ends the identifier and the rest would have run as statements.
      {"[t1];DROP TABLE victim;SELECT 1 AS [[x]", false,
       "[[t1]];DROP TABLE victim;SELECT 1 AS [[x]]]"},
      {"[a]b]", false, "[[a]]b]]]"},
      {"[a]]", false, "[[a]]]]]"},
      {"[]", false, "[[]]]"},
      {"[a].b", false, "[[a]].b]"},
      {"[a].[b].[c]", false, "[[a]].[b]].[c]]]"},
      {"[a] ", false, "[[a]] ]"},
      {"[a];--]", false, "[[a]];--]]]"},
      {"[x]\n;DROP TABLE v;[y]", false, "[[x]]\n;DROP TABLE v;[y]]]"},
      {"[it\xE2\x80\x99s]]]", true, "[it\xE2\x80\x99s]]]"},
      {"[it\xE2\x80\x99s]';--]", false, "[[it\xE2\x80\x99s]]';--]]]"},
      {"it\xE2\x80\x99s", false, "[it\xE2\x80\x99s]"},
      {"';DROP TABLE v;--", false, "[';DROP TABLE v;--]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IsBracketedName(c.text), c.well_formed);
    EXPECT_EQ(BracketName(c.text), c.bracketed);
    EXPECT_TRUE(IsBracketedName(BracketName(c.text)));
  }
}

TEST(SqlNamesTest, UnbracketingTakesOnlyOneWellFormedIdentifier) {
  EXPECT_EQ(UnbracketName("[a]]b]"), "a]b");
  EXPECT_EQ(UnbracketName("[a]b]"), "[a]b]");  // not one identifier: kept as it is
  EXPECT_EQ(UnbracketName("[s].[t]"), "[s].[t]");
  EXPECT_EQ(UnbracketName("[]"), "[]");
}

TEST(SqlNamesTest, QuotingACatalogueNameAlwaysBracketsIt) {
  EXPECT_EQ(QuoteName("dbo"), "[dbo]");
  EXPECT_EQ(QuoteName("[x]"), "[[x]]]");
  EXPECT_EQ(QuoteName("s]x"), "[s]]x]");
}

TEST(SqlNamesTest, UnbracketingUndoesBracketing) {
  for (const char* name : {"Orders", "a]b", "[abc", "abc]", "x.y", "[a]b]", "[t];x;[y]"})
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
