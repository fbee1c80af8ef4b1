// The system tables a loaded script leaves behind, read with the program's own catalogue
// queries: sysobjects, syscolumns and systypes, identity and defaults, names compared as SQL
// Server compares them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

using ::testing::ElementsAre;

constexpr const char* kShop = R"SQL(
CREATE TABLE dbo.Customers (
  CustomerID int IDENTITY(1,1) NOT NULL PRIMARY KEY,
  Name nvarchar(50) NOT NULL,
  City varchar(30) NULL,
  Notes ntext,
  Price decimal(18, 2) NOT NULL DEFAULT 0,
  Created datetime NOT NULL CONSTRAINT DF_Customers_Created DEFAULT (getdate())
)
GO
INSERT INTO Customers (Name, City, Price) VALUES (N'Anna', 'Oslo', 12.5)
INSERT INTO Customers (Name, City, Price) VALUES ('Bob', NULL, 3)
GO
)SQL";

class CatalogTest : public EmbeddedServerTest {};

// The column query of the table structure reader, verbatim.
std::string ColumnQuery(const std::string& table) {
  return "SELECT sco.[name] AS [column], sco.autoval, sco.isnullable, "
         "sco.length, sco.prec, sco.scale, sty.[name] AS datatype, "
         "ident_seed('" +
         table + "') AS identityseed, ident_incr('" + table +
         "') AS identityincrement, "
         "isID=case when sco.status&128=0 then '' else 'Y' end "
         "FROM sysobjects sob INNER JOIN syscolumns sco ON sob.id = sco.id "
         "INNER JOIN systypes sty ON sco.xtype = sty.xtype AND sco.xusertype = sty.xusertype "
         "WHERE sob.name = '" +
         table + "' ORDER BY sco.colorder";
}

TEST_F(CatalogTest, ColumnQueryGivesTheRowsOfARealServer) {
  MakeServer("9.00.5000.00");
  Load("Shop", kShop);
  const ResultSet result = Query("Shop", ColumnQuery("Customers"));
  ASSERT_EQ(result.columns.size(), 10u);
  EXPECT_EQ(result.columns[0].name, "column");
  EXPECT_EQ(result.columns[9].name, "isID");
  std::vector<std::string> rows;
  for (const auto& row : result.rows) {
    std::string text;
    for (std::size_t i : {0, 2, 3, 4, 5, 6, 7, 8, 9})
      text += NullText(row[i]) + "|";
    rows.push_back(text);
  }
  EXPECT_THAT(
      rows, ElementsAre("CustomerID|0|4|10|0|int|1|1|Y|", "Name|0|100|50|Null|nvarchar|1|1||",
                        "City|1|30|30|Null|varchar|1|1||", "Notes|1|16|1073741823|Null|ntext|1|1||",
                        "Price|0|9|18|2|decimal|1|1||", "Created|0|8|23|3|datetime|1|1||"));
}

}  // namespace
}  // namespace korvane::testing

