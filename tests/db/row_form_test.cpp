#include "db/row_form.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace korvane {
namespace {

FieldView Of(ValueType type) {
  FieldView field;
  field.type = type;
  return field;
}
FieldView Whole(ValueType type, std::int64_t n) {
  FieldView field = Of(type);
  field.integer = n;
  return field;
}
FieldView Real(double x) {
  FieldView field = Of(ValueType::kFloat);
  field.real = x;
  return field;
}
FieldView Bytes(ValueType type, std::string_view bytes) {
  FieldView field = Of(type);
  field.bytes = bytes;
  return field;
}
FieldView Moment(DateTimeValue value, std::string_view text = {}) {
  FieldView field = Of(ValueType::kDateTime);
  field.datetime = value;
  field.bytes = text;  // a date's text at hand is not part of its form
  return field;
}

// What a field holds for its type, the members it does not use left out.
bool SameField(const FieldView& a, const FieldView& b) {
  if (a.type != b.type)
    return false;
  switch (a.type) {
    case ValueType::kNull:
      return true;
    case ValueType::kBoolean:
    case ValueType::kInteger:
      return a.integer == b.integer;
    case ValueType::kFloat:
      return std::bit_cast<std::uint64_t>(a.real) == std::bit_cast<std::uint64_t>(b.real);
    case ValueType::kDateTime:
      return a.datetime == b.datetime;
    default:
      return a.bytes == b.bytes;
  }
}

// The form of a row of the one field.
std::string FormOf(const FieldView& field) {
  std::string form;
  AppendRowForm({&field, 1}, form);
  return form;
}

const std::string kLong(300, 'L');
const std::string kThirteen(13, 'c');
const std::string kByteLong(255, 'B');
const std::string kPastByte(256, 'B');
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

// Every kind of field, around each boundary of its form: integers at every byte width, sizes
// either side of the one a tag holds, dates within and beyond the ranges of the short form.
std::vector<FieldView> EveryKind() {
  std::vector<FieldView> fields = {Of(ValueType::kNull)};
  for (const std::int64_t n : std::vector<std::int64_t>{0, -1, 127, 128, -128, -129, 32767,
                                                        std::int64_t{1} << 40, kMin, kMax})
    fields.push_back(Whole(ValueType::kInteger, n));
  for (const std::int64_t n : {0, 1, 2})
    fields.push_back(Whole(ValueType::kBoolean, n));
  for (const double x :
       {0.0, -0.0, 0.1, -1e300, 12.25, 1.0, -2.0, 1e20, std::numeric_limits<double>::denorm_min(),
        std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()})
    fields.push_back(Real(x));
  for (const std::string_view text :
       {std::string_view(""), std::string_view("a"), std::string_view("fourteen chars"),
        std::string_view("fifteen chars!!"), std::string_view(kLong)})
    fields.push_back(Bytes(ValueType::kText, text));
  fields.push_back(Bytes(ValueType::kDecimal, "-12.50"));
  fields.push_back(Bytes(ValueType::kGuid, "6F9619FF-8B86-D011-B42D-00C04FC964FF"));
  fields.push_back(Bytes(ValueType::kBinary, ""));
  fields.push_back(Bytes(ValueType::kBinary, std::string_view("\0\xFF", 2)));
  fields.push_back(Moment({2024, 3, 7, 14, 5, 9, 0, true, true}));
  fields.push_back(Moment({2024, 3, 7, 14, 5, 9, 0, true, false}));
  fields.push_back(Moment({2024, 3, 7, 14, 5, 9, 0, false, true}));
  fields.push_back(Moment({16383, 15, 31, 31, 63, 63, 0, true, true}));
  fields.push_back(Moment({16384, 3, 7, 14, 5, 9, 0, true, true}));
  fields.push_back(Moment({2024, 16, 7, 14, 5, 64, 0, true, true}));
  fields.push_back(Moment({2024, 3, 7, 14, 5, 9, 500000000, true, false}));
  fields.push_back(Moment({-32768, 255, 0, 0, 0, 255, 999999999, false, true}));
  fields.push_back(Moment({40000, 3, 7, 14, 5, 9, 0, true, true}));  // beyond the short form
  fields.push_back(Moment({2024, 3, 7, 14, 5, 9, -1, true, true}));
  fields.push_back(Moment({2024, 3, 7, 256, 5, 9, 0, true, true}));
  return fields;
}

TEST(RowFormTest, EachFieldComesBackWithinItsBoundAndEndsWhereItsFormEnds) {
  for (const FieldView& field : EveryKind()) {
    SCOPED_TRACE("type " + std::to_string(static_cast<int>(field.type)) + ", size " +
                 std::to_string(field.bytes.size()));
    const std::size_t bound = RowFormFieldBound(field);
    std::string buffer(bound + 8, '\x5A');
    const char* const end = WriteRowFormField(field, buffer.data());
    const auto size = static_cast<std::size_t>(end - buffer.data());
    ASSERT_LE(size, bound);
    EXPECT_EQ(buffer.substr(bound), std::string(8, '\x5A')) << "written past the bound";
    FieldView back = Whole(ValueType::kInteger, 99);
    EXPECT_EQ(ReadRowFormField(buffer.data(), back), end);
    EXPECT_TRUE(SameField(back, field));
    if (field.type == ValueType::kText && !field.bytes.empty()) {
      EXPECT_GE(back.bytes.data(), buffer.data()) << "a text points into the form";
      EXPECT_LT(back.bytes.data(), end);
    }
  }
}

TEST(RowFormTest, RowsComeBackFieldByFieldAndByPosition) {
  const std::vector<FieldView> fields = EveryKind();
  std::string form = "before";
  AppendRowForm(fields, form);
  const std::string_view row = std::string_view(form).substr(6);
  EXPECT_LE(row.size(), RowFormBound(fields));
  std::vector<FieldView> back = {Of(ValueType::kText)};  // replaced, not added to
  ReadRowForm(row, back);
  ASSERT_EQ(back.size(), fields.size());
  for (std::size_t k = 0; k < fields.size(); ++k) {
    EXPECT_TRUE(SameField(back[k], fields[k])) << "field " << k;
    EXPECT_TRUE(SameField(RowFormField(row, k), fields[k])) << "field " << k;
  }
  EXPECT_EQ(RowFormField(row, fields.size()).type, ValueType::kNull);
  EXPECT_EQ(RowFormField({}, 0).type, ValueType::kNull);
  ReadRowForm({}, back);
  EXPECT_TRUE(back.empty());
}

// The common values of a row take few more bytes than their data: small whole numbers, floats
// of few binary places, texts with their size in one byte, dates of whole seconds.
TEST(RowFormTest, CommonValuesTakeLittleRoom) {
  struct SizeCase {
    std::string name;
    FieldView field;
    std::size_t most;
  };
  const std::vector<SizeCase> cases = {
      {"Null", Of(ValueType::kNull), 1},
      {"small number", Whole(ValueType::kInteger, 45), 2},
      {"row number", Whole(ValueType::kInteger, 1000000), 4},
      {"zero", Real(0.0), 1},
      {"price in quarters", Real(249.25), 4},
      {"tenth", Real(0.1), 9},
      {"text of 13", Bytes(ValueType::kText, kThirteen), 14},
      {"text of 20", Bytes(ValueType::kText, "ABCDEFGH000000123456"), 22},
      {"text of 300", Bytes(ValueType::kText, kLong), 305},
      {"date and time", Moment({2020, 1, 1, 0, 0, 7, 0, true, true}), 6},
      {"milliseconds", Moment({2020, 1, 1, 0, 0, 7, 5000000, true, true}), 13},
  };
  for (const SizeCase& c : cases)
    EXPECT_LE(FormOf(c.field).size(), c.most) << c.name;
}

// Forms are equal exactly when the fields are, a date's text at hand aside; and a row's form is
// never the start of another row's unless the other starts with the same fields.
TEST(RowFormTest, FormsAreEqualExactlyForEqualFields) {
  std::vector<FieldView> fields = EveryKind();
  fields.push_back(Moment({2024, 3, 7, 14, 5, 9, 0, true, true}, "2024-03-07 14:05:09"));
  std::vector<std::string> forms;
  for (const FieldView& field : fields)
    forms.push_back(FormOf(field));
  int equal = 0;
  for (std::size_t a = 0; a < fields.size(); ++a) {
    for (std::size_t b = 0; b < fields.size(); ++b) {
      const bool same = SameField(fields[a], fields[b]);
      EXPECT_EQ(forms[a] == forms[b], same) << a << " and " << b;
      EXPECT_EQ(forms[b].starts_with(forms[a]), same) << a << " starts " << b;
      equal += a != b && same;
    }
  }
  EXPECT_EQ(equal, 2);  // the date with its text and the one without, both ways
  // Every field once more: its form does not depend on what was written before it.
  std::string row;
  AppendRowForm(fields, row);
  std::size_t at = 0;
  for (const std::string& form : forms) {
    EXPECT_EQ(row.compare(at, form.size(), form), 0) << "at " << at;
    at += form.size();
  }
  EXPECT_EQ(at, row.size());
}

// A date out of the packed ranges was once copied with the bytes that pad its struct, so two
// equal such dates could have different forms.
TEST(RowFormTest, EqualWideDatesHaveEqualFormsWhateverTheirPadding) {
  std::vector<std::string> forms;
  for (const unsigned char fill : {0x00, 0xAA, 0x55}) {
    FieldView field = Of(ValueType::kDateTime);
    // Member by member over a filled struct: the padding keeps the fill.
    std::memset(static_cast<void*>(&field.datetime), fill, sizeof field.datetime);
    DateTimeValue& date = field.datetime;
    date.year = 40000;
    date.month = 3;
    date.day = 7;
    date.hour = 14;
    date.minute = 5;
    date.second = 9;
    date.nanosecond = -1;
    date.has_date = true;
    date.has_time = false;
    forms.push_back(FormOf(field));
    FieldView back;
    ReadRowFormField(forms.back().data(), back);
    EXPECT_TRUE(SameField(back, field));
  }
  EXPECT_EQ(forms[1], forms[0]);
  EXPECT_EQ(forms[2], forms[0]);
}

}  // namespace
}  // namespace korvane
