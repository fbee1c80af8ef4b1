#include "db/recordset.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

Recordset People() {
  ResultSet set;
  set.columns = {{"id", ValueType::kInteger, "int"},
                 {"name", ValueType::kText, "varchar"},
                 {"born", ValueType::kDateTime, "datetime"}};
  set.rows = {
      {Value::Integer(1), Value::Text("Ann  "),
       Value::DateTime({1980, 5, 1, 0, 0, 0, 0, true, true})},
      {Value::Integer(2), Value::Text("O'Brien"), Value::Null()},
      {Value::Integer(3), Value::Text("Null"), Value::Null()},
      {Value::Integer(4), Value::Null(), Value::Null()},
      {Value::Integer(5), Value::Text("ann"), Value::Null()},
  };
  return Recordset(std::move(set));
}

std::vector<std::int64_t> Ids(Recordset rs) {
  std::vector<std::int64_t> ids;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
    ids.push_back(rs.Field("ID").AsInteger());
  return ids;
}

TEST(RecordsetTest, CursorMovesAndBounds) {
  Recordset rs = People();
  EXPECT_FALSE(rs.Bof());
  EXPECT_EQ(rs.RecordCount(), 5);
  EXPECT_EQ(rs.Field(0).AsInteger(), 1);
  rs.MoveLast();
  EXPECT_EQ(rs.Field("id").AsInteger(), 5);
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
  EXPECT_TRUE(rs.Field("id").is_null());  // no row: Null, never a crash
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
  rs.MoveFirst();
  rs.MovePrevious();
  EXPECT_TRUE(rs.Bof());
  EXPECT_EQ(rs.AbsolutePosition(), 0);
  EXPECT_EQ(rs.FieldIndex("NAME"), 1);
  EXPECT_EQ(rs.FieldIndex("missing"), -1);
  EXPECT_TRUE(rs.Field("missing").is_null());

  const Recordset empty{ResultSet{}};
  EXPECT_TRUE(empty.Bof());
  EXPECT_TRUE(empty.Eof());
  EXPECT_EQ(empty.RecordCount(), 0);
}

TEST(RecordsetTest, FindIgnoresCaseAndTrailingBlanksAndNeverMatchesNull) {
  Recordset rs = People();
  ASSERT_TRUE(rs.Find("name = 'ANN'"));
  EXPECT_EQ(rs.Field("id").AsInteger(), 1);
  rs.MoveNext();
  ASSERT_TRUE(rs.Find("name = 'ann'"));  // searches forward from the current row
  EXPECT_EQ(rs.Field("id").AsInteger(), 5);
  rs.MoveFirst();
  ASSERT_TRUE(rs.Find("[name] = 'o''brien'"));
  EXPECT_EQ(rs.Field("id").AsInteger(), 2);
  rs.MoveFirst();
  ASSERT_TRUE(rs.Find("name = 'Null'"));
  EXPECT_EQ(rs.Field("id").AsInteger(), 3);  // the text "Null", not the NULL field of row 4
  rs.MoveFirst();
  ASSERT_TRUE(rs.Find("id = 4.0"));
  EXPECT_EQ(rs.Field("id").AsInteger(), 4);
  rs.MoveFirst();
  ASSERT_TRUE(rs.Find("born = '1980-05-01'"));
  EXPECT_EQ(rs.Field("id").AsInteger(), 1);
  rs.MoveFirst();
  ASSERT_TRUE(rs.Find("name = 'nobody'"));
  EXPECT_TRUE(rs.Eof());
  rs.MoveFirst();
  EXPECT_FALSE(rs.Find("nosuch = 'x'"));
  EXPECT_FALSE(rs.Find("name = 'unterminated"));
  EXPECT_FALSE(rs.Find("name 'x'"));
  EXPECT_EQ(rs.Field("id").AsInteger(), 1);  // a criterion that cannot be read moves nothing
}

TEST(RecordsetTest, FilterOnACloneAndSharedDeletes) {
  Recordset rs = People();
  Recordset clone = rs.Clone();
  ASSERT_TRUE(clone.Filter("name = 'ann' AND id = 5"));
  EXPECT_EQ(Ids(clone), (std::vector<std::int64_t>{5}));
  EXPECT_EQ(rs.RecordCount(), 5);  // the original keeps every row
  ASSERT_TRUE(clone.Filter(""));
  EXPECT_EQ(clone.RecordCount(), 5);
  EXPECT_FALSE(clone.Filter("name = 'x' OR id = 1"));

  rs.MoveFirst();
  rs.MoveNext();  // row 2
  const auto bookmark = rs.CurrentBookmark();
  ASSERT_TRUE(bookmark.has_value());
  clone.MoveFirst();
  clone.MoveNext();
  ASSERT_TRUE(clone.Delete());
  EXPECT_EQ(clone.Field("id").AsInteger(), 3);  // the row after the deleted one
  EXPECT_EQ(Ids(rs), (std::vector<std::int64_t>{1, 3, 4, 5}));
  EXPECT_FALSE(rs.MoveToBookmark(*bookmark));
}

