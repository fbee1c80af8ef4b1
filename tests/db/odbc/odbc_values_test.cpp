#include "db/odbc/odbc_values.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(OdbcValuesTest, Utf16ConversionCountsCodeUnits) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"", u""},
      {"plain", u"plain"},
      {"Zo\xC3\xAB", u"Zo\u00EB"},
      {"\xE2\x82\xAC", u"\u20AC"},
      {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},  // one character, two code units
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.utf8;
  }
}

TEST(OdbcValuesTest, BrokenEncodingsBecomeReplacementCharacters) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } to_utf16[] = {
      {"a\xFFz", u"a\uFFFDz"},
      {"\xC3", u"\uFFFD"},                      // cut short
      {"\xC0\xAF", u"\uFFFD\uFFFD"},            // overlong "/"
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // a surrogate written in UTF-8
  };
  for (const auto& c : to_utf16)
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
  EXPECT_EQ(Utf16ToUtf8(u"a\xD800z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(Utf16ToUtf8(u"\xDC00"), "\xEF\xBF\xBD");
}

TEST(OdbcValuesTest, DecimalsBelowOneGetTheirLeadingZero) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {".5000", "0.5000"},    {"-.5", "-0.5"}, {"0.5000", "0.5000"},
      {"12.3400", "12.3400"}, {"7", "7"},      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecimalText(c.in), c.out) << c.in;
}

TEST(OdbcValuesTest, DateTimesRoundToMillisecondsAndCarry) {
  const struct {
    DateTimeValue in;
    DateTimeValue out;
  } cases[] = {
      {{2024, 5, 6, 7, 8, 9, 123'456'789}, {2024, 5, 6, 7, 8, 9, 123'000'000}},
      {{2024, 5, 6, 7, 8, 9, 123'500'000}, {2024, 5, 6, 7, 8, 9, 124'000'000}},
      {{2024, 5, 6, 7, 8, 9, 999'499'999}, {2024, 5, 6, 7, 8, 9, 999'000'000}},
      {{2024, 5, 6, 7, 8, 9, 999'500'000}, {2024, 5, 6, 7, 8, 10, 0}},
      {{2024, 12, 31, 23, 59, 59, 999'900'000}, {2025, 1, 1, 0, 0, 0, 0}},
      {{2024, 2, 28, 23, 59, 59, 999'999'999}, {2024, 2, 29, 0, 0, 0, 0}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RoundedToMilliseconds(c.in), c.out) << c.in.year << "-" << c.in.nanosecond;
}

}  // namespace
}  // namespace korvane
