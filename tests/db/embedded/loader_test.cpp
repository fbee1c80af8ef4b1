// The T-SQL script loader: batches, errors with their script line, one transaction per script,
// and rows stored as SQL Server stores them (identity, defaults, NULL rules, unique keys).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/text.h"
#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LoaderTest : public EmbeddedServerTest {
 protected:
  void SetUp() override { MakeServer("9.00.5000.00"); }
};

TEST_F(LoaderTest, IdentityAndDefaultsFillTheColumnsNotGiven) {
  Load("Shop",
       "CREATE TABLE t (id int IDENTITY(10, 5) NOT NULL, name varchar(10) NOT NULL "
       "DEFAULT 'none', qty int NULL DEFAULT (3), code char(4) NULL)\nGO\n"
       "INSERT INTO t (code) VALUES ('ab')\n"
       "INSERT t (name, qty) VALUES ('x', NULL), ('y', DEFAULT)\n"
       "INSERT t DEFAULT VALUES\n");
  EXPECT_THAT(QueryRows("Shop", "SELECT id, name, qty, '[' + code + ']' FROM t"),
              ElementsAre("10|none|3|[ab  ]", "15|x|Null|Null", "20|y|3|Null", "25|none|3|Null"));
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT ident_seed('t'), ident_incr('t'), ident_current('t'), "
                        "ident_seed('dbo.t'), ident_seed('missing')"),
              ElementsAre("10|5|25|10|Null"));
}

TEST_F(LoaderTest, IdentitySeedsAnswerPerTableOnEveryRowAndEveryRun) {
  Load("Shop",
       "CREATE TABLE a (id int IDENTITY(10, 5) NOT NULL, v int NULL)\nGO\n"
       "CREATE TABLE b (id bigint IDENTITY(-3, 2) NOT NULL, v int NULL)\nGO\n"
       "CREATE TABLE c (v int NULL)\nGO\n");
  // A name that varies by row is looked up per row; a constant one once per run of a statement.
  const std::string varying =
      "SELECT name, ident_seed(name), ident_incr(name) FROM sysobjects WHERE xtype = 'U' "
      "ORDER BY name";
  EXPECT_THAT(QueryRows("Shop", varying), ElementsAre("a|10|5", "b|-3|2", "c|Null|Null"));
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT name, ident_seed('b') FROM sysobjects WHERE xtype = 'U' "
                        "ORDER BY name"),
              ElementsAre("a|-3", "b|-3", "c|-3"));
  Load("Shop", "DROP TABLE b\nGO\nCREATE TABLE b (id int IDENTITY(7, 1) NOT NULL)\nGO\n");
  EXPECT_THAT(QueryRows("Shop", varying), ElementsAre("a|10|5", "b|7|1", "c|Null|Null"));
}

TEST_F(LoaderTest, ObjectNamesAreReadAsTheServerReadsThem) {
  // Bare parts are taken as written (a quote included), bracketed parts undouble "]", blanks
  // around a part do not count, and an open bracket names nothing.
  Load("Shop",
       "CREATE SCHEMA s\nGO\n"
       "CREATE TABLE [O'Brien] (id int IDENTITY(5, 2) NOT NULL)\nGO\n"
       "CREATE TABLE s.[a]]b.c] (id int IDENTITY(7, 3) NOT NULL)\nGO\n");
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT ident_seed('O''Brien'), ident_incr('dbo.O''Brien'), "
                        "ident_seed('[dbo].[O''Brien]'), ident_seed(' dbo . O''Brien ')"),
              ElementsAre("5|2|5|5"));
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT ident_seed('s.[a]]b.c]'), ident_incr('[s].[a]]b.c]'), "
                        "ident_seed('Shop.s.[a]]b.c]'), ident_seed('s.[a]]b.c'), "
                        "ident_seed('[s]x.[a]]b.c]')"),
              ElementsAre("7|3|7|Null|Null"));
  EXPECT_THAT(QueryRows("Shop", "SELECT CASE WHEN object_id('s.[a]]b.c]') > 0 THEN 1 END"),
              ElementsAre("1"));
}

