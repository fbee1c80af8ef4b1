#include "saved/ini_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvane {
namespace {

using Names = std::vector<std::string>;
using Edit = IniDocument::Edit;

// A file as people write it by hand: LF and CR LF mixed, blanks everywhere, a comment, lines
// that are not keys, no line end after the last line.
constexpr char kHandWritten[] =
    "; kept by hand\n"
    "stray=before any section\r\n"
    "  [ Demo ]  \r\n"
    "Key1 =  value one  \r\n"
    "\tkey2=\n"
    "   spaced key   =   x = y   \n"
    "a line without equals\n"
    "=no name\n"
    ";Key3=commented out\n"
    "\n"
    "[Other]\n"
    "k=v";

TEST(IniDocumentReadTest, HandWrittenFileWithOddSpacing) {
  const IniDocument ini = IniDocument::Parse(kHandWritten);
  EXPECT_EQ(ini.SectionNames(), (Names{"Demo", "Other"}));
  EXPECT_EQ(ini.KeyNames("Demo"), (Names{"Key1", "key2", "spaced key"}));
  EXPECT_EQ(ini.Value("Demo", "Key1"), "value one");
  EXPECT_EQ(ini.Value("Demo", "key2"), "");  // a blank value exists and is empty
  EXPECT_EQ(ini.Value("Demo", "spaced key"), "x = y");
  EXPECT_EQ(ini.Value("Other", "k"), "v");
  EXPECT_EQ(ini.Value("Demo", "a line without equals"), std::nullopt);
  EXPECT_EQ(ini.Value("Demo", ";Key3"), std::nullopt);
  EXPECT_EQ(ini.Value("Demo", "Key3"), std::nullopt);
  EXPECT_EQ(ini.Value("", "stray"), std::nullopt);
  EXPECT_EQ(ini.Value("Demo", "missing"), std::nullopt);
  EXPECT_EQ(ini.Value("Missing", "k"), std::nullopt);
}

TEST(IniDocumentReadTest, NamesMatchWithoutRegardToCaseOrSurroundingBlanks) {
  const IniDocument ini = IniDocument::Parse(kHandWritten);
  EXPECT_EQ(ini.Value("demo", "KEY1"), "value one");
  EXPECT_EQ(ini.Value("  DEMO\t", " key1 "), "value one");
  EXPECT_EQ(ini.KeyNames("dEmO"), (Names{"Key1", "key2", "spaced key"}));
  EXPECT_EQ(ini.Value(std::string("Demo\0junk", 9), std::string("Key1\0x", 6)), "value one");
}

TEST(IniDocumentReadTest, UntouchedLinesAreWrittenBackAsReadWithCrLf) {
  const IniDocument ini = IniDocument::Parse(kHandWritten);
  EXPECT_EQ(ini.ToText(),
            "; kept by hand\r\n"
            "stray=before any section\r\n"
            "  [ Demo ]  \r\n"
            "Key1 =  value one  \r\n"
            "\tkey2=\r\n"
            "   spaced key   =   x = y   \r\n"
            "a line without equals\r\n"
            "=no name\r\n"
            ";Key3=commented out\r\n"
            "\r\n"
            "[Other]\r\n"
            "k=v\r\n");
}

TEST(IniDocumentReadTest, ByteOrderMarkIsDroppedAndNotWrittenBack) {
  const IniDocument ini = IniDocument::Parse("\xEF\xBB\xBF[A]\r\nk=v\r\n");
  EXPECT_EQ(ini.SectionNames(), (Names{"A"}));
  EXPECT_EQ(ini.ToText(), "[A]\r\nk=v\r\n");
}

TEST(IniDocumentReadTest, OnePairOfMatchingQuotesAroundAValueIsRemoved) {
  const IniDocument ini = IniDocument::Parse(
      "[Q]\r\n"
      "double=\"quoted text\"\r\n"
      "single='single'\r\n"
      "blanks=\"  kept  \"\r\n"
      "nested=\"\"twice\"\"\r\n"
      "empty=\"\"\r\n"
      "unbalanced=\"open\r\n"
      "lone=\"\r\n"
      "mixed=\"a'\r\n"
      "inner=a \"b\" c\r\n");
  EXPECT_EQ(ini.Value("Q", "double"), "quoted text");
  EXPECT_EQ(ini.Value("Q", "single"), "single");
  EXPECT_EQ(ini.Value("Q", "blanks"), "  kept  ");
  EXPECT_EQ(ini.Value("Q", "nested"), "\"twice\"");
  EXPECT_EQ(ini.Value("Q", "empty"), "");
  EXPECT_EQ(ini.Value("Q", "unbalanced"), "\"open");
  EXPECT_EQ(ini.Value("Q", "lone"), "\"");
  EXPECT_EQ(ini.Value("Q", "mixed"), "\"a'");
  EXPECT_EQ(ini.Value("Q", "inner"), "a \"b\" c");
}

TEST(IniDocumentReadTest, HeaderNameRunsToTheLastClosingBracket) {
  const IniDocument ini = IniDocument::Parse(
      "[a]b]\r\nk=1\r\n"
      "[[x]]\r\nk=2\r\n"
      "[Demo] ; note\r\nk=3\r\n"
      "[no closing bracket\r\nk=4\r\n"
      "[]\r\nk=5\r\n");
  EXPECT_EQ(ini.SectionNames(), (Names{"a]b", "[x]", "Demo"}));
  EXPECT_EQ(ini.Value("a]b", "k"), "1");
  EXPECT_EQ(ini.Value("[x]", "k"), "2");
  // A line opening with "[" but never closing is no header: its keys stay in Demo.
  EXPECT_EQ(ini.KeyNames("Demo"), (Names{"k"}));
  EXPECT_EQ(ini.Value("Demo", "k"), "3");
  EXPECT_EQ(ini.Value("", "k"), std::nullopt);  // the nameless section is never found
}

TEST(IniDocumentWriteTest, ExistingKeyIsReplacedInPlaceKeepingItsSpelling) {
  IniDocument ini = IniDocument::Parse("[A]\r\nOne = 1\r\nTwo=2\r\n[B]\r\nOne=b\r\n");
  EXPECT_EQ(ini.SetValue("a", "ONE", "uno"), Edit::kChanged);
  EXPECT_EQ(ini.ToText(), "[A]\r\nOne=uno\r\nTwo=2\r\n[B]\r\nOne=b\r\n");
  EXPECT_EQ(ini.SetValue("A", "one", "uno"), Edit::kUnchanged);
  // A hand-written line whose value is already the one asked for is left as it is.
  IniDocument spaced = IniDocument::Parse("[A]\r\nk =  v \r\n");
  EXPECT_EQ(spaced.SetValue("A", "k", "v"), Edit::kUnchanged);
  EXPECT_EQ(spaced.ToText(), "[A]\r\nk =  v \r\n");
}

TEST(IniDocumentWriteTest, NewKeysAndSectionsAreAppendedInWritingOrder) {
  IniDocument ini;
  for (const char* key : {"Name", "CompType", "CompSubType", "EncObjTypes"})
    ASSERT_EQ(ini.SetValue("Nightly", key, std::string(key) + "-value"), Edit::kChanged);
  ASSERT_EQ(ini.SetValue("Second", "Name", "2"), Edit::kChanged);
  EXPECT_EQ(ini.ToText(),
            "[Nightly]\r\n"
            "Name=Name-value\r\n"
            "CompType=CompType-value\r\n"
            "CompSubType=CompSubType-value\r\n"
            "EncObjTypes=EncObjTypes-value\r\n"
            "[Second]\r\n"
            "Name=2\r\n");
  EXPECT_EQ(ini.KeyNames("nightly"), (Names{"Name", "CompType", "CompSubType", "EncObjTypes"}));
}

TEST(IniDocumentWriteTest, NewKeyGoesAfterTheSectionsLastLineBeforeBlankLines) {
  IniDocument ini = IniDocument::Parse("[A]\r\nx=1\r\n; note\r\n\r\n\r\n[B]\r\ny=2\r\n");
  ASSERT_EQ(ini.SetValue("A", "z", "3"), Edit::kChanged);
  ASSERT_EQ(ini.SetValue("B", "w", "4"), Edit::kChanged);
  EXPECT_EQ(ini.ToText(), "[A]\r\nx=1\r\n; note\r\nz=3\r\n\r\n\r\n[B]\r\ny=2\r\nw=4\r\n");
  IniDocument empty_section = IniDocument::Parse("[A]\r\n\r\n[B]\r\n");
  ASSERT_EQ(empty_section.SetValue("A", "k", "v"), Edit::kChanged);
  EXPECT_EQ(empty_section.ToText(), "[A]\r\nk=v\r\n\r\n[B]\r\n");
}

TEST(IniDocumentWriteTest, NewSectionNameIsWrittenTrimmed) {
  IniDocument ini = IniDocument::Parse("stray=1");
  ASSERT_EQ(ini.SetValue("  Spaced  ", "  k  ", "v"), Edit::kChanged);
  EXPECT_EQ(ini.ToText(), "stray=1\r\n[Spaced]\r\nk=v\r\n");
}

TEST(IniDocumentWriteTest, EveryValueReadsBackExactlyAsWritten) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain", "plain"},
      {"", ""},
      {" leading", "\" leading\""},
      {"trailing\t", "\"trailing\t\""},
      {"   ", "\"   \""},
      {"\"quoted\"", "\"\"quoted\"\""},
      {"'single'", "\"'single'\""},
      {"''", "\"''\""},
      {"\"", "\""},
      {"a \"b\" c", "a \"b\" c"},
      {"x=y;z [w]", "x=y;z [w]"},
      {"Zürich €", "Zürich €"},
  };
  for (const auto& [value, stored] : cases) {
    IniDocument ini;
    ASSERT_EQ(ini.SetValue("S", "k", value), Edit::kChanged) << value;
    EXPECT_EQ(ini.ToText(), "[S]\r\nk=" + stored + "\r\n") << value;
    EXPECT_EQ(IniDocument::Parse(ini.ToText()).Value("S", "k"), value) << value;
  }
}

