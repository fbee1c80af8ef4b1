#include "base/text.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(FormatNumberTest, GroupsThousandsWithCommas) {
  EXPECT_EQ(FormatNumber(0), "0");
  EXPECT_EQ(FormatNumber(999), "999");
  EXPECT_EQ(FormatNumber(1000), "1,000");
  EXPECT_EQ(FormatNumber(1234567), "1,234,567");
  EXPECT_EQ(FormatNumber(-1234), "-1,234");
  EXPECT_EQ(FormatNumber(INT64_MIN), "-9,223,372,036,854,775,808");
}

TEST(FormatNumberTest, BlankZeroFormatShowsNothingForZero) {
  EXPECT_EQ(FormatNumberBlankZero(0), "");
  EXPECT_EQ(FormatNumberBlankZero(12345), "12,345");
}

TEST(FormatElapsedTest, HoursMinutesSecondsWithTwoDigits) {
  EXPECT_EQ(FormatElapsed(0), "00:00:00");
  EXPECT_EQ(FormatElapsed(59), "00:00:59");
  EXPECT_EQ(FormatElapsed(3661), "01:01:01");
  EXPECT_EQ(FormatElapsed(25 * 3600), "25:00:00");  // long runs do not wrap at midnight
  EXPECT_EQ(FormatElapsed(-5), "00:00:00");
}

TEST(LeadingNumberTest, ReadsTheNumberAtTheStartLikeVal) {
  EXPECT_EQ(LeadingNumber("12"), 12);
  EXPECT_EQ(LeadingNumber("  12abc"), 12);
  EXPECT_EQ(LeadingNumber("\t-2.5x"), -2.5);
  EXPECT_EQ(LeadingNumber("+3"), 3);
  EXPECT_EQ(LeadingNumber(".5"), 0.5);
  EXPECT_EQ(LeadingNumber("1e3"), 1000);
  EXPECT_EQ(LeadingNumber("2e"), 2);
  EXPECT_EQ(LeadingNumber("abc"), 0);
  EXPECT_EQ(LeadingNumber(""), 0);
  EXPECT_EQ(LeadingNumber("-"), 0);
  EXPECT_EQ(LeadingNumber("."), 0);
}

TEST(RoundToInt32Test, HalvesGoToTheEvenInteger) {
  EXPECT_EQ(RoundToInt32(2.5), 2);
  EXPECT_EQ(RoundToInt32(3.5), 4);
  EXPECT_EQ(RoundToInt32(-2.5), -2);
  EXPECT_EQ(RoundToInt32(2.4999), 2);
  EXPECT_EQ(RoundToInt32(2147483647.0), 2147483647);
  EXPECT_FALSE(RoundToInt32(2147483648.0).has_value());
  EXPECT_FALSE(RoundToInt32(1e300).has_value());
}

TEST(IsNumericTest, WholeTextMustBeANumber) {
  EXPECT_TRUE(IsNumeric("12"));
  EXPECT_TRUE(IsNumeric(" 12 "));
  EXPECT_TRUE(IsNumeric("-1.5"));
  EXPECT_FALSE(IsNumeric("12a"));
  EXPECT_FALSE(IsNumeric(""));
  EXPECT_FALSE(IsNumeric("   "));
  EXPECT_FALSE(IsNumeric("RunSavedComp"));
}

TEST(FixedDigitsTest, ReadsExactlyTheDigitsAskedForOrNothing) {
  struct Case {
    std::string_view text;
    std::size_t at;
    std::size_t count;
    int expected;
  };
  const Case cases[] = {
      {"2024-03-07", 0, 4, 2024}, {"2024-03-07", 5, 2, 3},  {"2024-03-07", 8, 2, 7},
      {"2024-03-07", 4, 2, -1},   {"2024-03-07", 8, 3, -1}, {"2024-03-07", 10, 1, -1},
      {"0009", 0, 4, 9},          {"12", 0, 0, 0},          {"1a", 0, 2, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FixedDigits(c.text, c.at, c.count), c.expected) << c.text << " at " << c.at;
}

TEST(TextTest, TrimRemovesBlanksOnly) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t"), "\ta\t");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
  EXPECT_EQ(Trim("    "), "");
}

TEST(TextTest, CaseInsensitiveSearchAndCompare) {
  EXPECT_TRUE(EqualsIgnoringCase("RunSavedComp", "runsavedcomp"));
  EXPECT_FALSE(EqualsIgnoringCase("abc", "abd"));
  EXPECT_EQ(FindIgnoringCase("x /RUN y", "/run"), 2u);
  EXPECT_EQ(FindIgnoringCase("abc", "d"), std::string_view::npos);
  EXPECT_EQ(FindIgnoringCase("abcabc", "ABC", 1), 3u);
}

TEST(TextTest, SplitAndReplace) {
  EXPECT_EQ(Split("a,b,,c", ","), (std::vector<std::string>{"a", "b", "", "c"}));
  EXPECT_EQ(Split("", ","), (std::vector<std::string>{""}));
  EXPECT_EQ(ReplaceAll("a\r\nb\r\n", "\r\n", "\n"), "a\nb\n");
}

TEST(Utf8Test, LengthsCountCharactersNotBytes) {
  const std::string text =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC \xF0\x9F\x98\x80";  // Grüße € 😀
  EXPECT_EQ(Utf8Length(text), 9u);
  EXPECT_EQ(Utf8Left(text, 3), "Gr\xC3\xBC");
  EXPECT_EQ(Utf8Mid(text, 6, 1), "\xE2\x82\xAC");
  EXPECT_EQ(Utf8Mid(text, 8), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8Left(text, 100), text);
}

TEST(Utf8Test, ChunksNeverSplitACharacter) {
  std::string text;
  for (int i = 0; i < 5; ++i)
    text += "\xC3\xA9";  // é
  const auto chunks = Utf8Chunks(text, 2);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0], "\xC3\xA9\xC3\xA9");
  EXPECT_EQ(chunks[2], "\xC3\xA9");
  EXPECT_TRUE(Utf8Chunks("", 4000).empty());
}

TEST(Utf8Test, MalformedBytesCountAsOneCharacterEach) {
  const std::string text =
      "a\xC3"
      "b\xFF";
  EXPECT_EQ(Utf8Length(text), 4u);
  EXPECT_FALSE(IsValidUtf8(text));
  EXPECT_TRUE(IsValidUtf8("plain \xC3\xA9"));
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // a UTF-16 surrogate encoded in UTF-8
}

}  // namespace
}  // namespace korvane
