// The embedded server as the data-access layer meets it: server names, opening databases,
// the databases master lists, the reported version and the version-8/9 differences.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "db/embedded/server_folder.h"
#include "db/value.h"
#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

using ::testing::ElementsAre;

class ServerTest : public EmbeddedServerTest {};

TEST_F(ServerTest, MissingFolderFailsAsAnUnreachableServer) {
  ConnectionRequest request;
  request.server = "embedded:" + (scratch_.path() / "nowhere").string();
  const OpenOutcome outcome = backend_.Open(request);
  EXPECT_EQ(outcome.session, nullptr);
  ASSERT_EQ(outcome.errors.size(), 1u);
  EXPECT_EQ(outcome.errors[0].number, 17);
  EXPECT_EQ(outcome.errors[0].sqlstate, "08001");
  EXPECT_NE(outcome.errors[0].text.find("SQL Server does not exist or access denied."),
            std::string::npos);
}

TEST_F(ServerTest, BareNamesLiveUnderTheServersFolderAndPathsAreTakenAsGiven) {
  const auto bare = embedded::ResolveServerFolder("embedded:demo", "/data/servers");
  ASSERT_TRUE(bare.has_value());
  EXPECT_EQ(*bare, std::filesystem::path("/data/servers/demo"));
  const auto path = embedded::ResolveServerFolder("embedded:/srv/x/../y", "/data/servers");
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(*path, std::filesystem::path("/srv/y"));
  EXPECT_FALSE(embedded::ResolveServerFolder("embedded:..", "/data/servers").has_value());
  EXPECT_FALSE(embedded::ResolveServerFolder("embedded:", "/data/servers").has_value());
  EXPECT_FALSE(embedded::ResolveServerFolder("SQL01", "/data/servers").has_value());
  EXPECT_TRUE(embedded::ResolveServerFolder("SQL01", "/data/servers", true).has_value());
}

TEST_F(ServerTest, NonEmbeddedNameIsRefusedAsUnreachable) {
  ConnectionRequest request;
  request.server = "PRODSQL01";
  const OpenOutcome outcome = backend_.Open(request);
  EXPECT_EQ(outcome.session, nullptr);
  ASSERT_EQ(outcome.errors.size(), 1u);
  EXPECT_EQ(outcome.errors[0].sqlstate, "08001");
}

TEST_F(ServerTest, MissingDatabaseIsError4060InTheWordingOfEachVersion) {
  MakeServer("9.00.5000.00");
  CommandOutcome outcome = Run("Nope", "SELECT 1");
  ASSERT_EQ(outcome.errors.size(), 1u);
  EXPECT_EQ(outcome.errors[0].number, 4060);
  EXPECT_EQ(outcome.errors[0].sqlstate, "42000");
  EXPECT_EQ(outcome.errors[0].text,
            "Cannot open database \"Nope\" requested by the login. The login failed.");

  ScratchFolder other;
  EmbeddedBackend backend(other.path());
  std::string error;
  ASSERT_TRUE(CreateEmbeddedServer(other.path(), "old", "8.00.2039", &error)) << error;
  ConnectionRequest request;
  request.server = "embedded:old";  // a bare name: a folder under the servers folder
  request.database = "Nope";
  const OpenOutcome old = backend.Open(request);
  ASSERT_EQ(old.errors.size(), 1u);
  EXPECT_EQ(old.errors[0].text, "Cannot open database requested in login 'Nope'. Login fails.");
}

