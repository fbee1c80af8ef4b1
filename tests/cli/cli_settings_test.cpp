#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "base/registry_tree.h"
#include "base/settings_store.h"
#include "cli/cli.h"
#include "cli_profile_fixture.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;

using CliRun = testing::CommandRun;
using CliTest = testing::CliProfileTest;

TEST_F(CliTest, SetThenGetADword) {
  const CliRun set = Run({"settings", "set", "Comparisons", "IgnoreColSeq", "dword", "0"});
  EXPECT_EQ(set.status, kExitDone) << set.err;
  EXPECT_EQ(set.out, "");
  const CliRun get = Run({"settings", "get", "Comparisons", "IgnoreColSeq"});
  EXPECT_EQ(get.status, kExitDone);
  EXPECT_EQ(get.out, "0\n");
  const auto parsed = RegistryTree::Parse(ReadFile(folder_ / "p" / "settings.reg"));
  EXPECT_TRUE(parsed.unreadable_lines.empty());
  EXPECT_EQ(parsed.tree.FindValue("HKEY_CURRENT_USER\\Software\\KVN\\Comparisons", "IgnoreColSeq")
                ->number,
            0u);
}

TEST_F(CliTest, RootKeyStringsAndStartUpValues) {
  EXPECT_EQ(Run({"settings", "set", ".", "Note", "string", "a \"b\" c\\d"}).status, kExitDone);
  EXPECT_EQ(Run({"settings", "get", ".", "Note"}).out, "a \"b\" c\\d\n");
  // Every start brings the version up to date and records the program folder.
  EXPECT_EQ(Run({"settings", "get", ".", "VerNum"}).out, "1.3\n");
  EXPECT_EQ(Run({"settings", "get", ".", "Location"}).out, (folder_ / "bin").string() + "/\n");
}

TEST_F(CliTest, ProfileFromTheEnvironment) {
  env_.korvane_profile = (folder_ / "envp").string();
  EXPECT_EQ(RunBare({"settings", "set", "Servers", "Count", "dword", "0x1e"}).status, kExitDone);
  EXPECT_EQ(RunBare({"settings", "get", "Servers", "Count"}).out, "30\n");
  EXPECT_TRUE(std::filesystem::exists(folder_ / "envp" / "settings.reg"));
}

TEST_F(CliTest, BadInputIsRefusedWithAMessage) {
  const CliRun missing = Run({"settings", "get", "Comparisons", "Nothing"});
  EXPECT_EQ(missing.status, kExitFailed);
  EXPECT_EQ(missing.err, "Settings: no value \"Nothing\" under Software\\KVN\\Comparisons\n");
  EXPECT_EQ(Run({"settings", "set", ".", "T", "dword", "-1"}).status, kExitFailed);
  EXPECT_EQ(Run({"settings", "set", ".", "T", "dword", "4294967296"}).status, kExitFailed);
  EXPECT_EQ(Run({"settings", "set", ".", "T", "qword", "1"}).status, kExitFailed);
  EXPECT_EQ(Run({"settings", "get", "."}).status, kExitFailed);
  const CliRun unknown = Run({"frobnicate"});
  EXPECT_EQ(unknown.status, kExitFailed);
  EXPECT_EQ(unknown.err, "Korvane: unknown command \"frobnicate\"; see korvane-cli --help\n");
  EXPECT_EQ(RunBare({"--profile"}).status, kExitFailed);
  EXPECT_EQ(RunBare({}).status, kExitFailed);
}

