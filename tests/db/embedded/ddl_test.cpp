// Changing a loaded database: ALTER TABLE ADD, ALTER and DROP of modules, indexes, statistics
// and schemas, and what each version keeps in the catalogue for them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class DdlTest : public EmbeddedServerTest {
 protected:
  std::vector<std::string> Q(const std::string& sql) { return QueryRows("Db", sql); }
};

TEST_F(DdlTest, AlterTableAddsColumnsAndConstraints) {
  MakeServer("9.00.5000.00");
  Load("Db",
       "CREATE TABLE t (a int NOT NULL)\nGO\nINSERT t VALUES (1)\nGO\n"
       "ALTER TABLE t ADD b varchar(10) NULL, c int NOT NULL CONSTRAINT DF_t_c DEFAULT 7\n"
       "ALTER TABLE t WITH NOCHECK ADD CONSTRAINT PK_t PRIMARY KEY CLUSTERED (a)\n"
       "ALTER TABLE t ADD CONSTRAINT DF_t_b DEFAULT ('none') FOR b\n"
       "GO\nINSERT t (a) VALUES (2)\n");
  EXPECT_THAT(Q("SELECT name, colid, cdefault <> 0 FROM syscolumns WHERE id = object_id('t') "
                "ORDER BY colorder"),
              ElementsAre("a|1|0", "b|2|1", "c|3|1"));
  EXPECT_THAT(Q("SELECT a, b, c FROM t"), ElementsAre("1|Null|Null", "2|none|7"));
  EXPECT_THAT(Q("SELECT OBJECTPROPERTY(object_id('t'), 'TableHasPrimaryKey'), "
                "OBJECTPROPERTY(object_id('PK_t'), 'CnstIsClustKey'), "
                "OBJECTPROPERTY(object_id('DF_t_c'), 'IsDefaultCnst')"),
              ElementsAre("1|1|1"));
  // A second primary key, or a NOT NULL column without default on a table with rows, fails.
  EXPECT_EQ(TryLoad("Db", "ALTER TABLE t ADD CONSTRAINT PK_t2 PRIMARY KEY (c)").error.number, 1779);
  EXPECT_EQ(TryLoad("Db", "ALTER TABLE t ADD d int NOT NULL").error.number, 4901);
  Load("Db", "ALTER TABLE t DROP CONSTRAINT PK_t");
  EXPECT_THAT(Q("SELECT indid, name FROM sysindexes WHERE id = object_id('t')"),
              ElementsAre("0|Null"));
}

TEST_F(DdlTest, ModulesCanBeAlteredAndDropped) {
  MakeServer("9.00.5000.00");
  Load("Db", "CREATE PROCEDURE p AS SELECT 1\nGO\nCREATE VIEW v AS SELECT 1 AS one\nGO\n");
  const std::string id = Q("SELECT object_id('p')").at(0);
  Load("Db", "ALTER PROCEDURE p @x int AS SELECT @x\nGO\n");
  EXPECT_THAT(Q("SELECT text FROM syscomments WHERE id = object_id('p')"),
              ElementsAre("ALTER PROCEDURE p @x int AS SELECT @x\n"));
  EXPECT_THAT(Q("SELECT object_id('p')"), ElementsAre(id));
  EXPECT_THAT(Q("SELECT name FROM syscolumns WHERE id = object_id('p')"), ElementsAre("@x"));
  EXPECT_THAT(Q("SELECT one FROM v"), ElementsAre("1"));
  Load("Db", "DROP PROCEDURE p\nDROP VIEW v\n");
  EXPECT_THAT(Q("SELECT name FROM sysobjects WHERE xtype IN ('P', 'V')"), IsEmpty());
  EXPECT_THAT(Q("SELECT count(*) FROM syscomments"), ElementsAre("0"));
  EXPECT_EQ(TryLoad("Db", "DROP VIEW v").error.text,
            "Cannot drop the view 'v', because it does not exist or you do not have permission.");
}