TEST(IniDocumentWriteTest, ValueIsTakenUpToItsFirstNul) {
  IniDocument ini;
  ASSERT_EQ(ini.SetValue("S", "k", std::string("abc\0def", 7)), Edit::kChanged);
  EXPECT_EQ(ini.ToText(), "[S]\r\nk=abc\r\n");
}

TEST(IniDocumentWriteTest, NamesTheFormatCannotHoldAreRefused) {
  IniDocument ini = IniDocument::Parse("[A]\r\nk=v\r\n");
  const std::string before = ini.ToText();
  EXPECT_EQ(ini.SetValue("", "k", "v"), Edit::kRefused);
  EXPECT_EQ(ini.SetValue("  ", "k", "v"), Edit::kRefused);
  EXPECT_EQ(ini.SetValue("A", "", "v"), Edit::kRefused);
  EXPECT_EQ(ini.SetValue("A", "a=b", "v"), Edit::kRefused);
  EXPECT_EQ(ini.SetValue("A", "[k", "v"), Edit::kRefused);
  EXPECT_EQ(ini.SetValue("A", ";k", "v"), Edit::kRefused);
  EXPECT_EQ(ini.SetValue("A\r\n[B]", "k", "v"), Edit::kRefused);
  EXPECT_EQ(ini.SetValue("A", "k\nj", "v"), Edit::kRefused);
  // A value with a line break would smuggle a section into the file.
  EXPECT_EQ(ini.SetValue("A", "k", "x\r\n[Injected]\r\nk=y"), Edit::kRefused);
  EXPECT_EQ(ini.SetValue("A", "k", "x\ry"), Edit::kRefused);
  EXPECT_EQ(ini.ToText(), before);
}