TEST_F(CliTest, UnwritableStoreIsAFailureNotASuccess) {
  testing::WriteFile(folder_ / "blocker", "x");
  const CliRun run = RunBare({"--profile", (folder_ / "blocker" / "p").string(), "settings", "set",
                              ".", "Timeout", "dword", "5"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_NE(run.err.find((folder_ / "blocker" / "p" / "settings.reg").string()), std::string::npos)
      << run.err;
}

TEST_F(CliTest, HelpListsTheCommandsThatWork) {
  const CliRun help = RunBare({"--help"});
  EXPECT_EQ(help.status, kExitDone);
  EXPECT_EQ(help.out, CliUsage());
  EXPECT_NE(help.out.find("settings get KEYPATH NAME"), std::string::npos);
  EXPECT_NE(help.out.find("settings set KEYPATH NAME dword|string VALUE"), std::string::npos);
}

// The installed program, started for real as scripts start it.
TEST(CliProgramTest, SettingsRoundTripThroughTheExecutable) {
  ScratchFolder folder;
  const std::string profile = (folder / "p").string();
  const std::string cli = KORVANE_CLI_PATH;
  ASSERT_EQ(
      std::system((cli + " --profile " + profile + " settings set Comparisons IgnoreColSeq dword 0")
                      .c_str()),
      0);
  FILE* pipe = ::popen(
      (cli + " --profile " + profile + " settings get Comparisons IgnoreColSeq").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::array<char, 64> buffer{};
  const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), pipe);
  EXPECT_EQ(::pclose(pipe), 0);
  EXPECT_EQ(std::string(buffer.data(), read), "0\n");
}

class CliServerTest : public CliTest {
 protected:
  void StoreServers(std::initializer_list<const char*> names) {
    SettingsStore store(folder_ / "p" / "settings.reg");
    int n = 0;
    for (const char* name : names) {
      ++n;
      store.SaveString("Software\\KVN\\Servers\\Server" + std::to_string(n), "Name", name);
    }
    store.SaveNumber("Software\\KVN\\Servers", "Count", static_cast<std::uint32_t>(n));
  }
};

TEST_F(CliServerTest, ListAndRemove) {
  StoreServers({"alpha", "beta"});
  const CliRun list = Run({"server", "list"});
  EXPECT_EQ(list.status, kExitDone);
  EXPECT_EQ(list.out,
            "Name\tAuthentication\tLogin\tDatabase\tVersion\n"
            "alpha\tWindows\t\t\t\nbeta\tWindows\t\t\t\n");
  EXPECT_EQ(Run({"server", "remove", "alpha"}).status, kExitDone);
  EXPECT_EQ(Run({"server", "list"}).out,
            "Name\tAuthentication\tLogin\tDatabase\tVersion\nbeta\tWindows\t\t\t\n");
  const CliRun missing = Run({"server", "remove", "alpha"});
  EXPECT_EQ(missing.status, kExitFailed);
  EXPECT_EQ(missing.err, "Korvane: Server 'alpha' not found.\n");
}

TEST_F(CliServerTest, UnreachableServerIsNotAdded) {
  // Port 1 on the loopback: nothing listens there.
  const CliRun add =
      Run({"server", "add", "127.0.0.1,1", "--login", "sa", "--password-stdin"}, "x\n");
  EXPECT_EQ(add.status, kExitFailed);
  EXPECT_NE(add.err.find("Cannot Connect To The Server: Cannot connect to the server - server "
                         "does not exist or access denied."),
            std::string::npos)
      << add.err;
  EXPECT_EQ(Run({"server", "list"}).out, "Name\tAuthentication\tLogin\tDatabase\tVersion\n");
}

TEST_F(CliServerTest, PasswordOnTheCommandLineIsRefusedBeforeAnyConnection) {
  // Wherever --password stands, with or without a value, nothing is tried and nothing stored.
  const std::vector<std::vector<std::string>> lines = {
      {"server", "add", "127.0.0.1,1", "--login", "sa", "--password", "secret"},
      {"server", "add", "127.0.0.1,1", "--password", "secret", "--login", "sa"},
      {"server", "add", "embedded:x", "--login", "sa", "--password"},
  };
  for (const std::vector<std::string>& line : lines) {
    const CliRun add = Run(line);
    EXPECT_EQ(add.status, kExitFailed);
    EXPECT_EQ(add.err, "Add SQL Server: " + std::string(kPasswordOptionRefused) + "\n");
    EXPECT_EQ(add.err.find("secret"), std::string::npos);
  }
  EXPECT_EQ(Run({"server", "list"}).out, "Name\tAuthentication\tLogin\tDatabase\tVersion\n");
  EXPECT_NE(kPasswordOptionRefused.find("--password-stdin"), std::string_view::npos);
  EXPECT_NE(kPasswordOptionRefused.find("terminal"), std::string_view::npos);
  const std::string help = Run({"--help"}).out;
  EXPECT_EQ(help.find("--password P"), std::string::npos);
  EXPECT_NE(help.find("--password-stdin"), std::string::npos);
}

TEST_F(CliServerTest, BadOptionsAreRefused) {
  EXPECT_EQ(Run({"server", "add", "x", "--bogus"}).status, kExitFailed);
  EXPECT_EQ(Run({"server"}).status, kExitFailed);
  const CliRun empty = Run({"server", "add", "  "});
  EXPECT_EQ(empty.status, kExitFailed);
  EXPECT_EQ(empty.err, "Korvane: Please enter server name.\n");
}

TEST_F(CliTest, CatalogCommandsRefuseUnknownServersAndTypes) {
  const CliRun databases = Run({"databases", "nowhere"});
  EXPECT_EQ(databases.status, kExitFailed);
  EXPECT_EQ(databases.err, "Korvane: Server 'nowhere' not found.\n");
  const CliRun objects = Run({"objects", "embedded:x", "db", "widgets"});
  EXPECT_EQ(objects.status, kExitFailed);
  EXPECT_EQ(objects.err,
            "Objects: unknown object type \"widgets\"; use tables, procedures, functions, views, "
            "triggers, relationships or constraints\n");
  EXPECT_EQ(Run({"databases"}).status, kExitFailed);
}

class CliEmbeddedTest : public CliTest {
 protected:
  std::string Script(const std::string& name, const std::string& text) {
    const auto path = folder_ / name;
    testing::WriteFile(path, text);
    return path.string();
  }
};

TEST_F(CliEmbeddedTest, LoadThenListAndQuery) {
  const std::string script =
      Script("shop.sql",
             "CREATE TABLE dbo.Customers (\r\n"
             "  CustomerID int IDENTITY(1,1) NOT NULL PRIMARY KEY,\r\n"
             "  Name nvarchar(50) NOT NULL)\r\nGO\r\n"
             "INSERT INTO Customers (Name) VALUES (N'O''Brien'), (N'Ann')\r\n"
             "GO\r\nCREATE VIEW dbo.vCustomers AS SELECT Name FROM Customers\r\n");
  const CliRun load = Run({"load", "embedded:demo", "Shop", script});
  ASSERT_EQ(load.status, kExitDone) << load.err;
  EXPECT_EQ(Run({"databases", "embedded:demo"}).out, "master\nmodel\nmsdb\nShop\ntempdb\n");
  EXPECT_EQ(Run({"objects", "embedded:demo", "Shop", "views"}).out, "vCustomers\n");
  const CliRun query = Run(
      {"query", "embedded:demo", "Shop", "SELECT CustomerID, Name FROM Customers ORDER BY Name"});
  EXPECT_EQ(query.status, kExitDone) << query.err;
  EXPECT_EQ(query.out, "CustomerID\tName\n2\tAnn\n1\tO'Brien\n");
}

// A script saved with a UTF-8 byte-order mark failed on its first word; the file is now read in
// pieces, and the mark is skipped wherever the first piece ends.
TEST_F(CliEmbeddedTest, ScriptWithAByteOrderMarkLoads) {
  struct Case {
    const char* database;
    std::string text;
  };
  const std::string body =
      "CREATE TABLE t (a nvarchar(10))\r\nGO\r\nINSERT t VALUES (N'\xC3\xA9')\r\n";
  for (const Case& c : {Case{"Marked", "\xEF\xBB\xBF" + body}, Case{"Plain", body}}) {
    const CliRun load = Run(
        {"load", "embedded:demo", c.database, Script(std::string(c.database) + ".sql", c.text)});
    ASSERT_EQ(load.status, kExitDone) << c.database << ": " << load.err;
    EXPECT_EQ(Run({"query", "embedded:demo", c.database, "SELECT a FROM t"}).out, "a\n\xC3\xA9\n")
        << c.database;
  }
  const CliRun folder = Run({"load", "embedded:demo", "Shop", folder_.path().string()});
  EXPECT_EQ(folder.status, kExitFailed);
  EXPECT_NE(folder.err.find("cannot read " + folder_.path().string()), std::string::npos)
      << folder.err;
}

TEST_F(CliEmbeddedTest, QueryEscapesTabsLineBreaksAndBackslashesInsideCells) {
  Load("embedded:demo", "Shop",
       "CREATE TABLE t (a varchar(20), [b\tc] int)\nGO\n"
       "INSERT INTO t VALUES ('x\ty', 1)\n"
       "INSERT INTO t VALUES ('l1\r\nl2\\', 2)\n");
  const CliRun query =
      Run({"query", "embedded:demo", "Shop", "SELECT a, [b\tc] FROM t ORDER BY 2"});
  EXPECT_EQ(query.status, kExitDone) << query.err;
  EXPECT_EQ(query.out, "a\tb\\tc\nx\\ty\t1\nl1\\r\\nl2\\\\\t2\n");
}

TEST_F(CliEmbeddedTest, ServerAddedByNameListsItsDatabases) {
  Load("embedded:demo", "Shop", "CREATE TABLE t (a int)\nGO\n");
  const CliRun add = Run({"server", "add", "embedded:demo"});
  ASSERT_EQ(add.status, kExitDone) << add.err;
  EXPECT_EQ(Run({"databases", "embedded:demo"}).out, "master\nmodel\nmsdb\nShop\ntempdb\n");
  // The version was read from the server and kept with the entry.
  EXPECT_EQ(Run({"server", "list"}).out,
            "Name\tAuthentication\tLogin\tDatabase\tVersion\nembedded:demo\tWindows\t\tmaster\t"
            "9.00.5000.00\n");
}

TEST_F(CliEmbeddedTest, FailuresAreReportedAndLeaveNothingBehind) {
  const CliRun bad = Run({"load", "embedded:demo", "Shop",
                          Script("bad.sql", "CREATE TABLE t (a int)\nGO\nSELEC 1\n")});
  EXPECT_EQ(bad.status, kExitFailed);
  EXPECT_NE(bad.err.find("Line 3"), std::string::npos) << bad.err;
  EXPECT_EQ(Run({"databases", "embedded:demo"}).out, "master\nmodel\nmsdb\ntempdb\n");
  const CliRun missing = Run({"query", "embedded:demo", "master", "SELECT * FROM nosuch"});
  EXPECT_EQ(missing.status, kExitFailed);
  EXPECT_NE(missing.err.find("Run time error: -2147217865"), std::string::npos) << missing.err;
  EXPECT_EQ(Run({"load", "realserver", "db", "x.sql"}).status, kExitFailed);
  EXPECT_EQ(Run({"load", "embedded:demo", "db", (folder_ / "none.sql").string()}).status,
            kExitFailed);
}

TEST_F(CliEmbeddedTest, ProductVersionOfANewServer) {
  ASSERT_EQ(Run({"load", "embedded:old", "Shop", Script("a.sql", "CREATE TABLE t (a int)\n"),
                 "--product-version", "8.00.2039"})
                .status,
            kExitDone);
  EXPECT_EQ(Run({"query", "embedded:old", "master",
                 "SELECT serverproperty('ProductVersion') AS ServerVer"})
                .out,
            "ServerVer\n8.00.2039\n");
}

TEST_F(CliEmbeddedTest, CompareReportsAndExitStatus) {
  const std::string v1 =
      "CREATE TABLE dbo.Customers (CustomerID int NOT NULL PRIMARY KEY,\n"
      "  Name nvarchar(50) NOT NULL)\nGO\n"
      "CREATE PROCEDURE dbo.usp_List AS SELECT Name FROM Customers\nGO\n";
  Load("embedded:demo", "A", v1);
  Load("embedded:demo", "B",
       "CREATE TABLE dbo.Customers (CustomerID int NOT NULL PRIMARY KEY,\n"
       "  Name nvarchar(60) NOT NULL)\nGO\n"
       "CREATE TABLE dbo.Orders (OrderID int NOT NULL PRIMARY KEY)\nGO\n");
  Load("embedded:demo", "C", v1);

  const CliRun differ =
      Run({"compare", "embedded:demo", "A", "embedded:demo", "B", "--types", "tables,procedures"});
  EXPECT_EQ(differ.status, kExitDifferent) << differ.err;
  EXPECT_TRUE(
      differ.out.starts_with("Comparison of databases\r\n\r\nSource database "
                             "embedded:demo.A\r\nTarget database embedded:demo.B\r\n"))
      << differ.out;
  EXPECT_NE(differ.out.find("List of tables which differ:\r\n\tCustomers\r\n\t(1 table)\r\n"),
            std::string::npos)
      << differ.out;
  EXPECT_NE(differ.out.find("List of tables which exist in Target database but not in Source "
                            "database:\r\n\tOrders\r\n"),
            std::string::npos);
  EXPECT_EQ(differ.out.find("Comparison of views"), std::string::npos);

  const CliRun details = Run(
      {"compare", "embedded:demo", "A", "embedded:demo", "B", "--types", "tables", "--details"});
  EXPECT_EQ(details.status, kExitDifferent);
  EXPECT_NE(details.out.find("Differences in Target:\r\n[NAME] [NVARCHAR] (60) NOT NULL\r\n"),
            std::string::npos)
      << details.out;

  const CliRun same = Run({"compare", "embedded:demo", "A", "embedded:demo", "C"});
  EXPECT_EQ(same.status, kExitDone) << same.out;
}

TEST_F(CliEmbeddedTest, CompareRefusesBadArguments) {
  EXPECT_EQ(Run({"compare", "embedded:demo", "A", "embedded:demo"}).status, kExitFailed);
  EXPECT_EQ(Run({"compare", "embedded:d", "A", "embedded:d", "B", "--types", "gizmos"}).status,
            kExitFailed);
  const CliRun details = Run({"compare", "embedded:d", "A", "embedded:d", "B", "--details"});
  EXPECT_EQ(details.status, kExitFailed);
  EXPECT_EQ(details.err, "Compare: --details compares one object type: name it with --types\n");
}

}  // namespace
}  // namespace korvane
