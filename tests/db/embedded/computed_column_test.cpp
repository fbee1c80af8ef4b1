// Computed columns: loaded as the server keeps them (catalogue rows, stored expression, derived
// type), computed on every read, never written, and refused at load time when the engine
// cannot compute them.
#include "db/embedded/computed_column.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "db/embedded/sql_error.h"
#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

using ::testing::ElementsAre;

constexpr const char* kLines = R"SQL(CREATE TABLE dbo.Line (
  id int NOT NULL PRIMARY KEY,
  qty int NOT NULL,
  price decimal(9,2) NOT NULL,
  first varchar(10) NULL,
  [last name] nvarchar(20) NULL,
  total AS (qty * price),
  name AS first + ' ' + [last name],
  twice AS ISNULL(qty * 2, 0),
  label AS (CASE WHEN qty + 0 > 10 THEN 'many' ELSE 'few' END)
)
GO
INSERT Line (id, qty, price, first, [last name]) VALUES (1, 3, 1.10, 'Ann', N'Lee')
INSERT Line VALUES (2, 20, 2.5, 'Bo', NULL)
GO
)SQL";

class ComputedColumnTest : public EmbeddedServerTest,
                           public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override { MakeServer(GetParam()); }
  bool v9() const { return GetParam()[0] == '9'; }
};

TEST_P(ComputedColumnTest, SelectReturnsTheComputedValues) {
  Load("Shop", kLines);
  EXPECT_THAT(QueryRows("Shop", "SELECT id, total, name, twice, label FROM Line"),
              ElementsAre("1|3.30|Ann Lee|6|few", "2|50.00|Null|40|many"));
  EXPECT_THAT(QueryRows("Shop", "SELECT * FROM Line WHERE total > 10"),
              ElementsAre("2|20|2.50|Bo|Null|50.00|Null|40|many"));
  // A change of an operand shows in the next read.
  Load("Shop", "UPDATE Line SET qty = 4 WHERE id = 1");
  EXPECT_THAT(QueryRows("Shop", "SELECT total FROM Line WHERE id = 1"), ElementsAre("4.40"));
}

TEST_P(ComputedColumnTest, CatalogueShowsTheDerivedTypeAndTheStoredExpression) {
  Load("Shop", kLines);
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT c.name, c.iscomputed, c.isnullable, t.name, c.prec, c.scale "
                        "FROM syscolumns c JOIN systypes t ON t.xusertype = c.xusertype "
                        "WHERE c.id = OBJECT_ID('Line') AND c.colid > 5 ORDER BY c.colid"),
              ElementsAre("total|1|1|decimal|20|2", "name|1|1|nvarchar|31|Null",
                          "twice|1|0|int|10|0", "label|1|1|varchar|4|Null"));
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT COLUMNPROPERTY(OBJECT_ID('Line'), 'qty', 'IsComputed'), "
                        "COLUMNPROPERTY(OBJECT_ID('Line'), 'total', 'IsComputed')"),
              ElementsAre("0|1"));
  const std::vector<std::string> texts =
      v9() ? std::vector<std::string>{"6|([qty]*[price])", "7|([first]+' '+[last name])",
                                      "8|(isnull([qty]*(2),(0)))",
                                      "9|(CASE WHEN [qty]+(0)>(10) THEN 'many' ELSE 'few' END)"}
           : std::vector<std::string>{"6|([qty] * [price])", "7|([first] + ' ' + [last name])",
                                      "8|(isnull([qty] * 2, 0))",
                                      "9|(case when [qty] + 0 > 10 then 'many' else 'few' end)"};
  EXPECT_EQ(QueryRows("Shop",
                      "SELECT number, text FROM syscomments WHERE id = OBJECT_ID('Line') "
                      "ORDER BY number"),
            texts);
  if (v9()) {
    EXPECT_THAT(QueryRows("Shop",
                          "SELECT name, definition, is_persisted FROM sys.computed_columns "
                          "WHERE object_id = OBJECT_ID('Line') AND column_id = 6"),
                ElementsAre("total|([qty]*[price])|0"));
  }
}

