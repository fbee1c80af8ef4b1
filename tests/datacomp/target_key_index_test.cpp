#include "datacomp/target_key_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "base/text.h"

namespace korvane {
namespace {

ResultSet Rows(std::vector<std::string> columns, std::vector<std::vector<Value>> rows) {
  ResultSet table;
  for (std::string& name : columns)
    table.columns.push_back({std::move(name), ValueType::kText, "varchar"});
  table.rows = std::move(rows);
  return table;
}

using Outcome = TargetKeyIndex::Outcome;

// Short names for the values the tables of cases are made of.
Value I(std::int64_t n) {
  return Value::Integer(n);
}
Value T(std::string text) {
  return Value::Text(std::move(text));
}

// A table of one column "K", a row for each value.
ResultSet Column(std::vector<Value> values) {
  std::vector<std::vector<Value>> rows;
  for (Value& value : values)
    rows.push_back({std::move(value)});
  return Rows({"K"}, std::move(rows));
}

// An index holding every row of `target`, its slots sized at once when `reserve`.
TargetKeyIndex ReadIndex(const ResultSet& source, const ResultSet& target,
                         const std::array<std::string, 3>& source_keys,
                         const std::array<std::string, 3>& target_keys,
                         TargetKeyIndex::KeyHash key_hash = &TargetKeyIndex::StandardKeyHash,
                         bool reserve = false) {
  TargetKeyIndex index(source.columns, target.columns, source_keys, target_keys, key_hash);
  if (reserve)
    index.Reserve(target.rows.size());
  MaterialisedRowCursor rows(target);
  while (rows.Next())
    index.AddTargetRow(rows);
  return index;
}

// What one search found: the row (then `after_row`), "-" for none, "!" for an error.
std::string Found(const TargetKeyIndex::Match& match, std::string_view after_row = "") {
  return match.outcome == Outcome::kFound      ? std::to_string(match.row) + std::string(after_row)
         : match.outcome == Outcome::kNotFound ? "-"
                                               : "!";
}

// What each Source record finds in `index`, in Source order.
std::string Searched(TargetKeyIndex& index, const ResultSet& source,
                     std::string_view after_row = "") {
  std::string pairing;
  MaterialisedRowCursor records(source);
  while (records.Next())
    pairing += Found(index.FindMatchingRecord(records), after_row);
  return pairing;
}

// The Target rows each Source record is paired with, in Source order ("-" not found, "!" error).
std::string Pairing(const ResultSet& source, const ResultSet& target,
                    std::array<std::string, 3> source_keys, std::array<std::string, 3> target_keys,
                    TargetKeyIndex::KeyHash key_hash = &TargetKeyIndex::StandardKeyHash) {
  TargetKeyIndex index = ReadIndex(source, target, source_keys, target_keys, key_hash);
  return Searched(index, source);
}

const std::array<std::string, 3> kOneKey = {"K", "No Field", "No Field"};

struct OneColumnCase {
  std::string name;
  std::vector<Value> source;
  std::vector<Value> target;
  std::string pairing;
};

// Keys of one column, of every kind. Whole-number and text keys take a shorter road to their
// hash keys; these pin that it pairs exactly as the general matching rule does.
TEST(TargetKeyIndexTest, OneKeyColumnPairsByTheMatchingRule) {
  const std::int64_t big = std::int64_t{1} << 53;
  const std::string stem(40, 'k');
  const std::vector<OneColumnCase> cases = {
      {"duplicate keys are paired in Target order and used once",
       {I(1), I(1), I(1), I(2)},
       {I(2), I(1), I(1)},
       "12-0"},
      {"NULL Target keys never match, NULL Source keys search the text Null",
       {Value::Null(), Value::Null()},
       {Value::Null(), T("NULL  ")},
       "1-"},
      // "1.0" reads as the number 1, which the bit True equals, and row 1 comes first; "true"
      // then finds no other bit (the number 1 and the text "1.0" do not match it).
      {"a column of mixed kinds matches each value by its own rule",
       {T("1.0"), T("true"), T("2024-03-07"), T("ABC ")},
       {T("abc"), Value::Boolean(true), Value::DateTime({2024, 3, 7, 0, 0, 0, 0, true, false}),
        I(1), T("1.0")},
       "1-20"},
      // "Ünï" finds "ünï" first; an empty text matches blanks; "x" finds nothing.
      {"texts ignore letter case and trailing blanks but not leading ones",
       {T("ABC"), T(" abc"), T("abc  "), T(""), T("Ünï"), T("x")},
       {T("abc "), T("   "), T(" ABC"), T("Abc"), T("ünï"), T("Ünï"), Value::Null()},
       "02314-"},
      // Σ, σ and final ς fold alike; the dotless ı and the dotted İ are no i.
      {"letter case beyond ASCII pairs as the server compares",
       {T("Äpfel"), T("ΣΟΦΊΑ"), T("σοφίας"), T("ЖУК"), T("Łukasz"), T("ıris"), T("İris")},
       {T("iris"), T("жук"), T("äpfel"), T("ŁUKASZ"), T("ΣΟΦΊΑΣ"), T("σοφία")},
       "25413--"},
      {"bigint keys beyond 2^53 pair with themselves only",
       {I(big + 1), I(big), I(INT64_MAX), I(INT64_MAX - 1), I(-big - 1)},
       {I(big), I(INT64_MAX - 1), I(-big - 1), I(big + 1), I(INT64_MAX), I(-big)},
       "30412"},
      {"numbers of different types pair by exact value",
       {Value::Decimal("12345678901234567890.123456789"), I(9007199254740993),
        Value::Decimal("2.50"), Value::Float(0.1), T("7")},
       {Value::Decimal("12345678901234567890.123456788"), Value::Decimal("9007199254740993.000"),
        Value::Float(9007199254740992.0), Value::Float(2.5), Value::Decimal("0.1000"),
        Value::Decimal("12345678901234567890.1234567890"), I(7)},
       "51346"},
      {"long keys differing only at the end are kept apart",
       {T(stem + "B"), T(stem + "a  "), I(123456789012345), T(stem)},
       {T(stem + "A"), T(stem + "b"), I(123456789012345), T(stem + "c")},
       "102-"},
      // Beyond 2^53 a whole number goes through the general rule, and still finds its equal.
      {"whole numbers match by value whatever their kind",
       {I(-7), I(12), I(0), I(3), I(9007199254740993), I(5)},
       {Value::Decimal("12.000"), Value::Float(-7.0), Value::Float(-0.0), I(9007199254740993), I(3),
        Value::Decimal("5.5")},
       "10243-"},
      // A whole number searching a text column matches its digits as a text; a text searching a
      // number column matches when it reads as that number.
      {"numbers and texts against a text column",
       {I(42), T(" 7.0 "), I(8)},
       {T("042"), T("42  ")},
       "1--"},
      {"numbers and texts against a number column", {I(42), T(" 7.0 "), I(8)}, {I(8), I(7)}, "-10"},
  };
  for (const OneColumnCase& c : cases)
    EXPECT_EQ(Pairing(Column(c.source), Column(c.target), kOneKey, kOneKey), c.pairing) << c.name;
}

TEST(TargetKeyIndexTest, SeveralKeysMustAllMatch) {
  const ResultSet source(
      Rows({"A", "B", "C"}, {{I(1), T("x"), I(7)}, {I(1), T("y"), I(7)}, {I(1), T("x"), I(8)}}));
  const ResultSet target(
      Rows({"A", "B", "C"}, {{I(1), T("X"), I(8)}, {I(1), T("x"), I(7)}, {I(2), T("y"), I(7)}}));
  EXPECT_EQ(Pairing(source, target, {"A", "B", "C"}, {"A", "B", "C"}), "1-0");
  // Without the tertiary key the first record takes the first row with A and B equal.
  EXPECT_EQ(Pairing(source, target, {"A", "B", "No Field"}, {"A", "B", "C"}), "0-1");
}

TEST(TargetKeyIndexTest, SourceKeyNamesAreExactElseTheFirstField) {
  const ResultSet source(Rows({"ID", "Code"}, {{I(5), T("a")}}));
  const ResultSet target(Rows({"Code"}, {{T("5")}, {T("A")}}));
  EXPECT_EQ(
      Pairing(source, target, {"code", "No Field", "No Field"}, {"Code", "No Field", "No Field"}),
      "0");
  EXPECT_EQ(
      Pairing(source, target, {"Code", "No Field", "No Field"}, {"code", "No Field", "No Field"}),
      "1");
}

TEST(TargetKeyIndexTest, TargetKeysThatNameNoColumnMakeEverySearchFail) {
  const ResultSet source(Rows({"K"}, {{I(1)}}));
  const ResultSet target(Rows({"K", "Order ID"}, {{I(1), I(1)}}));
  EXPECT_EQ(Pairing(source, target, kOneKey, {"No Field", "No Field", "No Field"}), "!");
  EXPECT_EQ(Pairing(source, target, kOneKey, {"Missing", "No Field", "No Field"}), "!");
  EXPECT_EQ(Pairing(source, target, kOneKey, {"Order", "No Field", "No Field"}), "!");
  EXPECT_EQ(Pairing(source, target, kOneKey, {"[Order ID]", "No Field", "No Field"}), "0");
  EXPECT_EQ(Pairing(source, target, {"K", "K", "K"}, {"K", "K", ""}), "!");
}

// A key column whose name holds a blank used to make every search fail, as a criterion cannot
// name it unbracketed.
TEST(TargetKeyIndexTest, KeyColumnsNamedWithBlanksPairRegression) {
  const ResultSet source(Rows({"Order ID", "Line No"}, {{I(2), I(1)}, {I(1), I(2)}}));
  const ResultSet target(Rows({"Order ID", "Line No"}, {{I(1), I(2)}, {I(2), I(1)}}));
  EXPECT_EQ(Pairing(source, target, {"Order ID", "No Field", "No Field"},
                    {"Order ID", "No Field", "No Field"}),
            "10");
  EXPECT_EQ(Pairing(source, target, {"Order ID", "Line No", "No Field"},
                    {"order id", "line no", "No Field"}),
            "10");
}

TEST(TargetKeyIndexTest, PackedRowsKeepEveryFieldTextAndTheirMatchedState) {
  const ResultSet source(Rows({"K"}, {{I(2)}}));
  const std::string long_text(300, 'x');
  const ResultSet target(Rows({"K", "V", "W"}, {{I(1), T(" a "), Value::Null()},
                                                {I(2), T(long_text), Value::Float(0.5)},
                                                {I(3), Value::Binary({0x0A, 0xFF}), T("")}}));
  TargetKeyIndex index = ReadIndex(source, target, kOneKey, kOneKey);
  MaterialisedRowCursor records(source);
  ASSERT_TRUE(records.Next());
  EXPECT_EQ(index.FindMatchingRecord(records).row, 1u);
  ASSERT_EQ(index.TargetRowCount(), 3u);
  EXPECT_EQ(index.TargetFieldCount(), 3);
  EXPECT_EQ(index.MatchedCount(), 1u);
  EXPECT_TRUE(index.IsMatched(1));
  EXPECT_FALSE(index.IsMatched(2));
  // Texts longer than one length byte, empty ones, and every kind's NullText.
  EXPECT_EQ(index.TargetTexts(0), (std::vector<std::string>{"1", " a ", "Null"}));
  EXPECT_EQ(index.TargetTexts(1), (std::vector<std::string>{"2", long_text, "0.5"}));
  EXPECT_EQ(index.TargetTexts(2), (std::vector<std::string>{"3", "0x0AFF", ""}));
  EXPECT_EQ(index.TargetText(1, 1), long_text);
  EXPECT_EQ(index.TargetText(2, 2), "");
}

TEST(TargetKeyIndexTest, TargetKeysWithoutASearchLeaveEveryRowUnmatched) {
  const ResultSet source(Rows({"K"}, {}));
  const ResultSet target(Rows({"K", "V"}, {{I(1), T("a")}, {I(2), T("b")}}));
  const TargetKeyIndex index = ReadIndex(source, target, kOneKey, {"No Field", "", ""});
  EXPECT_EQ(index.TargetRowCount(), 2u);
  EXPECT_FALSE(index.IsMatched(1));
  EXPECT_EQ(index.TargetText(1, 1), "b");
}

DateTimeValue Moment(int hour, int nanosecond, bool has_time = true) {
  return DateTimeValue{2024, 1, 2, hour, 0, 0, nanosecond, true, has_time};
}

// "C0", "C1", ...: the names of `count` columns.
std::vector<std::string> Names(std::size_t count) {
  std::vector<std::string> names;
  for (std::size_t k = 0; k < count; ++k)
    names.push_back("C" + std::to_string(k));
  return names;
}

// The rule a pair's data is judged by, from the texts: the NullTexts of the Source's fields
// against as many of the Target's, trimmed, letter case counting, a field the Target lacks an
// empty text.
bool SameByTexts(const std::vector<Value>& source, const std::vector<Value>& target) {
  for (std::size_t k = 0; k < source.size(); ++k) {
    const std::string target_text = k < target.size() ? NullText(target[k]) : "";
    if (Trim(NullText(source[k])) != Trim(target_text))
      return false;
  }
  return true;
}

// The verdict on a pair's data, whatever kinds its values are of, from forms that are equal (or
// the Source's a start of the Target's) and from forms that differ.
TEST(TargetKeyIndexTest, SamePreparedDataComparesTheTextsOfTheSourcesFieldsTrimmed) {
  struct Case {
    std::string name;
    std::vector<Value> source;
    std::vector<Value> target;
    bool same;
  };
  const std::string long_text(300, 'q');
  const std::vector<Case> cases = {
      {"equal", {I(1), T("abc")}, {I(1), T("abc")}, true},
      {"blanks around", {I(1), T("abc")}, {I(1), T(" abc  ")}, true},
      {"a tab is no blank", {I(1), T("abc\t")}, {I(1), T("abc")}, false},
      {"letter case", {I(1), T("abc")}, {I(1), T("ABC")}, false},
      {"Null and its text", {I(1), T("Null")}, {I(1), Value::Null()}, true},
      {"Null and lower case", {I(1), Value::Null()}, {I(1), T("null ")}, false},
      {"Target lacks a blank", {I(1), T("")}, {I(1)}, true},
      {"Target lacks spaces", {I(1), T("   ")}, {I(1)}, true},
      {"Target lacks a text", {I(1), T("x")}, {I(1)}, false},
      {"Target lacks a Null", {I(1), Value::Null()}, {I(1)}, false},
      {"Target's extra fields", {I(1)}, {I(1), T("ignored")}, true},
      {"equal, then the Target's extra", {I(1), T("ab")}, {I(1), T("ab"), T("ab")}, true},
      {"texts split otherwise", {I(1), T("a"), T("b")}, {I(1), T("ab"), T("")}, false},
      {"whole number and its text", {I(1), I(5)}, {I(1), T(" 5 ")}, true},
      {"whole number and a decimal", {I(1), I(5)}, {I(1), Value::Decimal("5.0")}, false},
      {"decimal and its text", {I(1), Value::Decimal("12.50")}, {I(1), T("12.50")}, true},
      {"float and whole number", {I(1), Value::Float(5.0)}, {I(1), I(5)}, true},
      {"minus zero", {I(1), Value::Float(-0.0)}, {I(1), Value::Float(0.0)}, false},
      {"minus zero and its text", {I(1), Value::Float(-0.0)}, {I(1), T("-0")}, true},
      {"floats", {I(1), Value::Float(0.1)}, {I(1), Value::Float(0.2)}, false},
      {"date and its text",
       {I(1), Value::DateTime(Moment(10, 0))},
       {I(1), T("2024-01-02 10:00:00")},
       true},
      {"dates a fraction apart",
       {I(1), Value::DateTime(Moment(10, 0))},
       {I(1), Value::DateTime(Moment(10, 500000000))},
       false},
      {"dates alone, their hours apart",
       {I(1), Value::DateTime(Moment(10, 0, false))},
       {I(1), Value::DateTime(Moment(11, 0, false))},
       true},
      {"long texts differing at the end", {I(1), T(long_text + "a")}, {I(1), T(long_text)}, false},
      {"long texts, trailing blanks", {I(1), T(long_text)}, {I(1), T(long_text + "  ")}, true},
      {"binaries", {I(1), Value::Binary({0x0A})}, {I(1), Value::Binary({0x0A, 0x00})}, false},
      {"binary and its text", {I(1), Value::Binary({0x0A})}, {I(1), T("0x0A")}, true},
      {"bit and its text", {I(1), Value::Boolean(true)}, {I(1), T("True")}, true},
      {"bit and a number", {I(1), Value::Boolean(true)}, {I(1), I(1)}, false},
  };
  int equal_forms = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(SameByTexts(c.source, c.target), c.same) << "the case itself";
    const std::vector<std::string> names = Names(c.source.size());
    const std::vector<std::string> target_names = Names(c.target.size());
    // The row twice, so that the first is followed by another in its block.
    TargetKeyIndex index = ReadIndex(Rows(names, {}), Rows(target_names, {c.target, c.target}),
                                     {"C0", "", ""}, {"C0", "", ""});
    const ResultSet source_rows = Rows(names, {c.source});
    MaterialisedRowCursor source(source_rows);
    ASSERT_TRUE(source.Next());
    std::string prepared;
    index.MakeSourcePreparer()->Prepare(source, prepared);
    equal_forms += index.TargetForm(0).starts_with(ComparedRow::Parse(prepared).form);
    for (const std::size_t row : {0u, 1u})
      EXPECT_EQ(index.SamePreparedData(row, prepared), c.same) << "row " << row;
  }
  EXPECT_GE(equal_forms, 3);
}

// Hashes that make distinct keys collide: on the slot and the tag alike, on the tag only, and
// on the slot only (the upper half of a hash chooses the slot, the lower the tag). The index
// must confirm every equal hash against the key bytes.
std::uint64_t OneHashForAll(std::string_view) {
  return 0x1234567800000005u;
}
std::uint64_t SameTagOtherSlots(std::string_view key) {
  return (static_cast<std::uint64_t>(key.size()) << 58) | 0xABCDu;
}
std::uint64_t SameSlotOtherTags(std::string_view key) {
  return 0x0000000100000000u | static_cast<std::uint8_t>(key.empty() ? 0 : key.back());
}
// Equal in the tag's 31 bits only where keys differ in the bit above them.
std::uint64_t TagsDifferingAboveTheTag(std::string_view key) {
  return key.empty() ? 0 : static_cast<std::uint64_t>(key.back() & 1) << 31;
}

TEST(TargetKeyIndexTest, CollidingHashesPairExactlyAsDistinctOnes) {
  // Duplicates, NULLs, letter case, numbers of several kinds and keys longer than a slot holds.
  const std::string long_key(40, 'k');
  const ResultSet source(Rows({"K", "K2"}, {{I(1), T("a")},
                                            {T("X"), T("b")},
                                            {I(1), T("a")},
                                            {T(long_key + "1"), Value::Null()},
                                            {Value::Null(), T("a")},
                                            {Value::Decimal("2.0"), T("B ")},
                                            {T(long_key + "2"), T("c")},
                                            {I(7), T("a")}}));
  const ResultSet target(Rows({"K", "K2"}, {{T(long_key + "2"), T("C")},
                                            {I(1), T("A")},
                                            {T("x "), T("b")},
                                            {I(2), T("b")},
                                            {Value::Null(), T("a")},
                                            {I(1), T("a")},
                                            {T(long_key + "1"), T("Null")}}));
  const std::array<std::string, 3> two_keys = {"K", "K2", "No Field"};
  struct Case {
    const char* name;
    std::array<std::string, 3> keys;
  };
  for (const Case& c : {Case{"one key", kOneKey}, Case{"two keys", two_keys}}) {
    const std::string expected = Pairing(source, target, c.keys, c.keys);
    for (const TargetKeyIndex::KeyHash hash :
         {&OneHashForAll, &SameTagOtherSlots, &SameSlotOtherTags, &TagsDifferingAboveTheTag}) {
      EXPECT_EQ(Pairing(source, target, c.keys, c.keys, hash), expected) << c.name;
    }
  }
  // What the standard hash gives, so the comparison above compares real pairings.
  EXPECT_EQ(Pairing(source, target, two_keys, two_keys), "1256-30-");
}

// The first unmatched Target row of an equal whole number, by a plain scan: what the index must
// give for whole-number keys of one column.
std::string ScannedPairing(const std::vector<std::int64_t>& source,
                           const std::vector<std::int64_t>& target) {
  std::vector<bool> matched(target.size());
  std::string pairing;
  for (const std::int64_t key : source) {
    std::size_t row = 0;
    while (row < target.size() && (matched[row] || target[row] != key))
      ++row;
    if (row == target.size()) {
      pairing += "-";
      continue;
    }
    matched[row] = true;
    pairing += std::to_string(row) + ",";
  }
  return pairing;
}

std::string IndexedPairing(const std::vector<std::int64_t>& source,
                           const std::vector<std::int64_t>& target, TargetKeyIndex::KeyHash hash,
                           bool reserve) {
  const auto rows = [](const std::vector<std::int64_t>& keys) {
    std::vector<std::vector<Value>> values;
    for (const std::int64_t key : keys)
      values.push_back({I(key), T("v" + std::to_string(key))});
    return Rows({"K", "V"}, std::move(values));
  };
  const ResultSet source_rows = rows(source);
  TargetKeyIndex index = ReadIndex(source_rows, rows(target), kOneKey, kOneKey, hash, reserve);
  return Searched(index, source_rows, ",");
}

// Many rows of one key among unique ones, searched more often than the key has rows, with the
// slot table grown row by row (no room reserved) or sized at once, under colliding hashes too.
TEST(TargetKeyIndexTest, ManyDuplicatesOfOneKeyPairInTargetOrderWhateverTheHash) {
  std::vector<std::int64_t> target;
  for (std::int64_t k = 0; k < 600; ++k)
    target.push_back(k % 3 == 0 ? 5 : 1000 + k);
  std::vector<std::int64_t> source;
  for (std::int64_t k = 0; k < 230; ++k)
    source.push_back(k % 2 == 0 ? 5 : 1000 + 599 - k);
  source.push_back(5);
  const std::string expected = ScannedPairing(source, target);
  struct Case {
    const char* name;
    TargetKeyIndex::KeyHash hash;
  };
  const std::vector<Case> cases = {
      {"standard", &TargetKeyIndex::StandardKeyHash},
      {"tag only", &SameTagOtherSlots},
      {"slot only", &SameSlotOtherTags},
      {"above the tag", &TagsDifferingAboveTheTag},
  };
  for (const Case& c : cases) {
    for (const bool reserve : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (reserve ? ", reserved" : ", grown"));
      EXPECT_EQ(IndexedPairing(source, target, c.hash, reserve), expected);
    }
  }
  EXPECT_EQ(IndexedPairing({5, 5, 5, 7}, {5, 7, 5}, &OneHashForAll, false), "0,2,-1,");
}

