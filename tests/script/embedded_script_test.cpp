// The structure texts read from the embedded SQL Server stand-in, loaded from T-SQL scripts as a
// real server would be, so the catalogue rows are the engine's, not the test's.
#include <gtest/gtest.h>

#include <memory>

#include "app/application_context.h"
#include "base/clock.h"
#include "db/data_access.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "script/create_statement.h"
#include "script/dynamic_sql.h"
#include "script/key_text.h"
#include "script/module_text.h"
#include "script/structure_text.h"
#include "script/table_indexes.h"
#include "script/table_structure.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

constexpr std::string_view kSalesScript = R"(
CREATE TABLE Customers (
  ID int IDENTITY(1,1) NOT NULL CONSTRAINT PK_Customers PRIMARY KEY CLUSTERED,
  Name nvarchar(50) NOT NULL,
  Code varchar(50) NULL
)
GO
CREATE TABLE Orders (
  OrderID int IDENTITY(100,5) NOT NULL,
  CustomerID int NOT NULL,
  Price decimal(18,2) NOT NULL CONSTRAINT DF_Orders_Price DEFAULT (0),
  Notes ntext NULL,
  CONSTRAINT PK_Orders PRIMARY KEY CLUSTERED (OrderID),
  CONSTRAINT FK_Orders_Customers FOREIGN KEY (CustomerID) REFERENCES Customers (ID)
)
GO
CREATE INDEX IX_Orders_Customer ON Orders (CustomerID, Price)
GO
CREATE PROCEDURE usp_Orders AS
SELECT OrderID FROM Orders
GO
)";

class EmbeddedScriptTest : public ::testing::Test {
 protected:
  EmbeddedScriptTest()
      : context_(ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_) {
    context_.backends.embedded = std::make_shared<EmbeddedBackend>(folder_ / "servers");
    server_.Name = "embedded:" + (folder_ / "srv").string();
  }

  void Load(std::string_view version, std::string_view script) {
    // One server per version, so that a test may load one of each.
    server_.Name = "embedded:" + (folder_ / ("srv" + std::string(version))).string();
    std::string error;
    ASSERT_TRUE(CreateEmbeddedServer(folder_ / "servers", server_.Name, version, &error)) << error;
    server_.Version = std::string(version);
    server_.NumVersion = version[0] == '8' ? 8 : 9;
    const ScriptLoadResult loaded = LoadScript(folder_ / "servers", server_.Name, "Sales", script);
    ASSERT_TRUE(loaded.ok) << loaded.message;
  }

  // The object id of a (qualified) name, as the object list carries it.
  std::int32_t IdOf(std::string_view name) {
    RunCommandResult result =
        RunCommand(context_, server_, CommandType::kText,
                   "SELECT OBJECT_ID('" + std::string(name) + "') AS id", "Sales");
    if (result.failed() || !result.recordset || result.recordset->Eof())
      return 0;
    return static_cast<std::int32_t>(result.recordset->Field("id").AsInteger());
  }
  // The table's text with its indexes, as stored.
  std::string Text(std::string_view table, std::int32_t id = 0) {
    return GetTableText(context_, server_, "Sales", table, false, id, "", false, "");
  }

  testing::ScratchFolder folder_;
  testing::RecordingUserInterface ui_;
  ManualClock clock_{LocalDateTime{2026, 3, 7, 14, 5, 9}};
  ApplicationContext context_;
  ServerRecord server_;
};

TEST_F(EmbeddedScriptTest, TableTextOfColumnsAndIndexes) {
  Load("8.00.2039", kSalesScript);
  EXPECT_EQ(Text("Orders"),
            "[OrderID] [int] IDENTITY(100,5) NOT NULL\r\n"
            "[CustomerID] [int] NOT NULL\r\n"
            "[Price] [decimal](18,2) NOT NULL\r\n"
            "[Notes] [ntext] NULL\r\n\r\n"
            "CONSTRAINT [PK_Orders] PRIMARY KEY CLUSTERED ([OrderID])\r\n"
            "INDEX [IX_Orders_Customer] ([CustomerID], [Price])\r\n");
  EXPECT_EQ(Text("Customers"),
            "[ID] [int] IDENTITY(1,1) NOT NULL\r\n"
            "[Name] [nvarchar] (50) NOT NULL\r\n"
            "[Code] [varchar] (50) NULL\r\n\r\n"
            "CONSTRAINT [PK_Customers] PRIMARY KEY CLUSTERED ([ID])\r\n");
  EXPECT_TRUE(ui_.messages.empty());
}