TEST_P(ComputedColumnTest, FunctionsConversionsAndDatesGiveTheirTypes) {
  Load("Shop",
       "CREATE TABLE F (s varchar(12) NULL, n nchar(4) NULL, d datetime NULL, m money NULL,\n"
       "  f float NULL, i bigint NULL,\n"
       "  c1 AS LEN(s), c2 AS UPPER(n), c3 AS CONVERT(varchar(10), i), c4 AS YEAR(d),\n"
       "  c5 AS m * 2, c6 AS f + i, c7 AS CAST(s AS nvarchar(5)), c8 AS LEFT(s, 3),\n"
       "  c9 AS COALESCE(s, n), c10 AS i / 7, c11 AS i + 1.5)\nGO\n"
       "INSERT F (s, n, d, m, f, i) VALUES ('abcdef', N'xy', '20240307', 2.5, 0.5, 9)\n");
  EXPECT_THAT(QueryRows("Shop", "SELECT c1, c2, c3, c4, c5, c6, c7, c8, c9, c10, c11 FROM F"),
              ElementsAre("6|XY  |9|2024|5.0000|9.5|abcde|abc|abcdef|1|10.5"));
  EXPECT_THAT(
      QueryRows("Shop",
                "SELECT t.name, c.prec, c.scale FROM syscolumns c JOIN systypes t ON "
                "t.xusertype = c.xusertype WHERE c.id = OBJECT_ID('F') AND c.iscomputed = 1 "
                "ORDER BY c.colid"),
      ElementsAre("int|10|0", "nvarchar|4|Null", "varchar|10|Null", "int|10|0", "money|19|4",
                  "float|53|Null", "nvarchar|5|Null", "varchar|12|Null", "nvarchar|12|Null",
                  "bigint|19|0", "numeric|21|1"));
}

TEST_P(ComputedColumnTest, ComputedColumnsAreNeverWritten) {
  Load("Shop", kLines);
  struct Case {
    const char* statement;
    int error;
  };
  for (const Case c : {Case{"INSERT Line (id, qty, price, total) VALUES (3, 1, 1, 5)", 271},
                       Case{"UPDATE Line SET name = 'x'", 271},
                       Case{"INSERT Line VALUES (3, 1, 1, 'a', 'b', 5)", 110}}) {
    const ScriptLoadResult result = TryLoad("Shop", c.statement);
    EXPECT_EQ(result.error.number, c.error) << c.statement;
    if (c.error == 271) {
      EXPECT_THAT(result.error.text, ::testing::HasSubstr("cannot be modified because it is "
                                                          "either a computed column"));
    }
  }
  EXPECT_THAT(QueryRows("Shop", "SELECT COUNT(*) FROM Line"), ElementsAre("2"));
}

TEST_P(ComputedColumnTest, AddedComputedColumnCoversTheRowsAlreadyThere) {
  Load("Shop", kLines);
  Load("Shop", "ALTER TABLE Line ADD doubled AS (price * 2)");
  EXPECT_THAT(QueryRows("Shop", "SELECT doubled FROM Line"), ElementsAre("2.20", "5.00"));
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT t.name, c.prec, c.scale, c.iscomputed FROM syscolumns c JOIN "
                        "systypes t ON t.xusertype = c.xusertype WHERE c.name = 'doubled'"),
              ElementsAre("decimal|20|2|1"));
}

