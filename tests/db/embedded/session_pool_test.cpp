// The pool of opened databases behind EmbeddedBackend::Open: reuse of an ended session's
// database, and everything that must make the next Open see the server as it is now.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "base/files.h"
#include "db/embedded/server_folder.h"
#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

class SessionPoolTest : public EmbeddedServerTest {
 protected:
  void SetUp() override {
    MakeServer("9.00.5000.00");
    Load("Shop",
         "CREATE TABLE t (id int IDENTITY(1,1) NOT NULL PRIMARY KEY, a varchar(10) NULL)\nGO\n"
         "INSERT t (a) VALUES ('first')\n");
  }
  fs::path folder() const { return scratch_.path() / "srv"; }
  embedded::ServerFolder server() const { return embedded::ServerFolder(folder()); }

  // The files of the folder this process holds open (Linux; empty elsewhere).
  std::vector<std::string> OpenFilesUnder(const fs::path& where) const {
    std::vector<std::string> open;
#ifdef __linux__
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", error)) {
      const fs::path target = fs::read_symlink(entry.path(), error);
      if (!error && target.string().rfind(where.string(), 0) == 0)
        open.push_back(target.filename().string());
    }
#endif
    return open;
  }
};

// A cursor reads inside a transaction of its own; ended early or read to its end, it leaves
// the session ready for the next command (which opens its own transaction) and for the pool.
TEST_F(SessionPoolTest, ACursorEndsItsTransactionWhereverItStops) {
  ConnectionRequest request;
  request.server = server_name();
  request.database = "Shop";
  for (const int rows_read : {0, 1, -1}) {  // -1: to its end, and once more
    SCOPED_TRACE(std::to_string(rows_read) + " rows read");
    {
      OpenOutcome opened = backend_.Open(request);
      ASSERT_NE(opened.session, nullptr);
      CommandRequest command;
      command.text = "SELECT a FROM t ORDER BY id";
      CursorOutcome cursor = opened.session->OpenCursor(command);
      ASSERT_NE(cursor.cursor, nullptr);
      for (int n = 0; n < rows_read; ++n)
        EXPECT_TRUE(cursor.cursor->Next());
      if (rows_read < 0) {
        while (cursor.cursor->Next()) {
        }
        EXPECT_FALSE(cursor.cursor->Next());
        EXPECT_TRUE(cursor.cursor->Errors().empty());
      }
      cursor.cursor.reset();
      command.text = "INSERT t (a) VALUES ('more')";
      const CommandOutcome inserted = opened.session->Execute(command);
      EXPECT_TRUE(inserted.ok) << (inserted.errors.empty() ? "" : inserted.errors[0].text);
    }
    EXPECT_EQ(backend_.IdleSessions(), 1u);
  }
  EXPECT_THAT(QueryRows("Shop", "SELECT COUNT(*) FROM t"), ElementsAre("4"));
}

TEST_F(SessionPoolTest, AnEndedSessionsDatabaseServesTheNextOpen) {
  EXPECT_EQ(backend_.IdleSessions(), 0u);
  EXPECT_THAT(QueryRows("Shop", "SELECT a FROM t"), ElementsAre("first"));
  EXPECT_EQ(backend_.IdleSessions(), 1u);
  {
    ConnectionRequest request;
    request.server = server_name();
    request.database = "Shop";
    OpenOutcome first = backend_.Open(request);
    ASSERT_NE(first.session, nullptr);
    EXPECT_EQ(backend_.IdleSessions(), 0u);  // taken, not copied
    OpenOutcome second = backend_.Open(request);
    ASSERT_NE(second.session, nullptr);
    CommandRequest command;
    command.text = "INSERT t (a) VALUES ('second')";
    EXPECT_TRUE(first.session->Execute(command).ok);
    command.text = "SELECT a FROM t ORDER BY id";
    EXPECT_THAT(Rows(second.session->Execute(command).result_sets.at(0)),
                ElementsAre("first", "second"));
  }
  EXPECT_EQ(backend_.IdleSessions(), 2u);
  // A session that wrote is pooled too, and master is pooled apart from Shop.
  EXPECT_THAT(QueryRows("", "SELECT COUNT(*) FROM sysdatabases WHERE name = 'Shop'"),
              ElementsAre("1"));
  EXPECT_EQ(backend_.IdleSessions(), 3u);
  backend_.CloseIdleSessions();
  EXPECT_EQ(backend_.IdleSessions(), 0u);
}