// Keys that are no whole number or text are kept in their rows; growing the slot table rehashes
// them, and the ones the texts give back, alike.
TEST(TargetKeyIndexTest, KeysOfEveryKindSurviveTheSlotTableGrowing) {
  std::vector<std::vector<Value>> target_values;
  std::vector<std::vector<Value>> source_values;
  for (int k = 0; k < 40; ++k) {
    DateTimeValue at{2024, 1, k % 28 + 1, k % 24, 0, 0, 0, true, true};
    const std::vector<Value> kinds = {I(k), T("Ünï " + std::to_string(k)), Value::DateTime(at),
                                      Value::Float(k + 0.5),
                                      Value::Decimal(std::to_string(k) + ".25")};
    target_values.push_back({kinds[static_cast<std::size_t>(k) % kinds.size()]});
  }
  // The Source asks in the reverse order, as texts where the Target holds texts.
  for (auto row = target_values.rbegin(); row != target_values.rend(); ++row) {
    const Value& value = (*row)[0];
    source_values.push_back(
        {value.type() == ValueType::kText ? T(ToUpperAscii(NullText(value)) + "  ") : value});
  }
  const ResultSet source = Rows({"K"}, source_values);
  const ResultSet target = Rows({"K"}, target_values);
  std::string expected;
  for (int k = 39; k >= 0; --k)
    expected += std::to_string(k);
  EXPECT_EQ(Pairing(source, target, kOneKey, kOneKey), expected);
  EXPECT_EQ(Pairing(source, target, kOneKey, kOneKey, &OneHashForAll), expected);
}

