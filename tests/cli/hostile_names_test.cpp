// Table and object names that hold SQL (closing brackets, statement ends, comments, quotes, a
// typographic apostrophe, line breaks) given to every korvane-cli command that takes a name,
// and stored in a saved process: a listed name compares the table it names, any other text is
// refused as not found, and no statement hidden in a name runs.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "catalog/sql_names.h"
#include "cli_profile_fixture.h"
#include "db/embedded/script_loader.h"
#include "saved/saved_comparison_store.h"
#include "saved/saved_process.h"
#include "support/recording_user_interface.h"

namespace korvane {
namespace {

using testing::CommandRun;

constexpr std::string_view kServer = "embedded:hostile";

// The catalogue name of the audit: a listed table whose name, kept as "already bracketed",
// closed its bracket after "t1" and dropped `victim`.
constexpr std::string_view kInjection = "[t1];DROP TABLE victim;SELECT 1 AS [[x]";

// Listed tables with hostile names; each holds the same single row in both databases.
const std::vector<std::string> kListed = {
    "x];DROP TABLE victim;--",
    "a--b",
    "O'Brien",
    "it\xE2\x80\x99s",
    "two\r\nlines",
    "[q]]]",  // a name that is itself a well-formed bracketed text
};

// Texts that name no table; each hides a statement that must never run.
const std::vector<std::string> kUnlisted = {
    "[x];DROP TABLE victim;--",   "victim];DROP TABLE victim;--",
    "t1'; DROP TABLE victim; --", "[t1];DROP TABLE victim",
    "t1\r\nDROP TABLE victim",    "it\xE2\x80\x99s];DROP TABLE victim;--",
};

class HostileNamesTest : public testing::CliProfileTest {
 protected:
  void SetUp() override {
    clock_.Set({2026, 12, 6, 9, 30, 0});
    const std::string base =
        "CREATE TABLE victim (x int)\nGO\nINSERT INTO victim VALUES (1)\nGO\n"
        "CREATE TABLE t1 (id int)\nGO\n"
        "CREATE TABLE Customers (id int)\nGO\nINSERT INTO Customers VALUES (1)\nGO\n";
    for (const char* database : {"Live", "Dev"}) {
      const ScriptLoadResult loaded =
          LoadScript(Locations().servers_folder, std::string(kServer), database, base);
      ASSERT_TRUE(loaded.ok) << loaded.message;
      for (const std::string& name : kListed)
        Make(database, name, 1);
      // The injection table differs: 2 rows in Live, 3 in Dev.
      Make(database, std::string(kInjection), std::string(database) == "Live" ? 2 : 3);
    }
  }

  void Make(const std::string& database, const std::string& name, int rows) {
    std::string sql = "CREATE TABLE " + QuoteName(name) + " (id int)\r\n";
    for (int row = 1; row <= rows; ++row)
      sql += "INSERT INTO " + QuoteName(name) + " VALUES (" + std::to_string(row) + ")\r\n";
    const CommandRun made = Run({"query", std::string(kServer), database, sql});
    ASSERT_EQ(made.status, kExitDone) << made.err;
  }

  // Every command that takes an object name of `type`, given `source` and `target`.
  std::vector<std::pair<std::string, CommandRun>> EveryCommand(const std::string& source,
                                                               const std::string& target,
                                                               const std::string& type = "tables") {
    const std::string server(kServer);
    std::vector<std::vector<std::string>> lines = {
        {"compare-objects", server, "Live", server, "Dev", type, source, target},
        {"compare", server, "Live", server, "Dev", "--types", type, "--source-objects", source,
         "--target-objects", target},
        {"text", server, "Live", type, source},
        {"create-statement", server, "Live", type, source},
    };
    if (type == "tables")
      lines.push_back({"compare-data", server, "Live", server, "Dev", source, target});
    std::vector<std::pair<std::string, CommandRun>> runs;
    for (const std::vector<std::string>& line : lines)
      runs.emplace_back(line[0], Run(line));
    return runs;
  }

  // The victim table of both databases still holds its row.
  void ExpectVictimIntact() {
    for (const char* database : {"Live", "Dev"}) {
      EXPECT_EQ(Run({"query", std::string(kServer), database, "SELECT x FROM victim"}).out,
                "x\n1\n")
          << database;
    }
  }

