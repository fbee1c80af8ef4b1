// What every backend must answer alike through run command: the embedded stand-in, and ODBC
// (unixODBC and FreeTDS) against `korvane-cli serve` serving the same database, or against a real
// SQL Server when KORVANE_TEST_ODBC names one ("server|login|password|database").
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

#include "app/application_context.h"
#include "base/clock.h"
#include "base/text.h"
#include "db/data_access.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/odbc/odbc_backend.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"
#include "support/serve_process.h"

namespace korvane {
namespace {

using testing::RecordingUserInterface;
using testing::ScratchFolder;
using testing::ServeProcess;

#ifndef KORVANE_CLI_PATH
#define KORVANE_CLI_PATH ""  // no korvane-cli in this build: the ODBC cases fail to start
#endif

using Prepared = std::optional<std::pair<ServerRecord, std::string>>;

struct BackendUnderTest {
  std::string name;
  // Prepares the backend in `context` and returns the server and database to query; nothing
  // when this backend cannot be tested here, with `why` set when that is a failure. A listener
  // it starts is kept in `serve`.
  std::function<Prepared(ApplicationContext&, const ScratchFolder&,
                         std::unique_ptr<ServeProcess>& serve, std::string& why)>
      prepare;
};

constexpr const char* kShopScript =
    "CREATE TABLE dbo.People (id int NOT NULL PRIMARY KEY, name nvarchar(40) NULL)\n"
    "GO\nINSERT INTO dbo.People VALUES (1, N'O''Brien')\n"
    "INSERT INTO dbo.People VALUES (2, NULL)\n"
    "INSERT INTO dbo.People VALUES (3, N'Zo\xC3\xAB')\n";

Prepared PrepareEmbedded(ApplicationContext& context, const ScratchFolder& folder,
                         std::unique_ptr<ServeProcess>&, std::string& why) {
  context.backends.embedded = std::make_shared<EmbeddedBackend>(folder / "servers");
  const ScriptLoadResult loaded =
      LoadScript(folder / "servers", "embedded:conformance", "Shop", kShopScript);
  if (!loaded.ok) {
    why = "the fixture script does not load";
    return std::nullopt;
  }
  ServerRecord server;
  server.Name = "embedded:conformance";
  return std::make_pair(server, std::string("Shop"));
}

void UseOdbc(ApplicationContext& context) {
  context.backends.odbc = std::make_shared<OdbcBackend>(
      OdbcDriverChoice{ChooseOdbcDriver(InstalledSqlServerDrivers(), std::nullopt), ""});
  context.backends.odbc_driver_available = true;
}

// The same database served by `korvane-cli serve`, reached through the driver manager.
Prepared PrepareServedOdbc(ApplicationContext& context, const ScratchFolder& folder,
                           std::unique_ptr<ServeProcess>& serve, std::string& why) {
  const ScriptLoadResult loaded =
      LoadScript(folder / "served", "embedded:conformance", "Shop", kShopScript);
  if (!loaded.ok) {
    why = "the fixture script does not load";
    return std::nullopt;
  }
  serve = ServeProcess::Start(
      {KORVANE_CLI_PATH, folder / "serve-profile",
       "embedded:" + (folder / "served" / "conformance").string(), "tester", "S3cret!", ""},
      &why);
  if (!serve)
    return std::nullopt;
  UseOdbc(context);
  ServerRecord server;
  server.Name = serve->ServerName();
  server.SQLAuth = true;
  server.LoginName = "tester";
  server.Password = "S3cret!";
  return std::make_pair(server, std::string("Shop"));
}

Prepared PrepareOdbc(ApplicationContext& context, const ScratchFolder& folder,
                     std::unique_ptr<ServeProcess>& serve, std::string& why) {
  const char* target = std::getenv("KORVANE_TEST_ODBC");
  if (target == nullptr)
    return PrepareServedOdbc(context, folder, serve, why);
  const std::vector<std::string> parts = Split(target, "|");
  if (parts.size() != 4) {
    why = "KORVANE_TEST_ODBC is not server|login|password|database";
    return std::nullopt;
  }
  UseOdbc(context);
  ServerRecord server;
  server.Name = parts[0];
  server.SQLAuth = true;
  server.LoginName = parts[1];
  server.Password = parts[2];
  // The same table as the embedded fixture, made fresh.
  const std::string setup =
      "IF OBJECT_ID('dbo.People') IS NOT NULL DROP TABLE dbo.People; "
      "CREATE TABLE dbo.People (id int NOT NULL PRIMARY KEY, name nvarchar(40) NULL); "
      "INSERT INTO dbo.People VALUES (1, N'O''Brien'); INSERT INTO dbo.People VALUES (2, NULL); "
      "INSERT INTO dbo.People VALUES (3, N'Zo\xC3\xAB')";
  if (SQL_Execute(context, server, CommandType::kText, setup, parts[3]).failed()) {
    why = "the fixture table cannot be made on " + parts[0];
    return std::nullopt;
  }
  return std::make_pair(server, parts[3]);
}

class BackendConformanceTest : public ::testing::TestWithParam<BackendUnderTest> {
 protected:
  void SetUp() override {
    std::string why;
    auto prepared = GetParam().prepare(context_, folder_, serve_, why);
    ASSERT_TRUE(prepared) << GetParam().name << ": " << why;
    server_ = prepared->first;
    database_ = prepared->second;
  }
  RunCommandResult Run(std::string_view sql, std::string_view database = {}) {
    return RunCommand(context_, server_, CommandType::kText, sql,
                      database.empty() ? std::string_view(database_) : database);
  }

