#include "datacomp/compared_row.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/text.h"
#include "datacomp/criterion_key.h"
#include "datacomp/target_key_index.h"

namespace korvane {
namespace {

ResultSet OneRow(std::vector<Value> values) {
  ResultSet rows;
  for (std::size_t k = 0; k < values.size(); ++k)
    rows.columns.push_back({"C" + std::to_string(k), values[k].type(), "sql_variant"});
  rows.rows.push_back(std::move(values));
  return rows;
}

// The row prepared as the reader thread would, read back.
struct Prepared {
  std::string bytes;
  ComparedRow row;
};

Prepared Prepare(const ResultSet& rows, const ComparedRowLayout& layout) {
  MaterialisedRowCursor cursor(rows);
  EXPECT_TRUE(cursor.Next());
  Prepared prepared;
  ComparedRowPreparer preparer(layout);
  prepared.bytes = "earlier row";  // a row is appended behind what the buffer holds
  preparer.Prepare(cursor, prepared.bytes);
  prepared.row = ComparedRow::Parse(std::string_view(prepared.bytes).substr(11));
  return prepared;
}

ComparedRowLayout KeyLayout(std::vector<int> key_fields) {
  ComparedRowLayout layout;
  layout.key_fields = std::move(key_fields);
  layout.key_hash = &TargetKeyIndex::StandardKeyHash;
  return layout;
}

Value LongText(std::size_t size) {
  std::string text(size, 'x');
  text.back() = 'y';
  return Value::Text(text);
}

std::vector<std::string> NullTexts(const std::vector<Value>& values) {
  std::vector<std::string> texts;
  for (const Value& value : values)
    texts.push_back(NullText(value));
  return texts;
}

// The texts of the fields a form holds.
std::vector<std::string> FormTexts(std::string_view form) {
  std::vector<FieldView> fields;
  ReadRowForm(form, fields);
  std::vector<std::string> texts;
  for (const FieldView& field : fields)
    AppendNullText(field, texts.emplace_back());
  return texts;
}

// The form holds every field of the row, however long, whichever fields make the key, and
// gives back each field's NullText.
TEST(ComparedRowTest, FormHoldsEveryFieldOfTheRow) {
  const DateTimeValue at{2024, 2, 29, 13, 0, 0, 0, true, true};
  const std::vector<Value> values = {
      Value::Integer(-42),     Value::Text("  padded  "),
      Value::Null(),           Value::Float(-0.0),
      Value::Decimal("12.50"), Value::DateTime(at),
      Value::Binary({0, 255}), Value::Boolean(true),
      Value::Text(""),         LongText(127),
      LongText(128),           LongText(20000),
  };
  const ResultSet rows = OneRow(values);
  const std::vector<std::string> texts = NullTexts(values);
  for (const std::vector<int>& key_fields :
       std::vector<std::vector<int>>{{}, {0}, {1, 0}, {5}, {3}}) {
    SCOPED_TRACE("key fields " + std::to_string(key_fields.size()));
    const Prepared prepared = Prepare(rows, KeyLayout(key_fields));
    EXPECT_EQ(FormTexts(prepared.row.form), texts);
    std::vector<FieldView> fields;
    ReadRowForm(prepared.row.form, fields);
    ASSERT_EQ(fields.size(), values.size());
    for (std::size_t k = 0; k < values.size(); ++k)
      EXPECT_EQ(fields[k].type, values[k].type()) << "field " << k;
  }
}

// A cursor over rows of views given as they are, so a test can hand dates over with their text
// beside them, as the embedded reader does.
class ViewCursor final : public RowCursor {
 public:
  ViewCursor(std::size_t fields, std::vector<std::vector<FieldView>> rows)
      : rows_(std::move(rows)) {
    for (std::size_t k = 0; k < fields; ++k)
      columns_.push_back({"C" + std::to_string(k), ValueType::kText, "sql_variant"});
  }
  const std::vector<ColumnInfo>& Columns() const override { return columns_; }
  bool Next() override { return ++row_ <= rows_.size(); }
  FieldView Field(int index) const override {
    return rows_[row_ - 1][static_cast<std::size_t>(index)];
  }
  const std::vector<ServerMessage>& Errors() const override { return errors_; }