namespace korvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A small database with every kind of object the program lists.
constexpr const char* kSales = R"SQL(-- Sales fixture
CREATE TABLE Customers (
  CustomerID int IDENTITY(100, 5) NOT NULL,
  Name nvarchar(40) NOT NULL,
  CONSTRAINT PK_Customers PRIMARY KEY CLUSTERED (CustomerID)
)
GO
CREATE TABLE Orders (
  OrderID int NOT NULL,
  LineNo int NOT NULL,
  CustomerID int NOT NULL REFERENCES Customers (CustomerID),
  OrderDate datetime NULL,
  Qty int NOT NULL CONSTRAINT CK_Orders_Qty CHECK (Qty > 0),
  CONSTRAINT PK_Orders PRIMARY KEY (OrderID, LineNo)
)
GO
CREATE INDEX IX_Orders_Date ON Orders (OrderDate, CustomerID)
CREATE STATISTICS ST_Orders_Qty ON Orders (Qty)
CREATE INDEX IX_Hypo ON Orders (Qty) WITH STATISTICS_ONLY = -1
GO
CREATE TABLE Notes (NoteID int NOT NULL, Body text NULL)
CREATE NONCLUSTERED INDEX IX_Notes ON Notes (NoteID)
GO
CREATE TABLE Lines (
  OrderID int NOT NULL, LineNo int NOT NULL,
  CONSTRAINT FK_Lines_Orders FOREIGN KEY (OrderID, LineNo) REFERENCES Orders (OrderID, LineNo)
    ON DELETE CASCADE
)
GO
-- A comment before the procedure is part of its text
CREATE PROCEDURE dbo.GetCustomers @City nvarchar(30) = NULL, @Count int OUTPUT
AS
SELECT * FROM Customers
GO
CREATE FUNCTION dbo.Twice (@x int) RETURNS int AS BEGIN RETURN @x * 2 END
GO
CREATE FUNCTION dbo.CustomerList () RETURNS TABLE AS RETURN (SELECT Name FROM Customers)
GO
CREATE FUNCTION dbo.Busy () RETURNS @t TABLE (id int) AS BEGIN INSERT @t VALUES (1) RETURN END
GO
CREATE VIEW dbo.CustomerNames AS SELECT CustomerID, Name FROM Customers
GO
CREATE TRIGGER trOrders ON Orders FOR INSERT, UPDATE AS
  SET NOCOUNT ON
GO
)SQL";

std::string ListQuery(const std::string& predicate) {
  return "select name, refdate, id from sysobjects where " + predicate +
         " and xtype <> 'S'  order by name";
}

class ObjectListTest : public EmbeddedServerTest {
 protected:
  void SetUp() override {
    MakeServer("9.00.5000.00");
    Load("Sales", kSales);
  }
  std::vector<std::string> Names(const std::string& sql) {
    std::vector<std::string> names;
    for (const auto& row : Query("Sales", sql).rows)
      names.push_back(NullText(row[0]));
    return names;
  }
};

TEST_F(ObjectListTest, EachObjectTypeListsItsObjectsByName) {
  EXPECT_THAT(Names(ListQuery("OBJECTPROPERTY(id, N'IsUserTable') = 1")),
              ElementsAre("Customers", "Lines", "Notes", "Orders"));
  EXPECT_THAT(Names(ListQuery("OBJECTPROPERTY(id, N'IsProcedure') = 1")),
              ElementsAre("GetCustomers"));
  EXPECT_THAT(Names(ListQuery("OBJECTPROPERTY(id, N'IsInlineFunction') = 1 or "
                              "OBJECTPROPERTY(id, N'IsScalarFunction') = 1  or "
                              "OBJECTPROPERTY(id, N'IsTableFunction') = 1")),
              ElementsAre("Busy", "CustomerList", "Twice"));
  EXPECT_THAT(Names(ListQuery("OBJECTPROPERTY(id, N'IsView') = 1")), ElementsAre("CustomerNames"));
  EXPECT_THAT(Names(ListQuery("OBJECTPROPERTY(id, N'IsTrigger') = 1")), ElementsAre("trOrders"));
}

TEST_F(ObjectListTest, SystemTablesAreListedOnlyWithoutTheSystemFilter) {
  const auto with_system = Names(
      "select name, refdate, id from sysobjects where OBJECTPROPERTY(id, N'IsUserTable') = 1 "
      "or OBJECTPROPERTY(id, N'IsSystemTable') = 1 order by name");
  EXPECT_GT(with_system.size(), 10u);
  const auto user = Names(ListQuery("OBJECTPROPERTY(id, N'IsTable') = 1"));
  EXPECT_THAT(user, ElementsAre("Customers", "Lines", "Notes", "Orders"));
}

TEST_F(ObjectListTest, CountQueryCountsWithTheDboPrefix) {
  EXPECT_THAT(QueryRows("Sales",
                        "SELECT COUNT (*) AS RecsCount FROM dbo.sysobjects where "
                        "OBJECTPROPERTY(id, N'IsUserTable') = 1"),
              ElementsAre("4"));
}

