// Declared types as syscolumns shows them, and values converted as SQL Server stores them.
#include "db/embedded/value_conversion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <random>

#include "db/embedded/sql_error.h"
#include "db/embedded/sql_functions.h"
#include "db/embedded/sql_types.h"

namespace korvane::embedded {
namespace {

struct TypeCase {
  std::string name;
  std::vector<std::string> args;
  int xtype, length, prec, scale;
  std::string sql;
};

TEST(SqlTypesTest, DeclaredTypesCarryTheCatalogueConventions) {
  const TypeCase cases[] = {
      {"int", {}, 56, 4, 10, 0, "int"},
      {"NVARCHAR", {"50"}, 231, 100, 50, -1, "nvarchar(50)"},
      {"nchar", {}, 239, 2, 1, -1, "nchar(1)"},
      {"varchar", {"max"}, 167, -1, -1, -1, "varchar(max)"},
      {"decimal", {}, 106, 9, 18, 0, "decimal(18,0)"},
      {"numeric", {"5", "2"}, 108, 5, 5, 2, "numeric(5,2)"},
      {"decimal", {"38", "10"}, 106, 17, 38, 10, "decimal(38,10)"},
      {"float", {"24"}, 59, 4, 24, -1, "real"},
      {"float", {}, 62, 8, 53, -1, "float"},
      {"datetime", {}, 61, 8, 23, 3, "datetime"},
      {"money", {}, 60, 8, 19, 4, "money"},
      {"ntext", {}, 99, 16, 1073741823, -1, "ntext"},
      {"rowversion", {}, 189, 8, 8, -1, "timestamp"},
      {"sysname", {}, 231, 256, 128, -1, "sysname"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto type = MakeDeclaredType(c.name, c.args, 9);
    ASSERT_TRUE(type.has_value());
    EXPECT_EQ(type->xtype, c.xtype);
    EXPECT_EQ(type->length, c.length);
    EXPECT_EQ(type->prec, c.prec);
    EXPECT_EQ(type->scale, c.scale);
    EXPECT_EQ(type->SqlText(), c.sql);
  }
}

TEST(SqlTypesTest, InvalidSizesAndVersionOnlyTypesAreRefused) {
  EXPECT_FALSE(MakeDeclaredType("xml", {}, 8).has_value());
  EXPECT_TRUE(MakeDeclaredType("xml", {}, 9).has_value());
  EXPECT_FALSE(MakeDeclaredType("nosuch", {}, 9).has_value());
  auto number_of = [](const std::string& name, const std::vector<std::string>& args, int version) {
    try {
      MakeDeclaredType(name, args, version);
    } catch (const SqlError& error) {
      return error.message().number;
    }
    return 0;
  };
  EXPECT_EQ(number_of("varchar", {"8001"}, 9), 131);
  EXPECT_EQ(number_of("nvarchar", {"4001"}, 9), 131);
  EXPECT_EQ(number_of("varchar", {"max"}, 8), 102);
  EXPECT_EQ(number_of("char", {"max"}, 9), 102);
  EXPECT_EQ(number_of("int", {"4"}, 9), 2716);
  EXPECT_EQ(number_of("decimal", {"39"}, 9), 2750);
}

TEST(SqlTypesTest, StorageDeclarationsReadBackAsTheServerTypes) {
  auto result = ResultTypeFromDeclaration("decimal(10,3)");
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->type, ValueType::kDecimal);
  EXPECT_EQ(result->scale, 3);
  EXPECT_EQ(ResultTypeFromDeclaration("money")->scale, 4);
  EXPECT_EQ(ResultTypeFromDeclaration("nvarchar(-1)")->type, ValueType::kText);
  EXPECT_EQ(ResultTypeFromDeclaration("bit")->type, ValueType::kBoolean);
  EXPECT_EQ(ResultTypeFromDeclaration("uniqueidentifier")->type, ValueType::kGuid);
  EXPECT_FALSE(ResultTypeFromDeclaration("").has_value());
  EXPECT_FALSE(ResultTypeFromDeclaration("whatever").has_value());
}

StoredValue Text(const std::string& text) {
  StoredValue value;
  value.kind = StoredValue::Kind::kText;
  value.text = text;
  return value;
}

StoredValue Integer(std::int64_t n) {
  StoredValue value;
  value.kind = StoredValue::Kind::kInteger;
  value.integer = n;
  return value;
}

StoredValue Real(double d) {
  StoredValue value;
  value.kind = StoredValue::Kind::kReal;
  value.real = d;
  return value;
}

DeclaredType Type(const std::string& name, const std::vector<std::string>& args = {}) {
  return *MakeDeclaredType(name, args, 9);
}

int ErrorOf(const StoredValue& value, const DeclaredType& type, int version = 9) {
  try {
    ConvertForColumn(value, type, version);
  } catch (const SqlError& error) {
    return error.message().number;
  }
  return 0;
}

TEST(ValueConversionTest, IntegersAreParsedTruncatedAndRangeChecked) {
  EXPECT_EQ(ConvertForColumn(Text(" 42 "), Type("int"), 9).integer, 42);
  EXPECT_EQ(ConvertForColumn(Real(7.9), Type("int"), 9).integer, 7);
  EXPECT_EQ(ConvertForColumn(Text("true"), Type("bit"), 9).integer, 1);
  EXPECT_EQ(ConvertForColumn(Integer(-3), Type("bit"), 9).integer, 1);
  EXPECT_EQ(ErrorOf(Integer(256), Type("tinyint")), 8115);
  EXPECT_EQ(ErrorOf(Integer(-1), Type("tinyint")), 8115);
  EXPECT_EQ(ErrorOf(Integer(2147483648LL), Type("int")), 8115);
  EXPECT_EQ(ErrorOf(Text("1.5"), Type("int")), 245);
  try {
    ConvertForColumn(Text("x"), Type("int"), 8);
  } catch (const SqlError& error) {
    EXPECT_EQ(error.message().text,
              "Syntax error converting the varchar value 'x' to a column of data type int.");
  }
}

// Whole numbers of 18 and more digits once went through a double: 123456789012345678 was
// stored as ...680 and 9223372036854775807 as -9223372036854775808.
TEST(ValueConversionTest, WholeNumbersBeyondADoublesDigitsAreExactOrOverflow) {
  struct Case {
    std::string type;
    StoredValue value;
    std::int64_t stored;
    int error;
  };
  StoredValue written_max = Real(9223372036854775807.0);
  written_max.text = "9223372036854775807";
  StoredValue written_over = Real(9223372036854775808.0);
  written_over.text = "9223372036854775808";
  StoredValue written_min = Real(-9223372036854775808.0);
  written_min.text = "-9223372036854775808";
  const Case cases[] = {
      {"bigint", Integer(123456789012345678), 123456789012345678, 0},
      {"bigint", Integer(INT64_MAX), INT64_MAX, 0},
      {"bigint", Integer(INT64_MIN), INT64_MIN, 0},
      {"bigint", Text("9223372036854775807"), INT64_MAX, 0},
      {"bigint", Text("-9223372036854775808"), INT64_MIN, 0},
      {"bigint", Text("9223372036854775808"), 0, 8115},
      {"bigint", Text("99999999999999999999"), 0, 8115},
      {"bigint", written_max, INT64_MAX, 0},
      {"bigint", written_min, INT64_MIN, 0},
      {"bigint", written_over, 0, 8115},
      {"bigint", Real(9223372036854775808.0), 0, 8115},  // 2^63, from an expression
      {"bigint", Real(-1e30), 0, 8115},
      {"int", written_max, 0, 8115},
      {"decimal", Integer(123456789012345678), 123456789012345678, 0},
      {"decimal", Integer(INT64_MAX), INT64_MAX, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type + " " +
                 (c.value.text.empty() ? std::to_string(c.value.integer) : c.value.text));
    const DeclaredType type = c.type == "decimal" ? Type("decimal", {"38", "0"}) : Type(c.type);
    EXPECT_EQ(ErrorOf(c.value, type), c.error);
    if (c.error == 0) {
      const StoredValue stored = ConvertForColumn(c.value, type, 9);
      EXPECT_EQ(stored.kind, StoredValue::Kind::kInteger);
      EXPECT_EQ(stored.integer, c.stored);
    }
  }
  EXPECT_EQ(ErrorOf(Integer(100000), Type("decimal", {"5", "0"})), 8115);
  EXPECT_EQ(ErrorOf(Text("12x"), Type("bigint")), 245);
}

TEST(ValueConversionTest, ParseWholeNumberReadsTheFullBigintRange) {
  struct Case {
    const char* digits;
    bool negative;
    std::optional<std::int64_t> value;
  };
  const Case cases[] = {
      {"0", false, 0},
      {"9223372036854775807", false, INT64_MAX},
      {"9223372036854775808", false, std::nullopt},
      {"9223372036854775808", true, INT64_MIN},
      {"9223372036854775809", true, std::nullopt},
      {"000000000000000000000042", false, 42},
      {"18446744073709551616", false, std::nullopt},
      {"", false, std::nullopt},
      {"1a", false, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseWholeNumber(c.digits, c.negative), c.value) << c.digits << c.negative;
}

TEST(ValueConversionTest, ExactNumbersRoundToTheirScale) {
  EXPECT_DOUBLE_EQ(ConvertForColumn(Real(2.675), Type("decimal", {"5", "2"}), 9).real, 2.68);
  EXPECT_EQ(ConvertForColumn(Text("12"), Type("decimal", {"5", "0"}), 9).integer, 12);
  EXPECT_EQ(ErrorOf(Integer(1000), Type("decimal", {"5", "2"})), 8115);
  EXPECT_EQ(ErrorOf(Text("abc"), Type("money")), 245);
  // Halves round away from zero, also when the literal arrives just below the half.
  EXPECT_DOUBLE_EQ(ConvertForColumn(Real(1.005), Type("decimal", {"5", "2"}), 9).real, 1.01);
  EXPECT_DOUBLE_EQ(ConvertForColumn(Real(-1.005), Type("decimal", {"5", "2"}), 9).real, -1.01);
  EXPECT_DOUBLE_EQ(ConvertForColumn(Real(0.0049), Type("decimal", {"5", "2"}), 9).real, 0.0);
  EXPECT_DOUBLE_EQ(ConvertForColumn(Text("2.5"), Type("decimal", {"5", "0"}), 9).integer, 3);
}

// Large values keep every digit a double holds: rounding must not push them to a neighbour
// (40000000000000.00 once came back as 40000000000000.02).
TEST(ValueConversionTest, LargeExactNumbersKeepTheirDigits) {
  EXPECT_EQ(ConvertForColumn(Real(40000000000000.0), Type("decimal", {"18", "2"}), 9).real,
            40000000000000.0);
  EXPECT_EQ(ConvertForColumn(Real(9999999999999.99), Type("decimal", {"18", "2"}), 9).real,
            9999999999999.99);
  EXPECT_EQ(ConvertForColumn(Integer(4000000000000000), Type("decimal", {"18", "0"}), 9).integer,
            4000000000000000);
  EXPECT_EQ(ConvertForColumn(Real(281474976710656.3), Type("decimal", {"18", "0"}), 9).integer,
            281474976710656);
  EXPECT_EQ(ConvertForColumn(Real(922337203685477.5807), Type("money"), 9).real,
            922337203685477.5807);
  EXPECT_EQ(ConvertForColumn(Real(-1234567890123456789.0), Type("decimal", {"38", "4"}), 9).real,
            -1234567890123456789.0);
}

TEST(ValueConversionTest, CharactersArePaddedOrRefusedWhenTooLong) {
  EXPECT_EQ(ConvertForColumn(Text("ab"), Type("char", {"4"}), 9).text, "ab  ");
  EXPECT_EQ(ConvertForColumn(Text("ab   "), Type("varchar", {"3"}), 9).text, "ab ");
  EXPECT_EQ(ErrorOf(Text("abcd"), Type("varchar", {"3"})), 8152);
  // Lengths count characters: three two-byte letters fit nvarchar(3).
  EXPECT_EQ(ConvertForColumn(Text("äöü"), Type("nvarchar", {"3"}), 9).text, "äöü");
  EXPECT_EQ(ErrorOf(Text("äöüß"), Type("nvarchar", {"3"})), 8152);
  EXPECT_EQ(ConvertForColumn(Integer(5), Type("varchar", {"3"}), 9).text, "5");
}

TEST(ValueConversionTest, DatesAcceptTheServersFormats) {
  const auto type = Type("datetime");
  EXPECT_EQ(ConvertForColumn(Text("20240307"), type, 9).text, "2024-03-07 00:00:00.000");
  EXPECT_EQ(ConvertForColumn(Text("2024-03-07T14:05:09.5"), type, 9).text,
            "2024-03-07 14:05:09.500");
  EXPECT_EQ(ConvertForColumn(Text("3/7/2024 14:05"), type, 9).text, "2024-03-07 14:05:00.000");
  EXPECT_EQ(ConvertForColumn(Text("2024-02-29"), type, 9).text, "2024-02-29 00:00:00.000");
  EXPECT_EQ(ErrorOf(Text("2023-02-29"), type), 241);
  EXPECT_EQ(ErrorOf(Text("1752-12-31"), type), 241);
  EXPECT_EQ(ErrorOf(Text("yesterday"), type), 241);
  EXPECT_EQ(ConvertForColumn(Text("2024-03-07 14:05:59"), Type("smalldatetime"), 9).text,
            "2024-03-07 14:05:00.000");
}

// One stored value read back through ReadField as a datetime column, from a statement of its
// own (the view lives as long as the reader).
class StoredDateReader {
 public:
  StoredDateReader() {
    sqlite3_open(":memory:", &db_);
    sqlite3_prepare_v2(db_, "SELECT ?1", -1, &statement_, nullptr);
  }
  ~StoredDateReader() {
    sqlite3_finalize(statement_);
    sqlite3_close(db_);
  }
  StoredDateReader(const StoredDateReader&) = delete;
  StoredDateReader& operator=(const StoredDateReader&) = delete;

  // Null when `stored` is nullopt.
  FieldView Read(const std::optional<std::string>& stored) {
    sqlite3_reset(statement_);
    if (stored)
      sqlite3_bind_text(statement_, 1, stored->data(), static_cast<int>(stored->size()),
                        SQLITE_TRANSIENT);
    else
      sqlite3_bind_null(statement_, 1);
    EXPECT_EQ(sqlite3_step(statement_), SQLITE_ROW);
    ResultType type;
    type.type = ValueType::kDateTime;
    type.type_name = "datetime";
    return ReadField(statement_, 0, &type, scratch_);
  }

 private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
  std::string scratch_;
};

// The text a date read back shows, as written from its fields alone (the view's text left out)
// and as the view hands it over.
std::string WrittenFromFields(FieldView field) {
  field.bytes = {};
  std::string text;
  AppendNullText(field, text);
  return text;
}
std::string HandedOver(const FieldView& field) {
  std::string text;
  AppendNullText(field, text);
  return text;
}

TEST(ValueConversionTest, StoredDatesShowTheTextTheirFieldsWrite) {
  struct Case {
    std::optional<std::string> stored;
    std::string shown;
    bool as_stored;  // the stored text (its zero fraction left out) handed over as it is
  };
  const Case cases[] = {
      {"2024-03-07 14:05:09.123", "2024-03-07 14:05:09.123", true},
      {"2024-03-07 14:05:09.000", "2024-03-07 14:05:09", true},
      {"2024-03-07 14:05:09.500", "2024-03-07 14:05:09.500", true},
      {"2024-03-07 14:05:09.010", "2024-03-07 14:05:09.010", true},
      {"2024-03-07 14:05:09", "2024-03-07 14:05:09", true},
      {"1753-01-01 00:00:00.000", "1753-01-01 00:00:00", true},
      {"9999-12-31 23:59:59.997", "9999-12-31 23:59:59.997", true},
      {"0001-01-01 00:00:00.001", "0001-01-01 00:00:00.001", true},
      {"0999-06-15 12:00:00.000", "0999-06-15 12:00:00", true},
      {"2024-03-07", "2024-03-07 00:00:00", false},
      {"2024-03-07 14:05", "2024-03-07 14:05:00", false},
      // Regression: a short fraction was read as milliseconds (".5" shown as ".005").
      {"2024-03-07 14:05:09.5", "2024-03-07 14:05:09.500", false},
      {"2024-03-07 14:05:09.05", "2024-03-07 14:05:09.050", false},
      {"24-3-7 1:2:3", "0024-03-07 01:02:03", false},
      {"2024-03-07T14:05:09.123", "2024-03-07 00:00:00", false},
      {"14:05:09", "14:05:09", false},
      {"2024-03-07 14:05:09 ", "2024-03-07 14:05:09", false},
      // Characters just beside the digits are no digits.
      {"2024-03-07 14:05:0/", "2024-03-07 14:05:00", false},
      {"2024-03-0: 14:05:09", "2024-03-00 00:00:00", false},
      {"tomorrow", "tomorrow", false},
      {"", "", false},
      {std::nullopt, "Null", false},
  };
  StoredDateReader reader;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored.value_or("(Null)"));
    const FieldView field = reader.Read(c.stored);
    EXPECT_EQ(HandedOver(field), c.shown);
    EXPECT_EQ(!field.bytes.empty() && field.type == ValueType::kDateTime, c.as_stored);
    if (field.type == ValueType::kDateTime) {
      EXPECT_EQ(WrittenFromFields(field), c.shown);
    }
  }
}

TEST(ValueConversionTest, RandomStoredDatesShowWhatTheirFieldsWrite) {
  // Every digit drawn at random (months and hours beyond their ranges included), with and
  // without a fraction, zero fractions often, now and then a character spoiled.
  std::mt19937 random(20261207);
  auto draw = [&](int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); };
  StoredDateReader reader;
  int handed_over = 0;
  for (int n = 0; n < 20000; ++n) {
    std::string stored = "0000-00-00 00:00:00.000";
    for (char& c : stored) {
      if (c == '0')
        c = static_cast<char>('0' + draw(10));
    }
    if (draw(3) == 0)
      stored.replace(20, 3, "000");
    if (draw(4) == 0)
      stored.resize(19);
    if (draw(10) == 0)
      stored[static_cast<std::size_t>(draw(static_cast<int>(stored.size())))] = "x. :-/"[draw(6)];
    SCOPED_TRACE(stored);
    const FieldView field = reader.Read(stored);
    if (field.type != ValueType::kDateTime)
      continue;
    handed_over += field.bytes.empty() ? 0 : 1;
    DateTimeValue parsed;
    ASSERT_TRUE(ParseStoredDateTime(stored, &parsed));
    EXPECT_EQ(field.datetime, parsed);
    ASSERT_EQ(HandedOver(field), WrittenFromFields(field));
  }
  // Most of them take the short way.
  EXPECT_GT(handed_over, 15000);
}