TEST_F(LoaderTest, IdentityInsertTakesExplicitValuesAndMovesTheCounter) {
  Load("Shop",
       "CREATE TABLE t (id int IDENTITY NOT NULL PRIMARY KEY, v int NULL)\nGO\n"
       "SET IDENTITY_INSERT t ON\nINSERT t (id, v) VALUES (50, 1)\nSET IDENTITY_INSERT t OFF\n"
       "INSERT t (v) VALUES (2)\nGO\n");
  EXPECT_THAT(QueryRows("Shop", "SELECT id, v FROM t"), ElementsAre("50|1", "51|2"));
  const ScriptLoadResult result = TryLoad("Shop", "INSERT t (id, v) VALUES (60, 3)");
  ASSERT_FALSE(result.ok);
  EXPECT_EQ(result.error.number, 544);
  EXPECT_EQ(result.error.text,
            "Cannot insert explicit value for identity column in table 't' when "
            "IDENTITY_INSERT is set to OFF.");
}

TEST_F(LoaderTest, NullIntoANotNullColumnIsError515) {
  const ScriptLoadResult result =
      TryLoad("Shop", "CREATE TABLE t (a int NOT NULL, b int NULL)\nGO\nINSERT t (b) VALUES (1)\n");
  ASSERT_FALSE(result.ok);
  EXPECT_EQ(result.error.number, 515);
  EXPECT_EQ(result.error.sqlstate, "23000");
  EXPECT_EQ(result.error.text,
            "Cannot insert the value NULL into column 'a', table 'Shop.dbo.t'; column does not "
            "allow nulls. INSERT fails.");
  EXPECT_EQ(result.line, 3);
}

TEST_F(LoaderTest, DuplicateKeysAreErrors2627And2601) {
  Load("Shop",
       "CREATE TABLE t (a int NOT NULL CONSTRAINT PK_t PRIMARY KEY, b varchar(5) NULL)\n"
       "CREATE UNIQUE INDEX UX_t_b ON t (b)\nGO\nINSERT t VALUES (1, 'x')\n");
  ScriptLoadResult result = TryLoad("Shop", "INSERT t VALUES (1, 'y')");
  ASSERT_FALSE(result.ok);
  EXPECT_EQ(result.error.number, 2627);
  EXPECT_EQ(result.error.text,
            "Violation of PRIMARY KEY constraint 'PK_t'. Cannot insert duplicate key in object "
            "'dbo.t'.");
  // One NULL is a key value like any other.
  Load("Shop", "INSERT t VALUES (5, NULL)");
  EXPECT_EQ(TryLoad("Shop", "INSERT t VALUES (6, NULL)").error.number, 2601);
  // Unique comparisons ignore case and trailing blanks.
  result = TryLoad("Shop", "INSERT t VALUES (2, 'X  ')");
  ASSERT_FALSE(result.ok);
  EXPECT_EQ(result.error.number, 2601);
  EXPECT_EQ(result.error.text,
            "Cannot insert duplicate key row in object 'dbo.t' with unique index 'UX_t_b'.");
}

TEST_F(LoaderTest, ValuesAreConvertedOrRefusedAsTheServerDoes) {
  Load("Shop",
       "CREATE TABLE t (i int NULL, d decimal(8,2) NULL, m money NULL, dt datetime NULL, "
       "b bit NULL, g uniqueidentifier NULL, v varchar(3) NULL)\nGO\n"
       "INSERT t VALUES ('42', 1.005, 3, '20240307 14:05', 1, "
       "'6f9619ff-8b86-d011-b42d-00c04fc964ff', 'ab   ')\n");
  EXPECT_THAT(QueryRows("Shop", "SELECT i, d, m, dt, b, g, v + '|' FROM t"),
              ElementsAre("42|1.01|3.0000|2024-03-07 14:05:00|True|"
                          "6F9619FF-8B86-D011-B42D-00C04FC964FF|ab |"));
  ScriptLoadResult result = TryLoad("Shop", "INSERT t (v) VALUES ('abcd')");
  EXPECT_EQ(result.error.number, 8152);
  EXPECT_EQ(result.error.text, "String or binary data would be truncated.");
  result = TryLoad("Shop", "INSERT t (i) VALUES ('abc')");
  EXPECT_EQ(result.error.number, 245);
  EXPECT_EQ(result.error.text,
            "Conversion failed when converting the varchar value 'abc' to data type int.");
  result = TryLoad("Shop", "INSERT t (dt) VALUES ('2024-02-30')");
  EXPECT_EQ(result.error.number, 241);
}

