#include "compare/difference_lister.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvane {
namespace {

constexpr ComparisonOptions kDefaults{};  // case-insensitive, white space ignored
constexpr ComparisonOptions kCaseSensitive{.case_sensitive = true, .ignore_whitespace = true};
constexpr ComparisonOptions kWhitespaceCounts{.case_sensitive = false, .ignore_whitespace = false};

TEST(EnsureTrailingLineBreakTest, AppendsCrLfUnlessTheTextEndsWithIt) {
  EXPECT_EQ(EnsureTrailingLineBreak(""), "\r\n");
  EXPECT_EQ(EnsureTrailingLineBreak("a"), "a\r\n");
  EXPECT_EQ(EnsureTrailingLineBreak("a\r\n"), "a\r\n");
  EXPECT_EQ(EnsureTrailingLineBreak("a\r"), "a\r\r\n");
  EXPECT_EQ(EnsureTrailingLineBreak("a\n"), "a\n\r\n");
}

TEST(LinesEqualIgnoringTrailingCommaTest, OneFinalCommaAndSurroundingSpacesDoNotCount) {
  struct Case {
    std::string a;
    std::string b;
    bool equal;
  };
  const std::vector<Case> cases = {
      {"a", "a", true},     {"a,", "a", true},      {"a", "a,", true},   {"  a ,", "a", true},
      {"  a", "a  ", true}, {"", ",", true},        {"a,,", "a", false},  // only one comma goes
      {"a,,", "a,", false}, {"a, ", "a", false},                          // the comma is not final
      {"a", "A", false},    {"a b", "a  b", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LinesEqualIgnoringTrailingComma(c.a, c.b), c.equal) << c.a << " / " << c.b;
  }
}

struct ListCase {
  std::string name;
  std::string source;
  std::string target;
  ComparisonOptions options;
  std::string listed;
};

void ExpectListed(const std::vector<ListCase>& cases) {
  for (const ListCase& c : cases) {
    EXPECT_EQ(ListDifferentLines(c.source, c.target, c.options), c.listed) << c.name;
  }
}

TEST(ListDifferentLinesTest, EqualTextsListNothing) {
  ExpectListed({
      {"equal", "a\r\nb", "a\r\nb", kDefaults, ""},
      {"both empty", "", "", kDefaults, ""},
  });
}

TEST(ListDifferentLinesTest, SameNumberOfLines) {
  ExpectListed({
      {"one changed line, upper-cased, and an empty line closing the target list",
       "[a] int\r\n[b] int", "[a] int\r\n[b] bigint", kDefaults,
       "Differences in Source:\r\n[B] INT\r\n"
       "\r\n"
       "Differences in Target:\r\n[B] BIGINT\r\n\r\n"},
      {"case sensitive keeps the letters", "a\r\nx", "a\r\nX", kCaseSensitive,
       "Differences in Source:\r\nx\r\n\r\nDifferences in Target:\r\nX\r\n\r\n"},
      {"differing only in case", "a\r\nx", "a\r\nX", kDefaults, "Differences in Target:\r\n\r\n"},
      {"differing lines collapsed", "a  b", "a\t c", kDefaults,
       "Differences in Source:\r\nA B\r\n\r\nDifferences in Target:\r\nA C\r\n\r\n"},
      {"not collapsed when white space counts", "a  b", "a c", kWhitespaceCounts,
       "Differences in Source:\r\nA  B\r\n\r\nDifferences in Target:\r\nA C\r\n\r\n"},
      {"differing only in white space", "select  a,\tb", "SELECT a, b", kDefaults,
       "Differences in Target:\r\n\r\n"},
      {"only a trailing line break", "a", "a\r\n", kDefaults, "Differences in Target:\r\n\r\n"},
      {"upper-cased beyond ASCII", "a\r\n'café' σ", "a\r\n'cafe' ς", kDefaults,
       "Differences in Source:\r\n'CAFÉ' Σ\r\n\r\nDifferences in Target:\r\n'CAFE' Σ\r\n\r\n"},
      {"differing only in case beyond ASCII", "a\r\nжёлтый ł", "a\r\nЖЁЛТЫЙ Ł", kDefaults,
       "Differences in Target:\r\n\r\n"},
  });
}

TEST(ListDifferentLinesTest, TrailingCommaAndSurroundingSpacesAreNeverListed) {
  for (const ComparisonOptions& options : {kDefaults, kCaseSensitive, kWhitespaceCounts}) {
    EXPECT_EQ(ListDifferentLines("[a] int,\r\n  [b] int", "[a] int\r\n[b] int  ", options),
              "Differences in Target:\r\n\r\n");
  }
}

TEST(ListDifferentLinesTest, ExtraLineInTheTargetShiftsEveryLaterPair) {
  ExpectListed(
      {{"line inserted in the middle", "a\r\nb\r\nc\r\nd", "a\r\nb\r\nX\r\nc\r\nd", kDefaults,
        "Differences in Source:\r\nC\r\nD\r\n"
        "\r\n"
        "Differences in Target:\r\nX\r\nC\r\nd\r\n\r\n"},
       {"line appended, nothing else differs", "a\r\nb", "a\r\nb\r\nc", kDefaults,
        "Differences in Target:\r\nc\r\n\r\n"},
       {"source empty", "", "x\r\ny", kDefaults,
        "Differences in Source:\r\n\r\n"
        "\r\n"
        "Differences in Target:\r\nX\r\ny\r\n\r\n"},
       {"target empty: its empty line is listed, then its empty rest", "x", "", kDefaults,
        "Differences in Source:\r\nX\r\n"
        "\r\n"
        "Differences in Target:\r\n\r\n\r\n"}});
}

TEST(ListDifferentLinesTest, TargetEndingFirstListsTheRestOfTheSource) {
  ExpectListed({{"line appended to the source", "a\r\nb\r\nc", "a\r\nb", kDefaults,
                 "Differences in Source:\r\nc\r\n\r\n"},
                {"and a changed pair", "a\r\nx\r\nc\r\nd", "a\r\ny", kDefaults,
                 "Differences in Source:\r\nX\r\nc\r\nd\r\n\r\n"
                 "\r\n"
                 "Differences in Target:\r\nY\r\n"},
                {"target empty, the source's rest in lower case", "X\r\ny", "", kDefaults,
                 "Differences in Source:\r\nX\r\ny\r\n\r\n"
                 "\r\n"
                 "Differences in Target:\r\n\r\n"}});
}

TEST(ListDifferentLinesTest, BareLfEndsALineAsCrLfDoes) {
  // Module texts stored with bare LF line ends list as their CR LF twins do.
  const std::string crlf_listing =
      "Differences in Source:\r\nB\r\n\r\nDifferences in Target:\r\nX\r\n\r\n";
  ExpectListed({
      {"CR LF texts", "a\r\nb\r\nc", "a\r\nx\r\nc", kDefaults, crlf_listing},
      {"bare LF texts", "a\nb\nc", "a\nx\nc", kDefaults, crlf_listing},
      {"bare LF texts ending with LF", "a\nb\nc\n", "a\nx\nc\n", kDefaults, crlf_listing},
      {"mixed line ends", "a\r\nb\nc", "a\nx\r\nc", kDefaults, crlf_listing},
      {"a bare LF left by comment stripping ends the line", "x \ny", "x y", kWhitespaceCounts,
       "Differences in Source:\r\nX \r\ny\r\n\r\n"
       "\r\n"
       "Differences in Target:\r\nX Y\r\n"},
      {"stripped line equal once trimmed", "x \ny", "x\r\ny", kDefaults,
       "Differences in Target:\r\n\r\n"},
      {"a CR alone stays inside its line", "a\rb", "a\rc", kWhitespaceCounts,
       "Differences in Source:\r\nA\rB\r\n\r\nDifferences in Target:\r\nA\rC\r\n\r\n"},
  });
}

TEST(AppendDifferenceDetailsTest, FirstEntryReplacesTheReportWithTheHeading) {
  std::string report = "earlier text";
  AppendDifferenceDetails(report, "procedures", "[dbo].[p1]", 1, "a", "b", kDefaults);
  EXPECT_EQ(report,
            "\r\n===========================================\r\n\r\n"
            "Detailed list of differences between compared procedures\r\n"
            "\r\n1. [dbo].[p1]\r\n\r\n"
            "Differences in Source:\r\nA\r\n\r\nDifferences in Target:\r\nB\r\n\r\n");
  EXPECT_EQ(std::string(43, '='), "===========================================");

  AppendDifferenceDetails(report, "procedures", "[dbo].[p2]", 2, "x\r\ny", "x", kDefaults);
  EXPECT_EQ(report,
            "\r\n===========================================\r\n\r\n"
            "Detailed list of differences between compared procedures\r\n"
            "\r\n1. [dbo].[p1]\r\n\r\n"
            "Differences in Source:\r\nA\r\n\r\nDifferences in Target:\r\nB\r\n\r\n"
            "\r\n2. [dbo].[p2]\r\n\r\n"
            "Differences in Source:\r\ny\r\n\r\n");
}

TEST(AppendDifferenceDetailsTest, LaterEntriesAppendAndEqualTextsListNothing) {
  std::string report = "kept";
  AppendDifferenceDetails(report, "tables", "[t]", 12, "same", "same", kDefaults);
  EXPECT_EQ(report, "kept\r\n12. [t]\r\n\r\n");
}

}  // namespace
}  // namespace korvane