TEST(IniDocumentWriteTest, NamesWithBracketsQuotesAndDotsRoundTrip) {
  IniDocument ini;
  ASSERT_EQ(ini.SetValue("a]b", "k", "1"), Edit::kChanged);
  ASSERT_EQ(ini.SetValue("[x]", "k", "2"), Edit::kChanged);
  ASSERT_EQ(ini.SetValue(";not a comment", "k", "3"), Edit::kChanged);
  ASSERT_EQ(ini.SetValue("O'Brien \"Ltd\"", "it's \"k\"]", "4"), Edit::kChanged);
  ASSERT_EQ(ini.SetValue("10.0.0.5.Sales.Orders", "0", "5"), Edit::kChanged);
  EXPECT_EQ(ini.ToText(),
            "[a]b]\r\nk=1\r\n"
            "[[x]]\r\nk=2\r\n"
            "[;not a comment]\r\nk=3\r\n"
            "[O'Brien \"Ltd\"]\r\nit's \"k\"]=4\r\n"
            "[10.0.0.5.Sales.Orders]\r\n0=5\r\n");
  const IniDocument again = IniDocument::Parse(ini.ToText());
  EXPECT_EQ(again.SectionNames(),
            (Names{"a]b", "[x]", ";not a comment", "O'Brien \"Ltd\"", "10.0.0.5.Sales.Orders"}));
  EXPECT_EQ(again.Value("a]b", "k"), "1");
  EXPECT_EQ(again.Value("[x]", "k"), "2");
  EXPECT_EQ(again.Value(";NOT A COMMENT", "K"), "3");
  EXPECT_EQ(again.Value("o'brien \"ltd\"", "IT'S \"K\"]"), "4");
}

