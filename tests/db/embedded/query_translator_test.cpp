// The T-SQL to SQLite translation on its own, with a resolver standing in for the catalogue,
// and the mapping of SQLite's errors to SQL Server's messages.
#include "db/embedded/query_translator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "db/embedded/sql_error.h"

namespace korvane::embedded {
namespace {

class FakeResolver : public NameResolver {
 public:
  explicit FakeResolver(int version = 9) : version_(version) {}
  ResolvedTable ResolveTable(const std::vector<std::string>& parts) override {
    const std::string& name = parts.back();
    if (name == "Orders")
      return {"t100", "Orders", {"OrderID", "Line"}};
    if (name == "Heap")
      return {"t200", "Heap", {}};
    if (name == "sysobjects")
      return {"main.sysobjects", "sysobjects", {}};
    ThrowInvalidObject(name);
  }
  int MajorVersion() const override { return version_; }

 private:
  int version_;
};

std::string Translate(const std::string& sql, int version = 9) {
  const auto tokens = Tokenize(sql);
  FakeResolver resolver(version);
  return TranslateSql(tokens, 0, tokens.size(), resolver);
}

ServerMessage ErrorOf(const std::string& sql, int version = 9) {
  try {
    Translate(sql, version);
  } catch (const SqlError& error) {
    return error.message();
  }
  return {};
}

TEST(QueryTranslatorTest, TopBecomesLimitAtTheEndOfItsSelect) {
  EXPECT_EQ(Translate("SELECT TOP 5 a FROM Heap ORDER BY a"),
            " SELECT a FROM t200 AS \"Heap\" ORDER BY a LIMIT 5");
  EXPECT_EQ(Translate("SELECT a FROM Heap WHERE a IN (SELECT TOP (2) b FROM Heap h)"),
            " SELECT a FROM t200 AS \"Heap\" WHERE a IN ( SELECT b FROM t200 AS \"h\" LIMIT 2)");
}

TEST(QueryTranslatorTest, ScansOfClusteredTablesGetTheKeyOrder) {
  EXPECT_EQ(Translate("SELECT * FROM Orders o"),
            " SELECT * FROM t100 AS \"o\" ORDER BY \"o\".\"OrderID\", \"o\".\"Line\"");
  // Not when the query orders, groups, aggregates, joins or is a subquery.
  EXPECT_EQ(Translate("SELECT COUNT(*) FROM Orders"),
            " SELECT COUNT ( *) AS \"\" FROM t100 AS \"Orders\"");
  EXPECT_EQ(Translate("SELECT DISTINCT a FROM Orders"),
            " SELECT DISTINCT a FROM t100 AS \"Orders\"");
  EXPECT_EQ(Translate("SELECT a FROM Orders, Heap"),
            " SELECT a FROM t100 AS \"Orders\", t200 AS \"Heap\"");
}

TEST(QueryTranslatorTest, SelectListAliasesAndLiterals) {
  EXPECT_EQ(
      Translate("SELECT isID = case when status & 128 = 0 then '' else 'Y' end FROM sysobjects"),
      " SELECT CASE WHEN status & 128 = 0 THEN '' ELSE 'Y' END AS \"isID\" FROM "
      "main.sysobjects AS \"sysobjects\"");
  EXPECT_EQ(Translate("SELECT [my col] AS [x], N'it''s' AS y, 0x0A1B z FROM Heap"),
            " SELECT \"my col\" AS \"x\", 'it''s' AS y, X'0A1B' z FROM t200 AS \"Heap\"");
  EXPECT_EQ(Translate("SELECT 'a' + name, 1 + 2"), " SELECT 'a' || name AS \"\", 1 + 2 AS \"\"");
}

// CHAR(13) + CHAR(10) was an addition of two numbers, so a line break built from it stored 0.
TEST(QueryTranslatorTest, PlusBesideAStringFunctionJoinsStrings) {
  struct Case {
    const char* expression;
    const char* sqlite;
  };
  const Case cases[] = {
      {"CHAR(13) + CHAR(10)", " SELECT CHAR ( 13) || CHAR ( 10) AS \"\""},
      {"'a' + CHAR(13) + CHAR(10) + 'b'", " SELECT 'a' || CHAR ( 13) || CHAR ( 10) || 'b' AS \"\""},
      {"UPPER(name) + LOWER(name)", " SELECT UPPER ( name) || LOWER ( name) AS \"\""},
      {"LEN(name) + 1", " SELECT LEN ( name) + 1 AS \"\""},
      {"(1) + 2", " SELECT ( 1) + 2 AS \"\""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Translate(std::string("SELECT ") + c.expression), c.sqlite) << c.expression;
}

TEST(QueryTranslatorTest, FunctionsAndVariablesAreMapped) {
  EXPECT_EQ(Translate("SELECT ISNULL(a, 0), LEFT(b, 2), CONVERT(nvarchar(max), c), @@VERSION"),
            " SELECT ifnull ( a , 0) AS \"\", kvn_left ( b , 2) AS \"\", kvn_convert( c, "
            "'nvarchar(max)') AS \"\", kvn_variable('@@VERSION') AS \"\"");
  EXPECT_EQ(ErrorOf("SELECT @x").text, "Must declare the scalar variable \"@x\".");
  EXPECT_EQ(ErrorOf("SELECT @x", 8).text, "Must declare the variable '@x'.");
}

TEST(QueryTranslatorTest, ConversionsNameTheirTargetTypeAndReportItsColumns) {
  std::vector<std::string> types;
  const auto tokens = Tokenize(
      "SELECT CAST('2024-01-02' AS datetime), CONVERT(decimal(5, 2), 1.5, 0) AS d, "
      "CAST(a AS bit) b, CAST(a AS varchar) + 'x', CAST((SELECT 1 AS n) AS int) FROM Heap "
      "UNION SELECT CAST(1 AS char(2)), 1, 1, 1, 1");
  FakeResolver resolver;
  EXPECT_EQ(TranslateSql(tokens, 0, tokens.size(), resolver, &types),
            " SELECT kvn_convert( '2024-01-02', 'datetime') AS \"\", kvn_convert( 1.5, "
            "'decimal(5,2)', 0) AS d, kvn_convert( a, 'bit') b, kvn_convert( a, 'varchar(30)') || "
            "'x' AS \"\", kvn_convert( ( SELECT 1 AS n), 'int') AS \"\" FROM t200 AS \"Heap\" "
            "UNION SELECT kvn_convert( 1, 'char(2)') AS \"\", 1 AS \"\", 1 AS \"\", 1 AS \"\", 1 "
            "AS \"\"");
  // The first select list decides; an item that only contains a conversion has no known type.
  EXPECT_THAT(types, ::testing::ElementsAre("datetime", "decimal(5,2)", "bit", "", "int"));
  const auto star = Tokenize("SELECT CAST(1 AS bit), * FROM Heap");
  TranslateSql(star, 0, star.size(), resolver, &types);
  EXPECT_THAT(types, ::testing::IsEmpty());

  EXPECT_EQ(ErrorOf("SELECT CAST(1 AS nosuchtype)").text,
            "Type nosuchtype is not a defined system type.");
  EXPECT_EQ(ErrorOf("SELECT CAST(1 AS varchar(max))", 8).text, "Incorrect syntax near 'max'.");
  EXPECT_EQ(ErrorOf("SELECT CAST(1 AS decimal(50, 2))").number, 2750);
  EXPECT_EQ(ErrorOf("SELECT CAST(1)").number, 102);
  EXPECT_EQ(ErrorOf("SELECT CAST(AS int)").number, 156);
  EXPECT_EQ(ErrorOf("SELECT CONVERT(int)").number, 102);
}

TEST(QueryTranslatorTest, UnknownObjectsAndBadSyntaxFailBeforeSqlite) {
  EXPECT_EQ(ErrorOf("SELECT * FROM Nope").number, 208);
  EXPECT_EQ(ErrorOf("SELECT * FROM").number, 156);
  EXPECT_EQ(ErrorOf("SELECT a FROM Heap WHERE").text, "Incorrect syntax near the keyword 'WHERE'.");
  EXPECT_EQ(ErrorOf("SELECT FROM Heap").number, 156);
  EXPECT_EQ(ErrorOf("SELECT a FROM Heap)").number, 102);
  EXPECT_EQ(ErrorOf("SELECT " + std::string(500, '(') + "1" + std::string(500, ')')).number, 191);
  EXPECT_EQ(ErrorOf("SELECT a INTO b FROM Heap").text,
            "The embedded server does not support SELECT ... INTO.");
  EXPECT_EQ(ErrorOf("SELECT a FROM Heap WHERE a *= b").text,
            "The embedded server does not support the old outer join operator *=.");
}

TEST(QueryTranslatorTest, SqliteErrorsBecomeSqlServerMessages) {
  EXPECT_EQ(TranslateSqliteError("no such column: nope", 9).text, "Invalid column name 'nope'.");
  EXPECT_EQ(TranslateSqliteError("no such column: so.nope", 8).text, "Invalid column name 'nope'.");
  EXPECT_EQ(TranslateSqliteError("no such column: so.nope", 9).number, 4104);
  EXPECT_EQ(TranslateSqliteError("no such function: FOO", 9).text,
            "'FOO' is not a recognized built-in function name.");
  EXPECT_EQ(TranslateSqliteError("ambiguous column name: id", 9).number, 209);
  EXPECT_EQ(TranslateSqliteError("near \"x\": syntax error", 9).text, "Incorrect syntax near 'x'.");
  EXPECT_EQ(TranslateSqliteError("kvn:506:Bad escape.", 9).number, 506);
  EXPECT_EQ(TranslateSqliteError("disk I/O error", 9).number, 50000);
}

TEST(QueryTranslatorTest, QuotingHelpersDoubleTheirQuotes) {
  EXPECT_EQ(QuoteLiteral("O'Brien"), "'O''Brien'");
  EXPECT_EQ(QuoteName("a\"b"), "\"a\"\"b\"");
}

}  // namespace
}  // namespace korvane::embedded
