#include "compare/whitespace_normaliser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvane {
namespace {

TEST(ReplaceNonPrintableCharsTest, CollapsesEveryRunOfWhiteSpaceToOneSpace) {
  struct Case {
    std::string text;
    std::string collapsed;
  };
  const std::vector<Case> cases = {
      {"a\t\tb", "a b"},
      {"\r\n\r\n", " "},
      {"  x  ", " x "},  // nothing is trimmed
      {"a\r\nb", "a b"},
      {std::string("a\0b", 3), "a b"},
      {"a\vb", "a b"},
      {"a \t b", "a b"},
      {"x\r\n", "x "},
      {" ", " "},
      {"", ""},
      {"abc", "abc"},
      {"a\fb", "a\fb"},                               // form feed is not white space here
      {"a\xC2\xA0 b", "a\xC2\xA0 b"},                 // nor is the no-break space
      {"\xC3\xA9\t\t\xC3\xBC", "\xC3\xA9 \xC3\xBC"},  // letters beyond ASCII are kept whole
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReplaceNonPrintableChars(c.text, " "), c.collapsed) << c.text;
  }
}

TEST(ReplaceNonPrintableCharsTest, OnlySpacesCollapseWhateverTheReplacement) {
  EXPECT_EQ(ReplaceNonPrintableChars("a\tb", "_"), "a_b");
  EXPECT_EQ(ReplaceNonPrintableChars("a\t\tb", "_"), "a__b");
  EXPECT_EQ(ReplaceNonPrintableChars("a \tb", "_"), "a b");
}

TEST(CompareIgnoringWhitespaceTest, DecidesLikeTheOptionsSay) {
  struct Case {
    std::string a;
    std::string b;
    bool case_sensitive;
    bool identical;
  };
  const std::vector<Case> cases = {
      {"SELECT  a", "select a", false, true},
      {"SELECT  a", "select a", true, false},
      {"SELECT  a", "SELECT a", true, true},
      {"", "   ", false, true},  // both trim to empty
      {"", "   ", true, true},
      {"a", "\t", false, false},
      {"a", "", false, false},
      {"  a b  ", "a b", true, true},
      {"a\r\nb", "a b", true, true},
      {"a\t\tb", "a  b", true, true},
      {"a b", "ab", false, false},
      {"a b c", "a b", false, false},
      {"a b c", "a c b", false, false},
      {"a\r\n", "a", false, false},  // only spaces are trimmed; the line break stays a word gap
      {"\ta", "\tb", false, false},
      {"\ta", "\na", false, true},  // both start with a collapsed space
      {"\ta", " a", false, false},  // the leading space is trimmed, the tab is not
      // Letter case beyond ASCII, each character upper-cased to one character.
      {"SELECT 'café'", "select 'CAFÉ'", false, true},
      {"SELECT 'café'", "SELECT 'CAFÉ'", true, false},
      {"σ ς", "Σ Σ", false, true},
      {"жёлтый", "ЖЁЛТЫЙ", false, true},
      {"łódź ā", "ŁÓDŹ Ā", false, true},
      {"ı", "I", false, true},   // the dotless i upper-cases to I
      {"i", "İ", false, false},  // the dotted capital İ is no upper-case i
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareIgnoringWhitespace(c.a, c.b, {.case_sensitive = c.case_sensitive}),
              c.identical)
        << "'" << c.a << "' vs '" << c.b << "' case sensitive " << c.case_sensitive;
  }
}

TEST(CompareIgnoringWhitespaceTest, IsSymmetric) {
  const std::vector<std::string> texts = {"a", " a", "a\t", "A", "a b", "a  b", "", "\t"};
  for (const std::string& a : texts) {
    for (const std::string& b : texts) {
      EXPECT_EQ(CompareIgnoringWhitespace(a, b, {}), CompareIgnoringWhitespace(b, a, {}))
          << "'" << a << "' vs '" << b << "'";
    }
  }
}

}  // namespace
}  // namespace korvane
