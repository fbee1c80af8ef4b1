#include "datacomp/criterion_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

#include "base/text.h"
#include "datacomp/target_key_index.h"
#include "db/recordset.h"

namespace korvane {
namespace {

bool KeyMatches(const Value& field, std::string_view criterion, std::uint8_t classes) {
  const auto key = FieldMatchKey(field);
  if (!key)
    return false;
  const auto keys = CriterionMatchKeys(criterion, classes);
  return std::find(keys.begin(), keys.end(), *key) != keys.end();
}

std::vector<Value> SampleValues() {
  std::vector<Value> values = {
      Value::Null(),
      Value::Boolean(true),
      Value::Boolean(false),
      Value::Integer(0),
      Value::Integer(1),
      Value::Integer(-42),
      Value::Integer(12),
      Value::Integer(1234567890123),
      Value::Integer(9007199254740993),
      Value::Integer(9007199254740992),
      Value::Decimal("12345678901234567890.123456789"),
      Value::Float(9007199254740992.0),
      Value::Text("σοφίας"),
      Value::Text("ıris"),
      Value::Float(0.1),
      Value::Float(12.0),
      Value::Float(-0.0),
      Value::Float(1e20),
      Value::Float(1.5),
      Value::Decimal("12.3400"),
      Value::Decimal("12.00"),
      Value::Decimal("-0.00"),
      Value::Decimal("1.00"),
      Value::Text("abc"),
      Value::Text("ABC  "),
      Value::Text(" abc"),
      Value::Text("Null"),
      Value::Text("null "),
      Value::Text(""),
      Value::Text("   "),
      Value::Text("O'Brien"),
      Value::Text("12"),
      Value::Text("True"),
      Value::Text("2024-03-07"),
      Value::Text("Ärger"),
      Value::Binary({0x0A, 0x1B}),
      Value::Guid("6F9619FF-8B86-D011-B42D-00C04FC964FF"),
      Value::DateTime({2024, 3, 7, 14, 5, 9, 0, true, true}),
      Value::DateTime({2024, 3, 7, 0, 0, 0, 0, true, true}),
      Value::DateTime({2024, 3, 7, 14, 5, 9, 123000000, true, true}),
      Value::DateTime({2024, 3, 7, 0, 0, 0, 0, true, false}),
      Value::DateTime({1900, 1, 1, 14, 5, 9, 0, false, true}),
  };
  return values;
}

std::vector<std::string> SampleCriteria() {
  std::vector<std::string> criteria = {"",
                                       " ",
                                       "0",
                                       "-0",
                                       "1",
                                       "1.0",
                                       " 1 ",
                                       "12",
                                       "12.0",
                                       "12.00",
                                       "1.2E1",
                                       "12abc",
                                       "-42",
                                       "true",
                                       "TRUE ",
                                       "False",
                                       "yes",
                                       "Null",
                                       "NULL",
                                       "null ",
                                       "abc",
                                       "ABC",
                                       "abc   ",
                                       " abc",
                                       "0.1",
                                       "0.10000000000000001",
                                       "1E+20",
                                       "1e20",
                                       "1.5",
                                       "12.34",
                                       "2024-03-07",
                                       "2024-03-07 14:05:09",
                                       "2024-03-07T14:05:09",
                                       "2024-03-07 14:05:09.123",
                                       "2024-03-07 00:00:00",
                                       "14:05:09",
                                       "2024-3-7",
                                       "2024-03-07x",
                                       "0x0A1B",
                                       "0x0a1b",
                                       "6f9619ff-8b86-d011-b42d-00c04fc964ff",
                                       "O'Brien",
                                       "o'brien ",
                                       "ärger",
                                       "Ärger",
                                       "1234567890123",
                                       "1234567890123.0",
                                       "9007199254740993",
                                       "9007199254740992.0",
                                       "12345678901234567890.123456789",
                                       "12345678901234567890.1234567891",
                                       "1.2345678901234567890123456789E19",
                                       "ΣΟΦΊΑΣ",
                                       "σοφίασ",
                                       "IRIS",
                                       "İRIS"};
  // Every value's own text form, and its letter-case and blank variants.
  for (const Value& value : SampleValues()) {
    const std::string text = NullText(value);
    criteria.push_back(text);
    criteria.push_back(text + "  ");
    std::string upper = text;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    criteria.push_back(upper);
  }
  return criteria;
}

// The hash keys must agree with the search rule for every pair, or pairing by index would
// differ from pairing by search.
TEST(CriterionKeyTest, KeysAgreeWithTheSearchRuleForEveryValueAndCriterion) {
  for (const Value& value : SampleValues()) {
    for (const std::string& criterion : SampleCriteria()) {
      SCOPED_TRACE("value '" + NullText(value) + "' criterion '" + criterion + "'");
      const bool matches = CriterionMatches(value, criterion);
      EXPECT_EQ(KeyMatches(value, criterion, kMatchAllClasses), matches);
      EXPECT_EQ(KeyMatches(value, criterion, MatchClassOf(value)), matches);
    }
  }
}

// Whole numbers take a shorter way to their key; it must end where the general one does, and
// no digit may be lost on the way (a double holds 53 bits only).
TEST(CriterionKeyTest, WholeNumberKeysEqualTheGeneralKeysOverTheFull64BitRange) {
  std::mt19937_64 random(7);
  std::vector<std::int64_t> numbers = {0,
                                       -1,
                                       1,
                                       9007199254740992,
                                       9007199254740993,
                                       -9007199254740993,
                                       999999999999999999,
                                       std::numeric_limits<std::int64_t>::max(),
                                       std::numeric_limits<std::int64_t>::min()};
  for (int n = 0; n < 2000; ++n)
    numbers.push_back(static_cast<std::int64_t>(random()) >> (n % 64));
  for (const std::int64_t number : numbers) {
    SCOPED_TRACE(number);
    EXPECT_EQ(FieldMatchKey(Value::Integer(number)), MatchKey(Value::Integer(number)));
    const std::string text = std::to_string(number);
    const auto keys = CriterionMatchKeys(text, kMatchNumber);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0], MatchKey(Value::Integer(number)));
    EXPECT_EQ(keys[0], "n" + text);
    EXPECT_TRUE(CriterionMatches(Value::Integer(number), text));
    if (number != std::numeric_limits<std::int64_t>::max()) {
      EXPECT_FALSE(CriterionMatches(Value::Integer(number + 1), text));
    }
  }
}