TEST_F(ServerTest, MasterListsTheSystemDatabasesFirstThenUserDatabases) {
  MakeServer("9.00.5000.00");
  Load("Zeta", "CREATE TABLE t (a int)");
  Load("alpha", "CREATE TABLE t (a int)");
  EXPECT_THAT(QueryRows("Master", "SELECT name, dbid FROM sysdatabases ORDER BY dbid"),
              ElementsAre("master|1", "tempdb|2", "model|3", "msdb|4", "Zeta|5", "alpha|6"));
  EXPECT_THAT(QueryRows("Master", "SELECT name FROM sysdatabases ORDER BY name"),
              ElementsAre("alpha", "master", "model", "msdb", "tempdb", "Zeta"));
  // An empty database name is master; any login is accepted.
  ConnectionRequest request;
  request.server = server_name();
  request.sql_auth = true;
  request.login = "sa";
  request.password = "whatever";
  OpenOutcome open = backend_.Open(request);
  ASSERT_NE(open.session, nullptr);
  CommandRequest command;
  command.text = "SELECT db_name()";
  EXPECT_EQ(NullText(open.session->Execute(command).result_sets.at(0).rows.at(0).at(0)), "master");
}

TEST_F(ServerTest, ServerPropertyReportsTheVersionOfTheServerFile) {
  MakeServer("8.00.2039");
  const ResultSet result = Query("Master", "SELECT serverproperty('ProductVersion') AS ServerVer");
  ASSERT_EQ(result.columns.size(), 1u);
  EXPECT_EQ(result.columns[0].name, "ServerVer");
  EXPECT_THAT(Rows(result), ElementsAre("8.00.2039"));
  EXPECT_THAT(
      QueryRows("master", "SELECT serverproperty('ProductLevel'), serverproperty('Nonsense')"),
      ElementsAre("SP4|Null"));
}

TEST_F(ServerTest, SysDatabasesIsVisibleFromUserDatabasesOnlyFromVersion9) {
  MakeServer("9.00.5000.00");
  Load("Shop", "CREATE TABLE t (a int)");
  EXPECT_EQ(QueryRows("Shop", "SELECT name FROM sysdatabases").size(), 5u);
  EXPECT_THAT(QueryRows("Shop", "SELECT name FROM sys.databases WHERE database_id = 5"),
              ElementsAre("Shop"));

  ScratchFolder other;
  std::string error;
  ASSERT_TRUE(CreateEmbeddedServer(other.path(), "v8", "8.00.2039", &error));
  ASSERT_TRUE(LoadScript(other.path(), "v8", "Shop", "CREATE TABLE t (a int)").ok);
  EmbeddedBackend backend(other.path());
  ConnectionRequest request;
  request.server = "embedded:v8";
  request.database = "Shop";
  OpenOutcome open = backend.Open(request);
  ASSERT_NE(open.session, nullptr);
  CommandRequest command;
  command.text = "SELECT name FROM sysdatabases";
  CommandOutcome outcome = open.session->Execute(command);
  ASSERT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.errors[0].number, 208);
  EXPECT_EQ(outcome.errors[0].text, "Invalid object name 'sysdatabases'.");
  command.text = "SELECT name FROM master..sysdatabases WHERE dbid = 5";
  outcome = open.session->Execute(command);
  ASSERT_TRUE(outcome.ok) << outcome.errors[0].text;
  EXPECT_THAT(Rows(outcome.result_sets[0]), ElementsAre("Shop"));
}

constexpr const char* kSchemas = R"SQL(
CREATE SCHEMA sales
GO
CREATE PROCEDURE sales.Report AS SELECT 1
GO
CREATE FUNCTION sales.Half (@x int) RETURNS int AS BEGIN RETURN @x / 2 END
GO
CREATE TABLE dbo.Orders (id int NOT NULL)
CREATE TABLE sales.Orders (id int NOT NULL, total money NULL)
CREATE TABLE sales.Regions (id int NOT NULL)
GO
CREATE VIEW sales.BigOrders AS SELECT id FROM sales.Orders WHERE total > 100
GO
)SQL";

class VersionTest : public EmbeddedServerTest {};

