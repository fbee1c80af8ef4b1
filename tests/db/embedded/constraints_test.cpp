// Keys and constraints over a table's lifetime: dropping what others depend on, version-8
// message wording, cascades over several levels, and line ends kept in stored texts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kTree = R"SQL(
CREATE TABLE A (id int NOT NULL CONSTRAINT PK_A PRIMARY KEY)
CREATE TABLE B (id int NOT NULL CONSTRAINT PK_B PRIMARY KEY,
  a int NOT NULL CONSTRAINT FK_B_A REFERENCES A (id) ON DELETE CASCADE)
CREATE TABLE C (id int NOT NULL, b int NOT NULL CONSTRAINT FK_C_B REFERENCES B (id) ON DELETE CASCADE,
  CONSTRAINT CK_C CHECK (id > b))
GO
INSERT A VALUES (1), (2)
INSERT B VALUES (10, 1), (20, 2)
INSERT C VALUES (100, 10), (200, 20), (300, 20)
GO
)SQL";

class ConstraintsTest : public EmbeddedServerTest {
 protected:
  std::vector<std::string> Q(const std::string& sql) { return QueryRows("Db", sql); }
};

TEST_F(ConstraintsTest, CascadesRunThroughSeveralLevels) {
  MakeServer("9.00.5000.00");
  Load("Db", kTree);
  Load("Db", "DELETE FROM A WHERE id = 2");
  EXPECT_THAT(Q("SELECT id FROM B"), ElementsAre("10"));
  EXPECT_THAT(Q("SELECT id FROM C"), ElementsAre("100"));
  EXPECT_THAT(Q("SELECT rows FROM sysindexes WHERE id = object_id('A') AND indid = 1"),
              ElementsAre("1"));
}

TEST_F(ConstraintsTest, ReferencedKeysAndTablesCannotBeDropped) {
  MakeServer("9.00.5000.00");
  Load("Db", kTree);
  ScriptLoadResult result = TryLoad("Db", "DROP TABLE A");
  EXPECT_EQ(result.error.number, 3726);
  EXPECT_EQ(result.error.text,
            "Could not drop object 'dbo.A' because it is referenced by a FOREIGN KEY constraint.");
  result = TryLoad("Db", "ALTER TABLE A DROP CONSTRAINT PK_A");
  EXPECT_EQ(result.error.number, 3725);
  result = TryLoad("Db", "ALTER TABLE A DROP CONSTRAINT nothing");
  EXPECT_EQ(result.error.text, "'nothing' is not a constraint.");
  // Dropping the foreign keys first frees the table.
  Load("Db", "ALTER TABLE B DROP CONSTRAINT FK_B_A\nGO\nDROP TABLE A\n");
  EXPECT_THAT(Q("SELECT name FROM sysobjects WHERE name IN ('A', 'PK_A', 'FK_B_A')"), IsEmpty());
  EXPECT_THAT(Q("SELECT COUNT(*) FROM sysreferences"), ElementsAre("1"));
  EXPECT_THAT(Q("SELECT COUNT(*) FROM sysforeignkeys"), ElementsAre("1"));
}

TEST_F(ConstraintsTest, Version8WordsConflictsAsSqlServer2000) {
  MakeServer("8.00.2039");
  Load("Db", kTree);
  ScriptLoadResult result = TryLoad("Db", "INSERT C VALUES (1, 10)");
  EXPECT_EQ(result.error.number, 547);
  EXPECT_EQ(result.error.text,
            "INSERT statement conflicted with TABLE CHECK constraint 'CK_C'. The conflict "
            "occurred in database 'Db', table 'C'.");
  result = TryLoad("Db", "INSERT B VALUES (30, 9)");
  EXPECT_EQ(result.error.text,
            "INSERT statement conflicted with COLUMN FOREIGN KEY constraint 'FK_B_A'. The conflict "
            "occurred in database 'Db', table 'A', column 'id'.");
  result = TryLoad("Db", "INSERT A VALUES (1)");
  EXPECT_EQ(
      result.error.text,
      "Violation of PRIMARY KEY constraint 'PK_A'. Cannot insert duplicate key in object 'A'.");
}

TEST_F(ConstraintsTest, SchemasInUseCannotBeDropped) {
  MakeServer("9.00.5000.00");
  Load("Db", "CREATE SCHEMA s\nGO\nCREATE TABLE s.t (a int)\nGO\nCREATE SCHEMA empty\n");
  EXPECT_EQ(TryLoad("Db", "DROP SCHEMA s").error.number, 3729);
  EXPECT_EQ(TryLoad("Db", "DROP SCHEMA dbo").error.number, 15151);
  Load("Db", "DROP SCHEMA empty");
  EXPECT_THAT(Q("SELECT name FROM sys.schemas WHERE schema_id BETWEEN 5 AND 16383"),
              ElementsAre("s"));
}

TEST_F(ConstraintsTest, ModuleTextsKeepTheirLineEndsAsSent) {
  MakeServer("9.00.5000.00");
  Load("Db",
       "CREATE VIEW crlf AS\r\nSELECT 1 AS one\r\nGO\r\nCREATE VIEW lf AS\nSELECT 2 AS two\nGO\n");
  EXPECT_THAT(Q("SELECT text FROM syscomments WHERE id = object_id('crlf')"),
              ElementsAre("CREATE VIEW crlf AS\r\nSELECT 1 AS one\r\n"));
  EXPECT_THAT(Q("SELECT text FROM syscomments WHERE id = object_id('lf')"),
              ElementsAre("CREATE VIEW lf AS\nSELECT 2 AS two\n"));
  EXPECT_THAT(Q("SELECT one FROM crlf"), ElementsAre("1"));
}

TEST_F(ConstraintsTest, TriggersMustNameAnExistingTable) {
  MakeServer("9.00.5000.00");
  Load("Db", "CREATE TABLE t (a int)");
  EXPECT_EQ(TryLoad("Db", "CREATE TRIGGER tr ON nowhere FOR INSERT AS SELECT 1").error.number, 208);
  EXPECT_EQ(TryLoad("Db", "CREATE VIEW v AS SELECT * FROM nowhere").error.number, 208);
  Load("Db", "CREATE TRIGGER tr ON t INSTEAD OF DELETE AS SELECT 1");
  EXPECT_THAT(Q("SELECT OBJECTPROPERTY(object_id('tr'), 'ExecIsInsteadOfTrigger'), "
                "OBJECTPROPERTY(object_id('tr'), 'ExecIsAfterTrigger'), "
                "CASE WHEN deltrig = object_id('tr') THEN 1 ELSE 0 END "
                "FROM sysobjects WHERE name = 't'"),
              ElementsAre("1|0|1"));
}

}  // namespace
}  // namespace korvane::testing