// Literals of 18 or more digits were read through a double: 123456789012345678 came back as
// ...680 and 9223372036854775807 as -9223372036854775808.
TEST_F(LoaderTest, LongIntegerLiteralsAreStoredExactlyOrRefusedWith8115) {
  Load("Shop", "CREATE TABLE big (b bigint NULL, d decimal(38,0) NULL)\nGO\n");
  struct Case {
    const char* literal;
    const char* stored;  // nullptr: refused with 8115
  };
  const Case cases[] = {
      {"123456789012345678", "123456789012345678"},
      {"9223372036854775807", "9223372036854775807"},
      {"-9223372036854775808", "-9223372036854775808"},
      {"(((-9223372036854775807)))", "-9223372036854775807"},
      {"9223372036854775808", nullptr},
      {"-9223372036854775809", nullptr},
      {"99999999999999999999", nullptr},
  };
  for (const auto& c : cases) {
    Load("Shop", "DELETE big");
    const ScriptLoadResult result =
        TryLoad("Shop", std::string("INSERT big VALUES (") + c.literal + ", " + c.literal + ")");
    if (c.stored == nullptr) {
      EXPECT_EQ(result.error.number, 8115) << c.literal;
      EXPECT_EQ(result.error.text,
                "Arithmetic overflow error converting expression to data type bigint.");
      EXPECT_THAT(QueryRows("Shop", "SELECT COUNT(*) FROM big"), ElementsAre("0"));
    } else {
      ASSERT_TRUE(result.ok) << c.literal << ": " << result.message;
      EXPECT_THAT(QueryRows("Shop", "SELECT b, d FROM big"),
                  ElementsAre(std::string(c.stored) + "|" + c.stored));
    }
  }
}

TEST_F(LoaderTest, AFailingScriptLeavesNothingBehind) {
  Load("Shop", "CREATE TABLE kept (a int)\nGO\nINSERT kept VALUES (1)");
  const ScriptLoadResult result =
      TryLoad("Shop",
              "CREATE TABLE gone (a int)\nGO\nINSERT kept VALUES (2)\nGO\n\n"
              "CREATE TABLE kept (b int)\nGO\n");
  ASSERT_FALSE(result.ok);
  EXPECT_EQ(result.error.number, 2714);
  EXPECT_EQ(result.line, 6);
  EXPECT_EQ(result.message,
            "Msg 2714, Level 16, State 1, Line 6\nThere is already an object named 'kept' in the "
            "database.");
  EXPECT_THAT(QueryRows("Shop", "SELECT a FROM kept"), ElementsAre("1"));
  EXPECT_THAT(QueryRows("Shop", "SELECT name FROM sysobjects WHERE name = 'gone'"), IsEmpty());
  // A database the failed load created is removed again.
  EXPECT_FALSE(TryLoad("Fresh", "CREATE TABLE x (a int)\nGO\nNONSENSE\n").ok);
  EXPECT_THAT(QueryRows("master", "SELECT name FROM sysdatabases WHERE name = 'Fresh'"), IsEmpty());
  EXPECT_EQ(Run("Fresh", "SELECT 1").errors.at(0).number, 4060);
}

TEST_F(LoaderTest, SyntaxErrorsNameTheTokenAndTheLine) {
  ScriptLoadResult result = TryLoad("Shop", "CREATE TABLE t (a int)\nGO\nSELECT a FROM t WHERE\n");
  EXPECT_EQ(result.error.number, 156);
  EXPECT_EQ(result.error.text, "Incorrect syntax near the keyword 'WHERE'.");
  EXPECT_EQ(result.line, 3);
  result = TryLoad("Shop", "CREATE TABLE t (a int,\n  b int\n  FROM x)");
  ASSERT_FALSE(result.ok);
  EXPECT_EQ(result.error.number, 156);
  EXPECT_EQ(result.error.text, "Incorrect syntax near the keyword 'FROM'.");
  EXPECT_EQ(result.line, 3);
  result = TryLoad("Shop", "\n\nINSERT t VALUES ('abc)\n");
  EXPECT_EQ(result.error.number, 105);
  EXPECT_EQ(result.line, 3);
  // A statement that ends with parentheses still open fails near its last token, on its line.
  result =
      TryLoad("Shop", "CREATE TABLE u (a int)\nGO\nINSERT u VALUES (1)\nINSERT u VALUES ((2)\n");
  EXPECT_EQ(result.error.text, "Incorrect syntax near ')'.");
  EXPECT_EQ(result.line, 4);
  result = TryLoad("Shop", "MERGE INTO t USING u ON 1 = 1");
  EXPECT_EQ(result.error.text, "The embedded server does not support the statement MERGE.");
}