// An expression the engine cannot compute was stored as NULLs or refused as unsupported; it is
// refused when the table is created, naming the column.
TEST_P(ComputedColumnTest, AnExpressionTheEngineCannotComputeIsRefusedNamingIt) {
  struct Case {
    const char* column;
    int error;
    const char* text;
  };
  const Case cases[] = {
      {"c AS (nope * 2)", 207, "Invalid column name 'nope'."},
      {"c AS (a + (SELECT 1))", 50000,
       "The embedded server cannot compute column 'c': the type of '(SELECT 1))' is not known "
       "to it."},
      {"c AS (dbo.f(a))", 50000,
       "The embedded server cannot compute column 'c': the type of 'dbo.f' is not known to it."},
      {"c AS (frobnicate(a))", 50000,
       "The embedded server cannot compute column 'c': the type of 'frobnicate(a)' is not known "
       "to it."},
      {"c AS (GETDATE())", 50000, nullptr},
      {"c AS (a * 2), d AS (c + 1)", 1759,
       "Computed column 'd' in table 'T' is not allowed to be used in another computed-column "
       "definition."},
      {"c AS (a + 'x')", 0, nullptr},  // converts 'x' to int at run time: loads
  };
  Load("Shop", "CREATE TABLE Kept (a int)");
  for (const auto& c : cases) {
    const ScriptLoadResult result =
        TryLoad("Shop", std::string("CREATE TABLE T (a int NULL, ") + c.column + ")");
    if (c.error == 0) {
      EXPECT_TRUE(result.ok) << c.column << ": " << result.message;
      Load("Shop", "DROP TABLE T");
      continue;
    }
    EXPECT_EQ(result.error.number, c.error) << c.column << ": " << result.message;
    if (c.text) {
      EXPECT_EQ(result.error.text, c.text) << c.column;
    } else {
      EXPECT_THAT(result.error.text,
                  ::testing::StartsWith("The embedded server cannot compute column 'c' AS"));
    }
    EXPECT_THAT(QueryRows("Shop", "SELECT COUNT(*) FROM sysobjects WHERE name = 'T'"),
                ElementsAre("0"));
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, ComputedColumnTest,
                         ::testing::Values("8.00.2039", "9.00.5000.00"));

// The server's rules for the type of an expression, on columns of known types.
TEST(ComputedColumnTypeTest, ExpressionTypesFollowTheServersRules) {
  using embedded::DeclaredType;
  auto column_type = [](const std::string& name) -> std::optional<DeclaredType> {
    const std::map<std::string, std::pair<std::string, std::vector<std::string>>> kColumns = {
        {"i", {"int", {}}},
        {"b", {"bigint", {}}},
        {"t", {"tinyint", {}}},
        {"d", {"decimal", {"9", "2"}}},
        {"n", {"numeric", {"38", "10"}}},
        {"m", {"money", {}}},
        {"f", {"float", {}}},
        {"v", {"varchar", {"10"}}},
        {"c", {"char", {"4"}}},
        {"w", {"nvarchar", {"3000"}}},
        {"dt", {"datetime", {}}},
        {"bit", {"bit", {}}},
    };
    const auto it = kColumns.find(name);
    if (it == kColumns.end())
      return std::nullopt;
    return embedded::MakeDeclaredType(it->second.first, it->second.second, 9);
  };
  struct Case {
    const char* expression;
    const char* type;  // as written in T-SQL
    bool nullable;
    std::size_t concatenations;
  };
  const Case cases[] = {
      {"i + t", "int", true, 0},
      {"i * b", "bigint", true, 0},
      {"bit + bit", "int", true, 0},
      {"i * d", "decimal(20,2)", true, 0},
      {"d + d", "decimal(10,2)", true, 0},
      {"d / d", "decimal(21,12)", true, 0},
      {"d % i", "decimal(9,2)", true, 0},
      {"n * n", "numeric(38,6)", true, 0},  // the scale gives way above 38 digits
      {"1.25 * 2", "numeric(14,2)", true, 0},
      {"3000000000 + 1", "numeric(11,0)", true, 0},
      {"m * i", "money", true, 0},
      {"f - d", "float", true, 0},
      {"1e3", "float", true, 0},
      {"dt + 1", "datetime", true, 0},
      {"v + 'ab'", "varchar(12)", true, 1},
      {"c + c", "char(8)", true, 1},
      {"v + w + w", "nvarchar(max)", true, 2},  // beyond 4000 characters: max on 2005
      {"N'é' + c", "nvarchar(5)", true, 1},
      {"(v + 'x') + (i + 1)", "int", true, 1},
      {"ISNULL(i, 0)", "int", false, 0},
      {"((ISNULL(v, 'none')))", "varchar(10)", false, 0},
      {"ISNULL(v + 'x', 'none')", "varchar(11)", false, 1},
      {"CASE WHEN v + 'x' = 'ax' THEN c ELSE v END", "varchar(10)", true, 1},
      {"CASE i WHEN 1 THEN d ELSE 7 END", "decimal(12,2)", true, 0},
      {"COALESCE(NULL, t, i)", "int", true, 0},
      {"CONVERT(varchar, i)", "varchar(30)", true, 0},
      {"CAST(v AS decimal(5,1))", "decimal(5,1)", true, 0},
      {"DATEADD(day, 1, dt)", "datetime", true, 0},
      {"DATEDIFF(day, dt, dt)", "int", true, 0},
      {"-i", "int", true, 0},
      {"NULL", "int", true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expression);
    const auto tokens = embedded::Tokenize(c.expression);
    const auto derived =
        embedded::DeriveComputedColumnType(tokens, 0, tokens.size() - 1, column_type, 9, "x");
    EXPECT_EQ(derived.type.SqlText(), c.type);
    EXPECT_EQ(derived.nullable, c.nullable);
    EXPECT_EQ(derived.concatenations.size(), c.concatenations);
  }
}

class PersistedColumnTest : public EmbeddedServerTest {};

TEST_F(PersistedColumnTest, PersistedIsAVersion9KeywordAndMayBeNotNull) {
  MakeServer("9.00.5000.00");
  Load("Shop",
       "CREATE TABLE P (a int NOT NULL, b AS (a * 3) PERSISTED NOT NULL, c AS (a - 1) PERSISTED)\n"
       "GO\nINSERT P (a) VALUES (5)\n");
  EXPECT_THAT(QueryRows("Shop", "SELECT a, b, c FROM P"), ElementsAre("5|15|4"));
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT name, is_persisted, is_nullable FROM sys.computed_columns "
                        "ORDER BY column_id"),
              ElementsAre("b|1|0", "c|1|1"));
}

TEST_F(PersistedColumnTest, Version8RefusesPersisted) {
  MakeServer("8.00.2039");
  const ScriptLoadResult result = TryLoad("Shop", "CREATE TABLE P (a int, b AS (a * 3) PERSISTED)");
  EXPECT_EQ(result.error.number, 102);
  EXPECT_EQ(result.error.text, "Incorrect syntax near 'PERSISTED'.");
}

}  // namespace
}  // namespace korvane::testing
