#include "script/dynamic_sql.h"

#include <gtest/gtest.h>

#include "script_fixture.h"

namespace korvane {
namespace {

using testing::NoRows;
using testing::QueryFailure;
using testing::Rows;
using testing::ScriptTest;
using testing::ViewIndexQuery;

std::string DefaultsQuery(std::string_view literal_name) {
  return "SELECT so.name AS [constraint], sc.text AS [default], sl.name as [column] "
         "FROM sysobjects so INNER JOIN syscomments sc ON so.id = sc.id "
         "INNER JOIN syscolumns sl ON so.parent_obj = sl.id AND so.id = sl.cdefault "
         "WHERE so.parent_obj IN (SELECT id FROM sysobjects WHERE name = '" +
         std::string(literal_name) + "') ORDER BY info";
}
CommandOutcome ViewIndexRows(std::vector<std::tuple<std::string, int, std::string>> keys) {
  std::vector<std::vector<Value>> rows;
  for (auto& [index, indid, column] : keys)
    rows.push_back({Value::Text(index), Value::Integer(indid), Value::Text(column)});
  return Rows({"index", "indid", "column"}, std::move(rows));
}
CommandOutcome DefaultRows(std::vector<std::tuple<std::string, std::string, std::string>> list) {
  std::vector<std::vector<Value>> rows;
  for (auto& [name, text, column] : list)
    rows.push_back({Value::Text(name), Value::Text(text), Value::Text(column)});
  return Rows({"constraint", "default", "column"}, std::move(rows));
}

// --- WrapInExec --------------------------------------------------------------------------------

TEST(WrapInExecTest, StatementsAreWrappedForTwoLiteralLevels) {
  const struct {
    const char* what;
    std::string statement;
    std::string database;
    std::string wrapped;
  } cases[] = {
      {"every quote becomes four", "CREATE VIEW v AS SELECT 'a' AS x", "Sales",
       "EXEC ('USE Sales EXEC (''CREATE VIEW v AS SELECT ''''a'''' AS x'')')"},
      {"everything before the first create is cut", "-- header\r\nGO\r\ncreate proc p AS SELECT 1",
       "Sales", "EXEC ('USE Sales EXEC (''create proc p AS SELECT 1'')')"},
      {"without create the whole statement is kept", "SELECT 1", "Sales",
       "EXEC ('USE Sales EXEC (''SELECT 1'')')"},
      {"without database: the database variable, and the error is collected",
       "CREATE PROC p AS SELECT 1", "",
       "EXEC ('USE ' + @Database + ' EXEC (''CREATE PROC p AS SELECT 1'')')\r\n"
       "IF @@ERROR <> 0 SET @ErrorVal = @@ERROR\r\n\r\n"},
      {"an empty statement stays empty", "", "Sales", ""},
      {"a database name with a blank is bracketed", "CREATE PROC p AS SELECT 1", "My Db",
       "EXEC ('USE [My Db] EXEC (''CREATE PROC p AS SELECT 1'')')"},
      {"a database name with a quote and a bracket", "CREATE PROC p AS SELECT 1", "O'Brien]x",
       "EXEC ('USE [O''Brien]]x] EXEC (''CREATE PROC p AS SELECT 1'')')"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WrapInExec(c.statement, c.database), c.wrapped) << c.what;
}

// --- view indexes --------------------------------------------------------------------------------

using ExtrasTest = ScriptTest;

TEST_F(ExtrasTest, EachIndexOfAViewBecomesOneStatement) {
  Respond(ViewIndexQuery("vOrders"), ViewIndexRows({{"IX_vOrders", 1, "OrderID"},
                                                    {"IX_vOrders", 1, "LineNo"},
                                                    {"IX_Date", 2, "OrderDate"}}));
  EXPECT_EQ(GetExtras(context_, server(), "Sales", "vOrders", ObjectType::kViews),
            "EXEC('CREATE UNIQUE CLUSTERED INDEX [IX_vOrders] ON ' + @Database + "
            "'.[dbo].[vOrders]\r\n([OrderID], [LineNo]) ON [PRIMARY] ')\r\n"
            "IF @@ERROR <> 0 SET @ErrorVal = @@ERROR\r\n\r\n"
            "EXEC('CREATE INDEX [IX_Date] ON ' + @Database + '.[dbo].[vOrders]\r\n"
            "([OrderDate]) ON [PRIMARY] ')\r\n"
            "IF @@ERROR <> 0 SET @ErrorVal = @@ERROR\r\n\r\n");
}

TEST_F(ExtrasTest, OnlyViewsHaveExtras) {
  Respond(ViewIndexQuery("v"), NoRows({"index", "indid", "column"}));
  EXPECT_EQ(GetExtras(context_, server(), "Sales", "v", ObjectType::kViews), "");
  for (ObjectType type : {ObjectType::kTables, ObjectType::kProcedures, ObjectType::kFunctions,
                          ObjectType::kTriggers, ObjectType::kRelationships})
    EXPECT_EQ(GetExtras(context_, server(), "Sales", "v", type), "");
  EXPECT_EQ(Queries().size(), 1u);
}

TEST_F(ExtrasTest, NamesAreSafeInTheQueryAndInTheStatement) {
  Respond(ViewIndexQuery("O''Brien"), ViewIndexRows({{"IX_a]b", 1, "c'd"}}));
  EXPECT_EQ(GetExtras(context_, server(), "Sales", "O'Brien", ObjectType::kViews),
            "EXEC('CREATE UNIQUE CLUSTERED INDEX [IX_a]]b] ON ' + @Database + "
            "'.[dbo].[O''Brien]\r\n([c''d]) ON [PRIMARY] ')\r\n"
            "IF @@ERROR <> 0 SET @ErrorVal = @@ERROR\r\n\r\n");
}

// --- default constraints
// ---------------------------------------------------------------------------

using TableConstraintsTest = ScriptTest;

TEST_F(TableConstraintsTest, OneAlterTableAddingEveryDefault) {
  Respond(DefaultsQuery("Orders"), DefaultRows({{"DF_Orders_Qty", "(0)", "Qty"},
                                                {"DF_Orders_Code", "('0')", "Code"},
                                                {"DF_Orders_Note", "('')", "Note"},
                                                {"DF_Orders_When", "(getdate())", "When"}}));
  EXPECT_EQ(GetTableConstraints(context_, server(), "Sales", "Orders"),
            "EXEC('ALTER TABLE ' + @Database + '.[dbo].[Orders] WITH NOCHECK ADD\r\n"
            "CONSTRAINT [DF_Orders_Qty] DEFAULT (0) FOR [Qty],\r\n"
            "CONSTRAINT [DF_Orders_Code] DEFAULT (''0'') FOR [Code],\r\n"
            "CONSTRAINT [DF_Orders_Note] DEFAULT ('''') FOR [Note],\r\n"
            "CONSTRAINT [DF_Orders_When] DEFAULT (getdate()) FOR [When]')\r\n"
            "IF @@ERROR <> 0 SET @ErrorVal = @@ERROR\r\n\r\n");
}

TEST_F(TableConstraintsTest, QuoteMultiplicationMakesEveryQuoteOfADefaultFour) {
  // ('it''s') is the text of DEFAULT 'it''s'; its quotes are multiplied by four, and only the
  // empty string and '0' are brought back to two. Names keep their "]" doubled and, inside the
  // literal, their quotes doubled.
  Respond(DefaultsQuery("O''Brien"),
          DefaultRows(
              {{"DF_a]b", "('it''s')", "c]d"}, {"DF_x", "('x')", "y"}, {"DF_z", "(N'')", "z"}}));
  EXPECT_EQ(GetTableConstraints(context_, server(), "Sales", "O'Brien"),
            "EXEC('ALTER TABLE ' + @Database + '.[dbo].[O''Brien] WITH NOCHECK ADD\r\n"
            "CONSTRAINT [DF_a]]b] DEFAULT (''''it''''''''s'''') FOR [c]]d],\r\n"
            "CONSTRAINT [DF_x] DEFAULT (''''x'''') FOR [y],\r\n"
            "CONSTRAINT [DF_z] DEFAULT (N'''''''') FOR [z]')\r\n"
            "IF @@ERROR <> 0 SET @ErrorVal = @@ERROR\r\n\r\n");
}

TEST_F(TableConstraintsTest, NoDefaultsOrAFailedQueryGiveNothing) {
  Respond(DefaultsQuery("A"), DefaultRows({}));
  Respond(DefaultsQuery("B"), QueryFailure());
  EXPECT_EQ(GetTableConstraints(context_, server(), "Sales", "A"), "");
  EXPECT_EQ(GetTableConstraints(context_, server(), "Sales", "B"), "");
}

}  // namespace
}  // namespace korvane
