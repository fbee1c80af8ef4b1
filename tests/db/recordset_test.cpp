#include "db/recordset.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

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

// The criterion date reader as it was first written, wholly with sscanf: the oracle for the
// reader that takes the usual forms without scanning.
std::optional<DateTimeValue> ScannedCriterionDateTime(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  const std::size_t last = text.find_last_not_of(' ');
  const std::string s = first == std::string_view::npos
                            ? std::string()
                            : std::string(text.substr(first, last - first + 1));
  DateTimeValue v;
  int consumed = 0;
  double seconds = 0;
  if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &v.year, &v.month, &v.day, &consumed) == 3) {
    v.has_time = false;
    const std::string rest = s.substr(static_cast<std::size_t>(consumed));
    if (!rest.empty()) {
      if (rest[0] != ' ' && rest[0] != 'T')
        return std::nullopt;
      int used = 0;
      if (std::sscanf(rest.c_str() + 1, "%2d:%2d:%lf%n", &v.hour, &v.minute, &seconds, &used) !=
              3 ||
          static_cast<std::size_t>(used) + 1 != rest.size())
        return std::nullopt;
      v.has_time = true;
    }
  } else if (std::sscanf(s.c_str(), "%2d:%2d:%lf%n", &v.hour, &v.minute, &seconds, &consumed) ==
                 3 &&
             static_cast<std::size_t>(consumed) == s.size()) {
    v.has_date = false;
  } else {
    return std::nullopt;
  }
  v.second = static_cast<int>(seconds);
  v.nanosecond = static_cast<int>(std::llround((seconds - v.second) * 1e9));
  return v;
}

std::string Describe(const std::optional<DateTimeValue>& v) {
  if (!v)
    return "none";
  char text[128];
  std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d.%d date=%d time=%d", v->year, v->month,
                v->day, v->hour, v->minute, v->second, v->nanosecond, v->has_date, v->has_time);
  return text;
}

TEST(ParseCriterionDateTimeTest, ReadsEveryFormAsTheScanningReaderDoes) {
  // The usual forms, and the near misses that must still go the scanning way (signs, blanks,
  // short fields, exponents, a bare point, something after the end).
  const std::vector<std::string> texts = {
      "2024-03-07",
      "2024-03-07 14:05:09",
      "2024-03-07T14:05:09",
      "  2024-03-07 14:05:09.123  ",
      "2024-03-07 14:05:09.1234567891234",
      "2024-03-07 23:59:59.9999999999",
      "14:05:09",
      "14:05:09.5",
      "00:00:00.000",
      "99:99:99",
      "0000-00-00",
      "9999-99-99 99:99:99.999",
      "2024-3-7",
      "24-03-07",
      "2024-03-07 4:05:09",
      "2024-03-07 14:5:9",
      "2024-03-07  14:05:09",
      "2024-03-07 14:05:09.",
      "2024-03-07 14:05:09e1",
      "2024-03-07 14:05:9.5",
      "2024-03-07 14:05:+9",
      "2024-03-07 14:05",
      "2024-03-07 14:05:09 ",
      "2024-03-07x",
      "2024-03-07 14:05:09x",
      "+2024-03-07",
      "-2024-03-07",
      "2024-+3-07",
      "2024- 3-07",
      "20245-03-07",
      "14:05:09.5.5",
      "14:05",
      "4:05:09",
      "14:05:09 x",
      "",
      " ",
      "T14:05:09",
      "2024-03-07\t14:05:09",
      "0x10:05:09",
      "2024-03-07 14:05:0x1p3",
      "2024-03-07 14:05:inf",
  };
  for (const std::string& text : texts) {
    EXPECT_EQ(Describe(ParseCriterionDateTime(text)), Describe(ScannedCriterionDateTime(text)))
        << "'" << text << "'";
  }
  // Random texts built of the characters dates are made of, most of them close to a usual form.
  std::mt19937 random(20240307);
  const std::string alphabet = "0123456789-: T.+e";
  const std::vector<std::string> shapes = {"dddd-dd-dd", "dddd-dd-dd dd:dd:dd", "dd:dd:dd",
                                           "dddd-dd-ddTdd:dd:dd.ddd", "dd:dd:dd.ddddddddd"};
  for (int round = 0; round < 20000; ++round) {
    std::string text = shapes[random() % shapes.size()];
    for (char& c : text)
      if (c == 'd')
        c = static_cast<char>('0' + random() % 10);
    for (int edits = static_cast<int>(random() % 3); edits > 0; --edits) {
      const std::size_t at = random() % (text.size() + 1);
      const char c = alphabet[random() % alphabet.size()];
      switch (random() % 3) {
        case 0:
          text.insert(at, 1, c);
          break;
        case 1:
          if (at < text.size())
            text.erase(at, 1);
          break;
        default:
          if (at < text.size())
            text[at] = c;
          break;
      }
    }
    ASSERT_EQ(Describe(ParseCriterionDateTime(text)), Describe(ScannedCriterionDateTime(text)))
        << "'" << text << "'";
  }
}

}  // namespace
}  // namespace korvane
