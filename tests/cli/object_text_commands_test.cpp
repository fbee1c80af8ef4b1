// `text` and `create-statement` through the command line, on a database loaded from a script:
// the pane's text byte for byte (CR LF line ends, nothing added), names with quotes and
// brackets, same-named objects of two schemas, and the refusals.
#include <gtest/gtest.h>

#include "cli_profile_fixture.h"

namespace korvane {
namespace {

using testing::CommandRun;

// Bare LF line ends in the script: module texts keep them as stored, the pane shows CR LF.
constexpr std::string_view kScript =
    "CREATE SCHEMA sales\nGO\n"
    "CREATE TABLE [O'Brien] ([a]]b] int IDENTITY(5,2) NOT NULL PRIMARY KEY, note varchar(20) "
    "NULL)\nGO\n"
    "CREATE TABLE dbo.Regions (code char(2) NOT NULL)\nGO\n"
    "CREATE TABLE sales.Regions (code char(3) NOT NULL, name nvarchar(30) NULL)\nGO\n"
    "CREATE PROCEDURE dbo.p AS\n-- first\nSELECT 1\nGO\n"
    "CREATE PROCEDURE sales.p AS\nSELECT 2\nGO\n"
    // The same-named foreign key in two schemas, and names that hold a dot of their own.
    "CREATE TABLE dbo.K (id int NOT NULL PRIMARY KEY)\nGO\n"
    "CREATE TABLE sales.K (id int NOT NULL PRIMARY KEY)\nGO\n"
    "CREATE TABLE dbo.R (k int NULL, CONSTRAINT FK_X FOREIGN KEY (k) REFERENCES dbo.K (id))\nGO\n"
    "CREATE TABLE sales.R (kk int NULL, CONSTRAINT FK_X FOREIGN KEY (kk) REFERENCES sales.K (id))"
    "\nGO\n"
    "CREATE TABLE [x.y] (a int NOT NULL)\nGO\n"
    "CREATE PROCEDURE [p.q] AS SELECT 3\nGO\n";

class ObjectTextCommandsTest : public testing::CliProfileTest {
 protected:
  void SetUp() override { Load("embedded:s", "Shop", std::string(kScript)); }
};

TEST_F(ObjectTextCommandsTest, TextIsThePanesTextByteForByte) {
  const CommandRun table = Run({"text", "embedded:s", "Shop", "tables", "O'Brien"});
  EXPECT_EQ(table.status, kExitDone) << table.err;
  // The identity seed and increment of a table whose name holds a quote are found too.
  EXPECT_EQ(table.out,
            "[a]b] [int] IDENTITY(5,2) NOT NULL\r\n"
            "[note] [varchar] (20) NULL\r\n"
            "\r\n"
            "CONSTRAINT [PK__O'Brien__023D5A04] PRIMARY KEY CLUSTERED ([a]b])\r\n");

  // Same-named procedures of two schemas: each its own text, never the two interleaved; the
  // stored LF line ends show as CR LF and the comment is kept.
  const CommandRun dbo = Run({"text", "embedded:s", "Shop", "procedures", "dbo.p"});
  EXPECT_EQ(dbo.status, kExitDone) << dbo.err;
  EXPECT_EQ(dbo.out, "CREATE PROCEDURE dbo.p AS\r\n-- first\r\nSELECT 1");
  const CommandRun sales = Run({"text", "embedded:s", "Shop", "procedures", "sales.p"});
  EXPECT_EQ(sales.out, "CREATE PROCEDURE sales.p AS\r\nSELECT 2");

  const CommandRun regions = Run({"text", "embedded:s", "Shop", "tables", "sales.Regions"});
  EXPECT_EQ(regions.out, "[code] [char] (3) NOT NULL\r\n[name] [nvarchar] (30) NULL");
}

TEST_F(ObjectTextCommandsTest, ListedObjectsAreReadAsTheListNamesThem) {
  // Each same-named key of its own schema, and a dot inside a name never read as a schema.
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"relationships", "dbo.FK_X"},
       "TABLE R\r\nCONSTRAINT [FK_X]\r\nFOREIGN KEY [k]\r\nREFERENCES [K] [id]"},
      {{"relationships", "sales.FK_X"},
       "TABLE R\r\nCONSTRAINT [FK_X]\r\nFOREIGN KEY [kk]\r\nREFERENCES [K] [id]"},
      {{"tables", "x.y"}, "[a] [int] NOT NULL"},
      {{"procedures", "p.q"}, "CREATE PROCEDURE [p.q] AS SELECT 3"},
  };
  for (const auto& [object, text] : cases) {
    SCOPED_TRACE(object[1]);
    const CommandRun run = Run({"text", "embedded:s", "Shop", object[0], object[1]});
    EXPECT_EQ(run.status, kExitDone) << run.err;
    EXPECT_EQ(run.out, text);
  }
  const CommandRun dotted = Run({"create-statement", "embedded:s", "Shop", "tables", "x.y"});
  EXPECT_EQ(dotted.status, kExitDone) << dotted.err;
  EXPECT_NE(dotted.out.find("CREATE TABLE [x.y] (\r\n[a] [int] NOT NULL"), std::string::npos)
      << dotted.out;
  EXPECT_EQ(dotted.out.find("[x].[y]"), std::string::npos) << dotted.out;
}

