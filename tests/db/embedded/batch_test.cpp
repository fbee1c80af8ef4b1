// How a batch is cut into statements and run: statements without semicolons, IF/ELSE and
// BEGIN/END, SET options, several result sets, GO with a count.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

using ::testing::ElementsAre;

class BatchTest : public EmbeddedServerTest {
 protected:
  void SetUp() override {
    MakeServer("9.00.5000.00");
    Load("Db", "CREATE TABLE t (a int NULL, b varchar(10) NULL)");
  }
  std::vector<std::string> Q(const std::string& sql) { return QueryRows("Db", sql); }
};

TEST_F(BatchTest, StatementsNeedNoSemicolonsAndEveryResultSetIsReturned) {
  CommandOutcome outcome =
      Run("Db",
          "SET NOCOUNT ON INSERT t VALUES (1, 'x') INSERT INTO t SELECT a + 1, b FROM t "
          "UPDATE t SET b = 'y' WHERE a = 2; SELECT a FROM t SELECT b FROM t WHERE a = 2 "
          "UNION ALL SELECT 'z'");
  ASSERT_TRUE(outcome.ok) << outcome.errors.at(0).text;
  ASSERT_EQ(outcome.result_sets.size(), 2u);
  EXPECT_THAT(EmbeddedServerTest::Rows(outcome.result_sets[0]), ElementsAre("1", "2"));
  EXPECT_THAT(EmbeddedServerTest::Rows(outcome.result_sets[1]), ElementsAre("y", "z"));
  // A failing batch returns no result sets and changes nothing.
  outcome = Run("Db", "INSERT t VALUES (3, 'w') SELECT * FROM t SELECT * FROM missing");
  EXPECT_FALSE(outcome.ok);
  EXPECT_TRUE(outcome.result_sets.empty());
  EXPECT_THAT(Q("SELECT COUNT(*) FROM t"), ElementsAre("2"));
}

TEST_F(BatchTest, IfElseAndBlocksChooseWhatRuns) {
  Load("Db",
       "IF NOT EXISTS (SELECT * FROM t WHERE a = 1)\n  INSERT t VALUES (1, 'first')\n"
       "IF EXISTS (SELECT * FROM t WHERE a = 1)\nBEGIN\n  INSERT t VALUES (2, 'then')\n"
       "  INSERT t VALUES (3, 'then')\nEND\nELSE\n  INSERT t VALUES (9, 'else')\n"
       "IF OBJECT_ID('missing') IS NOT NULL DROP TABLE missing ELSE INSERT t VALUES (4, 'e')\n");
  EXPECT_THAT(Q("SELECT a, b FROM t"), ElementsAre("1|first", "2|then", "3|then", "4|e"));
}

TEST_F(BatchTest, StatementEndingErrorsAreFollowedBy3621) {
  Load("Db", "CREATE TABLE k (a int NOT NULL PRIMARY KEY)\nGO\nINSERT k VALUES (1)");
  const CommandOutcome outcome = Run("Db", "INSERT k VALUES (1)");
  ASSERT_EQ(outcome.errors.size(), 2u);
  EXPECT_EQ(outcome.errors[0].number, 2627);
  EXPECT_EQ(outcome.errors[0].severity, 14);
  EXPECT_EQ(outcome.errors[1].number, 3621);
  EXPECT_EQ(outcome.errors[1].severity, 0);
  EXPECT_EQ(outcome.errors[1].sqlstate, "01000");
  EXPECT_EQ(outcome.errors[1].text, "The statement has been terminated.");
  EXPECT_EQ(Run("Db", "SELECT * FROM nope").errors.size(), 1u);
}

TEST_F(BatchTest, GoWithACountRepeatsItsBatch) {
  Load("Db", "INSERT t (a) VALUES (1)\nGO 3\n");
  EXPECT_THAT(Q("SELECT COUNT(*) FROM t"), ElementsAre("3"));
}

TEST_F(BatchTest, CaseExpressionsDoNotEndStatements) {
  Load("Db",
       "INSERT t VALUES (1, 'a')\nUPDATE t SET b = CASE WHEN a = 1 THEN 'one' ELSE 'other' "
       "END\nINSERT t VALUES (2, 'b')");
  EXPECT_THAT(Q("SELECT a, b FROM t"), ElementsAre("1|one", "2|b"));
}

TEST_F(BatchTest, UnsupportedStatementsAreNamed) {
  EXPECT_EQ(Run("Db", "DECLARE @x int").errors.at(0).text,
            "The embedded server does not support the statement DECLARE.");
  EXPECT_EQ(Run("Db", "WHILE 1 = 0 SELECT 1").errors.at(0).text,
            "The embedded server does not support WHILE loops.");
  EXPECT_EQ(Run("Db", "CREATE DATABASE x").errors.at(0).text,
            "The embedded server does not support CREATE DATABASE.");
  EXPECT_EQ(Run("Db", "USE Other").errors.at(0).text,
            "The embedded server does not support USE of another database in a batch ('Other').");
  EXPECT_TRUE(Run("Db", "USE [db]").ok);
}

}  // namespace
}  // namespace korvane::testing
