#include "datacomp/field_equality.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "base/text.h"

namespace korvane {
namespace {

DateTimeValue Moment(int nanosecond, bool has_date = true, bool has_time = true, int hour = 12) {
  return {2024, 3, 1, hour, 0, 0, nanosecond, has_date, has_time};
}

// Values whose texts meet across kinds, or nearly: the pairs the values alone cannot settle.
std::vector<Value> Pool() {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  return {
      Value::Null(),
      Value::Text("Null"),
      Value::Text("Null "),
      Value::Text("null"),
      Value::Integer(5),
      Value::Integer(-5),
      Value::Integer(50),
      Value::Text("5"),
      Value::Text("5 "),
      Value::Text(" 5"),
      Value::Text("5\t"),
      Value::Decimal("5"),
      Value::Decimal("5.00"),
      Value::Float(5.0),
      Value::Float(1.5),
      Value::Float(1.5000000000000002),
      Value::Decimal("1.5"),
      Value::Text("1.5"),
      Value::Float(0.0),
      Value::Float(-0.0),
      Value::Text("0"),
      Value::Text("-0"),
      Value::Integer(0),
      Value::Float(1e20),
      Value::Text("1E+20"),
      Value::Float(nan),
      Value::Float(-nan),
      Value::Float(inf),
      Value::Float(-inf),
      Value::Boolean(true),
      Value::Boolean(false),
      Value::Text("True"),
      Value::Integer(1),
      Value::DateTime(Moment(0)),
      Value::DateTime(Moment(500000000)),
      Value::DateTime(Moment(500000001)),
      Value::DateTime(Moment(0, true, false)),
      Value::DateTime(Moment(0, true, false, 13)),
      Value::DateTime(Moment(0, false, true)),
      Value::Text("2024-03-01 12:00:00"),
      Value::Text("2024-03-01 12:00:00.500"),
      Value::Text("2024-03-01"),
      Value::Binary({}),
      Value::Binary({0x0A}),
      Value::Binary({0x0A, 0x00}),
      Value::Binary({0x20}),
      Value::Text("0x0A"),
      Value::Text("0x"),
      Value::Guid("6F9619FF-8B86-D011-B42D-00C04FC964FF"),
      Value::Text("6F9619FF-8B86-D011-B42D-00C04FC964FF "),
      Value::Text(""),
      Value::Text("   "),
      Value::Text(std::string(5000, 'w')),
      Value::Text(std::string(5000, 'w') + " "),
      Value::Text(std::string(5000, 'w') + "x"),
      Value::Text("\xC3\x84pfel"),
      Value::Text("\xC3\xA4pfel"),
  };
}

// The rule itself, written out: the NullTexts trimmed of blanks, equal byte for byte.
bool SameByText(const Value& source, const Value& target) {
  return Trim(NullText(source)) == Trim(NullText(target));
}

// Every pair of the pool, through one comparer (so texts left in its buffers by one pair never
// leak into the next), agrees with the texts.
TEST(FieldTextComparerTest, EveryPairAgreesWithItsTexts) {
  const std::vector<Value> pool = Pool();
  FieldTextComparer comparer;
  int same = 0;
  for (const Value& source : pool) {
    for (const Value& target : pool) {
      const bool expected = SameByText(source, target);
      EXPECT_EQ(comparer.Same(ViewOf(source), ViewOf(target)), expected)
          << "'" << NullText(source) << "' against '" << NullText(target) << "'";
      same += expected;
    }
  }
  // More pairs are equal than the pool's own diagonal: the texts meet across kinds.
  EXPECT_GT(same, static_cast<int>(pool.size()) + 20);
}

struct PairCase {
  std::string name;
  Value source;
  Value target;
  bool same;
};

// The pairs where the values and the texts could part, with what the texts say of them.
TEST(FieldTextComparerTest, ValuesOfOneTextAreTheSame) {
  const std::vector<PairCase> cases = {
      {"integer and its digits", Value::Integer(5), Value::Text("5"), true},
      {"digits with a trailing blank", Value::Text("5 "), Value::Integer(5), true},
      {"a tab is not a blank", Value::Text("5\t"), Value::Integer(5), false},
      {"decimal digits as the server gives them", Value::Decimal("5.00"), Value::Integer(5), false},
      {"decimal and float of one text", Value::Decimal("1.5"), Value::Float(1.5), true},
      {"Null and its text", Value::Null(), Value::Text("Null"), true},
      {"Null and the text in lower case", Value::Null(), Value::Text("null"), false},
      {"-0 and 0 as floats", Value::Float(-0.0), Value::Float(0.0), false},
      {"-0 and its text", Value::Float(-0.0), Value::Text("-0"), true},
      {"neighbouring floats", Value::Float(1.5), Value::Float(1.5000000000000002), false},
      {"dates alone of other times of day", Value::DateTime(Moment(0, true, false)),
       Value::DateTime(Moment(0, true, false, 13)), true},
      {"a fraction the text keeps", Value::DateTime(Moment(0)), Value::DateTime(Moment(500000000)),
       false},
      {"a datetime and its text", Value::DateTime(Moment(500000000)),
       Value::Text("2024-03-01 12:00:00.500"), true},
      {"binaries differing by a trailing zero byte", Value::Binary({0x0A}),
       Value::Binary({0x0A, 0x00}), false},
      {"a binary and its text", Value::Binary({0x0A}), Value::Text("0x0A"), true},
      {"True and 1", Value::Boolean(true), Value::Integer(1), false},
      {"long texts differing at their end", Value::Text(std::string(5000, 'w') + "x"),
       Value::Text(std::string(5000, 'w')), false},
  };
  FieldTextComparer comparer;
  for (const PairCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.same, SameByText(c.source, c.target)) << "the case contradicts the texts";
    EXPECT_EQ(comparer.Same(ViewOf(c.source), ViewOf(c.target)), c.same);
    EXPECT_EQ(comparer.Same(ViewOf(c.target), ViewOf(c.source)), c.same) << "the other way round";
  }
}

// Booleans read from a driver as any non-zero number are still "True".
TEST(FieldTextComparerTest, BooleansCompareByTruthNotByNumber) {
  auto boolean = [](std::int64_t integer) {
    FieldView field;
    field.type = ValueType::kBoolean;
    field.integer = integer;
    return field;
  };
  const FieldView one = boolean(1);
  const FieldView two = boolean(2);
  const FieldView zero = boolean(0);
  FieldTextComparer comparer;
  EXPECT_TRUE(comparer.Same(one, two));
  EXPECT_FALSE(comparer.Same(one, zero));
}

// A field the Target lacks is an empty text: only blank texts equal it.
TEST(FieldTextComparerTest, MissingFieldEqualsOnlyBlankTexts) {
  FieldTextComparer comparer;
  for (const Value& value : Pool()) {
    EXPECT_EQ(comparer.SameAsMissing(ViewOf(value)), Trim(NullText(value)).empty())
        << "'" << NullText(value) << "'";
  }
}

std::vector<FieldView> Views(const std::vector<Value>& values) {
  std::vector<FieldView> views;
  for (const Value& value : values)
    views.push_back(ViewOf(value));
  return views;
}

struct RecordCase {
  std::string name;
  std::vector<Value> source;
  std::vector<Value> target;
  bool same;
};

TEST(FieldTextComparerTest, RecordsCompareTheSourcesFieldsByPosition) {
  const std::vector<RecordCase> cases = {
      {"equal", {Value::Integer(1), Value::Text("a")}, {Value::Text("1"), Value::Text("a ")}, true},
      {"last field differs",
       {Value::Integer(1), Value::Text("a")},
       {Value::Integer(1), Value::Text("A")},
       false},
      {"first field differs",
       {Value::Integer(1), Value::Text("a")},
       {Value::Integer(2), Value::Text("a")},
       false},
      {"Target's extra fields ignored",
       {Value::Integer(1)},
       {Value::Integer(1), Value::Text("x")},
       true},
      {"Target lacks a blank field",
       {Value::Integer(1), Value::Text("  ")},
       {Value::Integer(1)},
       true},
      {"Target lacks a Null field", {Value::Integer(1), Value::Null()}, {Value::Integer(1)}, false},
      {"Target lacks an empty binary", {Value::Binary({})}, {}, false},
      {"no fields", {}, {Value::Integer(1)}, true},
  };
  FieldTextComparer comparer;
  for (const RecordCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(comparer.SameRecords(Views(c.source), Views(c.target)), c.same);
  }
}

TEST(FieldTextsTest, GivesTheNullTextOfEveryField) {
  const std::vector<Value> pool = Pool();
  const std::vector<std::string> texts = FieldTexts(Views(pool));
  ASSERT_EQ(texts.size(), pool.size());
  for (std::size_t k = 0; k < pool.size(); ++k)
    EXPECT_EQ(texts[k], NullText(pool[k])) << k;
}

}  // namespace
}  // namespace korvane
