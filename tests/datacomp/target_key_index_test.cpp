#include "datacomp/target_key_index.h"

#include <gtest/gtest.h>

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

// The Target rows each Source record is paired with, in Source order ("-" not found, "!" error).
std::string Pairing(Recordset source, Recordset target, std::array<std::string, 3> source_keys,
                    std::array<std::string, 3> target_keys,
                    TargetKeyIndex::KeyHash key_hash = &TargetKeyIndex::StandardKeyHash) {
  TargetKeyIndex index(source, target, source_keys, target_keys, key_hash);
  std::string pairing;
  for (source.MoveFirst(); !source.Eof(); source.MoveNext()) {
    const TargetKeyIndex::Match match = index.FindMatchingRecord(source);
    pairing += match.outcome == Outcome::kFound      ? std::to_string(match.row)
               : match.outcome == Outcome::kNotFound ? "-"
                                                     : "!";
  }
  return pairing;
}

const std::array<std::string, 3> kOneKey = {"K", "No Field", "No Field"};

TEST(TargetKeyIndexTest, DuplicateKeysArePairedInTargetOrderAndUsedOnce) {
  const Recordset source(Rows(
      {"K"}, {{Value::Integer(1)}, {Value::Integer(1)}, {Value::Integer(1)}, {Value::Integer(2)}}));
  const Recordset target(
      Rows({"K"}, {{Value::Integer(2)}, {Value::Integer(1)}, {Value::Integer(1)}}));
  EXPECT_EQ(Pairing(source, target, kOneKey, kOneKey), "12-0");
}

TEST(TargetKeyIndexTest, NullTargetKeysNeverMatchAndNullSourceKeysSearchTheTextNull) {
  const Recordset source(Rows({"K"}, {{Value::Null()}, {Value::Null()}}));
  const Recordset target(Rows({"K"}, {{Value::Null()}, {Value::Text("NULL  ")}}));
  EXPECT_EQ(Pairing(source, target, kOneKey, kOneKey), "1-");
}

TEST(TargetKeyIndexTest, AColumnOfMixedKindsMatchesEachValueByItsOwnRule) {
  const Recordset source(Rows({"K"}, {{Value::Text("1.0")},
                                      {Value::Text("true")},
                                      {Value::Text("2024-03-07")},
                                      {Value::Text("ABC ")}}));
  const Recordset target(Rows({"K"}, {{Value::Text("abc")},
                                      {Value::Boolean(true)},
                                      {Value::DateTime({2024, 3, 7, 0, 0, 0, 0, true, false})},
                                      {Value::Integer(1)},
                                      {Value::Text("1.0")}}));
  // "1.0" reads as the number 1, which the bit True equals, and row 1 comes first; "true" then
  // finds no other bit (the number 1 and the text "1.0" do not match it).
  EXPECT_EQ(Pairing(source, target, kOneKey, kOneKey), "1-20");
}

// Whole-number and text keys take a shorter road to their hash keys; these pin that it pairs
// exactly as the general matching rule does.
TEST(TargetKeyIndexTest, TextKeysIgnoreLetterCaseAndTrailingBlanksButNotLeadingOnes) {
  const Recordset source(Rows({"K"}, {{Value::Text("ABC")},
                                      {Value::Text(" abc")},
                                      {Value::Text("abc  ")},
                                      {Value::Text("")},
                                      {Value::Text("Ünï")},
                                      {Value::Text("x")}}));
  const Recordset target(Rows({"K"}, {{Value::Text("abc ")},
                                      {Value::Text("   ")},
                                      {Value::Text(" ABC")},
                                      {Value::Text("Abc")},
                                      {Value::Text("ünï")},
                                      {Value::Text("Ünï")},
                                      {Value::Null()}}));
  // "Ünï" finds "ünï" first; an empty text matches blanks; "x" finds nothing.
  EXPECT_EQ(Pairing(source, target, kOneKey, kOneKey), "02314-");
}

