// korvane-cli given what a new user types by mistake: a database that does not exist, an option
// value that is not a number, a blank database name, a script saved as UTF-16, and a command
// asked for its help. Each either does its job or says what is wrong, with the matching exit
// status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_profile_fixture.h"

namespace korvane {
namespace {

using testing::CommandRun;
using testing::WriteFile;

constexpr std::string_view kScript =
    "CREATE TABLE Orders (id int NOT NULL PRIMARY KEY, note nvarchar(20) NULL)\nGO\n"
    "INSERT INTO Orders VALUES (1, N'caf\xC3\xA9')\nINSERT INTO Orders VALUES (2, NULL)\nGO\n";

class OddInputsTest : public testing::CliProfileTest {
 protected:
  void SetUp() override { Load("embedded:s", "Shop", std::string(kScript)); }

  // The databases the server lists, one name a line.
  std::string Databases() { return Run({"databases", "embedded:s"}).out; }
};

struct RefusedCase {
  std::vector<std::string> args;
  std::string message;  // a part of what stderr must say
};

TEST_F(OddInputsTest, UnreachableDatabaseFailsInsteadOfListingNothing) {
  const std::vector<RefusedCase> cases = {
      {{"objects", "embedded:s", "NoSuchDb", "tables"}, "Cannot open database \"NoSuchDb\""},
      {{"objects", "embedded:nowhere", "Shop", "procedures"}, "no embedded server"},
      // Not a report saying "There are no tables in this database."
      {{"dbinfo", "embedded:s", "NoSuchDb"}, "Cannot open database \"NoSuchDb\""},
      {{"find-object", "embedded:s", "NoSuchDb", "tables", "O"}, "Cannot open database"},
      {{"compare-data-all", "embedded:s", "Shop", "embedded:s", "NoSuchDb"},
       "Cannot open database \"NoSuchDb\""},
  };
  for (const RefusedCase& refused : cases) {
    SCOPED_TRACE(refused.args[0] + " " + refused.args[1] + " " + refused.args[2]);
    const CommandRun run = Run(refused.args);
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(refused.message), std::string::npos) << run.err;
  }
  // A database that answers with no objects of the type is an empty list, done.
  const CommandRun none = Run({"objects", "embedded:s", "Shop", "views"});
  EXPECT_EQ(none.status, kExitDone) << none.err;
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, "");
  const CommandRun tables = Run({"objects", "embedded:s", "Shop", "tables"});
  EXPECT_EQ(tables.status, kExitDone) << tables.err;
  EXPECT_EQ(tables.out, "Orders\n");
}

TEST_F(OddInputsTest, AnalyzeDataRefusesARecordCountThatIsNotANumber) {
  for (const std::string count : {"abc", "-5", "1.5", "", "10x"}) {
    SCOPED_TRACE(count);
    const CommandRun run =
        Run({"analyze-data", "embedded:s", "Shop", "Orders", "--records", count});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "Data Analyzer: --records needs a whole number of records (0 for all), not \"" +
                  count + "\"\n");
  }
  // Digits, with or without thousands separators, are read as the window's box reads them:
  // the first N records of the two, or all of them.
  const std::vector<std::pair<std::string, int>> counts = {{"1", 1}, {"1,000", 2}, {"0", 2}};
  for (const auto& [count, distinct_ids] : counts) {
    SCOPED_TRACE(count);
    const CommandRun run =
        Run({"analyze-data", "embedded:s", "Shop", "Orders", "--records", count});
    EXPECT_EQ(run.status, kExitDone) << run.err;
    EXPECT_NE(run.out.find("\nid\tint\t" + std::to_string(distinct_ids) + "\t"), std::string::npos)
        << run.out;
  }
}

TEST_F(OddInputsTest, LoadIntoABlankDatabaseNameIsRefusedNotLoadedIntoMaster) {
  const std::filesystem::path script = folder_ / "t.sql";
  WriteFile(script, "CREATE TABLE Stray (id int)\nGO\n");
  for (const std::string name : {"", " ", "\t"}) {
    SCOPED_TRACE("[" + name + "]");
    const CommandRun run = Run({"load", "embedded:s", name, script.string()});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_EQ(run.err, "Load: the database name is empty; name the database to load into\n");
  }
  EXPECT_EQ(Run({"objects", "embedded:s", "master", "tables"}).out.find("Stray"),
            std::string::npos);
}