TEST(RecordsetTest, DeleteWhileAnotherCursorStandsOnTheRowMovesItOn) {
  Recordset rs = People();
  Recordset other = rs.Clone();
  other.MoveLast();
  rs.MoveLast();
  ASSERT_TRUE(rs.Delete());
  EXPECT_TRUE(rs.Eof());
  EXPECT_TRUE(other.Eof());
  EXPECT_EQ(other.RecordCount(), 4);
  rs.Close();
  EXPECT_FALSE(rs.IsOpen());
  EXPECT_TRUE(rs.Eof());
}

TEST(MatchRuleTest, KeysAgreeWithCriterionMatching) {
  struct Case {
    Value field;
    std::string criterion;
    bool matches;
  };
  const std::vector<Case> cases = {
      {Value::Text("abc  "), "ABC", true},
      {Value::Text("abc"), " abc", false},  // leading blanks count
      {Value::Text("é"), "É", true},        // letter case beyond ASCII folds too
      {Value::Text("Äpfel"), "äPFEL", true},
      {Value::Text("ς"), "Σ", true},
      {Value::Text("ıd"), "ID", false},  // the dotless ı has no simple folding
      {Value::Text("café"), "cafe", false},
      {Value::Integer(12), "12.0", true},
      {Value::Integer(12), "12.5", false},
      {Value::Integer(9007199254740993), "9007199254740992", false},  // beyond 2^53: exact
      {Value::Integer(9007199254740993), "9007199254740993.00", true},
      {Value::Decimal("0.10000000000000000001"), "0.1", false},
      {Value::Decimal("-0.000"), "0", true},
      {Value::Float(0.1), "0.10000000000000001", false},  // a float is the number it shows
      {Value::Float(1e20), "100000000000000000000", true},
      {Value::Decimal("12.3400"), "12.34", true},
      {Value::Float(0.5), ".5", true},
      {Value::Boolean(true), "1", true},
      {Value::Boolean(true), "True", true},
      {Value::Null(), "Null", false},
      {Value::Text("Null"), "null", true},
      {Value::DateTime({2024, 1, 2, 3, 4, 5, 0, true, true}), "2024-01-02 03:04:05", true},
      {Value::DateTime({2024, 1, 2, 3, 4, 5, 0, true, true}), "2024-01-02", false},
      {Value::Guid("AB-CD"), "ab-cd", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CriterionMatches(c.field, c.criterion), c.matches)
        << NullText(c.field) << " vs " << c.criterion;
  }
  EXPECT_EQ(MatchKey(Value::Text("ABC ")), MatchKey(Value::Text("abc")));
  EXPECT_EQ(MatchKey(Value::Integer(3)), MatchKey(Value::Decimal("3.00")));
  EXPECT_EQ(MatchKey(Value::Integer(3)), MatchKey(Value::Float(3.0)));
  EXPECT_NE(MatchKey(Value::Integer(9007199254740993)), MatchKey(Value::Integer(9007199254740992)));
  EXPECT_NE(MatchKey(Value::Integer(3)), MatchKey(Value::Text("3")));
  EXPECT_FALSE(MatchKey(Value::Null()).has_value());
  // Dates and times: equal exactly when every part is, a time alone being on 1900-01-01; years
  // and fractions beyond the usual widths stay apart from the usual ones.
  struct DatePair {
    DateTimeValue a;
    DateTimeValue b;
    bool equal;
  };
  const std::vector<DatePair> dates = {
      {{2024, 3, 7, 0, 0, 0, 0, true, false}, {2024, 3, 7, 0, 0, 0, 0, true, true}, true},
      {{2024, 3, 7, 8, 30, 0, 0, false, true}, {1900, 1, 1, 8, 30, 0, 0, true, true}, true},
      {{2024, 3, 7, 8, 30, 0, 1, true, true}, {2024, 3, 7, 8, 30, 0, 0, true, true}, false},
      {{2024, 3, 7, 8, 30, 0, 999999999, true, true}, {2024, 3, 7, 8, 30, 1, 0, true, true}, false},
      {{12345, 1, 2, 0, 0, 0, 0, true, true}, {1234, 5, 1, 2, 0, 0, 0, true, true}, false},
      {{12345, 1, 2, 0, 0, 0, 0, true, true}, {12345, 1, 2, 0, 0, 0, 0, true, true}, true},
      {{-1, 1, 1, 0, 0, 0, 0, true, true}, {1, 1, 1, 0, 0, 0, 0, true, true}, false},
      {{1, 1, 1, 0, 0, 0, 0, true, true}, {1, 1, 1, 0, 0, 0, 0, true, true}, true},
  };
  for (const DatePair& d : dates) {
    EXPECT_EQ(MatchKey(Value::DateTime(d.a)) == MatchKey(Value::DateTime(d.b)), d.equal)
        << NullText(Value::DateTime(d.a)) << " vs " << NullText(Value::DateTime(d.b));
  }
}

}  // namespace
}  // namespace korvane