TEST_F(DdlTest, IndexesAndStatisticsCanBeDropped) {
  MakeServer("9.00.5000.00");
  Load("Db",
       "CREATE TABLE t (a int NOT NULL, b int NULL)\n"
       "CREATE CLUSTERED INDEX CX ON t (a)\nCREATE INDEX IX ON t (b DESC)\n"
       "CREATE STATISTICS S1 ON t (a, b) WITH NORECOMPUTE\n");
  EXPECT_THAT(Q("SELECT name, indid, status, keycnt FROM sysindexes WHERE id = object_id('t') "
                "ORDER BY indid"),
              ElementsAre("CX|1|16|1", "IX|2|0|1", "S1|3|16777280|2"));
  EXPECT_EQ(TryLoad("Db", "CREATE CLUSTERED INDEX CX2 ON t (b)").error.number, 1902);
  EXPECT_EQ(TryLoad("Db", "CREATE INDEX IX ON t (a)").error.text,
            "The operation failed because an index or statistics with name 'IX' already exists "
            "on table 'dbo.t'.");
  EXPECT_THAT(Q("SELECT INDEX_COL('t', 3, 1), INDEX_COL('dbo.t', 3, 2), INDEX_COL('t', 3, 3), "
                "COLUMNPROPERTY(object_id('t'), 'b', 'AllowsNull'), "
                "COLUMNPROPERTY(object_id('t'), 'a', 'AllowsNull'), "
                "COLUMNPROPERTY(object_id('t'), 'a', 'Nonsense')"),
              ElementsAre("a|b|Null|1|0|Null"));
  Load("Db", "DROP INDEX t.CX\nDROP INDEX IX ON t\nDROP STATISTICS t.S1\n");
  EXPECT_THAT(Q("SELECT name, indid FROM sysindexes WHERE id = object_id('t')"),
              ElementsAre("Null|0"));
  EXPECT_THAT(Q("SELECT count(*) FROM sysindexkeys"), ElementsAre("0"));
}

TEST_F(DdlTest, Version8KeepsTextImageRowsAndUsersAsOwners) {
  MakeServer("8.00.2039");
  Load("Db",
       "CREATE SCHEMA acct\nGO\nCREATE TABLE acct.Notes (id int NOT NULL PRIMARY KEY, "
       "body text NULL)\nGO\n");
  EXPECT_THAT(
      Q("SELECT indid, name FROM sysindexes WHERE id = object_id('acct.Notes') ORDER BY indid"),
      ElementsAre(::testing::StartsWith("1|PK__Notes__"), "255|tNotes"));
  EXPECT_THAT(Q("SELECT uid, name FROM sysusers WHERE name = 'acct'"), ElementsAre("5|acct"));
  EXPECT_THAT(Q("SELECT name FROM sysobjects WHERE id < 100 ORDER BY id").front(), "sysobjects");
  // 2000's system tables list their columns like user tables.
  EXPECT_THAT(Q("SELECT c.name, c.length FROM syscolumns c JOIN sysobjects o ON o.id = c.id "
                "WHERE o.name = 'sysindexkeys' ORDER BY c.colorder"),
              ElementsAre("id|4", "indid|2", "colid|2", "keyno|2"));
  EXPECT_EQ(TryLoad("Db", "CREATE TABLE nobody.t (a int)").error.text,
            "The specified owner name 'nobody' either does not exist or you do not have "
            "permission to use it.");
  EXPECT_EQ(TryLoad("Db", "CREATE TABLE t (a varchar(max))").error.number, 102);
}

TEST_F(DdlTest, UsersAddedBySpAddUserOwnObjects) {
  MakeServer("8.00.2039");
  Load("Db",
       "EXEC sp_adduser 'clerk'\nEXEC sp_addextendedproperty N'MS_Description', N'x'\nGO\n"
       "CREATE TABLE clerk.Notes (a int)\n");
  EXPECT_THAT(Q("SELECT su.name FROM sysobjects so INNER JOIN sysusers su ON so.uid = su.uid "
                "WHERE so.name = 'Notes'"),
              ElementsAre("clerk"));
  EXPECT_EQ(TryLoad("Db", "EXEC sp_adduser 'clerk'").error.number, 2714);
}