struct StartsCase {
  const char* name;
  std::vector<std::uint64_t> positions;
  bool wide;
};

// Rows added after searches (the Target read while Source rows are paired): a key whose one
// row was matched gets a second row, which must be the next one found, not the first again.
TEST(TargetKeyIndexTest, ARowAddedAfterItsKeysOnlyRowWasMatchedIsFoundNextRegression) {
  for (const TargetKeyIndex::KeyHash hash :
       {&TargetKeyIndex::StandardKeyHash, +[](std::string_view) -> std::uint64_t { return 7; }}) {
    const ResultSet source = Column({I(1)});
    const ResultSet target = Column({I(1), I(2), I(1), I(1)});
    TargetKeyIndex index(source.columns, target.columns, kOneKey, kOneKey, hash);
    MaterialisedRowCursor targets(target);
    MaterialisedRowCursor records(source);
    ASSERT_TRUE(records.Next());
    std::string pairing;
    // Each Target row is added, then the one Source record is searched again.
    while (targets.Next()) {
      index.AddTargetRow(targets);
      pairing += Found(index.FindMatchingRecord(records));
    }
    EXPECT_EQ(pairing, "0-23");
    EXPECT_EQ(index.MatchedCount(), 3u);
  }
}

// TakeRow flags a row only when a search would find it first: unmatched, with a key, and no
// earlier unmatched row of the same key.
TEST(TargetKeyIndexTest, TakeRowFlagsOnlyTheFirstUnmatchedRowOfItsKey) {
  const ResultSet source = Column({I(1), I(2)});
  const ResultSet target = Column({I(1), I(1), I(2), Value::Null(), I(3)});
  TargetKeyIndex index = ReadIndex(source, target, kOneKey, kOneKey);
  struct Step {
    std::size_t row;
    bool taken;
  };
  for (const Step& step : {Step{1, false}, Step{0, true}, Step{0, false}, Step{1, true},
                           Step{3, false}, Step{4, true}, Step{4, false}}) {
    SCOPED_TRACE(step.row);
    EXPECT_EQ(index.TakeRow(step.row), step.taken);
    EXPECT_TRUE(!step.taken || index.IsMatched(step.row));
  }
  EXPECT_EQ(index.MatchedCount(), 3u);
  EXPECT_EQ(Pairing(source, target, kOneKey, kOneKey), "02");
  EXPECT_EQ(Searched(index, source), "-2");
}