TEST_F(ObjectListTest, RelationshipQueryListsForeignKeysWithTheirFirstColumnPair) {
  const std::string joins =
      "INNER JOIN sysobjects so ON sr.constid = so.id "
      "INNER JOIN sysobjects sof ON sof.id = sr.fkeyid "
      "INNER JOIN sysobjects sor ON sor.id = sr.rkeyid "
      "INNER JOIN syscolumns scf ON scf.id = sof.id AND scf.colid = sr.fkey1 "
      "INNER JOIN syscolumns scr ON scr.id = sor.id AND scr.colid = sr.rkey1 ";
  const auto names = Names(
      "SELECT so.name AS name, so.refdate AS refdate, so.id AS id FROM "
      "sysreferences sr " +
      joins + "ORDER BY so.name");
  ASSERT_EQ(names.size(), 2u);
  // The unnamed key gets a generated name: FK__<table>__<column>__<id in hex>; "_" sorts
  // before letters.
  EXPECT_EQ(names[0].substr(0, 20), "FK__Orders__Custom__");
  EXPECT_EQ(names[0].size(), 28u);
  EXPECT_EQ(names[1], "FK_Lines_Orders");
  EXPECT_THAT(QueryRows("Sales", "SELECT COUNT (*) FROM sysreferences sr " + joins),
              ElementsAre("2"));
  EXPECT_THAT(QueryRows("Sales",
                        "SELECT so.name AS foreignkey, scf.name AS foreigncolumn, "
                        "sor.name AS referencedtable, scr.name AS referencedcolumn, "
                        "sof.name AS tablename FROM sysreferences sr " +
                            joins + "WHERE so.name = 'FK_Lines_Orders' ORDER BY scf.name"),
              ElementsAre("FK_Lines_Orders|OrderID|Orders|OrderID|Lines"));
  EXPECT_THAT(QueryRows("Sales",
                        "SELECT keycnt, fkey1, fkey2, fkey3, rkey1, rkey2, rkeyindid FROM "
                        "sysreferences WHERE constid = object_id('FK_Lines_Orders')"),
              ElementsAre("2|1|2|0|1|2|1"));
  EXPECT_THAT(QueryRows("Sales",
                        "SELECT OBJECTPROPERTY(object_id('FK_Lines_Orders'), "
                        "'CnstIsDeleteCascade'), OBJECTPROPERTY(object_id('Orders'), "
                        "'TableHasForeignRef')"),
              ElementsAre("1|1"));
}

// The index query of the table text, verbatim but for the table name.
std::string IndexQuery(const std::string& table, bool clustered_only) {
  return "SELECT DISTINCT sc.name AS [column], si.name as [index], sk.indid, sk.keyno "
         "FROM sysobjects so INNER JOIN sysindexkeys sk ON so.parent_obj = sk.id "
         "INNER JOIN sysindexes si ON sk.id = si.id AND sk.indid = si.indid "
         "INNER JOIN syscolumns sc ON sk.id = sc.id AND sk.colid = sc.colid "
         "INNER JOIN sysobjects so2 ON so.parent_obj = so2.id "
         "WHERE so2.name = '" +
         table + "' AND " +
         (clustered_only ? "si.indid = 1 AND " : "si.indid BETWEEN 1 AND 254 AND ") +
         "INDEXPROPERTY(si.id, si.name, 'IsStatistics') = 0 AND "
         "INDEXPROPERTY(si.id, si.name, 'IsHypothetical') = 0 "
         "ORDER BY sk.indid, sk.keyno";
}