TEST_F(VersionTest, Version9SeesSchemasAndSysObjects) {
  MakeServer("9.00.5000.00");
  Load("Shop", kSchemas);
  // Both Orders tables are listed under their bare name; their columns interleave when the
  // column query looks a table up by name.
  const auto tables = QueryRows("Shop",
                                "select name from sysobjects where OBJECTPROPERTY(id, "
                                "N'IsUserTable') = 1 and xtype <> 'S'  order by name");
  EXPECT_THAT(tables, ElementsAre("Orders", "Orders", "Regions"));
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT sco.[name] AS [column] FROM sysobjects sob INNER JOIN "
                        "syscolumns sco ON sob.id = sco.id WHERE sob.name = 'Orders' "
                        "ORDER BY sco.colorder"),
              ElementsAre("id", "id", "total"));
  const std::string id = QueryRows("Shop", "SELECT object_id('sales.Orders')").at(0);
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT OBJECT_SCHEMA_NAME([object_id]) FROM sys.objects WHERE "
                        "[object_id] = " +
                            id),
              ElementsAre("sales"));
  EXPECT_THAT(QueryRows("Shop", "SELECT USER_NAME(uid) FROM sysobjects WHERE [id] = " + id),
              ElementsAre("Null"));  // schema 5 is no user
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT TABLE_SCHEMA FROM INFORMATION_SCHEMA.TABLES WHERE "
                        "TABLE_NAME = 'regions'"),
              ElementsAre("sales"));
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT TABLE_SCHEMA FROM INFORMATION_SCHEMA.VIEWS WHERE "
                        "TABLE_NAME = 'BigOrders'"),
              ElementsAre("sales"));
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT ROUTINE_SCHEMA, ROUTINE_TYPE, DATA_TYPE FROM "
                        "INFORMATION_SCHEMA.ROUTINES WHERE ROUTINE_NAME = 'report'"),
              ElementsAre("sales|PROCEDURE|Null"));
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT ROUTINE_SCHEMA, ROUTINE_TYPE, DATA_TYPE FROM "
                        "INFORMATION_SCHEMA.ROUTINES WHERE ROUTINE_NAME = 'Half'"),
              ElementsAre("sales|FUNCTION|int"));
  EXPECT_THAT(QueryRows("Shop", "SELECT name, schema_id FROM sys.schemas WHERE name = 'sales'"),
              ElementsAre("sales|5"));
}

TEST_F(VersionTest, UnqualifiedNameOfAnotherSchemaIsError208) {
  MakeServer("9.00.5000.00");
  Load("Shop", kSchemas);
  CommandOutcome outcome = Run("Shop", "SELECT COUNT(*) AS RecsCount FROM [Regions]");
  ASSERT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.errors[0].number, 208);
  EXPECT_EQ(outcome.errors[0].sqlstate, "42S02");
  EXPECT_EQ(outcome.errors[0].text, "Invalid object name 'Regions'.");
  EXPECT_THAT(QueryRows("Shop", "SELECT COUNT(*) AS RecsCount FROM [sales].[Regions]"),
              ElementsAre("0"));
}

TEST_F(VersionTest, Version8RejectsSysViewsAndObjectSchemaName) {
  MakeServer("8.00.2039");
  Load("Shop", kSchemas);
  CommandOutcome outcome = Run("Shop",
                               "SELECT OBJECT_SCHEMA_NAME([object_id]) FROM sys.objects "
                               "WHERE [object_id] = 1");
  ASSERT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.errors[0].number, 208);
  EXPECT_EQ(outcome.errors[0].text, "Invalid object name 'sys.objects'.");
  outcome = Run("Shop", "SELECT OBJECT_SCHEMA_NAME(id) FROM sysobjects");
  ASSERT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.errors[0].number, 195);
  EXPECT_EQ(outcome.errors[0].text, "'OBJECT_SCHEMA_NAME' is not a recognized function name.");
  // On version 8 an owner is a user: the owner query finds it.
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT so.name AS ObjectName, su.name AS Owner FROM sysobjects "
                        "so INNER JOIN sysusers su ON so.uid = su.uid WHERE so.name = "
                        "'Regions' AND so.xtype = 'U'"),
              ElementsAre("Regions|sales"));
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT DISTINCT su.name AS Owner FROM sysobjects so INNER JOIN "
                        "sysusers su ON so.uid = su.uid ORDER BY su.name"),
              ElementsAre("dbo", "sales"));
  // 2000 names the heap row after its table; 2005 leaves it NULL.
  EXPECT_THAT(QueryRows("Shop",
                        "SELECT name FROM sysindexes WHERE indid = 0 AND id = "
                        "object_id('sales.Regions')"),
              ElementsAre("Regions"));
}

