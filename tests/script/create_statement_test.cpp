#include "script/create_statement.h"

#include <gtest/gtest.h>

#include "script/script_header.h"
#include "script/sql_create_command.h"
#include "script/table_structure.h"
#include "script_fixture.h"

namespace korvane {
namespace {

using testing::ColumnQueryById;
using testing::ColumnQueryByName;
using testing::ColumnRows;
using testing::ForeignKeyRows;
using testing::IndexQuery;
using testing::IndexRows;
using testing::ModuleQuery;
using testing::ModuleQueryById;
using testing::NoRows;
using testing::OwnerQuery;
using testing::OwnerRow;
using testing::RelationshipQuery;
using testing::Rows;
using testing::SchemaByIdQuery;
using testing::ScriptTest;
using testing::TextRows;
using testing::ViewIndexQuery;

std::string Header(std::string_view word, std::string_view name, std::string_view test) {
  return "USE [Sales]\r\nGO\r\n/****** Object: " + std::string(word) + " " + std::string(name) +
         "      ---- Script Date: 2026-03-07 14:05:09 ******/\r\nSET ANSI_NULLS ON\r\nGO\r\n"
         "SET QUOTED_IDENTIFIER ON\r\nGO\r\nIF EXISTS (SELECT * FROM dbo.sysobjects\r\n"
         "WHERE id = object_id('" +
         std::string(name) + "') AND " + std::string(test) + ")\r\nDROP " + std::string(word) +
         std::string(name) + "\r\nGO";
}
constexpr std::string_view kIsTable = "OBJECTPROPERTY(id, 'IsTable') = 1";
constexpr std::string_view kIsProcedure = "OBJECTPROPERTY(id, 'IsProcedure') = 1";

CreateStatementRequest Request(std::string name, ObjectType type, std::int32_t id = 0) {
  CreateStatementRequest request;
  request.server_name = "srv";
  request.database = "Sales";
  request.name = std::move(name);
  request.type = type;
  request.id = id;
  request.line_suffix = ",";
  return request;
}

// --- the header
// ------------------------------------------------------------------------------------

TEST(ScriptHeaderTest, HeaderLinesWithTheClocksTimeAndTheDropStatement) {
  ManualClock clock(LocalDateTime{2007, 1, 2, 3, 4, 5});
  std::string drop;
  EXPECT_EQ(BuildScriptHeader(clock, "Sales", ObjectType::kFunctions, "[sales].[fnTotal]", &drop),
            "USE [Sales]\r\nGO\r\n"
            "/****** Object: Function [sales].[fnTotal]      ---- Script Date: 2007-01-02 "
            "03:04:05 ******/\r\n"
            "SET ANSI_NULLS ON\r\nGO\r\nSET QUOTED_IDENTIFIER ON\r\nGO\r\n"
            "IF EXISTS (SELECT * FROM dbo.sysobjects\r\n"
            "WHERE id = object_id('[sales].[fnTotal]') AND xtype in ('FN', 'IF', 'TF'))\r\n"
            "DROP Function[sales].[fnTotal]\r\nGO");
  EXPECT_EQ(drop,
            "IF EXISTS (SELECT * FROM dbo.sysobjects\r\n"
            "WHERE id = object_id('[sales].[fnTotal]') AND xtype in ('FN', 'IF', 'TF'))\r\n"
            "DROP Function[sales].[fnTotal]");
}

TEST(ScriptHeaderTest, TypeWordsAndExistenceTests) {
  EXPECT_EQ(BuildDropStatement(ObjectType::kViews, "[v]"),
            "IF EXISTS (SELECT * FROM dbo.sysobjects\r\nWHERE id = object_id('[v]') AND "
            "OBJECTPROPERTY(id, 'IsView') = 1)\r\nDROP View[v]");
  EXPECT_EQ(ScriptExistenceTest(ObjectType::kTriggers), "OBJECTPROPERTY(id, 'IsTrigger') = 1");
  EXPECT_EQ(ScriptExistenceTest(ObjectType::kRelationships),
            "OBJECTPROPERTY(id, 'IsRelationship') = 1");
  EXPECT_EQ(ScriptTypeWord(ObjectType::kRelationships), "Relationship");
  EXPECT_EQ(ScriptTypeWord(ObjectType::kConstraints), "");
}

TEST(ScriptHeaderTest, DateIsYearMonthDayOnA24HourClock) {
  EXPECT_EQ(FormatScriptDate({2026, 12, 31, 23, 59, 58}), "2026-12-31 23:59:58");
  EXPECT_EQ(FormatScriptDate({987, 1, 1, 0, 0, 0}), "0987-01-01 00:00:00");
}

TEST(ScriptHeaderTest, NamesAreSafeInTheUseStatementAndTheLiteral) {
  ManualClock clock(LocalDateTime{2007, 1, 2, 3, 4, 5});
  const std::string header = BuildScriptHeader(clock, "a]b", ObjectType::kTables, "[O'Brien]");
  EXPECT_EQ(header.substr(0, 13), "USE [a]]b]\r\nG");
  EXPECT_NE(header.find("WHERE id = object_id('[O''Brien]') AND"), std::string::npos);
  EXPECT_NE(header.find("DROP Table[O'Brien]\r\nGO"), std::string::npos);
}

TEST(ScriptHeaderTest, CommentMarksInANameCannotEndTheHeaderComment) {
  ManualClock clock(LocalDateTime{2007, 1, 2, 3, 4, 5});
  const std::pair<const char*, const char*> cases[] = {
      {"[x*/ DROP TABLE victim /*]", "[x* / DROP TABLE victim / *]"},
      {"[a/*/b]", "[a/ * /b]"},
      {"[**//]", "[** //]"},
      {"[a*b/c]", "[a*b/c]"},
  };
  for (const auto& [name, shown] : cases) {
    SCOPED_TRACE(name);
    const std::string header = BuildScriptHeader(clock, "db", ObjectType::kTables, name);
    const std::string comment = "/****** Object: Table " + std::string(shown) +
                                "      ---- Script Date: 2007-01-02 03:04:05 ******/\r\n";
    EXPECT_NE(header.find(comment), std::string::npos) << header;
    // The statements still name the object as it is.
    EXPECT_NE(header.find("DROP Table" + std::string(name) + "\r\nGO"), std::string::npos);
  }
}

// --- BuildCreateStatement
// ----------------------------------------------------------------------------

using CreateStatementTest = ScriptTest;

TEST_F(CreateStatementTest, TableWithClusteredPrimaryKey) {
  Respond(OwnerQuery("Orders", "U"), OwnerRow("dbo"));
  Respond(ColumnQueryById("Orders", 5),
          ColumnRows({{"OrderID", "int", 4, 10, 0, false, true, "1", "1"},
                      {"OrderDate", "datetime", 8, 23, 3, true, false, "1", "1"}}));
  Respond(IndexQuery("Orders", true, 5), IndexRows({{"OrderID", "PK_Orders", 1}}));
  std::string drop;
  EXPECT_EQ(
      BuildCreateStatement(context_, server(), Request("Orders", ObjectType::kTables, 5), &drop),
      Header("Table", "[Orders]", kIsTable) +
          "\r\nCREATE TABLE [Orders] (\r\n"
          "[OrderID] [int] IDENTITY(1,1) NOT NULL,\r\n"
          "[OrderDate] [datetime] NULL,\r\n"
          "\r\n"
          "CONSTRAINT [PK_Orders] PRIMARY KEY CLUSTERED ([OrderID])\r\n"
          " \r\n"
          ")");
  EXPECT_EQ(drop,
            "IF EXISTS (SELECT * FROM dbo.sysobjects\r\nWHERE id = object_id('[Orders]') AND "
            "OBJECTPROPERTY(id, 'IsTable') = 1)\r\nDROP Table[Orders]");
}

TEST_F(CreateStatementTest, TableWithoutClusteredIndexLosesTheLastComma) {
  Respond(OwnerQuery("Log", "U"), OwnerRow("audit"));
  Respond(ColumnQueryByName("Log"),
          ColumnRows({{"At", "datetime", 8, 23, 3, false}, {"Text", "nvarchar", 400, 200}}));
  Respond(IndexQuery("Log", true), NoRows({"column", "index", "indid", "keyno"}));
  CreateStatementRequest request = Request("Log", ObjectType::kTables);
  request.statement_only = true;
  EXPECT_EQ(BuildCreateStatement(context_, server(), request),
            "CREATE TABLE [audit].[Log] (\r\n"
            "[At] [datetime] NOT NULL,\r\n"
            "[Text] [nvarchar] (200) NULL \r\n"
            ")");
}

TEST_F(CreateStatementTest, ClusteredIndexThatIsNoKeyAndTheClusteredNameSuffix) {
  Respond(OwnerQuery("T", "U"), OwnerRow("dbo"));
  Respond(ColumnQueryByName("T"), ColumnRows({{"A", "int"}}));
  Respond(IndexQuery("T", true), IndexRows({{"A", "IX_T", 1}}));
  CreateStatementRequest request = Request("T", ObjectType::kTables);
  request.statement_only = true;
  request.clustered_name_suffix = "_copy";
  EXPECT_EQ(BuildCreateStatement(context_, server(), request),
            "CREATE TABLE [T] (\r\n[A] [int] NULL,\r\n\r\nCLUSTERED INDEX [IX_T_copy] ([A])\r\n"
            " \r\n)");
}

TEST_F(CreateStatementTest, IgnoreIndexesDoesNotDropTheClusteredKey) {
  context_.settings.ignore_indexes = true;
  Respond(OwnerQuery("T", "U"), OwnerRow("dbo"));
  Respond(ColumnQueryByName("T"), ColumnRows({{"A", "int"}}));
  Respond(IndexQuery("T", true), IndexRows({{"A", "PK_T", 1}}));
  CreateStatementRequest request = Request("T", ObjectType::kTables);
  request.statement_only = true;
  EXPECT_EQ(BuildCreateStatement(context_, server(), request),
            "CREATE TABLE [T] (\r\n[A] [int] NULL,\r\n\r\n"
            "CONSTRAINT [PK_T] PRIMARY KEY CLUSTERED ([A])\r\n \r\n)");
}

TEST_F(CreateStatementTest, ProcedureIsHeaderBreakTextSpaceBreak) {
  Respond(OwnerQuery("usp_A", "P"), OwnerRow("dbo"));
  Respond(ModuleQuery("usp_A"), TextRows({"\r\nCREATE PROCEDURE usp_A AS SELECT 1\r\n"}));
  EXPECT_EQ(BuildCreateStatement(context_, server(), Request("usp_A", ObjectType::kProcedures)),
            Header("Procedure", "[usp_A]", kIsProcedure) +
                "\r\n\r\nCREATE PROCEDURE usp_A AS SELECT 1 \r\n");
}

TEST_F(CreateStatementTest, NewNameReplacesTheNameInTheTextAndTheQualifiedName) {
  Respond(OwnerQuery("usp_A", "P"), OwnerRow("sales"));
  Respond(ModuleQuery("usp_A"), TextRows({"CREATE PROCEDURE sales.usp_A AS EXEC usp_A_inner"}));
  CreateStatementRequest request = Request("usp_A", ObjectType::kProcedures);
  request.new_name = "usp_B";
  std::string drop;
  const std::string script = BuildCreateStatement(context_, server(), request, &drop);
  EXPECT_EQ(script, Header("Procedure", "[sales].[usp_B]", kIsProcedure) +
                        "\r\n\r\nCREATE PROCEDURE sales.usp_B AS EXEC usp_B_inner \r\n");
  EXPECT_NE(drop.find("DROP Procedure[sales].[usp_B]"), std::string::npos);
}

TEST_F(CreateStatementTest, ViewGetsItsIndexStatementsAsExtras) {
  Respond(OwnerQuery("vA", "V"), OwnerRow("dbo"));
  Respond(ModuleQuery("vA"), TextRows({"CREATE VIEW vA WITH SCHEMABINDING AS SELECT a FROM t"}));
  Respond(ViewIndexQuery("vA"),
          Rows({"index", "indid", "column"},
               {{Value::Text("IX_vA"), Value::Integer(1), Value::Text("a")}}));
  CreateStatementRequest request = Request("vA", ObjectType::kViews);
  request.statement_only = true;
  EXPECT_EQ(BuildCreateStatement(context_, server(), request),
            "\r\nCREATE VIEW vA WITH SCHEMABINDING AS SELECT a FROM t "
            "EXEC('CREATE UNIQUE CLUSTERED INDEX [IX_vA] ON ' + @Database + '.[dbo].[vA]\r\n"
            "([a]) ON [PRIMARY] ')\r\nIF @@ERROR <> 0 SET @ErrorVal = @@ERROR\r\n\r\n\r\n");
}

TEST_F(CreateStatementTest, ViewWithoutIndexesEndsWithASpaceAndABreak) {
  Respond(OwnerQuery("vB", "V"), OwnerRow("dbo"));
  Respond(ModuleQuery("vB"), TextRows({"CREATE VIEW vB AS SELECT 1 AS a"}));
  Respond(ViewIndexQuery("vB"), NoRows({"index", "indid", "column"}));
  CreateStatementRequest request = Request("vB", ObjectType::kViews);
  request.statement_only = true;
  EXPECT_EQ(BuildCreateStatement(context_, server(), request),
            "\r\nCREATE VIEW vB AS SELECT 1 AS a \r\n");
}

TEST_F(CreateStatementTest, RelationshipBodyAndConstraintWithoutBody) {
  Respond(OwnerQuery("FK_A", "F"), OwnerRow("dbo"));
  Respond(RelationshipQuery("FK_A"), ForeignKeyRows({{"FK_A", "B", "C", "D", "E", "4"},
                                                     {"FK_A", "B]2", "C", "D2", "E", "4"}}));
  CreateStatementRequest request = Request("FK_A", ObjectType::kRelationships);
  request.statement_only = true;
  EXPECT_EQ(BuildCreateStatement(context_, server(), request),
            "\r\nTABLE E\r\nCONSTRAINT [FK_A]\r\nFOREIGN KEY [B], [B]]2]\r\n"
            "REFERENCES [C] [D], [D2] \r\n");
  // Constraints have no owner letter and no body.
  CreateStatementRequest constraint = Request("PK_T", ObjectType::kConstraints);
  EXPECT_EQ(BuildCreateStatement(context_, server(), constraint),
            "USE [Sales]\r\nGO\r\n/****** Object:  [PK_T]      ---- Script Date: 2026-03-07 "
            "14:05:09 ******/\r\nSET ANSI_NULLS ON\r\nGO\r\nSET QUOTED_IDENTIFIER ON\r\nGO\r\n"
            "IF EXISTS (SELECT * FROM dbo.sysobjects\r\nWHERE id = object_id('[PK_T]') AND )\r\n"
            "DROP [PK_T]\r\nGO\r\n\r\n \r\n");
}

TEST_F(CreateStatementTest, WrongParametersAreRefused) {
  for (CreateStatementRequest request :
       {Request("T", ObjectType::kTables), Request("", ObjectType::kTables),
        Request("T", ObjectTypeFromCode(0))}) {
    ui_.messages.clear();
    if (request.name == "T" && request.type == ObjectType::kTables)
      request.database.clear();
    EXPECT_EQ(BuildCreateStatement(context_, server(), request), "");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "Cannot build SQL CREATE statement - wrong parameters passed");
    EXPECT_EQ(ui_.messages[0].title, "Error");
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
  }
  CreateStatementRequest no_server = Request("T", ObjectType::kTables);
  no_server.server_name.clear();
  EXPECT_EQ(BuildCreateStatement(context_, server(), no_server), "");
  EXPECT_TRUE(Queries().empty());
}

TEST_F(CreateStatementTest, Version9QualifiesByTheSchemaOfTheId) {
  MakeVersion9();
  Respond(SchemaByIdQuery(31), Rows({""}, {{Value::Text("sales")}}));
  Respond(ModuleQueryById(31), TextRows({"CREATE PROCEDURE sales.usp_A AS SELECT 1"}));
  CreateStatementRequest request = Request("usp_A", ObjectType::kProcedures, 31);
  EXPECT_EQ(BuildCreateStatement(context_, server(), request),
            Header("Procedure", "[sales].[usp_A]", kIsProcedure) +
                "\r\n\r\nCREATE PROCEDURE sales.usp_A AS SELECT 1 \r\n");
}

TEST_F(CreateStatementTest, Version9TriggerSchemaComesFromItsDefinition) {
  MakeVersion9();
  Respond(ModuleQuery("trgA"), TextRows({"CREATE TRIGGER [audit].[trgA] ON t FOR INSERT AS "
                                         "SELECT 1"}));
  CreateStatementRequest request = Request("trgA", ObjectType::kTriggers);
  request.statement_only = true;
  std::string drop;
  BuildCreateStatement(context_, server(), request, &drop);
  EXPECT_EQ(drop,
            "IF EXISTS (SELECT * FROM dbo.sysobjects\r\nWHERE id = object_id('[audit].[trgA]') "
            "AND OBJECTPROPERTY(id, 'IsTrigger') = 1)\r\nDROP Trigger[audit].[trgA]");
}

TEST_F(CreateStatementTest, NamesWithQuotesAndBracketsStaySafe) {
  Respond(OwnerQuery("O''Brien", "U"), OwnerRow("dbo"));
  Respond(ColumnQueryByName("O''Brien"), ColumnRows({{"a]b", "int", 4, 10, 0, false}}));
  Respond(IndexQuery("O''Brien", true), IndexRows({{"a]b", "PK_x]y", 1}}));
  const std::string script =
      BuildCreateStatement(context_, server(), Request("O'Brien", ObjectType::kTables));
  EXPECT_NE(script.find("WHERE id = object_id('[O''Brien]') AND"), std::string::npos);
  EXPECT_NE(script.find("\r\nCREATE TABLE [O'Brien] (\r\n[a]]b] [int] NOT NULL,\r\n\r\n"
                        "CONSTRAINT [PK_x]]y] PRIMARY KEY CLUSTERED ([a]]b])\r\n \r\n)"),
            std::string::npos);
}

// Regression: a (max) column was scripted with the catalogue's size -1, which no server runs.
TEST_F(CreateStatementTest, MaxColumnsAreScriptedAsMaxWhileTheStructureTextKeepsMinusOne) {
  struct Case {
    const char* type;
    std::int64_t prec;
    const char* scripted;
  };
  const Case cases[] = {{"nvarchar", -1, "[C] [nvarchar] (max) NULL"},
                        {"varchar", -1, "[C] [varchar] (max) NULL"},
                        {"VARBINARY", -1, "[C] [VARBINARY] (max) NULL"},
                        {"nvarchar", 200, "[C] [nvarchar] (200) NULL"},
                        {"char", 1, "[C] [char] (1) NULL"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type + std::string(" ") + std::to_string(c.prec));
    Respond(OwnerQuery("T", "U"), OwnerRow("dbo"));
    Respond(ColumnQueryByName("T"), ColumnRows({{"C", c.type, c.prec, c.prec}}));
    Respond(IndexQuery("T", true), NoRows({"column", "index", "indid", "keyno"}));
    CreateStatementRequest request = Request("T", ObjectType::kTables);
    request.statement_only = true;
    EXPECT_EQ(BuildCreateStatement(context_, server(), request),
              "CREATE TABLE [T] (\r\n" + std::string(c.scripted) + " \r\n)");
    // The text shown and compared keeps the catalogue's number.
    const TableStructure shown = GetTableStructure(context_, server(), "db", "T", false,
                                                   IgnoredColumnsKind::Structure, 0, "");
    EXPECT_NE(shown.text.find(" (" + std::to_string(c.prec) + ")"), std::string::npos)
        << shown.text;
  }
}

// --- the SQL CREATE Statement command
// --------------------------------------------------------------

using SqlCreateCommandTest = ScriptTest;

TEST_F(SqlCreateCommandTest, RefusesWhenTheViewShowsNoStructure) {
  EXPECT_EQ(
      BuildSQLCreateStatement(context_, server(), "   ", "Sales", ObjectType::kTables, "T", 1),
      std::nullopt);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "Cannot continue - there is no structure displayed for selected object.");
  EXPECT_EQ(ui_.messages[0].title, "Cannot Continue");
  EXPECT_TRUE(Queries().empty());
}

TEST_F(SqlCreateCommandTest, ScriptsWithHeaderAndCommaSuffix) {
  Respond(OwnerQuery("T", "U"), OwnerRow("dbo"));
  Respond(ColumnQueryById("T", 3), ColumnRows({{"A", "int", 4, 10, 0, false}, {"B", "int"}}));
  Respond(IndexQuery("T", true, 3), NoRows({"column"}));
  EXPECT_EQ(BuildSQLCreateStatement(context_, server(), "[A] [int] NOT NULL", "Sales",
                                    ObjectType::kTables, "T", 3),
            Header("Table", "[T]", kIsTable) +
                "\r\nCREATE TABLE [T] (\r\n[A] [int] NOT NULL,\r\n[B] [int] NULL \r\n)");
  EXPECT_EQ(std::string(kSqlCreateStatementTitle), "SQL CREATE Statement");
}

TEST_F(SqlCreateCommandTest, EmptyScriptGivesTheFailureMessage) {
  EXPECT_EQ(BuildSQLCreateStatement(context_, server(), "text", "", ObjectType::kTables, "T", 3),
            std::nullopt);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[1].text, "Couldn't generate SQL CREATE statement.");
}

}  // namespace
}  // namespace korvane