TEST(IniDocumentDeleteTest, DeleteSectionTakesItsCommentsAndBlankLinesAlong) {
  IniDocument ini = IniDocument::Parse("; top\r\n[A]\r\nk=1\r\n; a note\r\n\r\n[B]\r\nk=2\r\n");
  EXPECT_EQ(ini.DeleteSection("a"), Edit::kChanged);
  EXPECT_EQ(ini.ToText(), "; top\r\n[B]\r\nk=2\r\n");
  EXPECT_EQ(ini.DeleteSection("A"), Edit::kUnchanged);
  EXPECT_EQ(ini.DeleteSection("B"), Edit::kChanged);
  EXPECT_EQ(ini.ToText(), "; top\r\n");
  EXPECT_EQ(ini.SectionNames(), Names{});
}

TEST(IniDocumentDeleteTest, DeleteKeyLeavesTheOtherKeysInOrder) {
  IniDocument ini = IniDocument::Parse("[A]\r\na=1\r\nb=2\r\nc=3\r\n[B]\r\nb=4\r\n");
  EXPECT_EQ(ini.DeleteKey("A", "B"), Edit::kChanged);
  EXPECT_EQ(ini.ToText(), "[A]\r\na=1\r\nc=3\r\n[B]\r\nb=4\r\n");
  EXPECT_EQ(ini.DeleteKey("A", "b"), Edit::kUnchanged);
  EXPECT_EQ(ini.DeleteKey("Missing", "a"), Edit::kUnchanged);
}

TEST(IniDocumentDuplicateTest, RepeatedKeysAndSectionsActAsOne) {
  IniDocument ini = IniDocument::Parse(
      "[A]\r\nk=1\r\nk=2\r\n"
      "[B]\r\nx=b\r\n"
      "[a]\r\nK=3\r\nm=4\r\n");
  EXPECT_EQ(ini.SectionNames(), (Names{"A", "B"}));
  EXPECT_EQ(ini.KeyNames("A"), (Names{"k", "m"}));
  EXPECT_EQ(ini.Value("A", "k"), "1");  // the first line of a key wins
  EXPECT_EQ(ini.Value("A", "m"), "4");  // keys of the second block belong to the section

  ASSERT_EQ(ini.SetValue("A", "k", "9"), Edit::kChanged);
  ASSERT_EQ(ini.SetValue("A", "n", "5"), Edit::kChanged);
  EXPECT_EQ(ini.ToText(),
            "[A]\r\nk=9\r\nk=2\r\n"
            "[B]\r\nx=b\r\n"
            "[a]\r\nK=3\r\nm=4\r\nn=5\r\n");

  // A deleted key is gone everywhere; no older copy shows through.
  ASSERT_EQ(ini.DeleteKey("a", "K"), Edit::kChanged);
  EXPECT_EQ(ini.Value("A", "k"), std::nullopt);
  EXPECT_EQ(ini.ToText(), "[A]\r\n[B]\r\nx=b\r\n[a]\r\nm=4\r\nn=5\r\n");

  ASSERT_EQ(ini.DeleteSection("A"), Edit::kChanged);
  EXPECT_EQ(ini.ToText(), "[B]\r\nx=b\r\n");
}

}  // namespace
}  // namespace korvane