TEST_F(LoaderTest, GoSeparatesBatchesOnlyOutsideCommentsAndStrings) {
  Load("Shop",
       "CREATE TABLE t (s varchar(40) NULL)\ngo\n"
       "/* a comment\nGO\nstill the comment */\nINSERT t VALUES ('a\nGO\nb')\n  Go  \n");
  EXPECT_THAT(QueryRows("Shop", "SELECT s FROM t"), ElementsAre("a\nGO\nb"));
}

TEST_F(LoaderTest, ModuleMustOpenItsBatch) {
  const ScriptLoadResult result =
      TryLoad("Shop", "SET NOCOUNT ON\nCREATE PROCEDURE p AS SELECT 1\n");
  ASSERT_FALSE(result.ok);
  EXPECT_EQ(result.error.number, 111);
  EXPECT_EQ(result.error.text, "'CREATE PROCEDURE' must be the first statement in a query batch.");
}

TEST_F(LoaderTest, LongModulesAreStoredIn4000CharacterRows) {
  // 5000 characters of which many are two-byte UTF-8 letters: rows count characters.
  std::string body;
  while (Utf8Length(body) < 5000)
    body += "-- Größe \r\n";
  const std::string batch = "CREATE PROCEDURE p\r\nAS\r\n" + body + "SELECT 1\r\n";
  Load("Shop", batch + "GO\r\n");
  const auto rows =
      QueryRows("Shop",
                "SELECT text FROM syscomments sc INNER JOIN sysobjects so ON sc.id = so.id "
                "WHERE so.name = 'p' ORDER BY sc.colid");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(Utf8Length(rows[0]), 4000u);
  EXPECT_EQ(rows[0] + rows[1], batch);
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT colid, number FROM syscomments WHERE id = object_id('p') "
                        "ORDER BY colid"),
              ElementsAre("1|1", "2|1"));
  // ROUTINE_DEFINITION holds the first 4000 characters only.
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT len(ROUTINE_DEFINITION) FROM INFORMATION_SCHEMA.ROUTINES "
                        "WHERE ROUTINE_NAME = 'P'"),
              ElementsAre(std::to_string(Utf8Length(TrimRight(rows[0])))));
}

TEST_F(LoaderTest, EnterpriseManagerScriptsLoadWithTheirGuards) {
  const std::string script =
      "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[Orders]') and "
      "OBJECTPROPERTY(id, N'IsUserTable') = 1)\ndrop table [dbo].[Orders]\nGO\n\n"
      "CREATE TABLE [dbo].[Orders] (\n\t[OrderID] [int] IDENTITY (1, 1) NOT NULL ,\n"
      "\t[CustomerID] [nchar] (5) COLLATE SQL_Latin1_General_CP1_CI_AS NULL ,\n"
      "\t[Amount] [decimal](18, 2) NULL ,\n\t[Notes] [ntext] COLLATE "
      "SQL_Latin1_General_CP1_CI_AS NULL \n) ON [PRIMARY] TEXTIMAGE_ON [PRIMARY]\nGO\n\n"
      "ALTER TABLE [dbo].[Orders] WITH NOCHECK ADD \n\tCONSTRAINT [PK_Orders] PRIMARY KEY  "
      "CLUSTERED \n\t(\n\t\t[OrderID]\n\t)  ON [PRIMARY] \nGO\n\n"
      " CREATE  INDEX [IX_Orders_CustomerID] ON [dbo].[Orders]([CustomerID]) ON [PRIMARY]\nGO\n";
  Load("Shop", script);
  Load("Shop", "INSERT Orders (CustomerID) VALUES ('ALFKI')");
  Load("Shop", script);  // the guard drops the table first
  EXPECT_THAT(QueryRows("Shop", "SELECT COUNT(*) FROM Orders"), ElementsAre("0"));
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT name, indid FROM sysindexes WHERE id = object_id('Orders') "
                        "ORDER BY indid"),
              ElementsAre("PK_Orders|1", "IX_Orders_CustomerID|2"));
}