// A Target row of any kind matches a Source record exactly when the key it was indexed under is
// among the record's candidates under every class: what lets a record wait for rows of classes
// the Target has not shown yet.
TEST(TargetKeyIndexTest, AllClassCandidatesHoldTheKeyOfEveryTargetRowTheRecordMatches) {
  const std::vector<Value> values = {I(5),
                                     T("5"),
                                     T("5 "),
                                     T("05"),
                                     Value::Float(5.0),
                                     Value::Decimal("5"),
                                     I(1),
                                     Value::Boolean(true),
                                     T("1"),
                                     T("True"),
                                     Value::Null(),
                                     T("Null"),
                                     T("ABC"),
                                     T("abc  "),
                                     T(" abc"),
                                     Value::DateTime({2024, 3, 7, 0, 0, 0, 0, true, false}),
                                     T("2024-03-07"),
                                     T("\xC3\x84pfel"),
                                     T("\xC3\xA4PFEL")};
  const std::array<std::string, 3> two_keys = {"K", "K2", "No Field"};
  int matches = 0;
  for (const bool composite : {false, true}) {
    for (const Value& s : values) {
      for (const Value& t : values) {
        SCOPED_TRACE(NullText(s) + " against " + NullText(t) + (composite ? ", two keys" : ""));
        const ResultSet source = composite ? Rows({"K", "K2"}, {{s, I(7)}}) : Rows({"K"}, {{s}});
        const ResultSet target = composite ? Rows({"K", "K2"}, {{t, T("7")}}) : Rows({"K"}, {{t}});
        const auto& keys = composite ? two_keys : kOneKey;
        TargetKeyIndex index = ReadIndex(source, target, keys, keys);
        MaterialisedRowCursor record(source);
        ASSERT_TRUE(record.Next());
        std::string source_prepared;
        index.MakeSourcePreparer()->Prepare(record, source_prepared);
        const std::vector<std::string> candidates = index.AllClassCandidates(source_prepared);
        // The row's key, from the index, as the Target preparer made the row.
        MaterialisedRowCursor row(target);
        ASSERT_TRUE(row.Next());
        std::string prepared;
        index.MakeTargetPreparer()->Prepare(row, prepared);
        std::string buffer;
        std::string_view key;
        std::uint64_t hash = 0;
        const bool keyed = index.IndexedKey(0, prepared, buffer, key, hash);
        const bool candidate =
            keyed && std::find(candidates.begin(), candidates.end(), key) != candidates.end();
        const bool found = index.FindMatchingRecord(record).outcome == Outcome::kFound;
        EXPECT_EQ(candidate, found);
        EXPECT_TRUE(!keyed || hash == TargetKeyIndex::StandardKeyHash(key));
        matches += found;
      }
    }
  }
  EXPECT_GT(matches, 60);  // not a table where nothing matches
}

