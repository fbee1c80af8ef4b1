#include "base/unicode_case.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace korvane {
namespace {

struct UpperCase {
  const char* text;
  const char* upper;
};

TEST(SimpleUpperCaseTest, MapsEveryCharacterToOneCharacter) {
  const UpperCase cases[] = {
      {"select 'caf\xC3\xA9'", "SELECT 'CAF\xC3\x89'"},          // é
      {"\xCF\x83\xCF\x82\xCE\xA3", "\xCE\xA3\xCE\xA3\xCE\xA3"},  // σ ς Σ -> Σ Σ Σ
      {"\xD0\xB6\xD1\x91\xD0\x96", "\xD0\x96\xD0\x81\xD0\x96"},  // ж ё Ж -> Ж Ё Ж
      {"\xC4\x81\xC5\x82\xC5\x93", "\xC4\x80\xC5\x81\xC5\x92"},  // ā ł œ -> Ā Ł Œ
      {"i\xC4\xB1\xC4\xB0I", "II\xC4\xB0I"},                     // i ı İ I -> I I İ I
      {"stra\xC3\x9F"
       "e",
       "STRA\xC3\x9F"
       "E"},                         // ß has no single upper
      {"\xC5\xBF", "S"},             // long s
      {"x\xFFy\xC3", "X\xFFY\xC3"},  // stray bytes kept
      {"", ""},
  };
  for (const UpperCase& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string upper = SimpleUpperCase(c.text);
    EXPECT_EQ(upper, c.upper);
    EXPECT_EQ(Utf8Length(upper), Utf8Length(c.text));
  }
}

struct FoldPair {
  const char* a;
  const char* b;
  bool equal;
};

TEST(SimpleCaseFoldTest, EqualityIgnoringCaseBeyondAscii) {
  const FoldPair cases[] = {
      {"\xC3\x84pfel", "\xC3\xA4PFEL", true},          // Äpfel / äPFEL
      {"\xCE\xA3", "\xCF\x83", true},                  // Σ σ
      {"\xCF\x82", "\xCF\x83", true},                  // ς σ
      {"\xCE\xA3", "\xCF\x82", true},                  // Σ ς
      {"\xD0\x96\xD0\x81", "\xD0\xB6\xD1\x91", true},  // ЖЁ жё
      {"Łódź", "łÓDŹ", true},                          // Łódź łÓDŹ
      {"\xC4\x80", "\xC4\x81", true},                  // Ā ā
      {"\xC5\xBF", "s", true},                         // long s folds to s
      {"I", "i", true},
      {"\xC4\xB1", "i", false},  // dotless ı is not i
      {"\xC4\xB1", "I", false},
      {"\xC4\xB0", "i", false},  // dotted İ is not i
      {"\xC4\xB0", "I", false},
      {"stra\xC3\x9F"
       "e",
       "STRASSE", false},              // simple folding only
      {"caf\xC3\xA9", "cafe", false},  // accents count
      {"\xFF", "\xC3\xBF", false},     // a stray byte is not ÿ
      {"ab", "abc", false},
      {"", "", true},
  };
  for (const FoldPair& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(EqualsFoldingCase(c.a, c.b), c.equal);
    EXPECT_EQ(SimpleCaseFold(c.a) == SimpleCaseFold(c.b), c.equal);
    EXPECT_EQ(CompareFoldingCase(c.a, c.b) == 0, c.equal);
  }
}

TEST(SimpleCaseFoldTest, FoldsToLowerCaseAndAppends) {
  EXPECT_EQ(SimpleCaseFold("RowVersion"), "rowversion");
  EXPECT_EQ(SimpleCaseFold("\xC3\x84PFEL"), "\xC3\xA4pfel");
  std::string out = "t";
  AppendSimpleCaseFold("\xCE\xA3X", out);
  EXPECT_EQ(out, "t\xCF\x83x");
}

TEST(SimpleCaseFoldTest, OrdersByFoldedCodePoints) {
  EXPECT_LT(CompareFoldingCase("a", "B"), 0);
  EXPECT_GT(CompareFoldingCase("b", "A"), 0);
  EXPECT_LT(CompareFoldingCase("ab", "ABC"), 0);
  EXPECT_LT(CompareFoldingCase("z", "\xC3\xA4"), 0);             // ASCII before Latin-1
  EXPECT_LT(CompareFoldingCase("\xC3\x84", "\xC4\x80"), 0);      // Ä before Ā
  EXPECT_LT(CompareFoldingCase("\xF4\x8F\xBF\xBF", "\x80"), 0);  // stray bytes sort last
}

}  // namespace
}  // namespace korvane
