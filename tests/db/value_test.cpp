#include "db/value.h"

#include <gtest/gtest.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "db/backend.h"

namespace korvane {
namespace {

struct TextCase {
  Value value;
  std::string text;
};

// Every type's one text form; a Null equals a stored text "Null".
const std::vector<TextCase>& TextCases() {
  static const std::vector<TextCase> cases = {
      {Value::Null(), "Null"},
      {Value::Text("Null"), "Null"},
      {Value::Boolean(true), "True"},
      {Value::Boolean(false), "False"},
      {Value::Integer(-42), "-42"},
      {Value::Integer(INT64_MIN), "-9223372036854775808"},
      {Value::Decimal("12.3400"), "12.3400"},
      {Value::Float(0.1), "0.1"},
      {Value::Float(1e20), "1E+20"},
      {Value::Float(1.5e-7), "1.5E-07"},
      {Value::Float(-0.0), "-0"},
      {Value::Text("a  "), "a  "},
      {Value::Text("\xC3\x84pfel"), "\xC3\x84pfel"},
      {Value::Binary({0x0A, 0x1B, 0xFF}), "0x0A1BFF"},
      {Value::Binary({}), "0x"},
      {Value::Guid("6F9619FF-8B86-D011-B42D-00C04FC964FF"), "6F9619FF-8B86-D011-B42D-00C04FC964FF"},
      {Value::DateTime({2024, 3, 7, 14, 5, 9, 0, true, true}), "2024-03-07 14:05:09"},
      {Value::DateTime({2024, 3, 7, 14, 5, 9, 123000000, true, true}), "2024-03-07 14:05:09.123"},
      {Value::DateTime({2024, 3, 7, 0, 0, 0, 0, true, false}), "2024-03-07"},
      {Value::DateTime({1900, 1, 1, 8, 30, 0, 0, false, true}), "08:30:00"},
      {Value::DateTime({1, 12, 31, 23, 59, 59, 500000000, true, true}), "0001-12-31 23:59:59.500"},
      {Value::DateTime({2024, 3, 7, 14, 5, 9, 1230, true, true}), "2024-03-07 14:05:09.00000123"},
      {Value::DateTime({2024, 3, 7, 14, 5, 9, 999999999, false, true}), "14:05:09.999999999"},
      {Value::DateTime({9999, 99, 99, 99, 99, 99, 10, true, true}), "9999-99-99 99:99:99.00000001"},
      {Value::DateTime({0, 0, 0, 0, 0, 0, 100000000, true, true}), "0000-00-00 00:00:00.100"},
      {Value::DateTime({1, 1, 1, 0, 0, 0, 0, false, false}), ""},
      // Beyond the usual ranges the text still says what was handed over.
      {Value::DateTime({12024, 3, 7, 0, 0, 0, 0, true, false}), "12024-03-07"},
      {Value::DateTime({-1, 3, 7, 0, 0, 0, 0, true, false}), "-001-03-07"},
      // The longest texts of their kinds.
      {Value::DateTime({INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, true, true}),
       "-2147483648--2147483648--2147483648 -2147483648:-2147483648:-2147483648.-2147483648"},
      {Value::Float(-2.2250738585072014e-308), "-2.2250738585072014E-308"},
      {Value::Float(1.7976931348623157e308), "1.7976931348623157E+308"},
      {Value::Float(5e-324), "5E-324"},
      {Value::Integer(INT64_MAX), "9223372036854775807"},
  };
  return cases;
}

TEST(NullTextTest, OneTextFormForEveryType) {
  for (const TextCase& c : TextCases())
    EXPECT_EQ(NullText(c.value), c.text) << c.text;
}

// The text of a double as the general shortest search writes it, exponents as "1E+20".
std::string GeneralFloatText(double value) {
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  EXPECT_EQ(error, std::errc());
  std::string text(buffer, end);
  const std::size_t e = text.find('e');
  if (e == std::string::npos)
    return text;
  std::string exponent = text.substr(e + 1);
  const char sign = exponent[0];
  exponent.erase(0, 1);
  if (exponent.size() < 2)
    exponent.insert(0, "0");
  return text.substr(0, e) + "E" + sign + exponent;
}

// Doubles of few decimal places are written by a quicker path: every double, of few places or
// not, near the limits of that path or not, reads as the general search writes it.
TEST(NullTextTest, FloatsOfFewPlacesReadAsTheGeneralSearchWritesThem) {
  std::vector<double> values = {0.0,
                                -0.0,
                                1.0,
                                -1.0,
                                0.1,
                                0.3,
                                1.0 / 3,
                                123.25,
                                -123.25,
                                10.0,
                                100.0,
                                1000.0,
                                1e4,
                                1e5,
                                1.5e5,
                                1.25e5,
                                123e5,
                                1e14,
                                1e15,
                                1e15 - 1,
                                1e15 + 2,
                                999999999999999.9,
                                0.001,
                                0.0001,
                                0.00012,
                                0.00015,
                                0.0012,
                                1e-5,
                                2.5e-4,
                                12.5e-5,
                                9007199254740993.0,
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::max()};
  std::mt19937_64 random(20261207);
  const double powers[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
  for (int k = 0; k < 200000; ++k) {
    // Whole numbers of 1 to 17 digits over a power of ten, as prices are stored, and their
    // neighbours; and doubles of any bits.
    const int digits = 1 + static_cast<int>(random() % 17);
    std::uint64_t limit = 1;
    for (int d = 0; d < digits; ++d)
      limit *= 10;
    const auto whole = static_cast<double>(random() % limit);
    const double value = (random() % 2 ? -whole : whole) / powers[random() % 7];
    values.push_back(value);
    values.push_back(std::nextafter(value, 1e300));
    std::uint64_t bits = random();
    double any;
    std::memcpy(&any, &bits, sizeof any);
    values.push_back(any);
  }
  for (const double value : values) {
    const std::string text = NullText(Value::Float(value));
    if (text != GeneralFloatText(value)) {
      ADD_FAILURE() << "value " << GeneralFloatText(value) << " written as " << text;
      break;
    }
  }
}

// A field seen through a cursor converts exactly as the Value it stands for.
TEST(FieldViewTest, ViewsGiveTheValuesTextAndTheValueBack) {
  for (const TextCase& c : TextCases()) {
    const FieldView view = ViewOf(c.value);
    std::string appended = "prefix:";
    AppendNullText(view, appended);
    EXPECT_EQ(appended, "prefix:" + c.text);
    EXPECT_EQ(ToValue(view), c.value) << c.text;
  }
}

// Written in place, the text stays within the room NullTextBound promised; a date whose text
// the reader handed over writes that text.
TEST(FieldViewTest, WrittenTextsStayWithinTheirBound) {
  std::vector<FieldView> views;
  std::vector<std::string> texts;
  for (const TextCase& c : TextCases()) {
    views.push_back(ViewOf(c.value));
    texts.push_back(c.text);
  }
  FieldView handed_over = ViewOf(Value::DateTime({2024, 3, 7, 14, 5, 9, 0, true, true}));
  handed_over.bytes = "2024-03-07 14:05:09";
  views.push_back(handed_over);
  texts.push_back("2024-03-07 14:05:09");
  constexpr char kGuard = '\x5A';
  for (std::size_t k = 0; k < views.size(); ++k) {
    SCOPED_TRACE(texts[k]);
    const std::size_t bound = NullTextBound(views[k]);
    std::string buffer(bound + 16, kGuard);
    const char* end = WriteNullText(views[k], buffer.data() + 8);
    EXPECT_EQ(
        std::string_view(buffer.data() + 8, static_cast<std::size_t>(end - buffer.data() - 8)),
        texts[k]);
    EXPECT_LE(static_cast<std::size_t>(end - buffer.data() - 8), bound);
    EXPECT_EQ(buffer.substr(0, 8), std::string(8, kGuard));
    EXPECT_EQ(buffer.substr(bound + 8), std::string(8, kGuard));
    // A field said to hold its text as it is holds exactly the text written.
    if (NullTextIsBytes(views[k])) {
      EXPECT_EQ(views[k].bytes, texts[k]);
    }
  }
  // Which fields hold their text: every text kind, and a date only with its text beside it.
  EXPECT_TRUE(NullTextIsBytes(ViewOf(Value::Text(""))));
  EXPECT_TRUE(NullTextIsBytes(ViewOf(Value::Decimal("1.50"))));
  EXPECT_TRUE(NullTextIsBytes(ViewOf(Value::Guid("6F9619FF-8B86-D011-B42D-00C04FC964FF"))));
  EXPECT_TRUE(NullTextIsBytes(handed_over));
  EXPECT_FALSE(NullTextIsBytes(ViewOf(Value::DateTime({2024, 3, 7, 14, 5, 9, 0, true, true}))));
  EXPECT_FALSE(NullTextIsBytes(ViewOf(Value::Binary({0x0A}))));
  EXPECT_FALSE(NullTextIsBytes(ViewOf(Value::Integer(7))));
  EXPECT_FALSE(NullTextIsBytes(ViewOf(Value::Null())));
}

TEST(FieldViewTest, MaterialisedCursorWalksTheRowsOnce) {
  ResultSet rows;
  rows.columns = {{"id", ValueType::kInteger, "int"}, {"name", ValueType::kText, "varchar"}};
  rows.rows = {{Value::Integer(1), Value::Text("a")}, {Value::Integer(2), Value::Null()}};
  MaterialisedRowCursor cursor(std::move(rows));
  ASSERT_EQ(cursor.Columns().size(), 2u);
  EXPECT_EQ(cursor.Field(0).type, ValueType::kNull);  // before the first row
  std::vector<std::string> texts;
  while (cursor.Next()) {
    std::string text;
    AppendNullText(cursor.Field(0), text);
    AppendNullText(cursor.Field(1), text);
    AppendNullText(cursor.Field(2), text);  // no such field: Null
    texts.push_back(text);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"1aNull", "2NullNull"}));
  EXPECT_FALSE(cursor.Next());
  EXPECT_EQ(cursor.Field(0).type, ValueType::kNull);
  EXPECT_TRUE(cursor.Errors().empty());
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
