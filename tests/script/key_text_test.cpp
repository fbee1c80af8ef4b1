#include "script/key_text.h"

#include <gtest/gtest.h>

#include <tuple>

#include "script/table_indexes.h"
#include "script_fixture.h"

namespace korvane {
namespace {

using testing::ForeignKeyRows;
using testing::IndexQuery;
using testing::IndexRows;
using testing::NoRows;
using testing::QueryFailure;
using testing::RelationshipQuery;
using testing::Rows;
using testing::ScriptTest;

std::string ConstraintQuery(std::string_view literal_name) {
  return "SELECT si.name as [name], so2.refdate AS refdate, so2.id AS id, sc.name AS [column], "
         "sk.indid, so2.name as [tablename], sk.keyno "
         "FROM sysobjects so INNER JOIN sysindexkeys sk ON so.parent_obj = sk.id "
         "INNER JOIN sysindexes si ON sk.id = si.id AND sk.indid = si.indid "
         "INNER JOIN syscolumns sc ON sk.id = sc.id AND sk.colid = sc.colid "
         "INNER JOIN sysobjects so2 ON so.parent_obj = so2.id "
         "WHERE si.indid = 1 AND  si.name = '" +
         std::string(literal_name) +
         "' AND INDEXPROPERTY(si.id, si.name, 'IsStatistics') = 0 AND "
         "INDEXPROPERTY(si.id, si.name, 'IsHypothetical') = 0 ORDER BY so2.id, sk.keyno";
}

// Rows of the constraint query: name, table id, column, keyno; the table is Orders.
CommandOutcome ConstraintRows(std::vector<std::tuple<std::string, int, std::string, int>> rows) {
  std::vector<std::vector<Value>> values;
  for (auto& [name, id, column, keyno] : rows)
    values.push_back({Value::Text(name), Value::Null(), Value::Integer(id), Value::Text(column),
                      Value::Integer(1), Value::Text("Orders"), Value::Integer(keyno)});
  return Rows({"name", "refdate", "id", "column", "indid", "tablename", "keyno"},
              std::move(values));
}

// --- index text ----------------------------------------------------------------------------

using TableIndexesTest = ScriptTest;

TEST_F(TableIndexesTest, PrimaryKeyAndSecondaryIndex) {
  Respond(IndexQuery("Orders", false), IndexRows({{"OrderID", "PK_Orders", 1},
                                                  {"OrderDate", "IX_Date", 2},
                                                  {"CustomerID", "IX_Date", 2}}));
  EXPECT_EQ(GetTableIndexes(context_, server(), "Sales", "Orders", false, ""),
            "CONSTRAINT [PK_Orders] PRIMARY KEY CLUSTERED ([OrderID])\r\n"
            "INDEX [IX_Date] ([OrderDate], [CustomerID])\r\n");
  EXPECT_EQ(Databases(), std::vector<std::string>{"Sales"});
}

TEST_F(TableIndexesTest, ClusteredIndexKindsAndTheNameSuffix) {
  Respond(IndexQuery("A", false), IndexRows({{"X", "Pk_Main", 1}, {"Y", "Pk_Main", 1}}));
  Respond(IndexQuery("B", false), IndexRows({{"X", "IX_Cl", 1}, {"Y", "UQ_B", 3}}));
  Respond(IndexQuery("C", false), IndexRows({{"X", "PK_C", 2}, {"Y", "IX_Y", 3}}));
  EXPECT_EQ(GetTableIndexes(context_, server(), "Sales", "A", false, "_1"),
            "CONSTRAINT [Pk_Main_1] PRIMARY KEY CLUSTERED ([X], [Y])\r\n");
  EXPECT_EQ(GetTableIndexes(context_, server(), "Sales", "B", false, "_1"),
            "CLUSTERED INDEX [IX_Cl_1] ([X])\r\nINDEX [UQ_B] ([Y])\r\n");
  // A non-clustered primary key is written like any other index; the suffix is not used.
  EXPECT_EQ(GetTableIndexes(context_, server(), "Sales", "C", false, "_1"),
            "INDEX [PK_C] ([X])\r\nINDEX [IX_Y] ([Y])\r\n");
}

TEST_F(TableIndexesTest, ClusteredOnlyAndTablesWithoutIndexRows) {
  Respond(IndexQuery("Orders", true), IndexRows({{"OrderID", "PK_Orders", 1}}));
  Respond(IndexQuery("Heap", true), NoRows({"column", "index", "indid", "keyno"}));
  Respond(IndexQuery("Gone", false), QueryFailure());
  EXPECT_EQ(GetTableIndexes(context_, server(), "Sales", "Orders", true, ""),
            "CONSTRAINT [PK_Orders] PRIMARY KEY CLUSTERED ([OrderID])\r\n");
  EXPECT_EQ(GetTableIndexes(context_, server(), "Sales", "Heap", true, ""), "");
  EXPECT_EQ(GetTableIndexes(context_, server(), "Sales", "Gone", false, ""), "");
}

TEST_F(TableIndexesTest, Fault2IndexesAreReadFromTheTableItselfByIdOrName) {
  // The query joins the index keys to the table directly: no child object is needed.
  Respond(IndexQuery("Plain", false), IndexRows({{"A", "IX_A", 2}}));
  EXPECT_EQ(GetTableIndexes(context_, server(), "Sales", "Plain", false, ""),
            "INDEX [IX_A] ([A])\r\n");
  const std::string by_id = BuildIndexQuery("Plain", true, {}, 12);
  EXPECT_NE(by_id.find("FROM sysindexkeys sk INNER JOIN"), std::string::npos);
  EXPECT_NE(by_id.find("WHERE so2.id = 12 AND si.indid = 1 AND"), std::string::npos);
  EXPECT_EQ(by_id.find("parent_obj"), std::string::npos);
  Respond(by_id, IndexRows({{"A", "PK_Plain", 1}}));
  EXPECT_EQ(
      GetTableIndexes(context_, server(), "Sales", "Plain", true, "", NameQuoting::kAsStored, 12),
      "CONSTRAINT [PK_Plain] PRIMARY KEY CLUSTERED ([A])\r\n");
}

TEST_F(TableIndexesTest, QuoteInTableNameIsDoubled) {
  Respond(IndexQuery("O''Brien", false), NoRows({"column"}));
  EXPECT_EQ(GetTableIndexes(context_, server(), "Sales", "O'Brien", false, ""), "");
  EXPECT_EQ(Queries(), std::vector<std::string>{IndexQuery("O''Brien", false)});
}

// --- relationships ---------------------------------------------------------------------------

using RelationshipTextTest = ScriptTest;

TEST_F(RelationshipTextTest, FourLinesOfASingleColumnKey) {
  Respond(RelationshipQuery("FK_Orders_Customers"),
          ForeignKeyRows({{"FK_Orders_Customers", "CustomerID", "Customers", "ID", "Orders"}}));
  EXPECT_EQ(GetRelationshipText(context_, server(), "Sales", "FK_Orders_Customers"),
            "TABLE Orders\r\nCONSTRAINT [FK_Orders_Customers]\r\nFOREIGN KEY [CustomerID]\r\n"
            "REFERENCES [Customers] [ID]");
}

TEST_F(RelationshipTextTest, Fault3EveryColumnPairIsListedInKeyOrder) {
  // Two keys of the same name (different owners): only the first one's pairs are written.
  Respond(RelationshipQuery("FK_Orders_Customers"),
          ForeignKeyRows({{"FK_Orders_Customers", "CustomerID", "Customers", "ID", "Orders", "5"},
                          {"FK_Orders_Customers", "Region", "Customers", "Region", "Orders", "5"},
                          {"FK_Orders_Customers", "Other", "Elsewhere", "X", "Lines", "9"}}));
  EXPECT_EQ(GetRelationshipText(context_, server(), "Sales", "FK_Orders_Customers"),
            "TABLE Orders\r\nCONSTRAINT [FK_Orders_Customers]\r\n"
            "FOREIGN KEY [CustomerID], [Region]\r\nREFERENCES [Customers] [ID], [Region]");
}

TEST_F(RelationshipTextTest, NotFoundOrFailedGivesEmptyText) {
  Respond(RelationshipQuery("FK_None"), ForeignKeyRows({}));
  Respond(RelationshipQuery("FK_Err"), QueryFailure());
  EXPECT_EQ(GetRelationshipText(context_, server(), "Sales", "FK_None"), "");
  EXPECT_EQ(GetRelationshipText(context_, server(), "Sales", "FK_Err"), "");
  // Run command reports the failed query once, in its own message.
  EXPECT_EQ(ui_.messages.size(), 1u);
}

TEST_F(RelationshipTextTest, QuoteInNameIsDoubledInTheQuery) {
  Respond(RelationshipQuery("FK_O''Brien"),
          ForeignKeyRows({{"FK_O'Brien", "a]b", "T", "C", "O'Brien"}}));
  EXPECT_EQ(GetRelationshipText(context_, server(), "Sales", "FK_O'Brien"),
            "TABLE O'Brien\r\nCONSTRAINT [FK_O'Brien]\r\nFOREIGN KEY [a]b]\r\n"
            "REFERENCES [T] [C]");
}

// --- constraints -----------------------------------------------------------------------------

using ConstraintTextTest = ScriptTest;

TEST_F(ConstraintTextTest, FourLinesWithTrailingSpacesInsideAndTrimmedEnds) {
  // The key column comes once per child object of the table (here the key and a default).
  Respond(ConstraintQuery("PK_Orders"),
          ConstraintRows({{"PK_Orders", 5, "OrderID", 1}, {"PK_Orders", 5, "OrderID", 1}}));
  EXPECT_EQ(GetConstraintText(context_, server(), "Sales", "PK_Orders"),
            "CONSTRAINT [PK_Orders] \r\nPRIMARY KEY CLUSTERED \r\nON COLUMN [OrderID]\r\n"
            "ON TABLE [Orders]");
}

TEST_F(ConstraintTextTest, Fault5EveryKeyColumnIsListedOnceInKeyOrder) {
  Respond(ConstraintQuery("PK_Orders"), ConstraintRows({{"PK_Orders", 5, "OrderID", 1},
                                                        {"PK_Orders", 5, "OrderID", 1},
                                                        {"PK_Orders", 5, "Line", 2},
                                                        {"PK_Orders", 5, "Line", 2},
                                                        {"PK_Orders", 6, "Other", 1}}));
  EXPECT_EQ(GetConstraintText(context_, server(), "Sales", "PK_Orders"),
            "CONSTRAINT [PK_Orders] \r\nPRIMARY KEY CLUSTERED \r\nON COLUMN [OrderID], [Line]\r\n"
            "ON TABLE [Orders]");
}

TEST_F(ConstraintTextTest, ConstraintThatIsNotTheClusteredIndexGivesEmptyText) {
  Respond(ConstraintQuery("UQ_Code"), NoRows({"name", "column", "tablename"}));
  Respond(ConstraintQuery("O''Brien"), NoRows({"name"}));
  EXPECT_EQ(GetConstraintText(context_, server(), "Sales", "UQ_Code"), "");
  EXPECT_EQ(GetConstraintText(context_, server(), "Sales", "O'Brien"), "");
}

}  // namespace
}  // namespace korvane