TEST_F(ObjectListTest, IndexQueryLeavesOutStatisticsAndHypotheticalIndexes) {
  EXPECT_THAT(QueryRows("Sales", IndexQuery("Orders", false)),
              ElementsAre("OrderID|PK_Orders|1|1", "LineNo|PK_Orders|1|2",
                          "OrderDate|IX_Orders_Date|2|1", "CustomerID|IX_Orders_Date|2|2"));
  EXPECT_THAT(QueryRows("Sales", IndexQuery("Orders", true)),
              ElementsAre("OrderID|PK_Orders|1|1", "LineNo|PK_Orders|1|2"));
  // Statistics and the hypothetical index are rows of sysindexes all the same.
  EXPECT_THAT(
      QueryRows("Sales",
                "SELECT name, indid, status FROM sysindexes WHERE id = "
                "object_id('Orders') ORDER BY indid"),
      ElementsAre("PK_Orders|1|2066", "IX_Orders_Date|2|0", "ST_Orders_Qty|3|64", "IX_Hypo|4|32"));
}

TEST_F(ObjectListTest, TablesReachedOnlyThroughChildObjectsHaveNoIndexText) {
  // Notes has an index but no constraint, default or trigger.
  EXPECT_THAT(QueryRows("Sales", IndexQuery("Notes", false)), IsEmpty());
  EXPECT_THAT(QueryRows("Sales",
                        "SELECT indid, name FROM sysindexes WHERE id = object_id('Notes') "
                        "ORDER BY indid"),
              ElementsAre("0|Null", "2|IX_Notes"));
}

TEST_F(ObjectListTest, ConstraintQueriesFindClusteredPrimaryKeysByName) {
  const auto rows = QueryRows(
      "Sales",
      "SELECT DISTINCT si.name as [name], so2.refdate AS refdate, so2.id AS id  "
      "FROM sysobjects so INNER JOIN sysindexkeys sk ON so.parent_obj = sk.id "
      "INNER JOIN sysindexes si ON sk.id = si.id AND sk.indid = si.indid "
      "INNER JOIN syscolumns sc ON sk.id = sc.id AND sk.colid = sc.colid "
      "INNER JOIN sysobjects so2 ON so.parent_obj = so2.id WHERE si.indid = 1 AND  si.name LIKE "
      "'pk%' AND INDEXPROPERTY(si.id, si.name, 'IsStatistics') = 0 AND "
      "INDEXPROPERTY(si.id, si.name, 'IsHypothetical') = 0 ORDER BY si.name");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].substr(0, 13), "PK_Customers|");
  EXPECT_EQ(rows[1].substr(0, 10), "PK_Orders|");
  EXPECT_THAT(QueryRows("Sales",
                        "SELECT si.name as [name], sc.name AS [column], sk.indid, so2.name as "
                        "[tablename] FROM sysobjects so INNER JOIN sysindexkeys sk ON "
                        "so.parent_obj = sk.id INNER JOIN sysindexes si ON sk.id = si.id AND "
                        "sk.indid = si.indid INNER JOIN syscolumns sc ON sk.id = sc.id AND "
                        "sk.colid = sc.colid INNER JOIN sysobjects so2 ON so.parent_obj = so2.id "
                        "WHERE si.indid = 1 AND  si.name = 'pk_customers' AND "
                        "INDEXPROPERTY(si.id, si.name, 'IsStatistics') = 0 AND "
                        "INDEXPROPERTY(si.id, si.name, 'IsHypothetical') = 0 "),
              ElementsAre("PK_Customers|CustomerID|1|Customers"));
}

TEST_F(ObjectListTest, ModuleTextIsTheBatchAsSentWithItsLeadingComment) {
  EXPECT_THAT(QueryRows("Sales",
                        "SELECT text FROM syscomments sc INNER JOIN sysobjects so ON "
                        "sc.id = so.id WHERE so.name = 'GetCustomers' ORDER BY sc.colid"),
              ElementsAre("-- A comment before the procedure is part of its text\n"
                          "CREATE PROCEDURE dbo.GetCustomers @City nvarchar(30) = NULL, @Count "
                          "int OUTPUT\nAS\nSELECT * FROM Customers\n"));
  EXPECT_THAT(QueryRows("Sales",
                        "SELECT name, colid, isoutparam, prec FROM syscolumns WHERE id = "
                        "object_id('GetCustomers') ORDER BY colid"),
              ElementsAre("@City|1|0|30", "@Count|2|1|10"));
  EXPECT_THAT(QueryRows("Sales",
                        "SELECT xtype FROM sysobjects WHERE name IN ('Twice', "
                        "'CustomerList', 'Busy') ORDER BY name"),
              ElementsAre("TF", "IF", "FN"));
}