TEST_F(DdlTest, Version9RefusesUnknownSchemasAndKnowsMaxTypes) {
  MakeServer("9.00.5000.00");
  Load("Db", "CREATE TABLE t (a varchar(max) NULL, b nvarchar(max) NULL, c xml NULL)");
  EXPECT_THAT(
      Q("SELECT name, length, prec FROM syscolumns WHERE id = object_id('t') ORDER BY colid"),
      ElementsAre("a|-1|-1", "b|-1|-1", "c|-1|-1"));
  EXPECT_EQ(TryLoad("Db", "CREATE TABLE nobody.t (a int)").error.number, 2760);
  EXPECT_THAT(Q("SELECT name FROM sysobjects WHERE xtype = 'S' AND id = 4"),
              ElementsAre("sysrowsetcolumns"));
}

TEST_F(DdlTest, UniqueIndexOverDuplicateRowsIsRefused) {
  MakeServer("9.00.5000.00");
  Load("Db", "CREATE TABLE t (a int NULL)\nGO\nINSERT t VALUES (1), (1)");
  const ScriptLoadResult result = TryLoad("Db", "CREATE UNIQUE INDEX UX ON t (a)");
  EXPECT_EQ(result.error.number, 1505);
  EXPECT_EQ(result.error.text,
            "CREATE UNIQUE INDEX terminated because a duplicate key was found for object name "
            "'dbo.t' and index name 'UX'.");
  EXPECT_THAT(Q("SELECT COUNT(*) FROM sysindexes WHERE id = object_id('t')"), ElementsAre("1"));
}

TEST_F(DdlTest, NamesAreUniqueIgnoringCase) {
  MakeServer("9.00.5000.00");
  Load("Db", "CREATE TABLE Orders (a int)");
  EXPECT_EQ(TryLoad("Db", "CREATE TABLE ORDERS (b int)").error.number, 2714);
  EXPECT_EQ(TryLoad("Db", "CREATE TABLE x (a int, A int)").error.number, 2705);
  EXPECT_EQ(TryLoad("Db", "CREATE TABLE y (a int CONSTRAINT orders PRIMARY KEY)").error.number,
            2714);
}

TEST_F(DdlTest, BoundDefaultsAndRulesAreStandAloneObjects) {
  MakeServer("8.00.2039");
  Load("Db",
       "CREATE DEFAULT dfZero AS 0\nGO\nCREATE RULE rPositive AS @v >= 0\nGO\n"
       "CREATE TABLE t (a int NULL, b int NULL)\nGO\n"
       "EXEC sp_bindefault 'dfZero', 't.a'\nEXEC sp_bindrule rPositive, 't.b'\nGO\n"
       "INSERT t (b) VALUES (5)\n");
  EXPECT_THAT(Q("SELECT a, b FROM t"), ElementsAre("0|5"));
  EXPECT_THAT(Q("SELECT name, xtype, parent_obj, OBJECTPROPERTY(id, 'IsDefault'), "
                "OBJECTPROPERTY(id, 'IsConstraint') FROM sysobjects WHERE name IN ('dfZero', "
                "'rPositive') ORDER BY name"),
              ElementsAre("dfZero|D |0|1|0", "rPositive|R |0|0|0"));
  EXPECT_THAT(Q("SELECT c.name FROM syscolumns c JOIN sysobjects o ON o.id = c.domain"),
              ElementsAre("b"));
  EXPECT_THAT(Q("SELECT text FROM syscomments WHERE id = object_id('dfZero')"),
              ElementsAre("CREATE DEFAULT dfZero AS 0\n"));
  EXPECT_EQ(TryLoad("Db", "DROP DEFAULT dfZero").error.number, 3716);
}

}  // namespace
}  // namespace korvane::testing
