#include "script/table_structure.h"

#include <gtest/gtest.h>

#include "saved/ignored_columns.h"
#include "script_fixture.h"

namespace korvane {
namespace {

using testing::ColumnQuery;
using testing::ColumnQueryById;
using testing::ColumnQueryByName;
using testing::ColumnRow;
using testing::ColumnRows;
using testing::IndexQuery;
using testing::IndexRows;
using testing::NoRows;
using testing::OwnerByIdQuery;
using testing::QueryFailure;
using testing::ScriptTest;
using testing::TableSchemaQuery;

CommandOutcome OwnerRows(std::string owner) {
  return testing::Rows({""}, {{Value::Text(std::move(owner))}});
}
// Columns of every kind the line rules tell apart, shaped as SQL Server reports them.
std::vector<ColumnRow> OrdersColumns() {
  return {
      {"CustomerID", "int", 4, 10, 0, false, true, "1", "1"},
      {"Name", "nvarchar", 100, 50, std::nullopt, true, false, "1", "1"},  // bytes 100, chars 50
      {"Code", "varchar", 50, 50, std::nullopt, true, false, "1", "1"},
      {"Price", "decimal", 9, 18, 2, false, false, "1", "1"},
      {"Notes", "ntext", 16, 1073741823, std::nullopt, true, false, "1", "1"},
      {"Body", "nvarchar", -1, -1, std::nullopt, true, false, "1", "1"},  // nvarchar(max)
      {"Created", "datetime", 8, 23, 3, false, false, "1", "1"},
  };
}

constexpr std::string_view kOrdersText =
    "[CustomerID] [int] IDENTITY(1,1) NOT NULL\r\n"
    "[Name] [nvarchar] (50) NULL\r\n"
    "[Code] [varchar] (50) NULL\r\n"
    "[Price] [decimal](18,2) NOT NULL\r\n"
    "[Notes] [ntext] NULL\r\n"
    "[Body] [nvarchar] (-1) NULL\r\n"
    "[Created] [datetime] NOT NULL";

class TableStructureTest : public ScriptTest {
 protected:
  TableStructure Read(std::string_view table, std::int32_t id = 0, std::string_view suffix = "",
                      bool ignore_columns = false,
                      IgnoredColumnsKind kind = IgnoredColumnsKind::Structure) {
    return GetTableStructure(context_, server(), "Sales", table, ignore_columns, kind, id, suffix);
  }
  // The table's text with its indexes, as stored, without suffix or ignored columns.
  std::string Text(std::string_view table, std::int32_t id = 0) {
    return GetTableText(context_, server(), "Sales", table, false, id, "", false, "");
  }
};

// --- the column query ----------------------------------------------------------------------

using ColumnQueryTest = TableStructureTest;

TEST_F(ColumnQueryTest, SelectsByIdFromOneAndByNameBelowIt) {
  Respond(ColumnQueryById("Orders", 1), NoRows({"column"}));
  Respond(ColumnQueryByName("Orders"), NoRows({"column"}));
  Read("Orders", 1);
  Read("Orders");
  Read("Orders", -3);
  EXPECT_EQ(Queries(),
            (std::vector<std::string>{ColumnQueryById("Orders", 1), ColumnQueryByName("Orders"),
                                      ColumnQueryByName("Orders")}));
  EXPECT_EQ(Databases(), (std::vector<std::string>{"Sales", "Sales", "Sales"}));
}

TEST_F(ColumnQueryTest, QuoteInTableNameIsDoubledEverywhere) {
  Respond(ColumnQueryByName("O''Brien"), NoRows({"column"}));
  Read("O'Brien");
  EXPECT_EQ(Queries(), std::vector<std::string>{ColumnQueryByName("O''Brien")});
}

// --- column lines and descriptions ---------------------------------------------------------

TEST_F(TableStructureTest, WritesEachKindOfColumnLine) {
  Respond(ColumnQueryById("Orders", 42), ColumnRows(OrdersColumns()));
  const TableStructure structure = Read("Orders", 42);
  EXPECT_EQ(structure.text, kOrdersText);
  EXPECT_TRUE(structure.completed);
  EXPECT_EQ(structure.last_column_index, 6);
  EXPECT_EQ(structure.ignored_count, 0);
}

TEST_F(TableStructureTest, DescribesColumnsWithSizeFromPrec) {
  Respond(ColumnQueryByName("Orders"), ColumnRows(OrdersColumns()));
  const TableStructure structure = Read("Orders");
  ASSERT_EQ(structure.columns.size(), 7u);
  EXPECT_EQ(structure.columns[0], (TableColumn{"CustomerID", "int", "", "int"}));
  EXPECT_EQ(structure.columns[1], (TableColumn{"Name", "nvarchar", "50", "nvarchar (50)"}));
  EXPECT_EQ(structure.columns[3], (TableColumn{"Price", "decimal", "18", "decimal (18,2) "}));
  EXPECT_EQ(structure.columns[4], (TableColumn{"Notes", "ntext", "", "ntext"}));
  EXPECT_EQ(structure.columns[5], (TableColumn{"Body", "nvarchar", "-1", "nvarchar (-1)"}));
}

TEST_F(TableStructureTest, IdentityWithoutSeedAndUpperCaseTypeNames) {
  Respond(ColumnQueryByName("T"),
          ColumnRows({
              {"Flags", "int", 4, 10, 0, false, true, std::nullopt, std::nullopt},
              {"Amount", "NUMERIC", 5, 9, 0, true},
              {"Tag", "NChar", 20, 10, std::nullopt, false},
              {"Big", "bigint", 8, 19, 0, false, true, "1000", "-5"},
          }));
  // The table is in dbo: its seed really is Null, and it is not read again.
  Respond(TableSchemaQuery("T"), OwnerRows("dbo"));
  const TableStructure structure = Read("T");
  EXPECT_EQ(structure.text,
            "[Flags] [int] IDENTITY NOT NULL\r\n"
            "[Amount] [NUMERIC](9,0) NULL\r\n"
            "[Tag] [NChar] (10) NOT NULL\r\n"
            "[Big] [bigint] IDENTITY(1000,-5) NOT NULL");
}

TEST_F(TableStructureTest, LineSuffixEndsEveryLineAndOnlyTheLastBreakGoes) {
  Respond(ColumnQueryByName("T"), ColumnRows({{"A", "int", 4, 10, 0, false}, {"B", "char", 3, 3}}));
  const TableStructure structure = Read("T", 0, ",");
  EXPECT_EQ(structure.text, "[A] [int] NOT NULL,\r\n[B] [char] (3) NULL,");
}

TEST_F(TableStructureTest, SameNameUnderTwoOwnersInterleavesTheirColumns) {
  // Looked up by name, both tables' rows come back in column order.
  Respond(ColumnQueryByName("T"),
          ColumnRows({{"A", "int"}, {"X", "int"}, {"B", "int"}, {"Y", "int"}}));
  const TableStructure structure = Read("T");
  EXPECT_EQ(structure.text, "[A] [int] NULL\r\n[X] [int] NULL\r\n[B] [int] NULL\r\n[Y] [int] NULL");
  EXPECT_EQ(structure.last_column_index, 3);
}

TEST_F(TableStructureTest, DriverValueTypesAreReadAlike) {
  // A driver may hand isnullable over as a bit, prec as a decimal or text, the seed as an
  // integer; the lines do not change.
  Respond(ColumnQueryByName("T"),
          testing::Rows(
              {"column", "isnullable", "prec", "scale", "datatype", "identityseed",
               "identityincrement", "isID"},
              {{Value::Text("A"), Value::Boolean(false), Value::Decimal("10"), Value::Integer(0),
                Value::Text("int"), Value::Integer(7), Value::Integer(2), Value::Text("Y")},
               {Value::Text("B"), Value::Boolean(true), Value::Text("12"), Value::Text("4"),
                Value::Text("numeric"), Value::Integer(7), Value::Integer(2), Value::Text("")},
               {Value::Text("C"), Value::Null(), Value::Integer(5), Value::Null(),
                Value::Text("nchar"), Value::Null(), Value::Null(), Value::Null()}}));
  EXPECT_EQ(Read("T").text,
            "[A] [int] IDENTITY(7,2) NOT NULL\r\n[B] [numeric](12,4) NULL\r\n"
            "[C] [nchar] (5) NULL");
}

TEST_F(TableStructureTest, NothingFoundGivesEmptyTextAndList) {
  Respond(ColumnQueryByName("Missing"), NoRows({"column", "datatype"}));
  const TableStructure structure = Read("Missing");
  EXPECT_EQ(structure.text, "");
  EXPECT_TRUE(structure.columns.empty());
  EXPECT_EQ(structure.last_column_index, -1);
}

TEST_F(TableStructureTest, FailedQueryShowsNoMessageAndRestoresTheSwitch) {
  Respond(ColumnQueryByName("T"), QueryFailure());
  context_.SuppressConnectionErrors = false;
  const TableStructure structure = Read("T");
  EXPECT_EQ(structure.text, "");
  EXPECT_EQ(structure.last_column_index, -1);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(context_.SuppressConnectionErrors);
}

TEST_F(TableStructureTest, UnexpectedFailureIsReportedWithTheTableAndDatabase) {
  Throw(ColumnQueryByName("T"));
  ArmThrowing();
  context_.SuppressConnectionErrors = false;
  const TableStructure structure = Read("T");
  EXPECT_FALSE(structure.completed);
  EXPECT_EQ(structure.text, "");
  EXPECT_FALSE(context_.SuppressConnectionErrors);
  ASSERT_EQ(ui_.error_reports.size(), 1u);
  const ErrorReport& report = ui_.error_reports[0];
  EXPECT_EQ(report.module_name, "mdlQueryCode");
  EXPECT_EQ(report.procedure_name, "GetTableStructure");
  EXPECT_EQ(report.extra_description,
            "Error occured while attempting to get the structure of table\r\n\r\n'T'\r\n\r\n"
            "in SQL Server database\r\n\r\n'srv.Sales'\r\n\r\nError 5 (backend exploded).");
}

// --- ignored columns -----------------------------------------------------------------------

class IgnoredColumnsTest : public TableStructureTest {
 protected:
  void Ignore(IgnoredColumnsKind kind, std::vector<std::string> names) {
    ASSERT_TRUE(SaveIgnoredColumns(context_.locations, kind, "srv.Sales.Orders", names, ui_));
  }
};

TEST_F(IgnoredColumnsTest, ListedColumnIsLeftOutWhateverItsCase) {
  Ignore(IgnoredColumnsKind::Structure, {"NAME", "price"});
  Respond(ColumnQueryByName("Orders"), ColumnRows(OrdersColumns()));
  const TableStructure structure = Read("Orders", 0, "", true);
  EXPECT_EQ(structure.text,
            "[CustomerID] [int] IDENTITY(1,1) NOT NULL\r\n"
            "[Code] [varchar] (50) NULL\r\n"
            "[Notes] [ntext] NULL\r\n"
            "[Body] [nvarchar] (-1) NULL\r\n"
            "[Created] [datetime] NOT NULL");
  EXPECT_EQ(structure.ignored_count, 2);
  EXPECT_EQ(structure.last_column_index, 4);
  EXPECT_EQ(structure.columns[1].Name, "Code");
}

TEST_F(IgnoredColumnsTest, CountIsTheListSizeEvenWhenNothingMatches) {
  Ignore(IgnoredColumnsKind::Data, {"Gone1", "Gone2", "Gone3"});
  Respond(ColumnQueryByName("Orders"), ColumnRows(OrdersColumns()));
  const TableStructure structure = Read("Orders", 0, "", true, IgnoredColumnsKind::Data);
  EXPECT_EQ(structure.ignored_count, 3);
  EXPECT_EQ(structure.text, kOrdersText);
}

TEST_F(IgnoredColumnsTest, ListIsConsultedOnlyWhenAskedAndOnlyOfTheGivenKind) {
  Ignore(IgnoredColumnsKind::Data, {"Name"});
  Respond(ColumnQueryByName("Orders"), ColumnRows(OrdersColumns()));
  EXPECT_EQ(Read("Orders", 0, "", false, IgnoredColumnsKind::Data).text, kOrdersText);
  const TableStructure other_kind = Read("Orders", 0, "", true);
  EXPECT_EQ(other_kind.text, kOrdersText);
  EXPECT_EQ(other_kind.ignored_count, 0);
}

TEST_F(TableStructureTest, ListedSchemaNameIsLookedUpWithinItsSchema) {
  Respond(ColumnQueryByName("sales.Orders"), NoRows({"column"}));
  Respond(ColumnQuery("sales.Orders",
                      "WHERE sob.name = 'Orders' AND OBJECT_SCHEMA_NAME(sob.id) = 'sales' ",
                      "[sales].[Orders]"),
          ColumnRows({{"A", "int"}}));
  Respond(IndexQuery("sales.Orders", false), NoRows({"column"}));
  Respond(
      "SELECT DISTINCT sc.name AS [column], si.name as [index], sk.indid, sk.keyno FROM "
      "sysindexkeys sk INNER JOIN "
      "sysindexes si ON sk.id = si.id AND sk.indid = si.indid INNER JOIN syscolumns sc ON "
      "sk.id = sc.id AND sk.colid = sc.colid INNER JOIN sysobjects so2 ON sk.id = "
      "so2.id WHERE so2.name = 'Orders' AND OBJECT_SCHEMA_NAME(so2.id) = 'sales' AND "
      "si.indid BETWEEN 1 AND 254 AND INDEXPROPERTY(si.id, si.name, 'IsStatistics') = 0 AND "
      "INDEXPROPERTY(si.id, si.name, 'IsHypothetical') = 0 ORDER BY sk.indid, sk.keyno",
      IndexRows({{"A", "PK_Orders", 1}}));
  EXPECT_EQ(Text("sales.Orders"),
            "[A] [int] NULL\r\n\r\nCONSTRAINT [PK_Orders] PRIMARY KEY CLUSTERED ([A])\r\n");
  EXPECT_EQ(Queries().size(), 4u);
}

// --- fault 4: tables read by id, identity of a table outside dbo -------------------------------

using Fault4ColumnReaderTest = TableStructureTest;

TEST_F(Fault4ColumnReaderTest, TableOutsideDboGetsItsSeedByTheQualifiedName) {
  // ident_seed('Orders') cannot see sales.Orders: it comes back Null, and the table is read once
  // more with the identity functions asked for [sa]]les].[Orders], whether it was read by id or
  // by name.
  struct Case {
    std::int32_t id;
    std::string filter;
    std::string schema_query;
  };
  const std::vector<Case> cases = {{42, "WHERE sco.id = 42 ", OwnerByIdQuery(42)},
                                   {0, "WHERE sob.name = 'Orders' ", TableSchemaQuery("Orders")}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    Respond(ColumnQuery("Orders", c.filter),
            ColumnRows({{"ID", "int", 4, 10, 0, false, true, std::nullopt, std::nullopt}}));
    Respond(c.schema_query, OwnerRows("sa]les"));
    Respond(ColumnQuery("Orders", c.filter, "[sa]]les].[Orders]"),
            ColumnRows({{"ID", "int", 4, 10, 0, false, true, "5", "2"}}));
    const TableStructure structure = Read("Orders", c.id);
    EXPECT_EQ(structure.text, "[ID] [int] IDENTITY(5,2) NOT NULL");
    EXPECT_EQ(structure.columns.size(), 1u);
  }
}

TEST_F(Fault4ColumnReaderTest, ListedSchemaNameReadByIdAsksForTheQualifiedIdentity) {
  Respond(ColumnQuery("sales.O''B", "WHERE sco.id = 7 ", "[sales].[O''B]"),
          ColumnRows({{"ID", "int", 4, 10, 0, false, true, "1", "1"}}));
  EXPECT_EQ(Read("sales.O'B", 7).text, "[ID] [int] IDENTITY(1,1) NOT NULL");
  EXPECT_EQ(Queries().size(), 1u);
}

TEST_F(Fault4ColumnReaderTest, DboTableWithoutSeedIsNotReadAgain) {
  Respond(
      ColumnQueryById("T", 3),
      ColumnRows({{"ID", "int", 4, 10, 0, false, true, std::nullopt, std::nullopt}, {"A", "int"}}));
  Respond(OwnerByIdQuery(3), OwnerRows("dbo"));
  EXPECT_EQ(Read("T", 3).text, "[ID] [int] IDENTITY NOT NULL\r\n[A] [int] NULL");
  EXPECT_EQ(Queries().size(), 2u);
}

TEST_F(Fault4ColumnReaderTest, TableTextReadsColumnsAndIndexesOfTheIdOnly) {
  // Two tables named T in different schemas: by id only the one asked for is read.
  Respond(ColumnQueryById("T", 11), ColumnRows({{"A", "int"}}));
  Respond(IndexQuery("T", false, 11), IndexRows({{"A", "PK_T", 1}}));
  EXPECT_EQ(Text("T", 11),
            "[A] [int] NULL\r\n\r\nCONSTRAINT [PK_T] PRIMARY KEY CLUSTERED ([A])\r\n");
  EXPECT_EQ(Queries(),
            (std::vector<std::string>{ColumnQueryById("T", 11), IndexQuery("T", false, 11)}));
}

// --- GetTableText ---------------------------------------------------------------------------

using TableTextTest = TableStructureTest;

TEST_F(TableTextTest, AppendsIndexTextAfterABlankLine) {
  Respond(ColumnQueryById("Orders", 9),
          ColumnRows({{"OrderID", "int", 4, 10, 0, false}, {"OrderDate", "datetime", 8, 23, 3}}));
  Respond(IndexQuery("Orders", false, 9), IndexRows({{"OrderID", "PK_Orders", 1},
                                                     {"OrderDate", "IX_Date", 2},
                                                     {"OrderID", "IX_Date", 2}}));
  EXPECT_EQ(Text("Orders", 9),
            "[OrderID] [int] NOT NULL\r\n[OrderDate] [datetime] NULL\r\n\r\n"
            "CONSTRAINT [PK_Orders] PRIMARY KEY CLUSTERED ([OrderID])\r\n"
            "INDEX [IX_Date] ([OrderDate], [OrderID])\r\n");
}

TEST_F(TableTextTest, HeapGetsNoBlankLine) {
  Respond(ColumnQueryByName("Heap"), ColumnRows({{"A", "int"}}));
  Respond(IndexQuery("Heap", false), NoRows({"column", "index", "indid", "keyno"}));
  EXPECT_EQ(Text("Heap"), "[A] [int] NULL");
}

TEST_F(TableTextTest, IgnoreIndexesLeavesIndexesOutUnlessClusteredOnlyIsAsked) {
  context_.settings.ignore_indexes = true;
  Respond(ColumnQueryByName("Orders"), ColumnRows({{"OrderID", "int", 4, 10, 0, false}}));
  Respond(IndexQuery("Orders", true), IndexRows({{"OrderID", "PK_Orders", 1}}));
  EXPECT_EQ(Text("Orders"), "[OrderID] [int] NOT NULL");
  EXPECT_EQ(Queries().size(), 1u);
  EXPECT_EQ(GetTableText(context_, server(), "Sales", "Orders", false, 0, ",", true, "_new"),
            "[OrderID] [int] NOT NULL,\r\n\r\n"
            "CONSTRAINT [PK_Orders_new] PRIMARY KEY CLUSTERED ([OrderID])\r\n");
}

TEST_F(TableTextTest, NoColumnsButIndexesStillGivesTheIndexText) {
  Respond(ColumnQueryByName("T"), QueryFailure());
  Respond(IndexQuery("T", false), IndexRows({{"A", "IX_A", 2}}));
  EXPECT_EQ(Text("T"), "\r\n\r\nINDEX [IX_A] ([A])\r\n");
}

TEST_F(TableTextTest, ReportsTheIgnoredCountOfTheStructureList) {
  ASSERT_TRUE(SaveIgnoredColumns(context_.locations, IgnoredColumnsKind::Structure, "srv.Sales.T",
                                 {"B"}, ui_));
  context_.settings.ignore_indexes = true;
  Respond(ColumnQueryByName("T"), ColumnRows({{"A", "int"}, {"B", "int"}}));
  int ignored = -1;
  EXPECT_EQ(GetTableText(context_, server(), "Sales", "T", true, 0, "", false, "", &ignored),
            "[A] [int] NULL");
  EXPECT_EQ(ignored, 1);
}

TEST_F(TableTextTest, NamesAreShownAsStoredButEscapedForScripts) {
  context_.settings.ignore_indexes = true;
  Respond(ColumnQueryByName("a]b"), ColumnRows({{"c]d", "int"}}));
  EXPECT_EQ(Text("a]b"), "[c]d] [int] NULL");
  Respond(IndexQuery("a]b", true), IndexRows({{"c]d", "PK_a]b", 1}}));
  EXPECT_EQ(GetTableText(context_, server(), "Sales", "a]b", false, 0, "", true, "", nullptr,
                         NameQuoting::kEscaped),
            "[c]]d] [int] NULL\r\n\r\nCONSTRAINT [PK_a]]b] PRIMARY KEY CLUSTERED ([c]]d])\r\n");
}

}  // namespace
}  // namespace korvane