TEST_F(VersionTest, EarlyVersion9BuildsLackObjectSchemaName) {
  MakeServer("9.00.1399.06");
  Load("Shop", kSchemas);
  CommandOutcome outcome = Run("Shop", "SELECT OBJECT_SCHEMA_NAME([object_id]) FROM sys.objects");
  ASSERT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.errors[0].number, 195);
  EXPECT_EQ(outcome.errors[0].text,
            "'OBJECT_SCHEMA_NAME' is not a recognized built-in function name.");
}

TEST_F(VersionTest, StoredExpressionsFollowEachVersionsRendering) {
  const char* script =
      "CREATE TABLE t (a int NOT NULL DEFAULT 0, b datetime NULL DEFAULT getdate(), "
      "c varchar(5) NULL DEFAULT 'x', d int NULL CHECK (d > 0), "
      "e int NULL DEFAULT -1, f int NULL, CHECK (f IS NULL OR f - 1 >= d))";
  MakeServer("9.00.5000.00");
  Load("Shop", script);
  const std::string query =
      "SELECT sc.text FROM sysobjects so INNER JOIN syscomments sc ON so.id = sc.id WHERE "
      "so.parent_obj = object_id('t') ORDER BY so.info";
  EXPECT_THAT(QueryRows("Shop", query), ElementsAre("([f] IS NULL OR [f]-(1)>=[d])", "((0))",
                                                    "(getdate())", "('x')", "([d]>(0))", "((-1))"));
  ScratchFolder other;
  std::string error;
  ASSERT_TRUE(CreateEmbeddedServer(other.path(), "v8", "8.00.2039", &error));
  ASSERT_TRUE(LoadScript(other.path(), "v8", "Shop", script).ok);
  EmbeddedBackend backend(other.path());
  ConnectionRequest request;
  request.server = "embedded:v8";
  request.database = "Shop";
  OpenOutcome open = backend.Open(request);
  CommandRequest command;
  command.text = query;
  EXPECT_THAT(Rows(open.session->Execute(command).result_sets.at(0)),
              ElementsAre("([f] is null or [f] - 1 >= [d])", "(0)", "(getdate())", "('x')",
                          "([d] > 0)", "(-1)"));
}

TEST_F(ServerTest, AttachRunsFromABatchToo) {
  MakeServer("9.00.5000.00");
  Load("Shop", "CREATE TABLE t (a int)");
  const std::string file = (scratch_.path() / "copy.mdf").string();
  std::filesystem::copy_file(scratch_.path() / "srv" / "Shop.db", file);
  CommandOutcome outcome = Run("master", "EXEC sp_attach_db @dbname = N'Again', @filename1 = N'" +
                                             file + "', @filename2 = N'" + file + ".ldf'");
  ASSERT_TRUE(outcome.ok) << outcome.errors.at(0).text;
  EXPECT_THAT(QueryRows("master", "SELECT name FROM sysdatabases WHERE dbid > 4 ORDER BY dbid"),
              ElementsAre("Shop", "Again"));
  outcome = Run("master", "EXEC sp_who");
  ASSERT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.errors[0].text, "The embedded server does not support EXECUTE of 'sp_who'.");
}

