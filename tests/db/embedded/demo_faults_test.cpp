// Faults found by loading the demo scripts, each pinned by the test named after it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

using ::testing::ElementsAre;

class DemoFaultsTest : public EmbeddedServerTest {};

constexpr char kCustomers[] =
    "CREATE TABLE dbo.Customers (CustomerID int NOT NULL PRIMARY KEY, Name varchar(20) NULL)\n"
    "GO\n"
    "INSERT dbo.Customers VALUES (1, 'Ann')\n"
    "GO\n";

TEST_F(DemoFaultsTest, ColumnForeignKeyMayNameTheForeignKeyWords) {
  {
    MakeServer("9.00.5000.00");
    Load("Shop", std::string(kCustomers) +
                     "CREATE TABLE dbo.Orders (OrderID int NOT NULL PRIMARY KEY,\n"
                     "  CustomerID int NOT NULL CONSTRAINT FK_Orders_Customers FOREIGN KEY\n"
                     "    REFERENCES dbo.Customers (CustomerID),\n"
                     "  Other int NULL FOREIGN KEY REFERENCES dbo.Customers)\n");
    EXPECT_THAT(QueryRows("Shop",
                          "SELECT f.name, c.name, r.name FROM sysreferences s "
                          "JOIN sysobjects f ON f.id = s.constid "
                          "JOIN syscolumns c ON c.id = s.fkeyid AND c.colid = s.fkey1 "
                          "JOIN syscolumns r ON r.id = s.rkeyid AND r.colid = s.rkey1 "
                          "ORDER BY c.name"),
                ElementsAre("FK_Orders_Customers|CustomerID|CustomerID",
                            ::testing::StartsWith("FK__Orders__Other__")));
    const CommandOutcome orphan = Run("Shop", "INSERT dbo.Orders VALUES (1, 2, NULL)");
    ASSERT_FALSE(orphan.ok);
    EXPECT_EQ(orphan.errors[0].number, 547);
    EXPECT_TRUE(Run("Shop", "INSERT dbo.Orders VALUES (1, 1, 1)").ok);
  }
}

TEST_F(DemoFaultsTest, TableForeignKeyStillNeedsItsColumnList) {
  MakeServer("9.00.5000.00");
  const ScriptLoadResult result =
      TryLoad("Shop", std::string(kCustomers) +
                          "CREATE TABLE dbo.Orders (CustomerID int NOT NULL,\n"
                          "  CONSTRAINT FK_x FOREIGN KEY REFERENCES dbo.Customers (CustomerID))\n");
  EXPECT_FALSE(result.ok);
}

TEST_F(DemoFaultsTest, CheckTextKeepsTheBlanksBetweenWordsAndStillEvaluates) {
  MakeServer("9.00.5000.00");
  Load("Shop",
       "CREATE TABLE dbo.T (A int NOT NULL, B int NULL, C int NOT NULL,\n"
       "  CONSTRAINT CK_T_B CHECK (B IS NULL OR B >= C),\n"
       "  CONSTRAINT CK_T_A CHECK (A BETWEEN 1 AND 5 AND NOT (A = 4)),\n"
       "  CONSTRAINT CK_T_C CHECK (C IN (1, 2, 3) OR C LIKE '9%'))\n");
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT so.name, sc.text FROM sysobjects so JOIN syscomments sc "
                        "ON sc.id = so.id WHERE so.xtype = 'C' ORDER BY so.name"),
              ElementsAre("CK_T_A|([A] BETWEEN (1) AND (5) AND NOT ([A]=(4)))",
                          "CK_T_B|([B] IS NULL OR [B]>=[C])",
                          "CK_T_C|([C] IN ((1),(2),(3)) OR [C] like '9%')"));
  EXPECT_TRUE(Run("Shop", "INSERT dbo.T VALUES (1, NULL, 2)").ok);
  EXPECT_TRUE(Run("Shop", "INSERT dbo.T VALUES (2, 5, 3)").ok);
  EXPECT_TRUE(Run("Shop", "INSERT dbo.T VALUES (3, NULL, 95)").ok);
  const CommandOutcome low = Run("Shop", "INSERT dbo.T VALUES (1, 1, 2)");
  ASSERT_FALSE(low.ok);
  EXPECT_EQ(low.errors[0].number, 547);
  EXPECT_NE(low.errors[0].text.find("CK_T_B"), std::string::npos);
  const CommandOutcome four = Run("Shop", "INSERT dbo.T VALUES (4, NULL, 1)");
  ASSERT_FALSE(four.ok);
  EXPECT_NE(four.errors[0].text.find("CK_T_A"), std::string::npos);
  EXPECT_FALSE(Run("Shop", "INSERT dbo.T VALUES (1, NULL, 7)").ok);
  EXPECT_THAT(QueryRows("Shop", "SELECT COUNT(*) FROM dbo.T"), ElementsAre("3"));
}

TEST_F(DemoFaultsTest, UnknownQuotedColumnIsInvalidNotAString) {
  MakeServer("9.00.5000.00");
  Load("Shop", "CREATE TABLE t (a int NULL)\nGO\nINSERT t VALUES (1)\nINSERT t VALUES (2)\n");
  for (const char* query :
       {"SELECT [NoSuchColumn] FROM t", "SELECT \"NoSuchColumn\" FROM t",
        "SELECT a FROM t WHERE [NoSuchColumn] = 1", "SELECT a FROM t ORDER BY \"NoSuchColumn\""}) {
    SCOPED_TRACE(query);
    const CommandOutcome outcome = Run("Shop", query);
    ASSERT_FALSE(outcome.ok);
    ASSERT_FALSE(outcome.errors.empty());
    EXPECT_EQ(outcome.errors[0].number, 207);
    EXPECT_EQ(outcome.errors[0].text, "Invalid column name 'NoSuchColumn'.");
  }
  EXPECT_THAT(QueryRows("Shop", "SELECT [a], \"a\" FROM t ORDER BY \"a\""),
              ElementsAre("1|1", "2|2"));
  EXPECT_THAT(QueryRows("Shop", "SELECT 'text' FROM t WHERE a = 1"), ElementsAre("text"));
}

}  // namespace
}  // namespace korvane::testing