TEST_F(OddInputsTest, LoadOfAUtf16ScriptSaysHowToSaveItInsteadOfAParseError) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {std::string("\xFF\xFE", 2) + std::string("C\0R\0", 4), "UTF-16 LE"},
      {std::string("\xFE\xFF", 2) + std::string("\0C\0R", 4), "UTF-16 BE"},
  };
  for (const auto& [bytes, kind] : cases) {
    SCOPED_TRACE(kind);
    const std::filesystem::path script = folder_ / "wide.sql";
    WriteFile(script, bytes);
    const CommandRun run = Run({"load", "embedded:s", "Wide", script.string()});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_EQ(run.err, "Load: " + script.string() + " is a " + kind +
                           " text; save it as UTF-8 and load it again\n");
  }
  EXPECT_EQ(Databases().find("Wide"), std::string::npos) << Databases();
  // A UTF-8 byte-order mark is still skipped.
  const std::filesystem::path bom = folder_ / "bom.sql";
  WriteFile(bom,
            "\xEF\xBB\xBF"
            "CREATE TABLE B (id int)\nGO\n");
  const CommandRun loaded = Run({"load", "embedded:s", "Bom", bom.string()});
  EXPECT_EQ(loaded.status, kExitDone) << loaded.err;
}

TEST_F(OddInputsTest, LoadRefusesAProductVersionThatIsNoVersion) {
  const std::filesystem::path script = folder_ / "t.sql";
  WriteFile(script, "CREATE TABLE T (id int)\nGO\n");
  for (const std::string version : {"banana", "9", "9.", ".9.00", "0.1", "9.00.x", "9.0.0.0.0"}) {
    SCOPED_TRACE(version);
    const CommandRun run =
        Run({"load", "embedded:v", "D", script.string(), "--product-version", version});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_EQ(run.err,
              "Load: --product-version takes a version such as 8.00.2039 or 9.00.5000.00, not \"" +
                  version + "\"\n");
  }
  EXPECT_FALSE(std::filesystem::exists(Locations().servers_folder / "v"));
  // A real version makes the server answer as that version.
  for (const std::string version : {"8.00.2039", "16.00.4096"}) {
    SCOPED_TRACE(version);
    const std::string server = "embedded:v" + version.substr(0, version.find('.'));
    ASSERT_EQ(Run({"load", server, "D", script.string(), "--product-version", version}).status,
              kExitDone);
    const CommandRun asked =
        Run({"query", server, "D", "SELECT serverproperty('ProductVersion') AS v"});
    EXPECT_EQ(asked.out, "v\n" + version + "\n") << asked.err;
  }
}

TEST_F(OddInputsTest, EmptyBinaryValueIsStoredAsEmptyNotAsNull) {
  Load("embedded:s", "Bin",
       "CREATE TABLE W (id int NOT NULL, b varbinary(10) NULL, i image NULL, "
       "v varbinary(max) NULL)\nGO\n"
       "INSERT INTO W VALUES (1, 0x, 0x, 0x)\nINSERT INTO W VALUES (2, NULL, NULL, NULL)\nGO\n");
  // Inserted by a query as well as by the script.
  ASSERT_EQ(Run({"query", "embedded:s", "Bin", "INSERT INTO W VALUES (3, 0x, 0x, 0x)"}).status,
            kExitDone);
  const CommandRun run = Run(
      {"query", "embedded:s", "Bin",
       "SELECT id, DATALENGTH(b) AS b, DATALENGTH(i) AS i, DATALENGTH(v) AS v FROM W ORDER BY id"});
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_EQ(run.out, "id\tb\ti\tv\n1\t0\t0\t0\n2\tNull\tNull\tNull\n3\t0\t0\t0\n");
  const CommandRun shown = Run({"view-data", "embedded:s", "Bin", "W"});
  EXPECT_EQ(shown.out,
            "Row\tid\tb\ti\tv\n1\t1\t0x\t0x\t0x\n2\t2\tNull\tNull\tNull\n3\t3\t0x\t0x\t0x\n");
}

