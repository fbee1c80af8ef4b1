#include "db/value.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(NullTextTest, OneTextFormForEveryType) {
  EXPECT_EQ(NullText(Value::Null()), "Null");
  EXPECT_EQ(NullText(Value::Text("Null")), "Null");  // a Null equals a stored text "Null"
  EXPECT_EQ(NullText(Value::Boolean(true)), "True");
  EXPECT_EQ(NullText(Value::Boolean(false)), "False");
  EXPECT_EQ(NullText(Value::Integer(-42)), "-42");
  EXPECT_EQ(NullText(Value::Decimal("12.3400")), "12.3400");
  EXPECT_EQ(NullText(Value::Float(0.1)), "0.1");
  EXPECT_EQ(NullText(Value::Float(1e20)), "1E+20");
  EXPECT_EQ(NullText(Value::Float(1.5e-7)), "1.5E-07");
  EXPECT_EQ(NullText(Value::Text("a  ")), "a  ");
  EXPECT_EQ(NullText(Value::Binary({0x0A, 0x1B})), "0x0A1B");
  EXPECT_EQ(NullText(Value::Binary({})), "0x");
  EXPECT_EQ(NullText(Value::Guid("6F9619FF-8B86-D011-B42D-00C04FC964FF")),
            "6F9619FF-8B86-D011-B42D-00C04FC964FF");
}

TEST(NullTextTest, DatesAndTimes) {
  EXPECT_EQ(NullText(Value::DateTime({2024, 3, 7, 14, 5, 9, 0, true, true})),
            "2024-03-07 14:05:09");
  EXPECT_EQ(NullText(Value::DateTime({2024, 3, 7, 14, 5, 9, 123000000, true, true})),
            "2024-03-07 14:05:09.123");
  EXPECT_EQ(NullText(Value::DateTime({2024, 3, 7, 0, 0, 0, 0, true, false})), "2024-03-07");
  EXPECT_EQ(NullText(Value::DateTime({1900, 1, 1, 8, 30, 0, 0, false, true})), "08:30:00");
}

TEST(ValueTest, TypesAndEquality) {
  EXPECT_TRUE(Value().is_null());
  EXPECT_EQ(Value::Integer(5).type(), ValueType::kInteger);
  EXPECT_EQ(Value::Integer(5), Value::Integer(5));
  EXPECT_NE(Value::Integer(5), Value::Float(5));
  EXPECT_NE(Value::Text("a"), Value::Text("A"));
}

}  // namespace
}  // namespace korvane