TEST(TargetKeyIndexTest, KeyLetterCaseBeyondAsciiPairsAsTheServerCompares) {
  const Recordset source(Rows({"K"}, {{Value::Text("Äpfel")},
                                      {Value::Text("ΣΟΦΊΑ")},
                                      {Value::Text("σοφίας")},
                                      {Value::Text("ЖУК")},
                                      {Value::Text("Łukasz")},
                                      {Value::Text("ıris")},
                                      {Value::Text("İris")}}));
  const Recordset target(Rows({"K"}, {{Value::Text("iris")},
                                      {Value::Text("жук")},
                                      {Value::Text("äpfel")},
                                      {Value::Text("ŁUKASZ")},
                                      {Value::Text("ΣΟΦΊΑΣ")},
                                      {Value::Text("σοφία")}}));
  // Σ, σ and final ς fold alike; the dotless ı and the dotted İ are no i.
  EXPECT_EQ(Pairing(source, target, kOneKey, kOneKey), "25413--");
}

TEST(TargetKeyIndexTest, BigintKeysBeyondTwoToThe53rdPairWithThemselvesOnly) {
  const std::int64_t big = std::int64_t{1} << 53;
  const Recordset source(Rows({"K"}, {{Value::Integer(big + 1)},
                                      {Value::Integer(big)},
                                      {Value::Integer(INT64_MAX)},
                                      {Value::Integer(INT64_MAX - 1)},
                                      {Value::Integer(-big - 1)}}));
  const Recordset target(Rows({"K"}, {{Value::Integer(big)},
                                      {Value::Integer(INT64_MAX - 1)},
                                      {Value::Integer(-big - 1)},
                                      {Value::Integer(big + 1)},
                                      {Value::Integer(INT64_MAX)},
                                      {Value::Integer(-big)}}));
  EXPECT_EQ(Pairing(source, target, kOneKey, kOneKey), "30412");
}

TEST(TargetKeyIndexTest, NumbersOfDifferentTypesPairByExactValue) {
  const Recordset source(Rows({"K"}, {{Value::Decimal("12345678901234567890.123456789")},
                                      {Value::Integer(9007199254740993)},
                                      {Value::Decimal("2.50")},
                                      {Value::Float(0.1)},
                                      {Value::Text("7")}}));
  const Recordset target(Rows({"K"}, {{Value::Decimal("12345678901234567890.123456788")},
                                      {Value::Decimal("9007199254740993.000")},
                                      {Value::Float(9007199254740992.0)},
                                      {Value::Float(2.5)},
                                      {Value::Decimal("0.1000")},
                                      {Value::Decimal("12345678901234567890.1234567890")},
                                      {Value::Integer(7)}}));
  EXPECT_EQ(Pairing(source, target, kOneKey, kOneKey), "51346");
}

TEST(TargetKeyIndexTest, LongKeysDifferingOnlyAtTheEndAreKeptApart) {
  const std::string stem(40, 'k');
  const Recordset source(Rows({"K"}, {{Value::Text(stem + "B")},
                                      {Value::Text(stem + "a  ")},
                                      {Value::Integer(123456789012345)},
                                      {Value::Text(stem)}}));
  const Recordset target(Rows({"K"}, {{Value::Text(stem + "A")},
                                      {Value::Text(stem + "b")},
                                      {Value::Integer(123456789012345)},
                                      {Value::Text(stem + "c")}}));
  EXPECT_EQ(Pairing(source, target, kOneKey, kOneKey), "102-");
}

TEST(TargetKeyIndexTest, WholeNumberKeysMatchByValueWhateverTheirKind) {
  const Recordset source(Rows({"K"}, {{Value::Integer(-7)},
                                      {Value::Integer(12)},
                                      {Value::Integer(0)},
                                      {Value::Integer(3)},
                                      {Value::Integer(9007199254740993)},
                                      {Value::Integer(5)}}));
  const Recordset target(Rows({"K"}, {{Value::Decimal("12.000")},
                                      {Value::Float(-7.0)},
                                      {Value::Float(-0.0)},
                                      {Value::Integer(9007199254740993)},
                                      {Value::Integer(3)},
                                      {Value::Decimal("5.5")}}));
  // Beyond 2^53 a whole number goes through the general rule, and still finds its equal.
  EXPECT_EQ(Pairing(source, target, kOneKey, kOneKey), "10243-");
}