TEST_F(LoaderTest, UpdateDeleteAndDropChangeDataAndCatalogue) {
  Load("Shop",
       "CREATE TABLE t (id int IDENTITY NOT NULL PRIMARY KEY, v int NULL DEFAULT 1)\nGO\n"
       "INSERT t (v) VALUES (1), (2), (3)\nUPDATE t SET v = v * 10 WHERE id > 1\n"
       "DELETE FROM t WHERE v = 20\n");
  EXPECT_THAT(QueryRows("Shop", "SELECT id, v FROM t"), ElementsAre("1|1", "3|30"));
  EXPECT_THAT(QueryRows("Shop", "SELECT rows, rowcnt FROM sysindexes WHERE id = object_id('t')"),
              ElementsAre("2|2"));
  Load("Shop", "TRUNCATE TABLE t\nINSERT t (v) DEFAULT VALUES");
  EXPECT_THAT(QueryRows("Shop", "SELECT id, v FROM t"), ElementsAre("1|1"));
  ScriptLoadResult result = TryLoad("Shop", "UPDATE t SET id = 5");
  EXPECT_EQ(result.error.number, 8102);
  Load("Shop", "DROP TABLE t");
  EXPECT_THAT(QueryRows("Shop", "SELECT name FROM sysobjects WHERE xtype IN ('U', 'PK', 'D')"),
              IsEmpty());
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT count(*) FROM syscolumns c LEFT JOIN sysobjects o ON o.id "
                        "= c.id WHERE o.id IS NULL"),
              ElementsAre("0"));
  result = TryLoad("Shop", "DROP TABLE t");
  EXPECT_EQ(result.error.number, 3701);
}

TEST_F(LoaderTest, InsertSelectCopiesRowsOfTheSameDatabase) {
  Load("Shop",
       "CREATE TABLE a (x int NOT NULL, y varchar(5) NULL)\n"
       "CREATE TABLE b (n int IDENTITY NOT NULL, x int NOT NULL, y varchar(5) NULL)\nGO\n"
       "INSERT a VALUES (2, 'two'), (1, 'one')\nINSERT INTO b (x, y) SELECT x, y FROM a ORDER BY "
       "x\n");
  EXPECT_THAT(QueryRows("Shop", "SELECT n, x, y FROM b"), ElementsAre("1|1|one", "2|2|two"));
}

constexpr const char* kKeys = R"SQL(
CREATE TABLE Parent (id int NOT NULL PRIMARY KEY, name varchar(5) NULL)
CREATE TABLE Child (id int NOT NULL, parent int NULL CONSTRAINT FK_Child_Parent REFERENCES Parent (id),
  qty int NOT NULL CONSTRAINT CK_Child_Qty CHECK (qty > 0))
CREATE TABLE Leaf (id int NOT NULL, parent int NOT NULL,
  CONSTRAINT FK_Leaf_Parent FOREIGN KEY (parent) REFERENCES Parent (id) ON DELETE CASCADE)
GO
INSERT Parent VALUES (1, 'one'), (2, 'two'), (3, 'three')
INSERT Child VALUES (10, 1, 5), (11, NULL, 1)
INSERT Leaf VALUES (20, 2), (21, 2)
GO
)SQL";