TEST(RowStartsTest, PositionsPastTheNarrowLimitWidenEveryStartKeptSoFar) {
  const std::uint64_t big = std::uint64_t{1} << 40;
  const std::vector<StartsCase> cases = {
      {"none", {}, false},
      {"within", {0, 10, 99, 100}, false},
      {"past", {0, 10, 101, big, big + 7}, true},
      {"first past", {big}, true},
  };
  for (const StartsCase& c : cases) {
    SCOPED_TRACE(c.name);
    RowStarts starts(100);
    starts.Reserve(2);
    for (const std::uint64_t position : c.positions)
      starts.PushBack(position);
    EXPECT_EQ(starts.Wide(), c.wide);
    ASSERT_EQ(starts.size(), c.positions.size());
    for (std::size_t k = 0; k < c.positions.size(); ++k)
      EXPECT_EQ(starts[k], c.positions[k]);
  }
}

// Rows of any size, larger than a block too, written whole or in two parts split anywhere, read
// back whole from the positions given, the blocks written before never moved.
TEST(PackedBlocksTest, RowsOfAnySizeReadBackWholeFromTheirPositions) {
  const std::size_t block = std::size_t{1} << 20;
  const std::vector<std::size_t> sizes = {0,      10,     block - 5, 3,        block, 2 * block + 1,
                                          700000, 700000, 1,         block / 2};
  struct Split {
    const char* name;
    std::size_t (*head_size)(std::size_t row_size);  // none: written whole
  };
  const std::vector<Split> splits = {
      {"whole", nullptr},
      {"all in the tail", [](std::size_t) -> std::size_t { return 0; }},
      {"all in the head", [](std::size_t size) { return size; }},
      {"a short head", [](std::size_t size) { return std::min<std::size_t>(size, 9); }},
      {"halves", [](std::size_t size) { return size / 2; }},
  };
  for (const Split& split : splits) {
    SCOPED_TRACE(split.name);
    PackedBlocks blocks;
    std::vector<std::string> rows;
    std::vector<std::uint64_t> positions;
    std::vector<const char*> addresses;
    for (std::size_t k = 0; k < sizes.size(); ++k) {
      rows.push_back(std::string(sizes[k], static_cast<char>('a' + k)));
      if (!rows.back().empty()) {
        rows.back().front() = '<';
        rows.back().back() = '>';
      }
      const std::string_view row = rows.back();
      if (split.head_size == nullptr) {
        positions.push_back(blocks.Append(row));
      } else {
        const std::size_t head = split.head_size(row.size());
        positions.push_back(blocks.Append(row.substr(0, head), row.substr(head)));
      }
      addresses.push_back(blocks.From(positions.back()).data());
    }
    for (std::size_t k = 0; k < rows.size(); ++k) {
      SCOPED_TRACE(k);
      const std::string_view bytes = blocks.From(positions[k]);
      EXPECT_EQ(bytes.data(), addresses[k]);
      ASSERT_GE(bytes.size(), rows[k].size());
      EXPECT_EQ(bytes.substr(0, rows[k].size()), rows[k]);
      if (k > 0) {
        EXPECT_GE(positions[k], positions[k - 1] + rows[k - 1].size());
      }
    }
    EXPECT_GE(blocks.Size(), positions.back() + rows.back().size());
  }
}

}  // namespace
}  // namespace korvane