TEST_F(ServerTest, AttachListsAnEngineFileUnderANewName) {
  MakeServer("9.00.5000.00");
  Load("Shop", "CREATE TABLE t (a int)\nGO\nINSERT t VALUES (7)");
  const std::string file = (scratch_.path() / "copy.mdf").string();
  std::filesystem::copy_file(scratch_.path() / "srv" / "Shop.db", file);
  ConnectionRequest request;
  request.server = server_name();
  request.database = "master";
  OpenOutcome open = backend_.Open(request);
  ASSERT_NE(open.session, nullptr);
  CommandRequest attach;
  attach.type = CommandType::kStoredProcedure;
  attach.text = "sp_attach_single_file_db";
  CommandParameter result;
  result.name = "Return";
  result.direction = ParameterDirection::kReturnValue;
  CommandParameter name;
  name.name = "dbname";
  name.type = ParameterType::kWideText;
  name.value = Value::Text("Copy");
  CommandParameter path = name;
  path.name = "filename1";
  path.value = Value::Text(file);
  attach.parameters = {result, name, path};
  CommandOutcome outcome = open.session->Execute(attach);
  ASSERT_TRUE(outcome.ok) << outcome.errors.at(0).text;
  EXPECT_EQ(NullText(outcome.parameter_values.at(0)), "0");
  EXPECT_THAT(QueryRows("Copy", "SELECT a FROM t"), ElementsAre("7"));
  // The name is taken now; a missing or foreign file is refused.
  outcome = open.session->Execute(attach);
  ASSERT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.errors[0].number, 1801);
  attach.parameters[1].value = Value::Text("Other");
  attach.parameters[2].value = Value::Text((scratch_.path() / "missing.mdf").string());
  outcome = open.session->Execute(attach);
  ASSERT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.errors[0].number, 5120);
  WriteFile(scratch_.path() / "foreign.mdf", "not a database at all");
  attach.parameters[2].value = Value::Text((scratch_.path() / "foreign.mdf").string());
  outcome = open.session->Execute(attach);
  ASSERT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.errors[0].number, 5172);
}

// A file already attached (master's own included) was attached again under a second name, so
// two databases shared one storage.
TEST_F(ServerTest, AFileInUseCannotBeAttachedAgain) {
  MakeServer("9.00.5000.00");
  Load("Shop", "CREATE TABLE t (a int)\nGO\nINSERT t VALUES (7)");
  const std::filesystem::path folder = scratch_.path() / "srv";
  const std::string in_use =
      "\". Operating system error 32: \"32(The process cannot access the file because it is being "
      "used by another process.)\".";
  struct Case {
    std::string how;
    std::string path;     // as given to sp_attach_db
    std::string message;  // the file as the message names it
  };
  const std::string shop = (folder / "Shop.db").string();
  const std::string master = (folder / "master.db").string();
  const std::vector<Case> cases = {
      {"the file itself", shop, shop},
      {"through a dot segment", (folder / "." / "Shop.db").string(),
       (folder / "." / "Shop.db").string()},
      {"master's file", master, master},
  };
  ASSERT_TRUE(std::filesystem::exists(master));
  for (const auto& c : cases) {
    for (const char* procedure : {"sp_attach_db", "sp_attach_single_file_db"}) {
      const CommandOutcome outcome =
          Run("master", std::string("EXEC ") + procedure + " N'Second', N'" + c.path + "'");
      ASSERT_FALSE(outcome.ok) << c.how;
      EXPECT_EQ(outcome.errors.at(0).number, 5120) << c.how;
      EXPECT_EQ(outcome.errors.at(0).text,
                "Unable to open the physical file \"" + c.message + in_use)
          << c.how;
    }
  }
  EXPECT_THAT(QueryRows("master", "SELECT name FROM sysdatabases WHERE dbid > 4 ORDER BY dbid"),
              ElementsAre("Shop"));
  // A script is refused the same way, and nothing of it remains.
  const ScriptLoadResult loaded =
      TryLoad("Work", "CREATE TABLE w (a int)\nGO\nEXEC sp_attach_db N'Second', N'" + shop + "'\n");
  EXPECT_EQ(loaded.error.number, 5120);
  EXPECT_THAT(QueryRows("master", "SELECT name FROM sysdatabases WHERE dbid > 4 ORDER BY dbid"),
              ElementsAre("Shop"));
}

}  // namespace
}  // namespace korvane::testing