TEST_F(ObjectTextCommandsTest, CreateStatementScriptsTheShownObject) {
  const CommandRun run = Run({"create-statement", "embedded:s", "Shop", "tables", "sales.Regions"});
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_EQ(run.out,
            "USE [Shop]\r\nGO\r\n"
            "/****** Object: Table [sales].[Regions]      ---- Script Date: 2026-01-02 03:04:05 "
            "******/\r\n"
            "SET ANSI_NULLS ON\r\nGO\r\nSET QUOTED_IDENTIFIER ON\r\nGO\r\n"
            "IF EXISTS (SELECT * FROM dbo.sysobjects\r\n"
            "WHERE id = object_id('[sales].[Regions]') AND OBJECTPROPERTY(id, 'IsTable') = 1)\r\n"
            "DROP Table[sales].[Regions]\r\nGO\r\n"
            "CREATE TABLE [sales].[Regions] (\r\n"
            "[code] [char] (3) NOT NULL,\r\n"
            "[name] [nvarchar] (30) NULL \r\n)");
  const CommandRun quoted = Run({"create-statement", "embedded:s", "Shop", "tables", "O'Brien"});
  EXPECT_EQ(quoted.status, kExitDone) << quoted.err;
  // The script is SQL: names in it are bracketed safely, while the pane shows them as stored.
  EXPECT_NE(quoted.out.find("object_id('[O''Brien]')"), std::string::npos) << quoted.out;
  EXPECT_NE(quoted.out.find("CREATE TABLE [O'Brien] (\r\n[a]]b] [int] IDENTITY(5,2) NOT NULL,"),
            std::string::npos)
      << quoted.out;
}

TEST_F(ObjectTextCommandsTest, UnknownServerTypeOrObjectIsRefused) {
  const CommandRun object = Run({"text", "embedded:s", "Shop", "procedures", "q"});
  EXPECT_EQ(object.status, kExitFailed);
  EXPECT_EQ(object.out, "");
  EXPECT_EQ(object.err, "Text: Object 'q' not found in Shop.\n");
  // The listed name is the one to give: a bare name that the list qualifies is not found.
  EXPECT_EQ(Run({"text", "embedded:s", "Shop", "procedures", "p"}).status, kExitFailed);

  const CommandRun type = Run({"create-statement", "embedded:s", "Shop", "columns", "x"});
  EXPECT_EQ(type.status, kExitFailed);
  EXPECT_NE(type.err.find("unknown object type \"columns\""), std::string::npos);

  const CommandRun usage = Run({"text", "embedded:s", "Shop", "tables"});
  EXPECT_EQ(usage.status, kExitFailed);
  EXPECT_EQ(usage.err, "Text: usage: text SERVER DB TYPE NAME\n");

  const CommandRun server = Run({"text", "nowhere", "Shop", "tables", "x"});
  EXPECT_EQ(server.status, kExitFailed);
  EXPECT_NE(server.err.find("Server 'nowhere' not found."), std::string::npos);
}

}  // namespace
}  // namespace korvane