TEST_F(ObjectListTest, TriggersHangUnderTheirTableWithTheirEvents) {
  EXPECT_THAT(QueryRows("Sales",
                        "SELECT o.name, OBJECTPROPERTY(o.id, 'ExecIsInsertTrigger'), "
                        "OBJECTPROPERTY(o.id, 'ExecIsUpdateTrigger'), OBJECTPROPERTY(o.id, "
                        "'ExecIsDeleteTrigger'), OBJECTPROPERTY(o.id, 'ExecIsAfterTrigger') FROM "
                        "sysobjects o JOIN sysobjects t ON t.id = o.parent_obj WHERE t.name = "
                        "'Orders' AND o.xtype = 'TR'"),
              ElementsAre("trOrders|1|1|0|1"));
  EXPECT_THAT(QueryRows("Sales",
                        "SELECT OBJECTPROPERTY(object_id('Orders'), 'TableHasInsertTrigger'), "
                        "OBJECTPROPERTY(object_id('Orders'), 'TableHasDeleteTrigger')"),
              ElementsAre("1|0"));
}

TEST_F(ObjectListTest, ConstraintsAreChildObjectsWithTypeAndInfo) {
  EXPECT_THAT(QueryRows("Sales",
                        "SELECT name, xtype, type, info FROM sysobjects WHERE parent_obj "
                        "= object_id('Orders') AND xtype <> 'F' ORDER BY name"),
              ElementsAre("CK_Orders_Qty|C |C |5", "PK_Orders|PK|K |0", "trOrders|TR|TR|0"));
  EXPECT_THAT(
      QueryRows("Sales", "SELECT text FROM syscomments WHERE id = object_id('CK_Orders_Qty')"),
      ElementsAre("([Qty]>(0))"));
}

TEST_F(CatalogTest, AliasTypesShowTheirOwnNameInTheColumnQuery) {
  MakeServer("8.00.2039");
  Load("Pubs",
       "EXEC sp_addtype id, 'varchar(11)', 'NOT NULL'\nEXEC sp_addtype tid, 'decimal(9, 2)'\nGO\n"
       "CREATE TABLE authors (au_id id, price tid, name sysname)\nGO\n");
  std::vector<std::string> rows;
  for (const auto& row : Query("Pubs", ColumnQuery("authors")).rows)
    rows.push_back(NullText(row[0]) + "|" + NullText(row[2]) + "|" + NullText(row[3]) + "|" +
                   NullText(row[4]) + "|" + NullText(row[6]));
  EXPECT_THAT(rows, ElementsAre("au_id|0|11|11|id", "price|1|5|9|tid", "name|1|256|128|sysname"));
  EXPECT_THAT(QueryRows("Pubs",
                        "SELECT name, xtype, xusertype, allownulls FROM systypes WHERE "
                        "xusertype > 256 ORDER BY xusertype"),
              ElementsAre("id|167|257|False", "tid|106|258|True"));
  // Values are stored as the base type.
  Load("Pubs", "INSERT authors VALUES ('172-32-1176', 1.234, N'x')");
  EXPECT_THAT(QueryRows("Pubs", "SELECT au_id, price FROM authors"),
              ElementsAre("172-32-1176|1.23"));
  EXPECT_EQ(TryLoad("Pubs", "CREATE TABLE t (a nosuchtype)").error.text,
            "Column, parameter, or variable #1: Cannot find data type nosuchtype.");
}

}  // namespace
}  // namespace korvane::testing