TEST_F(SessionPoolTest, SessionSettingsDoNotReachTheNextUser) {
  ConnectionRequest request;
  request.server = server_name();
  request.database = "Shop";
  {
    OpenOutcome open = backend_.Open(request);
    CommandRequest command;
    command.text = "SET IDENTITY_INSERT t ON\nINSERT t (id, a) VALUES (10, 'ten')";
    const CommandOutcome outcome = open.session->Execute(command);
    ASSERT_TRUE(outcome.ok) << outcome.errors.at(0).text;
    command.text = "SELECT @@IDENTITY";
    EXPECT_THAT(Rows(open.session->Execute(command).result_sets.at(0)), ElementsAre("10"));
  }
  ASSERT_EQ(backend_.IdleSessions(), 1u);
  const CommandOutcome explicit_id = Run("Shop", "INSERT t (id, a) VALUES (11, 'eleven')");
  ASSERT_FALSE(explicit_id.ok);
  EXPECT_EQ(explicit_id.errors[0].number, 544);
  EXPECT_THAT(QueryRows("Shop", "SELECT @@IDENTITY"), ElementsAre("Null"));
  EXPECT_THAT(QueryRows("Shop", "SELECT @@ROWCOUNT"), ElementsAre("0"));
}

TEST_F(SessionPoolTest, ADatabaseDroppedAndAttachedAnewUnderItsNameIsSeen) {
  EXPECT_THAT(QueryRows("Shop", "SELECT a FROM t"), ElementsAre("first"));
  ASSERT_EQ(backend_.IdleSessions(), 1u);
  // Another database with other rows, copied aside and attached as Shop once Shop is dropped.
  Load("Other",
       "CREATE TABLE t (id int NOT NULL, a varchar(10) NULL)\nGO\n"
       "INSERT t VALUES (1, 'other')\n");
  const fs::path copy = scratch_.path() / "other-copy.db";
  fs::copy_file(folder() / "Other.db", copy);
  server().RemoveDatabase("Shop");
  const CommandOutcome dropped = Run("Shop", "SELECT a FROM t");
  ASSERT_FALSE(dropped.ok);
  EXPECT_EQ(dropped.errors.at(0).number, 4060);
  server().Attach("Shop", {copy.string()});
  EXPECT_THAT(QueryRows("Shop", "SELECT a FROM t"), ElementsAre("other"));
}

TEST_F(SessionPoolTest, ADatabaseFileReplacedOrDeletedBehindMastersBackIsSeen) {
  EXPECT_THAT(QueryRows("Shop", "SELECT a FROM t"), ElementsAre("first"));
  Load("Other",
       "CREATE TABLE t (id int NOT NULL, a varchar(10) NULL)\nGO\n"
       "INSERT t VALUES (1, 'other')\n");
  EXPECT_THAT(QueryRows("Shop", "SELECT a FROM t"), ElementsAre("first"));
  ASSERT_EQ(backend_.IdleSessions(), 1u);
  // A restore by hand: the file is deleted and another put in its place; master is untouched.
  fs::remove(folder() / "Shop.db");
  fs::copy_file(folder() / "Other.db", folder() / "Shop.db");
  EXPECT_THAT(QueryRows("Shop", "SELECT a FROM t"), ElementsAre("other"));
  // Deleted for good: the pooled database lets go of the file and the Open fails.
  fs::remove(folder() / "Shop.db");
  const CommandOutcome gone = Run("Shop", "SELECT a FROM t");
  ASSERT_FALSE(gone.ok);
  EXPECT_EQ(gone.errors.at(0).number, 4060);
  EXPECT_EQ(backend_.IdleSessions(), 0u);
  for (const std::string& file : OpenFilesUnder(folder()))
    EXPECT_NE(file, "Shop.db");
}

TEST_F(SessionPoolTest, ChangesByAnotherBackendAndTheLoaderAreSeen) {
  EXPECT_THAT(QueryRows("Shop", "SELECT a FROM t"), ElementsAre("first"));
  ASSERT_EQ(backend_.IdleSessions(), 1u);
  // The command line beside the program: its own connections, its own pool.
  EmbeddedBackend other(scratch_.path() / "servers");
  ConnectionRequest request;
  request.server = server_name();
  request.database = "Shop";
  {
    OpenOutcome open = other.Open(request);
    CommandRequest command;
    command.text = "CREATE TABLE u (b int NULL)\nINSERT t (a) VALUES ('from cli')";
    ASSERT_TRUE(open.session->Execute(command).ok);
  }
  Load("Shop", "INSERT u VALUES (7)\n");
  EXPECT_THAT(QueryRows("Shop", "SELECT a FROM t ORDER BY id"), ElementsAre("first", "from cli"));
  EXPECT_THAT(QueryRows("Shop", "SELECT b FROM u"), ElementsAre("7"));
  EXPECT_THAT(QueryRows("Shop", "SELECT COUNT(*) FROM sysobjects WHERE name = 'u'"),
              ElementsAre("1"));
}

