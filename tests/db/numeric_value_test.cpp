#include "db/numeric_value.h"

#include <gtest/gtest.h>

#include <limits>

namespace korvane {
namespace {

TEST(ExactNumberTextTest, OneTextPerExactValue) {
  struct Case {
    const char* text;
    const char* exact;  // nullptr: not a number
  };
  const Case cases[] = {
      {"12", "12"},
      {" +12 ", "12"},
      {"0012.3400", "12.34"},
      {"-0.00", "0"},
      {"-0", "0"},
      {".5", "0.5"},
      {"5.", "5"},
      {"1.2E1", "12"},
      {"1.2d1", "12"},
      {"12e-3", "0.012"},
      {"-1E+20", "-100000000000000000000"},
      {"9007199254740993", "9007199254740993"},
      {"9223372036854775807", "9223372036854775807"},
      {"123456789012345678901234567890.123456789", "123456789012345678901234567890.123456789"},
      {"1E40", "10000000000000000000000000000000000000000"},
      {"1.5E42", "0.15e43"},
      {"1E-40", "0.0000000000000000000000000000000000000001"},
      {"1E-42", "0.1e-41"},
      {"1E999999999999", "0.1e1000000001"},  // the exponent is capped, never overflows
      {"\t7", "7"},
      {"", nullptr},
      {"abc", nullptr},
      {"12abc", nullptr},
      {"1E", nullptr},
      {".", nullptr},
      {"-", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto exact = ExactNumberText(std::string_view(c.text));
    if (c.exact == nullptr) {
      EXPECT_FALSE(exact.has_value());
    } else {
      EXPECT_EQ(exact, c.exact);
    }
  }
}

TEST(ExactNumberTextTest, ValuesOfEveryNumericTypeAgreeByValue) {
  EXPECT_EQ(ExactNumberText(Value::Integer(std::numeric_limits<std::int64_t>::min())),
            "-9223372036854775808");
  EXPECT_EQ(ExactNumberText(Value::Integer(42)), ExactNumberText(Value::Decimal("42.000")));
  EXPECT_EQ(ExactNumberText(Value::Integer(42)), ExactNumberText(Value::Float(42.0)));
  EXPECT_EQ(ExactNumberText(Value::Boolean(true)), "1");
  EXPECT_EQ(ExactNumberText(Value::Float(0.1)), "0.1");
  EXPECT_EQ(ExactNumberText(Value::Float(-0.0)), "0");
  EXPECT_EQ(ExactNumberText(Value::Float(1e20)), "100000000000000000000");
  EXPECT_NE(ExactNumberText(Value::Float(0.1 + 0.2)), ExactNumberText(Value::Decimal("0.3")));
  EXPECT_NE(ExactNumberText(Value::Integer(9007199254740993)),
            ExactNumberText(Value::Float(9007199254740992.0)));
  EXPECT_EQ(ExactNumberText(Value::Float(std::numeric_limits<double>::infinity())), "inf");
  EXPECT_FALSE(ExactNumberText(Value::Text("12")).has_value());
  EXPECT_FALSE(ExactNumberText(Value::Null()).has_value());
}

}  // namespace
}  // namespace korvane