  ScratchFolder folder_;
  RecordingUserInterface ui_;
  ManualClock clock_;
  ApplicationContext context_{ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_,
                              clock_};
  std::unique_ptr<ServeProcess> serve_;
  ServerRecord server_;
  std::string database_;
};

TEST_P(BackendConformanceTest, RowsComeBackTypedAndInOrder) {
  RunCommandResult result = Run("SELECT id, name FROM dbo.People ORDER BY id");
  ASSERT_FALSE(result.failed()) << result.error_description;
  Recordset& rows = *result.recordset;
  ASSERT_EQ(rows.RecordCount(), 3);
  EXPECT_EQ(rows.Field("id"), Value::Integer(1));
  EXPECT_EQ(rows.Field("name"), Value::Text("O'Brien"));
  rows.MoveNext();
  EXPECT_TRUE(rows.Field("name").is_null());
  rows.MoveNext();
  EXPECT_EQ(NullText(rows.Field("name")), "Zo\xC3\xAB");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_P(BackendConformanceTest, NamesCompareIgnoringCaseAndTrailingBlanks) {
  RunCommandResult result = Run("SELECT ID FROM PEOPLE WHERE name = 'o''brien   '");
  ASSERT_FALSE(result.failed()) << result.error_description;
  ASSERT_EQ(result.recordset->RecordCount(), 1);
  EXPECT_EQ(result.recordset->Field(0), Value::Integer(1));
}

TEST_P(BackendConformanceTest, MissingTableIsTheProvidersMissingTableError) {
  context_.SuppressConnectionErrors = true;
  const RunCommandResult result = Run("SELECT * FROM dbo.NoSuchTable");
  EXPECT_TRUE(result.failed());
  EXPECT_EQ(result.error_number, kMissingTableError);
  // The server's text alone, without the driver's "[FreeTDS][SQL Server]" prefix.
  EXPECT_TRUE(result.error_description.starts_with("Invalid object name"))
      << result.error_description;
}

TEST_P(BackendConformanceTest, MissingDatabaseFailsAsALoginDoes) {
  context_.SuppressConnectionErrors = true;
  const RunCommandResult result = Run("SELECT 1", "NoSuchDatabase");
  EXPECT_TRUE(result.failed());
  EXPECT_EQ(result.error_number, kGeneralError);
  // The database that cannot be opened is named first, not the login failure that follows it.
  EXPECT_NE(result.error_description.find("NoSuchDatabase"), std::string::npos)
      << result.error_description;
}

TEST_P(BackendConformanceTest, VersionAndDatabaseList) {
  EXPECT_FALSE(GetServerVersion(context_, server_).empty());
  RunCommandResult result = RunCommand(context_, server_, CommandType::kText,
                                       "SELECT name FROM sysdatabases ORDER BY name", "master");
  ASSERT_FALSE(result.failed());
  bool found = false;
  for (Recordset& rows = *result.recordset; !rows.Eof(); rows.MoveNext()) {
    found = found || EqualsIgnoringCase(NullText(rows.Field("name")), database_);
  }
  EXPECT_TRUE(found);
}

// The rows a cursor reads, as values: column names and types, then every field. Each row read
// whole in one call (Fields) gives the same values as read field by field, and so does a row
// read in part; past the end every field is NULL.
std::vector<std::vector<Value>> ReadAll(RowCursor& cursor) {
  std::vector<std::vector<Value>> rows;
  const std::size_t columns = cursor.Columns().size();
  std::vector<FieldView> whole(columns);
  while (cursor.Next()) {
    std::vector<Value>& row = rows.emplace_back();
    for (int k = 0; k < static_cast<int>(columns); ++k)
      row.push_back(ToValue(cursor.Field(k)));
    cursor.Fields(whole);
    for (std::size_t k = 0; k < columns; ++k)
      EXPECT_EQ(ToValue(whole[k]), row[k]) << "field " << k;
    if (columns > 1) {
      std::vector<FieldView> first(1);
      cursor.Fields(first);
      EXPECT_EQ(ToValue(first[0]), row[0]);
    }
  }
  whole.assign(columns, ViewOf(Value::Integer(1)));
  cursor.Fields(whole);
  for (const FieldView& field : whole)
    EXPECT_EQ(field.type, ValueType::kNull);
  return rows;
}

TEST_P(BackendConformanceTest, CursorReadsWhatRunCommandReads) {
  // Plain columns stream; an expression, a second statement and no row at all take other paths.
  for (const char* sql :
       {"SELECT id, name FROM dbo.People ORDER BY id", "SELECT name, id FROM People WHERE id > 1",
        "SELECT * FROM dbo.People WHERE id = 99",
        "SELECT COUNT(*) AS n, MAX(name) AS m FROM People",
        "SELECT id FROM dbo.People WHERE id = 1; SELECT 2 AS two"}) {
    SCOPED_TRACE(sql);
    RunCommandResult whole = Run(sql);
    ASSERT_FALSE(whole.failed()) << whole.error_description;
    OpenRowCursorResult opened = OpenRowCursor(context_, server_, sql, database_);
    ASSERT_FALSE(opened.failed()) << opened.error_description;
    RowCursor& cursor = *opened.cursor;
    Recordset& rows = *whole.recordset;
    ASSERT_EQ(static_cast<int>(cursor.Columns().size()), rows.FieldCount());
    for (int k = 0; k < rows.FieldCount(); ++k) {
      EXPECT_EQ(cursor.Columns()[static_cast<std::size_t>(k)].name, rows.FieldName(k));
      EXPECT_EQ(cursor.Columns()[static_cast<std::size_t>(k)].type, rows.Column(k).type);
    }
    std::vector<std::vector<Value>> expected;
    for (; !rows.Eof(); rows.MoveNext()) {
      std::vector<Value>& row = expected.emplace_back();
      for (int k = 0; k < rows.FieldCount(); ++k)
        row.push_back(rows.Field(k));
    }
    EXPECT_EQ(ReadAll(cursor), expected);
    EXPECT_TRUE(cursor.Errors().empty());
    // At its end a cursor stays there.
    EXPECT_FALSE(cursor.Next());
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_P(BackendConformanceTest, CursorThatCannotOpenIsReportedOnceUnlessProbing) {
  const std::string sql = "SELECT id FROM dbo.NoSuchTable";
  for (const bool probing : {false, true}) {
    SCOPED_TRACE(probing ? "probing" : "reporting");
    ui_.messages.clear();
    context_.SuppressConnectionErrors = probing;
    const OpenRowCursorResult opened = OpenRowCursor(context_, server_, sql, database_);
    EXPECT_TRUE(opened.failed());
    EXPECT_EQ(opened.error_number, kMissingTableError);
    ASSERT_EQ(ui_.messages.size(), probing ? 0u : 1u);
    if (!probing) {
      EXPECT_EQ(ui_.messages[0].text,
                ConnectionFailureMessage(kMissingTableError, opened.error_description, sql));
    }
  }
}

// A row that fails to convert: a backend that streams ends its rows there with the error, one
// that reads whole fails to open; either way nothing after the failure is passed on as a row.
TEST_P(BackendConformanceTest, CursorThatFailsWhileReadingEndsWithTheServersError) {
  context_.SuppressConnectionErrors = true;
  const std::string sql = "SELECT id, CAST(name AS int) AS n FROM People WHERE id >= 2 ORDER BY id";
  OpenRowCursorResult opened = OpenRowCursor(context_, server_, sql, database_);
  std::int32_t error = opened.error_number;
  if (!opened.failed()) {
    std::vector<std::vector<Value>> rows = ReadAll(*opened.cursor);
    EXPECT_LE(rows.size(), 1u);
    if (!rows.empty()) {
      EXPECT_EQ(rows[0][0], Value::Integer(2));
      EXPECT_TRUE(rows[0][1].is_null());
    }
    ASSERT_FALSE(opened.cursor->Errors().empty());
    error = ErrorNumberOf(opened.cursor->Errors().front());
  }
  EXPECT_EQ(error, kConversionError);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_P(BackendConformanceTest, CancelledCursorStopsWithTheCancelState) {
  // Enough rows (3^8) that reading them takes the backend through its cancel checks.
  const std::string sql =
      "SELECT a.id FROM People a, People b, People c, People d, People e, People f, People g, "
      "People h";
  std::atomic<bool> cancel = false;
  OpenRowCursorResult opened = OpenRowCursor(context_, server_, sql, database_, &cancel);
  ASSERT_FALSE(opened.failed()) << opened.error_description;
  ASSERT_TRUE(opened.cursor->Next());
  cancel = true;
  int rows = 1;
  while (opened.cursor->Next())
    ++rows;
  EXPECT_LT(rows, 6561);
  ASSERT_FALSE(opened.cursor->Errors().empty());
  EXPECT_EQ(opened.cursor->Errors().front().sqlstate, "HY008");
  // Reading failed: the caller reports it in the one message.
  ReportRowCursorFailure(context_, *opened.cursor, sql);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].text.find("Operation canceled"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Backends, BackendConformanceTest,
                         ::testing::Values(BackendUnderTest{"embedded", PrepareEmbedded},
                                           BackendUnderTest{"odbc", PrepareOdbc}),
                         [](const ::testing::TestParamInfo<BackendUnderTest>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace korvane