TEST(CriterionKeyTest, NullMatchesNothingNotEvenTheTextNull) {
  EXPECT_FALSE(FieldMatchKey(Value::Null()).has_value());
  EXPECT_EQ(MatchClassOf(Value::Null()), 0);
  EXPECT_TRUE(KeyMatches(Value::Text("NULL "), "Null", kMatchAllClasses));
}

TEST(CriterionKeyTest, OnlyTheAskedClassesGiveKeys) {
  EXPECT_EQ(CriterionMatchKeys("abc", kMatchNumber).size(), 0u);
  EXPECT_EQ(CriterionMatchKeys("1", kMatchNumber).size(), 1u);
  EXPECT_EQ(CriterionMatchKeys("1", kMatchNumber | kMatchBit | kMatchText).size(), 3u);
  EXPECT_EQ(CriterionMatchKeys("2024-03-07", kMatchDate).size(), 1u);
  EXPECT_EQ(CriterionMatchKeys("2", kMatchBit).size(), 0u);
}

// A bit matches True and False as texts, a number does not: they must not share keys.
TEST(CriterionKeyTest, BitsAndNumbersAreKeptApart) {
  EXPECT_TRUE(KeyMatches(Value::Boolean(true), "true", kMatchAllClasses));
  EXPECT_TRUE(KeyMatches(Value::Boolean(true), "1.0", kMatchAllClasses));
  EXPECT_FALSE(KeyMatches(Value::Integer(1), "true", kMatchAllClasses));
  EXPECT_TRUE(KeyMatches(Value::Integer(1), "1.0", kMatchAllClasses));
  EXPECT_FALSE(KeyMatches(Value::Text("1"), "1.0", kMatchAllClasses));
}

TEST(CriterionColumnNameTest, ReadsTheColumnAsACriterionWouldName) {
  EXPECT_EQ(CriterionColumnName("OrderID"), "OrderID");
  EXPECT_EQ(CriterionColumnName("[Order ID]"), "Order ID");
  EXPECT_EQ(CriterionColumnName("  OrderID "), "OrderID");
  EXPECT_EQ(CriterionColumnName("O'Brien"), "O'Brien");
  EXPECT_FALSE(CriterionColumnName("").has_value());
  EXPECT_FALSE(CriterionColumnName("No Field").has_value());
  EXPECT_FALSE(CriterionColumnName("Order ID").has_value());
  EXPECT_FALSE(CriterionColumnName("a=b").has_value());
  EXPECT_FALSE(CriterionColumnName("[Order").has_value());
  EXPECT_FALSE(CriterionColumnName("[a]b").has_value());
}

// The column names the index accepts are those Find accepts.
TEST(CriterionColumnNameTest, AgreesWithFind) {
  Recordset records(ResultSet{{{"K", ValueType::kText, "varchar"},
                               {"Order ID", ValueType::kText, "varchar"},
                               {"a=b", ValueType::kText, "varchar"}},
                              {{Value::Text("x"), Value::Text("y"), Value::Text("z")}}});
  for (const std::string name : {"K", "k", "[K]", " K", "K ", "Order ID", "[Order ID]", "a=b",
                                 "[a=b]", "No Field", "", "Missing", "[K", "[K]x"}) {
    SCOPED_TRACE(name);
    Recordset probe = records.Clone();
    const auto column = CriterionColumnName(name);
    const bool index_accepts = column && records.FieldIndex(*column) >= 0;
    EXPECT_EQ(probe.Find(name + " = 'x'"), index_accepts);
  }
}

}  // namespace
}  // namespace korvane