TEST_F(OddInputsTest, ServeRefusesAnEmptyPasswordInsteadOfLettingEveryoneIn) {
  for (const std::string input : {"", "\n", "\r\n"}) {
    SCOPED_TRACE(::testing::PrintToString(input));
    const CommandRun run =
        Run({"serve", "embedded:s", "--port", "0", "--login", "tester", "--password-stdin"}, input);
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_EQ(run.out, "");  // no port: it never listened
    EXPECT_EQ(run.err,
              "Serve: No password came on standard input: give the login's password as its first "
              "line (--password-stdin).\n");
  }
}

TEST_F(OddInputsTest, IgnoringEveryColumnIsRefusedInTheCommandsOwnTerms) {
  ASSERT_EQ(Run({"ignored-columns", "set", "embedded:s", "Shop", "Orders", "data", "note"}).status,
            kExitDone);
  for (const std::string kind : {"data", "structure", "analysis"}) {
    SCOPED_TRACE(kind);
    const CommandRun run =
        Run({"ignored-columns", "set", "embedded:s", "Shop", "Orders", kind, "ID", "note"});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_EQ(run.err,
              "Ignore Columns: Not every column of table Orders can be ignored: name fewer "
              "columns, so that at least one stays in use.\n");
  }
  // The list saved before stays as it was.
  const CommandRun shown = Run({"ignored-columns", "show", "embedded:s", "Shop", "Orders", "data"});
  EXPECT_EQ(shown.out, "Column\tData Type\tTicked\nid\tint\t1\nnote\tnvarchar (20)\t0\n");
}

TEST_F(OddInputsTest, ProfileAfterTheCommandWordIsRefusedWithWhereItGoes) {
  const std::string elsewhere = (folder_ / "elsewhere").string();
  const std::vector<std::vector<std::string>> cases = {
      {"databases", "--profile", elsewhere, "embedded:s"},
      {"compare", "embedded:s", "Shop", "embedded:s", "Shop", "--profile", elsewhere},
      {"settings", "set", ".", "X", "dword", "1", "--profile=" + elsewhere},
  };
  for (const std::vector<std::string>& args : cases) {
    SCOPED_TRACE(args[0]);
    const CommandRun run = Run(args);
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "Korvane: --profile stands before the command word: korvane-cli --profile DIR " +
                  args[0] + " ...\n");
  }
  EXPECT_FALSE(std::filesystem::exists(elsewhere));
}

TEST_F(OddInputsTest, CommandHelpPrintsThatCommandsEntryAndSucceeds) {
  const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
      {{"compare", "--help"}, {"  compare SSERVER SDB TSERVER TDB"}},
      {{"compare-data", "-h"}, {"  compare-data SSERVER SDB TSERVER TDB STABLE"}},
      {{"help", "load"}, {"  load SERVER DATABASE SCRIPT.sql"}},
      {{"help", "help"}, {"  help, --help [COMMAND]"}},
      {{"server", "--help"}, {"  server add NAME", "  server list", "  server remove NAME"}},
      {{"settings", "--help"}, {"  settings get KEYPATH NAME", "  settings set KEYPATH"}},
  };
  for (const auto& [args, entries] : cases) {
    SCOPED_TRACE(args[0] + " " + args[1]);
    const CommandRun run = Run(args);
    EXPECT_EQ(run.status, kExitDone) << run.err;
    EXPECT_EQ(run.err, "");
    for (const std::string& entry : entries)
      EXPECT_NE(run.out.find(entry), std::string::npos) << run.out;
    // Only the command asked about: no other command's entry.
    EXPECT_EQ(run.out.find("  dbinfo SERVER DB"), std::string::npos) << run.out;
  }
  // "compare" is not "compare-data": each shows its own entry.
  EXPECT_EQ(Run({"compare", "--help"}).out.find("compare-data"), std::string::npos);

  const CommandRun unknown = Run({"help", "comapre"});
  EXPECT_EQ(unknown.status, kExitFailed);
  EXPECT_EQ(unknown.err, "Korvane: unknown command \"comapre\"; see korvane-cli --help\n");
}

}  // namespace
}  // namespace korvane