  testing::RecordingUserInterface ui_;
};

TEST_F(HostileNamesTest, InjectionThroughAListedTableNameRunsNoStatement) {
  const CommandRun data = Run({"compare-data", std::string(kServer), "Live", std::string(kServer),
                               "Dev", std::string(kInjection)});
  EXPECT_EQ(data.status, kExitDifferent) << data.err;
  EXPECT_EQ(data.out, Counts(2, 3, 1));
  ExpectVictimIntact();
  for (const auto& [command, run] :
       EveryCommand(std::string(kInjection), std::string(kInjection))) {
    SCOPED_TRACE(command);
    EXPECT_NE(run.status, kExitFailed) << run.err;
  }
  ExpectVictimIntact();
}

TEST_F(HostileNamesTest, ListedHostileNamesNameTheirOwnTables) {
  for (const std::string& name : kListed) {
    SCOPED_TRACE(name);
    for (const auto& [command, run] : EveryCommand(name, name)) {
      SCOPED_TRACE(command);
      EXPECT_EQ(run.status, kExitDone) << run.err;
      if (command == "compare-data") {
        EXPECT_EQ(run.out, "Data stored in both tables is identical.\n");
      } else if (command == "text") {
        EXPECT_EQ(run.out, "[id] [int] NULL");
      }
    }
    const CommandRun all =
        Run({"compare-data-all", std::string(kServer), "Live", std::string(kServer), "Dev",
             "--source-tables", name, "--target-tables", name});
    EXPECT_EQ(all.status, kExitDone) << all.err;
    EXPECT_NE(all.out.find("Data in all selected tables in both databases is identical."),
              std::string::npos)
        << all.out;
  }
  ExpectVictimIntact();
}

TEST_F(HostileNamesTest, HostileProcedureNamesThroughTheObjectCommands) {
  const std::vector<std::string> names = {"p';DROP TABLE victim;--*/", "it\xE2\x80\x99s\r\nproc"};
  for (const std::string& name : names) {
    for (const char* database : {"Live", "Dev"}) {
      const CommandRun made = Run({"query", std::string(kServer), database,
                                   "CREATE PROCEDURE " + QuoteName(name) + " AS SELECT 1"});
      ASSERT_EQ(made.status, kExitDone) << made.err;
    }
  }
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    for (const auto& [command, run] : EveryCommand(name, name, "procedures")) {
      SCOPED_TRACE(command);
      EXPECT_EQ(run.status, kExitDone) << run.err;
      if (command == "create-statement") {
        // The header comment ends where it should: the script's first "*/" closes it.
        const std::size_t comment_end = run.out.find("******/\r\n");
        ASSERT_NE(comment_end, std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("*/"), comment_end + 5) << run.out;
        EXPECT_NE(run.out.find("DROP Procedure" + QuoteName(name)), std::string::npos);
      }
    }
    for (const auto& [command, run] : EveryCommand(name + "]", name, "procedures")) {
      SCOPED_TRACE(command);
      EXPECT_EQ(run.status, kExitFailed);
    }
  }
  ExpectVictimIntact();
}

TEST_F(HostileNamesTest, UnlistedNamesAreRefusedAsNotFound) {
  for (const std::string& text : kUnlisted) {
    SCOPED_TRACE(text);
    for (const auto& [command, run] : EveryCommand(text, "Customers")) {
      SCOPED_TRACE(command);
      EXPECT_EQ(run.status, kExitFailed);
      EXPECT_EQ(run.out, "");
      if (command == "compare-data") {
        EXPECT_EQ(run.err, "Compare Data: Table " + text + " not found in " + std::string(kServer) +
                               ".Live.\n");
      }
    }
    const CommandRun all =
        Run({"compare-data-all", std::string(kServer), "Live", std::string(kServer), "Dev",
             "--source-tables", text, "--target-tables", text});
    EXPECT_EQ(all.out.find("Number of"), std::string::npos);
  }
  ExpectVictimIntact();
}

TEST_F(HostileNamesTest, SavedProcessNamesAndIdsAreCheckedAgainstTheLists) {
  const std::string server(kServer);
  ASSERT_EQ(
      Run({"compare-data", server, "Live", server, "Dev", "Customers", "--save", "Pair"}).status,
      kExitDone);
  SavedComparisonStore store(Locations(), ui_);

  // A table name edited in the process file into a statement: refused, nothing run.
  SavedProcess process = store.LoadProcess("Pair");
  process.table_name1 = "[t1];DROP TABLE victim;--[x]";
  ASSERT_TRUE(store.SaveProcess(process));
  CommandRun rerun = Run({"run-saved", "1"});
  EXPECT_EQ(rerun.status, kExitFailed);
  EXPECT_EQ(rerun.out, "");
  EXPECT_EQ(rerun.err,
            "Korvane: Cannot run saved process - table [t1];DROP TABLE victim;--[x] not found.\n");
  ExpectVictimIntact();

  // The listed injection table with the id of `victim` stored beside it: the lists decide both
  // name and id, so the injection tables themselves are compared.
  process.table_name1 = std::string(kInjection);
  process.table_name2 = std::string(kInjection);
  process.obj_id1 = 1;
  process.obj_id2 = 1;
  ASSERT_TRUE(store.SaveProcess(process));
  rerun = Run({"run-saved", "1"});
  EXPECT_EQ(rerun.status, kExitDifferent) << rerun.err;
  EXPECT_EQ(rerun.out, Counts(2, 3, 1));
  ExpectVictimIntact();

  // A selective data process whose selection files hold statements compares nothing of them.
  ASSERT_EQ(Run({"compare-data-all", server, "Live", server, "Dev", "--source-tables", "Customers",
                 "--target-tables", "Customers"})
                .status,
            kExitDone);
  ExpectVictimIntact();
}

}  // namespace
}  // namespace korvane