// Computed columns were refused by the loader; the table text shows each as a column of the
// type the server derives for its expression.
TEST_F(EmbeddedScriptTest, TableTextShowsComputedColumnsWithTheirDerivedTypes) {
  for (const std::string_view version : {"8.00.2039", "9.00.5000.00"}) {
    SCOPED_TRACE(version);
    Load(version,
         "CREATE TABLE Lines (Qty int NOT NULL, Price decimal(9,2) NOT NULL,\n"
         "  Code char(3) NULL, Total AS (Qty * Price), Label AS Code + '-' + 'x',\n"
         "  Safe AS ISNULL(Qty, 0))\n");
    EXPECT_EQ(Text("Lines"),
              "[Qty] [int] NOT NULL\r\n"
              "[Price] [decimal](9,2) NOT NULL\r\n"
              "[Code] [char] (3) NULL\r\n"
              "[Total] [decimal](20,2) NULL\r\n"
              "[Label] [varchar] (5) NULL\r\n"
              "[Safe] [int] NOT NULL");
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(EmbeddedScriptTest, RelationshipConstraintAndModuleTexts) {
  Load("8.00.2039", kSalesScript);
  EXPECT_EQ(GetRelationshipText(context_, server_, "Sales", "FK_Orders_Customers"),
            "TABLE Orders\r\nCONSTRAINT [FK_Orders_Customers]\r\nFOREIGN KEY [CustomerID]\r\n"
            "REFERENCES [Customers] [ID]");
  EXPECT_EQ(GetConstraintText(context_, server_, "Sales", "PK_Orders"),
            "CONSTRAINT [PK_Orders] \r\nPRIMARY KEY CLUSTERED \r\nON COLUMN [OrderID]\r\n"
            "ON TABLE [Orders]");
  EXPECT_EQ(GetProcedureText(context_, server_, "Sales", "usp_Orders", ObjectType::kProcedures),
            "CREATE PROCEDURE usp_Orders AS\nSELECT OrderID FROM Orders");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(EmbeddedScriptTest, LongDefinitionIsJoinedFromItsPieces) {
  std::string body = "CREATE PROCEDURE usp_Long AS\nSELECT '";
  body += std::string(5000, 'x');
  body += "' AS Filler";
  Load("9.00.5000.00", "CREATE TABLE T (A int)\nGO\n" + body + "\nGO\n");
  EXPECT_EQ(GetProcedureText(context_, server_, "Sales", "usp_Long", ObjectType::kProcedures),
            body);
}

TEST_F(EmbeddedScriptTest, Version9MaxTypesAndDefaults) {
  Load("9.00.5000.00",
       "CREATE TABLE Docs (Id int NOT NULL CONSTRAINT PK_Docs PRIMARY KEY, Body nvarchar(max) "
       "NULL, Kind char(1) NOT NULL CONSTRAINT DF_Docs_Kind DEFAULT ('0'))\nGO\n");
  EXPECT_EQ(Text("Docs"),
            "[Id] [int] NOT NULL\r\n[Body] [nvarchar] (-1) NULL\r\n[Kind] [char] (1) NOT NULL"
            "\r\n\r\nCONSTRAINT [PK_Docs] PRIMARY KEY CLUSTERED ([Id])\r\n");
  EXPECT_EQ(GetTableConstraints(context_, server_, "Sales", "Docs"),
            "EXEC('ALTER TABLE ' + @Database + '.[dbo].[Docs] WITH NOCHECK ADD\r\n"
            "CONSTRAINT [DF_Docs_Kind] DEFAULT (''0'') FOR [Kind]')\r\n"
            "IF @@ERROR <> 0 SET @ErrorVal = @@ERROR\r\n\r\n");
}

TEST_F(EmbeddedScriptTest, CreateStatementOfATableInASchema) {
  Load("9.00.5000.00",
       "CREATE SCHEMA sales\nGO\nCREATE TABLE sales.[O'Brien] (A int NOT NULL CONSTRAINT "
       "PK_OB PRIMARY KEY CLUSTERED, B nvarchar(10) NULL)\nGO\n");
  CreateStatementRequest request;
  request.server_name = server_.Name;
  request.database = "Sales";
  request.name = "O'Brien";
  request.type = ObjectType::kTables;
  request.line_suffix = ",";
  request.statement_only = true;
  EXPECT_EQ(BuildCreateStatement(context_, server_, request),
            "CREATE TABLE [sales].[O'Brien] (\r\n[A] [int] NOT NULL,\r\n"
            "[B] [nvarchar] (10) NULL,\r\n\r\n"
            "CONSTRAINT [PK_OB] PRIMARY KEY CLUSTERED ([A])\r\n \r\n)");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(EmbeddedScriptTest, SameNamedObjectsOfTwoSchemasAreToldApartByTheirListedNames) {
  Load("9.00.5000.00",
       "CREATE SCHEMA sales\nGO\nCREATE TABLE dbo.T (A int NOT NULL CONSTRAINT PK_T1 PRIMARY "
       "KEY)\nGO\nCREATE TABLE sales.T (B int NULL, C int NOT NULL CONSTRAINT PK_T2 PRIMARY "
       "KEY)\nGO\nCREATE PROCEDURE dbo.P AS SELECT 1\nGO\nCREATE PROCEDURE sales.P AS SELECT "
       "2\nGO\n");
  EXPECT_EQ(GetProcedureText(context_, server_, "Sales", "sales.P", ObjectType::kProcedures),
            "CREATE PROCEDURE sales.P AS SELECT 2");
  EXPECT_EQ(Text("sales.T"),
            "[B] [int] NULL\r\n[C] [int] NOT NULL\r\n\r\n"
            "CONSTRAINT [PK_T2] PRIMARY KEY CLUSTERED ([C])\r\n");
}

// --- the mended faults, on the engine's own catalogue rows -----------------------------------

TEST_F(EmbeddedScriptTest, Fault2IndexesOfATableWithoutChildObjectsAreShown) {
  // Neither table has a constraint, default or trigger: only their indexes tell them apart.
  Load("8.00.2039",
       "CREATE TABLE Plain (A int NOT NULL, B int NULL)\nGO\n"
       "CREATE CLUSTERED INDEX IX_Plain_A ON Plain (A)\nGO\n"
       "CREATE INDEX IX_Plain_B ON Plain (B, A)\nGO\n"
       "CREATE TABLE Other (A int NOT NULL, B int NULL)\nGO\n"
       "CREATE CLUSTERED INDEX IX_Plain_A ON Other (A)\nGO\n"
       "CREATE INDEX IX_Plain_B ON Other (A, B)\nGO\n");
  EXPECT_EQ(Text("Plain"),
            "[A] [int] NOT NULL\r\n[B] [int] NULL\r\n\r\n"
            "CLUSTERED INDEX [IX_Plain_A] ([A])\r\nINDEX [IX_Plain_B] ([B], [A])\r\n");
  EXPECT_EQ(GetTableText(context_, server_, "Sales", "Other", IdOf("Other") > 0, IdOf("Other"), "",
                         false, ""),
            "[A] [int] NOT NULL\r\n[B] [int] NULL\r\n\r\n"
            "CLUSTERED INDEX [IX_Plain_A] ([A])\r\nINDEX [IX_Plain_B] ([A], [B])\r\n");
  EXPECT_EQ(GetTableIndexes(context_, server_, "Sales", "Plain", true, "_x"),
            "CLUSTERED INDEX [IX_Plain_A_x] ([A])\r\n");
}

TEST_F(EmbeddedScriptTest, Fault3RelationshipListsEveryColumnPairInKeyOrder) {
  Load("8.00.2039",
       "CREATE TABLE Parent (X int NOT NULL, Y int NOT NULL, "
       "CONSTRAINT PK_Parent PRIMARY KEY CLUSTERED (X, Y))\nGO\n"
       "CREATE TABLE Child (A int NULL, B int NULL, CONSTRAINT FK_Child_Parent "
       "FOREIGN KEY (B, A) REFERENCES Parent (X, Y))\nGO\n");
  EXPECT_EQ(GetRelationshipText(context_, server_, "Sales", "FK_Child_Parent"),
            "TABLE Child\r\nCONSTRAINT [FK_Child_Parent]\r\nFOREIGN KEY [B], [A]\r\n"
            "REFERENCES [Parent] [X], [Y]");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(EmbeddedScriptTest, Fault5ConstraintListsEveryKeyColumnOnceInKeyOrder) {
  // The default and the trigger are further child objects of the table: each key column must
  // still appear once.
  Load("8.00.2039",
       "CREATE TABLE Lines (A int NOT NULL, B int NOT NULL, C int NULL CONSTRAINT DF_Lines_C "
       "DEFAULT (0), CONSTRAINT PK_Lines PRIMARY KEY CLUSTERED (B, A))\nGO\n"
       "CREATE TRIGGER trLines ON Lines FOR INSERT AS SELECT 1\nGO\n");
  EXPECT_EQ(GetConstraintText(context_, server_, "Sales", "PK_Lines"),
            "CONSTRAINT [PK_Lines] \r\nPRIMARY KEY CLUSTERED \r\nON COLUMN [B], [A]\r\n"
            "ON TABLE [Lines]");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(EmbeddedScriptTest, Fault4ModulesAndTablesAreReadByTheirIds) {
  Load("9.00.5000.00",
       "CREATE SCHEMA sales\nGO\nCREATE PROCEDURE dbo.P AS SELECT 1\nGO\n"
       "CREATE PROCEDURE sales.P AS SELECT 2\nGO\n"
       "CREATE TABLE sales.U (ID int IDENTITY(10,3) NOT NULL, N int NULL)\nGO\n");
  const std::int32_t sales_p = IdOf("sales.P");
  const std::int32_t dbo_p = IdOf("dbo.P");
  ASSERT_GT(sales_p, 0);
  ASSERT_GT(dbo_p, 0);
  EXPECT_EQ(GetProcedureText(context_, server_, "Sales", "P", ObjectType::kProcedures, sales_p),
            "CREATE PROCEDURE sales.P AS SELECT 2");
  EXPECT_EQ(GetProcedureText(context_, server_, "Sales", "P", ObjectType::kProcedures, dbo_p),
            "CREATE PROCEDURE dbo.P AS SELECT 1");
  // The table outside dbo, listed by its bare name and read by id, keeps its identity seed.
  EXPECT_EQ(Text("U", IdOf("sales.U")), "[ID] [int] IDENTITY(10,3) NOT NULL\r\n[N] [int] NULL");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(EmbeddedScriptTest, IdentityOutsideDboIsTheSameReadByIdOrByName) {
  for (const std::string_view version : {"8.00.2039", "9.00.5000.00"}) {
    SCOPED_TRACE(version);
    Load(version,
         "CREATE SCHEMA sales\nGO\n"
         "CREATE TABLE sales.Item (id int IDENTITY(5,2) NOT NULL, label varchar(10) NULL)\nGO\n");
    const std::string expected = "[id] [int] IDENTITY(5,2) NOT NULL\r\n[label] [varchar] (10) NULL";
    EXPECT_EQ(Text("Item", IdOf("sales.Item")), expected);
    EXPECT_EQ(Text("Item"), expected);
  }
  EXPECT_TRUE(ui_.messages.empty());
}

}  // namespace
}  // namespace korvane