TEST_F(SessionPoolTest, ANewProductVersionIsReportedAtTheNextOpen) {
  const std::string query = "SELECT CAST(serverproperty('ProductVersion') AS varchar(20))";
  EXPECT_THAT(QueryRows("Shop", query), ElementsAre("9.00.5000.00"));
  ASSERT_TRUE(WriteFileAtomically(folder() / "server.ini", "ProductVersion=8.00.2039\n"));
  EXPECT_THAT(QueryRows("Shop", query), ElementsAre("8.00.2039"));
  const CommandOutcome sys = Run("Shop", "SELECT name FROM sys.objects");
  ASSERT_FALSE(sys.ok);
  EXPECT_EQ(sys.errors.at(0).number, 208);
}

// A session that only read goes back to the pool without stamping the files anew: a change
// made by someone else while it was open must still show at the next Open.
TEST_F(SessionPoolTest, ChangesMadeWhileAReadingSessionWasOpenAreSeenAtTheNextOpen) {
  Load("Other",
       "CREATE TABLE t (id int NOT NULL, a varchar(10) NULL)\nGO\n"
       "INSERT t VALUES (1, 'other')\n");
  struct Case {
    const char* what;
    std::function<void()> change;
    const char* query;
    const char* expected;
  } const cases[] = {
      {"file replaced",
       [&] {
         fs::remove(folder() / "Shop.db");
         fs::copy_file(folder() / "Other.db", folder() / "Shop.db");
       },
       "SELECT a FROM t", "other"},
      {"product version",
       [&] {
         ASSERT_TRUE(WriteFileAtomically(folder() / "server.ini", "ProductVersion=9.00.3042\n"));
       },
       "SELECT CAST(serverproperty('ProductVersion') AS varchar(20))", "9.00.3042"},
      {"database dropped from master", [&] { server().RemoveDatabase("Other"); },
       "SELECT COUNT(*) FROM master..sysdatabases WHERE name = 'Other'", "0"},
  };
  for (const Case& test : cases) {
    ASSERT_FALSE(QueryRows("Shop", "SELECT a FROM t").empty()) << test.what;
    ASSERT_EQ(backend_.IdleSessions(), 1u) << test.what;
    {
      ConnectionRequest request;
      request.server = server_name();
      request.database = "Shop";
      OpenOutcome open = backend_.Open(request);
      ASSERT_NE(open.session, nullptr) << test.what;
      CommandRequest command;
      command.text = "SELECT COUNT(*) FROM t";
      ASSERT_TRUE(open.session->Execute(command).ok) << test.what;
      test.change();
    }
    EXPECT_THAT(QueryRows("Shop", test.query), ElementsAre(test.expected)) << test.what;
  }
}

TEST_F(SessionPoolTest, NothingStaysOpenOnceIdleSessionsAreClosedOrTheBackendIsGone) {
  EXPECT_THAT(QueryRows("Shop", "SELECT a FROM t"), ElementsAre("first"));
#ifdef __linux__
  EXPECT_FALSE(OpenFilesUnder(folder()).empty());
#endif
  backend_.CloseIdleSessions();
  EXPECT_THAT(OpenFilesUnder(folder()), ElementsAre());
  // A session outliving its backend closes its database at its end.
  auto backend = std::make_unique<EmbeddedBackend>(scratch_.path() / "servers");
  ConnectionRequest request;
  request.server = server_name();
  request.database = "Shop";
  OpenOutcome open = backend->Open(request);
  ASSERT_NE(open.session, nullptr);
  backend.reset();
  CommandRequest command;
  command.text = "SELECT a FROM t";
  EXPECT_THAT(Rows(open.session->Execute(command).result_sets.at(0)), ElementsAre("first"));
  open.session.reset();
  EXPECT_THAT(OpenFilesUnder(folder()), ElementsAre());
}

}  // namespace
}  // namespace korvane::testing