TEST(TargetKeyIndexTest, NumbersAndTextsAgainstAColumnOfTheOtherKind) {
  // A whole number searching a text column matches its digits as a text; a text searching a
  // number column matches when it reads as that number.
  const Recordset source(
      Rows({"K"}, {{Value::Integer(42)}, {Value::Text(" 7.0 ")}, {Value::Integer(8)}}));
  const Recordset texts(Rows({"K"}, {{Value::Text("042")}, {Value::Text("42  ")}}));
  const Recordset numbers(Rows({"K"}, {{Value::Integer(8)}, {Value::Integer(7)}}));
  EXPECT_EQ(Pairing(source, texts, kOneKey, kOneKey), "1--");
  EXPECT_EQ(Pairing(source, numbers, kOneKey, kOneKey), "-10");
}

TEST(TargetKeyIndexTest, SeveralKeysMustAllMatch) {
  const Recordset source(
      Rows({"A", "B", "C"}, {{Value::Integer(1), Value::Text("x"), Value::Integer(7)},
                             {Value::Integer(1), Value::Text("y"), Value::Integer(7)},
                             {Value::Integer(1), Value::Text("x"), Value::Integer(8)}}));
  const Recordset target(
      Rows({"A", "B", "C"}, {{Value::Integer(1), Value::Text("X"), Value::Integer(8)},
                             {Value::Integer(1), Value::Text("x"), Value::Integer(7)},
                             {Value::Integer(2), Value::Text("y"), Value::Integer(7)}}));
  EXPECT_EQ(Pairing(source, target, {"A", "B", "C"}, {"A", "B", "C"}), "1-0");
  // Without the tertiary key the first record takes the first row with A and B equal.
  EXPECT_EQ(Pairing(source, target, {"A", "B", "No Field"}, {"A", "B", "C"}), "0-1");
}

TEST(TargetKeyIndexTest, SourceKeyNamesAreExactElseTheFirstField) {
  const Recordset source(Rows({"ID", "Code"}, {{Value::Integer(5), Value::Text("a")}}));
  const Recordset target(Rows({"Code"}, {{Value::Text("5")}, {Value::Text("A")}}));
  EXPECT_EQ(
      Pairing(source, target, {"code", "No Field", "No Field"}, {"Code", "No Field", "No Field"}),
      "0");
  EXPECT_EQ(
      Pairing(source, target, {"Code", "No Field", "No Field"}, {"code", "No Field", "No Field"}),
      "1");
}

TEST(TargetKeyIndexTest, TargetKeysACriterionCannotNameMakeEverySearchFail) {
  const Recordset source(Rows({"K"}, {{Value::Integer(1)}}));
  const Recordset target(Rows({"K", "Order ID"}, {{Value::Integer(1), Value::Integer(1)}}));
  EXPECT_EQ(Pairing(source, target, kOneKey, {"No Field", "No Field", "No Field"}), "!");
  EXPECT_EQ(Pairing(source, target, kOneKey, {"Missing", "No Field", "No Field"}), "!");
  EXPECT_EQ(Pairing(source, target, kOneKey, {"Order ID", "No Field", "No Field"}), "!");
  EXPECT_EQ(Pairing(source, target, kOneKey, {"[Order ID]", "No Field", "No Field"}), "0");
  EXPECT_EQ(Pairing(source, target, {"K", "K", "K"}, {"K", "K", ""}), "!");
}