TEST(ValueConversionTest, GuidsAndBinariesAreNormalised) {
  EXPECT_EQ(
      ConvertForColumn(Text("{6f9619ff-8b86-d011-b42d-00c04fc964ff}"), Type("uniqueidentifier"), 9)
          .text,
      "6F9619FF-8B86-D011-B42D-00C04FC964FF");
  EXPECT_EQ(ErrorOf(Text("not-a-guid"), Type("uniqueidentifier")), 8169);
  StoredValue bytes;
  bytes.kind = StoredValue::Kind::kBlob;
  bytes.blob = {1, 2};
  EXPECT_EQ(ConvertForColumn(bytes, Type("binary", {"4"}), 9).blob,
            (std::vector<std::uint8_t>{1, 2, 0, 0}));
  EXPECT_EQ(ErrorOf(bytes, Type("varbinary", {"1"})), 8152);
  EXPECT_EQ(ConvertForColumn(StoredValue(), Type("int"), 9).kind, StoredValue::Kind::kNull);
}

TEST(CollationTest, NamesCompareIgnoringCaseAccentsCaseAndTrailingBlanks) {
  EXPECT_EQ(CompareNames("Orders", "ORDERS"), 0);
  EXPECT_EQ(CompareNames("a", "a   "), 0);
  EXPECT_EQ(CompareNames("Émile", "émile"), 0);
  EXPECT_NE(CompareNames("e", "é"), 0);  // accent-sensitive
  EXPECT_LT(CompareNames("a_b", "aB"), 0);
  EXPECT_LT(CompareNames("abc", "abcd"), 0);
  EXPECT_GT(CompareNames("b", "A"), 0);
  EXPECT_NE(CompareNames(" a", "a"), 0);  // leading blanks count
}

}  // namespace
}  // namespace korvane::embedded