TEST_F(LoaderTest, ChecksAndForeignKeysAreEnforcedWithError547) {
  Load("Shop", kKeys);
  ScriptLoadResult result = TryLoad("Shop", "INSERT Child VALUES (12, 1, 0)");
  EXPECT_EQ(result.error.number, 547);
  EXPECT_EQ(result.error.text,
            "The INSERT statement conflicted with the CHECK constraint \"CK_Child_Qty\". The "
            "conflict occurred in database \"Shop\", table \"dbo.Child\", column 'qty'.");
  result = TryLoad("Shop", "INSERT Child VALUES (12, 9, 1)");
  EXPECT_EQ(result.error.text,
            "The INSERT statement conflicted with the FOREIGN KEY constraint \"FK_Child_Parent\". "
            "The conflict occurred in database \"Shop\", table \"dbo.Parent\", column 'id'.");
  result = TryLoad("Shop", "UPDATE Child SET qty = -1 WHERE id = 10");
  EXPECT_EQ(result.error.number, 547);
  result = TryLoad("Shop", "DELETE FROM Parent WHERE id = 1");
  EXPECT_EQ(result.error.text,
            "The DELETE statement conflicted with the REFERENCE constraint \"FK_Child_Parent\". "
            "The conflict occurred in database \"Shop\", table \"dbo.Child\", column 'parent'.");
  // ON DELETE CASCADE takes the referring rows along.
  Load("Shop", "DELETE Parent WHERE id = 2");
  EXPECT_THAT(QueryRows("Shop", "SELECT COUNT(*) FROM Leaf"), ElementsAre("0"));
  EXPECT_THAT(QueryRows("Shop", "SELECT id FROM Parent"), ElementsAre("1", "3"));
}

TEST_F(LoaderTest, UpdatedValuesAreConvertedAndChecked) {
  Load("Shop", kKeys);
  Load("Shop",
       "UPDATE Parent SET name = 42 WHERE id = 3\nUPDATE Child SET qty = qty + 2\n"
       "INSERT Parent VALUES (4, 12.30)");
  EXPECT_THAT(QueryRows("Shop", "SELECT name FROM Parent WHERE id IN (3, 4)"),
              ElementsAre("42", "12.30"));
  EXPECT_THAT(QueryRows("Shop", "SELECT qty FROM Child"), ElementsAre("7", "3"));
  EXPECT_EQ(TryLoad("Shop", "UPDATE Parent SET name = 'toolong'").error.number, 8152);
  EXPECT_EQ(TryLoad("Shop", "UPDATE Child SET qty = NULL").error.text,
            "Cannot insert the value NULL into column 'qty', table 'Shop.dbo.Child'; column does "
            "not allow nulls. UPDATE fails.");
  EXPECT_EQ(TryLoad("Shop", "UPDATE Child SET nope = 1").error.number, 207);
}

// sp_attach_db inside a script is part of the script's one transaction: a later failure leaves
// the server's database list as it was.
TEST_F(LoaderTest, AnAttachInAFailedScriptIsUndone) {
  Load("Shop", "CREATE TABLE t (a int)");
  const std::string file = (scratch_.path() / "copy.mdf").string();
  std::filesystem::copy_file(scratch_.path() / "srv" / "Shop.db", file);
  const std::string attach = "EXEC sp_attach_db N'Again', N'" + file + "'\nGO\n";
  const ScriptLoadResult failed = TryLoad("Work", attach + "SELECT * FROM Nope\n");
  ASSERT_FALSE(failed.ok);
  EXPECT_EQ(failed.line, 3);
  EXPECT_THAT(QueryRows("master", "SELECT name FROM sysdatabases WHERE dbid > 4 ORDER BY dbid"),
              ElementsAre("Shop"));
  // A name attached earlier in the same script is taken.
  const ScriptLoadResult twice = TryLoad("Work", attach + attach);
  ASSERT_FALSE(twice.ok);
  EXPECT_EQ(twice.error.number, 1801);
  EXPECT_EQ(twice.line, 3);
  EXPECT_THAT(QueryRows("master", "SELECT name FROM sysdatabases WHERE dbid > 4 ORDER BY dbid"),
              ElementsAre("Shop"));
  const ScriptLoadResult loaded = TryLoad("Work", attach);
  ASSERT_TRUE(loaded.ok) << loaded.message;
  EXPECT_THAT(QueryRows("master", "SELECT name FROM sysdatabases WHERE dbid > 4 ORDER BY dbid"),
              ElementsAre("Shop", "Work", "Again"));
  EXPECT_THAT(QueryRows("Again", "SELECT COUNT(*) FROM t"), ElementsAre("0"));
}

}  // namespace
}  // namespace korvane::testing