TEST(TargetKeyIndexTest, TheTargetIsNeverChanged) {
  const Recordset source(Rows({"K"}, {{Value::Integer(1)}, {Value::Integer(2)}}));
  Recordset target(Rows({"K"}, {{Value::Integer(2)}, {Value::Integer(1)}}));
  TargetKeyIndex index(source, target, kOneKey, kOneKey);
  Recordset walk = source;
  for (walk.MoveFirst(); !walk.Eof(); walk.MoveNext())
    index.FindMatchingRecord(walk);
  EXPECT_EQ(index.MatchedCount(), 2u);
  EXPECT_TRUE(index.IsMatched(0));
  EXPECT_EQ(target.RecordCount(), 2);
  EXPECT_EQ(index.TargetField(1, 0), Value::Integer(1));
}

TEST(TargetKeyIndexTest, ReadTargetWithoutASearchListsEveryRowUnmatched) {
  const Recordset source(Rows({"K"}, {}));
  Recordset target(Rows(
      {"K", "V"}, {{Value::Integer(1), Value::Text("a")}, {Value::Integer(2), Value::Text("b")}}));
  TargetKeyIndex index(source, target, kOneKey, {"No Field", "", ""});
  index.ReadTarget();
  EXPECT_EQ(index.TargetRowCount(), 2u);
  EXPECT_EQ(index.TargetFieldCount(), 2);
  EXPECT_FALSE(index.IsMatched(1));
  EXPECT_EQ(index.TargetField(1, 1), Value::Text("b"));
}

// Hashes that make distinct keys collide: on the slot and the tag alike, on the tag only, and
// on the slot only. The index must confirm every equal hash against the key bytes.
std::uint64_t OneHashForAll(std::string_view) {
  return 0x1234567800000005u;
}
std::uint64_t SameTagOtherSlots(std::string_view key) {
  return 0xABCD000000000000u | key.size();
}
std::uint64_t SameSlotOtherTags(std::string_view key) {
  return static_cast<std::uint64_t>(key.empty() ? 0 : key.back()) << 32;
}

TEST(TargetKeyIndexTest, CollidingHashesPairExactlyAsDistinctOnes) {
  // Duplicates, NULLs, letter case, numbers of several kinds and keys longer than a slot holds.
  const std::string long_key(40, 'k');
  const Recordset source(Rows({"K", "K2"}, {{Value::Integer(1), Value::Text("a")},
                                            {Value::Text("X"), Value::Text("b")},
                                            {Value::Integer(1), Value::Text("a")},
                                            {Value::Text(long_key + "1"), Value::Null()},
                                            {Value::Null(), Value::Text("a")},
                                            {Value::Decimal("2.0"), Value::Text("B ")},
                                            {Value::Text(long_key + "2"), Value::Text("c")},
                                            {Value::Integer(7), Value::Text("a")}}));
  const Recordset target(Rows({"K", "K2"}, {{Value::Text(long_key + "2"), Value::Text("C")},
                                            {Value::Integer(1), Value::Text("A")},
                                            {Value::Text("x "), Value::Text("b")},
                                            {Value::Integer(2), Value::Text("b")},
                                            {Value::Null(), Value::Text("a")},
                                            {Value::Integer(1), Value::Text("a")},
                                            {Value::Text(long_key + "1"), Value::Text("Null")}}));
  const std::array<std::string, 3> two_keys = {"K", "K2", "No Field"};
  struct Case {
    const char* name;
    std::array<std::string, 3> keys;
  };
  for (const Case& c : {Case{"one key", kOneKey}, Case{"two keys", two_keys}}) {
    const std::string expected = Pairing(source, target, c.keys, c.keys);
    for (const TargetKeyIndex::KeyHash hash :
         {&OneHashForAll, &SameTagOtherSlots, &SameSlotOtherTags}) {
      EXPECT_EQ(Pairing(source, target, c.keys, c.keys, hash), expected) << c.name;
    }
  }
  // What the standard hash gives, so the comparison above compares real pairings.
  EXPECT_EQ(Pairing(source, target, two_keys, two_keys), "1256-30-");
}

}  // namespace
}  // namespace korvane