 private:
  std::vector<ColumnInfo> columns_;
  std::vector<std::vector<FieldView>> rows_;
  std::size_t row_ = 0;
  std::vector<ServerMessage> errors_;
};

// Rows of every kind of field, dates of every form, read by one preparer after another: dates
// whose text is handed over prepare to the very bytes of dates written from their fields, and a
// row never keeps anything of the rows before it.
TEST(ComparedRowTest, DatesHandedOverWithTheirTextPrepareAsDatesWrittenFromTheirFields) {
  std::mt19937 random(2026);
  const auto draw = [&](int below) {
    return static_cast<int>(random() % static_cast<unsigned>(below));
  };
  constexpr std::size_t kFields = 6;
  std::vector<std::vector<Value>> values;
  for (int n = 0; n < 400; ++n) {
    std::vector<Value> row;
    for (std::size_t k = 0; k < kFields; ++k) {
      switch (draw(8)) {
        case 0:
          row.push_back(Value::Null());
          break;
        case 1:
          row.push_back(Value::Text(std::string(static_cast<std::size_t>(draw(3)), ' ') + "a b" +
                                    std::string(static_cast<std::size_t>(draw(3)), ' ')));
          break;
        case 2:
          row.push_back(Value::Text(std::string(static_cast<std::size_t>(draw(3) * 40), 'x')));
          break;
        case 3:
          row.push_back(Value::Integer(draw(2000000) - 1000000));
          break;
        default: {
          // Years of one to four digits, with and without milliseconds, and now and then a
          // date or a time alone.
          DateTimeValue moment{draw(3) == 0 ? draw(1000) : 1753 + draw(8247),
                               1 + draw(12),
                               1 + draw(28),
                               draw(24),
                               draw(60),
                               draw(60),
                               draw(2) == 0 ? 0 : draw(1000) * 1000000,
                               draw(6) != 0,
                               true};
          moment.has_time = !moment.has_date || draw(6) != 0;
          row.push_back(Value::DateTime(moment));
          break;
        }
      }
    }
    values.push_back(std::move(row));
  }
  // The texts of the handed-over dates are kept here, where the reader would keep its row.
  std::vector<std::vector<std::string>> kept(values.size());
  std::vector<std::vector<FieldView>> plain;
  std::vector<std::vector<FieldView>> handed_over;
  int dates_handed_over = 0;
  for (std::size_t r = 0; r < values.size(); ++r) {
    plain.emplace_back();
    handed_over.emplace_back();
    kept[r].reserve(kFields);
    for (const Value& value : values[r]) {
      plain.back().push_back(ViewOf(value));
      FieldView view = ViewOf(value);
      if (value.type() == ValueType::kDateTime && value.AsDateTime().has_date &&
          value.AsDateTime().has_time) {
        view.bytes = kept[r].emplace_back(NullText(value));
        ++dates_handed_over;
      }
      handed_over.back().push_back(view);
    }
  }
  EXPECT_GT(dates_handed_over, 500);
  {
    const ComparedRowLayout layout = KeyLayout({0});
    ComparedRowPreparer from_fields(layout);
    ComparedRowPreparer from_texts(layout);
    ViewCursor plain_rows(kFields, plain);
    ViewCursor handed_over_rows(kFields, handed_over);
    for (std::size_t r = 0; r < values.size(); ++r) {
      SCOPED_TRACE("row " + std::to_string(r));
      ASSERT_TRUE(plain_rows.Next());
      ASSERT_TRUE(handed_over_rows.Next());
      std::string expected;
      std::string prepared;
      from_fields.Prepare(plain_rows, expected);
      from_texts.Prepare(handed_over_rows, prepared);
      ASSERT_EQ(prepared, expected);
      // And each row as a preparer of its own makes it.
      EXPECT_EQ(Prepare(OneRow(values[r]), layout).bytes, "earlier row" + expected);
      EXPECT_EQ(FormTexts(ComparedRow::Parse(prepared).form), NullTexts(values[r]));
    }
  }
}

struct KeyCase {
  std::string name;
  std::vector<Value> values;
  std::vector<int> key_fields;
  PreparedKey state;
  std::size_t classes;  // components read
};

// A date of 7 March at 5 minutes 9 seconds past the hour.
Value Stamp(int year, int hour, int nanosecond, bool has_date, bool has_time) {
  return Value::DateTime({year, 3, 7, hour, 5, 9, nanosecond, has_date, has_time});
}

// The reader hands the preparer the fields it has just read: those are the ones prepared, not
// the row's current ones read again; fields that do not match the row's columns in number are
// not trusted, and the row is read instead.
TEST(ComparedRowTest, FieldsHandedOverArePreparedInsteadOfTheRowsOwn) {
  ResultSet rows;
  for (const char* name : {"ID", "Name", "Price", "Stamp"})
    rows.columns.push_back({name, ValueType::kText, "sql_variant"});
  rows.rows.push_back({Value::Integer(7), Value::Text("seven  "), Value::Float(1.25),
                       Stamp(2024, 14, 0, true, true)});
  rows.rows.push_back({Value::Integer(-8), Value::Null(), Value::Decimal("8.50"),
                       Stamp(1999, 1, 5000000, true, true)});
  struct LayoutCase {
    std::string name;
    std::vector<int> key_fields;
  };
  const std::vector<LayoutCase> cases = {
      {"key of one", {0}},
      {"key of two", {3, 0}},
      {"no key", {}},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ComparedRowLayout layout = KeyLayout(c.key_fields);
    // Each row on its own, as Prepare reads it.
    std::vector<std::string> expected(2);
    MaterialisedRowCursor each(rows);
    for (std::string& bytes : expected) {
      ASSERT_TRUE(each.Next());
      ComparedRowPreparer(layout).Prepare(each, bytes);
    }
    ASSERT_NE(expected[0], expected[1]);

    MaterialisedRowCursor cursor(rows);
    ASSERT_TRUE(cursor.Next());
    std::vector<FieldView> first(rows.columns.size());
    cursor.Fields(first);
    ASSERT_TRUE(cursor.Next());
    std::vector<FieldView> second(rows.columns.size());
    cursor.Fields(second);
    // The cursor stands on the second row; one preparer serves every call, as on the reader.
    ComparedRowPreparer preparer(layout);
    std::string prepared;
    preparer.PrepareRead(cursor, second, prepared);
    EXPECT_EQ(prepared, expected[1]);
    prepared.clear();
    preparer.PrepareRead(cursor, first, prepared);
    EXPECT_EQ(prepared, expected[0]) << "the fields given, not the row's own";
    prepared.clear();
    preparer.PrepareRead(cursor, std::span<const FieldView>(first).first(2), prepared);
    EXPECT_EQ(prepared, expected[1]) << "too few fields: the row is read";
  }
}

// Whole numbers, texts, and dates whose text reads back as the same date give the key
// FieldMatchKey gives (several behind their sizes) and its hash; a NULL stops the key; any other
// kind, or a field the row lacks, is left to the fields.
TEST(ComparedRowTest, KeyIsPreparedForWholeNumbersTextsAndDatesThatReadBack) {
  constexpr PreparedKey kReady = PreparedKey::kReady;
  constexpr PreparedKey kFromFields = PreparedKey::kFromFields;
  const std::vector<KeyCase> cases = {
      {"date and time", {Stamp(2024, 14, 0, true, true)}, {0}, kReady, 1},
      {"milliseconds", {Stamp(2024, 14, 123000000, true, true)}, {0}, kReady, 1},
      {"nanoseconds", {Stamp(2024, 14, 1, true, true)}, {0}, kReady, 1},
      {"date alone", {Value::DateTime({2024, 3, 7, 0, 0, 0, 0, true, false})}, {0}, kReady, 1},
      {"time alone", {Stamp(2024, 14, 5, false, true)}, {0}, kReady, 1},
      {"int, text and date",
       {Value::Integer(4), Value::Text("a"), Stamp(2024, 14, 0, true, true)},
       {0, 1, 2},
       kReady,
       3},
      {"date alone, with an hour its text leaves out",
       {Stamp(2024, 14, 0, true, false)},
       {0},
       kFromFields,
       0},
      {"year of five digits", {Stamp(12345, 14, 0, true, true)}, {0}, kFromFields, 0},
      {"neither date nor time",
       {Value::Text("a"), Stamp(2024, 14, 0, false, false)},
       {0, 1},
       kFromFields,
       1},
      {"whole number", {Value::Integer(7), Value::Text("a")}, {0}, kReady, 1},
      {"text, case and trailing blanks",
       {Value::Text(" \xC3\x84"
                    "bC  ")},
       {0},
       kReady,
       1},
      {"three components",
       {Value::Text("x"), Value::Integer(-3), Value::Text("Y")},
       {2, 1, 0},
       kReady,
       3},
      {"no key", {Value::Integer(1)}, {}, kReady, 0},
      {"NULL first", {Value::Null(), Value::Integer(1)}, {0, 1}, PreparedKey::kNull, 0},
      {"NULL second", {Value::Integer(1), Value::Null()}, {0, 1}, PreparedKey::kNull, 1},
      {"decimal", {Value::Decimal("1.0")}, {0}, kFromFields, 0},
      {"float after a text", {Value::Text("a"), Value::Float(1)}, {0, 1}, kFromFields, 1},
      {"bit", {Value::Boolean(false)}, {0}, kFromFields, 0},
      {"field beyond the row", {Value::Integer(1)}, {1}, kFromFields, 0},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Prepared prepared = Prepare(OneRow(c.values), KeyLayout(c.key_fields));
    EXPECT_EQ(prepared.row.key_state, c.state);
    ASSERT_EQ(prepared.row.classes.size(), c.classes);
    for (std::size_t k = 0; k < c.classes; ++k) {
      EXPECT_EQ(static_cast<std::uint8_t>(prepared.row.classes[k]),
                MatchClassOf(c.values[static_cast<std::size_t>(c.key_fields[k])]));
    }
    if (c.state != PreparedKey::kReady || c.key_fields.empty()) {
      EXPECT_TRUE(prepared.row.key.empty());
      continue;
    }
    std::string key;
    for (const int field : c.key_fields) {
      const Value& value = c.values[static_cast<std::size_t>(field)];
      const std::string part = *FieldMatchKey(value);
      // A date's key is also the one key its text has as a criterion among dates.
      if (value.type() == ValueType::kDateTime) {
        EXPECT_EQ(CriterionMatchKeys(NullText(value), kMatchDate), std::vector<std::string>{part});
      }
      if (c.key_fields.size() == 1)
        key = part;
      else
        AppendKeyPart(key, part);
    }
    EXPECT_EQ(prepared.row.key, key);
    EXPECT_EQ(prepared.row.key_hash, TargetKeyIndex::StandardKeyHash(key));
  }
}

// The date key is taken exactly when the date's text, as a criterion among dates, has that one
// key: over dates within and beyond the usual widths, with and without fractions.
TEST(ComparedRowTest, WriteDateKeyAgreesWithTheDatesTextAsACriterion) {
  std::mt19937 random(7);
  const auto pick = [&](std::vector<int> values) { return values[random() % values.size()]; };
  std::string key;
  std::string scratch;
  int taken = 0;
  for (int round = 0; round < 20000; ++round) {
    DateTimeValue v{pick({2024, 0, 9999, 10000, -1, 1900}),
                    pick({3, 0, 12, 99, 100, -1}),
                    pick({7, 0, 31, 99, 100}),
                    pick({0, 14, 23, 99, 100, -1}),
                    pick({0, 5, 59, 99, 100}),
                    pick({0, 9, 59, 99, 100, -1}),
                    pick({0, 0, 0, 1, 123000000, 500000000, 999999999, 1230, 1000000000, -1}),
                    random() % 5 != 0,
                    random() % 5 != 0};
    const Value value = Value::DateTime(v);
    const std::string field_key = *FieldMatchKey(value);
    const bool reads_back =
        CriterionMatchKeys(NullText(value), kMatchDate) == std::vector<std::string>{field_key};
    SCOPED_TRACE(NullText(value));
    ASSERT_EQ(WriteDateKey(v, key, scratch), reads_back);
    if (reads_back) {
      ASSERT_EQ(key, field_key);
      ++taken;
    }
  }
  EXPECT_GT(taken, 3000);  // the usual dates take the quick way
}

// Sizes of every width round trip through their 7-bit bytes, one after another.
TEST(ComparedRowTest, PackedLengthsComeBackInOrder) {
  const std::vector<std::size_t> sizes = {0,      1,       0x7F,        0x80,         0x3FFF,
                                          0x4000, 1000000, 0xFFFFFFFFu, SIZE_MAX / 3, SIZE_MAX};
  std::string packed;
  for (const std::size_t size : sizes)
    AppendPackedLength(packed, size);
  std::size_t at = 0;
  for (const std::size_t size : sizes)
    EXPECT_EQ(ReadPackedLength(packed, at), size);
  EXPECT_EQ(at, packed.size());
}

}  // namespace
}  // namespace korvane
