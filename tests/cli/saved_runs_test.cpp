// korvane-cli structure comparisons end to end on two embedded databases: `compare --save`,
// its re-run with `run-saved` in a fresh command (same report, export file written and
// overwritten), selective runs with `--source-objects`, and `compare-objects`.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli_profile_fixture.h"
#include "db/embedded/script_loader.h"
#include "saved/ignored_columns.h"
#include "saved/saved_comparison_store.h"
#include "saved/saved_process.h"
#include "support/recording_user_interface.h"

namespace korvane {
namespace {

using testing::CommandRun;
using testing::ReadFile;
using testing::WriteFile;

constexpr std::string_view kLive =
    "CREATE TABLE Customers (CustomerID int NOT NULL PRIMARY KEY, Name varchar(50) NOT NULL)\n"
    "GO\n"
    "CREATE PROCEDURE GetCustomers AS SELECT CustomerID, Name FROM Customers\nGO\n"
    "CREATE PROCEDURE PutOrder @id int AS SELECT @id\nGO\n"
    "CREATE PROCEDURE Cleanup AS SELECT 1\nGO\n";
constexpr std::string_view kDev =
    "CREATE TABLE Customers (CustomerID int NOT NULL PRIMARY KEY, Name varchar(80) NOT NULL)\n"
    "GO\n"
    "CREATE PROCEDURE GetCustomers AS SELECT CustomerID, Name FROM Customers\nGO\n"
    "CREATE PROCEDURE PutOrder @id int AS SELECT @id + 1\nGO\n"
    "CREATE PROCEDURE Archive AS SELECT 2\nGO\n";

constexpr std::string_view kServer = "embedded:shop";

class SavedRunsTest : public testing::CliProfileTest {
 protected:
  void SetUp() override {
    clock_.Set({2026, 12, 4, 9, 30, 0});
    for (const auto& [database, script] : {std::pair{"Live", kLive}, std::pair{"Dev", kDev}}) {
      const ScriptLoadResult loaded =
          LoadScript(Locations().servers_folder, std::string(kServer), database, script);
      ASSERT_TRUE(loaded.ok) << loaded.message;
    }
  }

  CommandRun Compare(std::vector<std::string> options) {
    std::vector<std::string> args = {"compare", std::string(kServer), "Live", std::string(kServer),
                                     "Dev"};
    args.insert(args.end(), options.begin(), options.end());
    return Run(args);
  }

  CommandRun CompareObjects(const std::string& type, const std::string& source,
                            const std::string& target) {
    return Run({"compare-objects", std::string(kServer), "Live", std::string(kServer), "Dev", type,
                source, target});
  }

  SavedProcess Stored(const std::string& name) {
    SavedComparisonStore store(Locations(), ui_);
    return store.LoadProcess(name);
  }

  testing::RecordingUserInterface ui_;
};

TEST_F(SavedRunsTest, SavedCompareAllRunsAgainWithTheSameReportAndExports) {
  const CommandRun compared = Compare({"--save", "Nightly"});
  ASSERT_EQ(compared.status, kExitDifferent) << compared.err;
  EXPECT_EQ(compared.err, "Korvane: Comparison process saved successfully.\nSaved as process 1\n");
  EXPECT_NE(compared.out.find("\tPutOrder\r\n"), std::string::npos);
  // The embedded server was not listed: it is now, under the name the process stores.
  EXPECT_EQ(Run({"server", "list"}).out,
            "Name\tAuthentication\tLogin\tDatabase\tVersion\nembedded:shop\tWindows\t\tmaster\t\n");

  SavedProcess process = Stored("Nightly");
  EXPECT_EQ(process.comp_type, 1);
  EXPECT_EQ(process.comp_sub_type, 10);
  EXPECT_EQ(process.comp_sub_sub_type, 0);
  EXPECT_EQ(process.enc_obj_types, "1,1,1,1,1,1,0");
  EXPECT_EQ(process.server_name1, kServer);
  EXPECT_EQ(process.db_name1, "Live");
  EXPECT_EQ(process.db_name2, "Dev");

  // The export file is added the way the report window adds it after a save.
  const std::filesystem::path export_file = folder_ / "out" / "nightly.txt";
  std::filesystem::create_directories(export_file.parent_path());
  ASSERT_TRUE(SavedComparisonStore(Locations(), ui_).SetExport("Nightly", export_file.string(), 0));

  CommandRun rerun = Run({"run-saved", "1"});
  EXPECT_EQ(rerun.status, kExitDifferent) << rerun.err;
  EXPECT_EQ(rerun.out, compared.out);
  EXPECT_EQ(rerun.err, "");
  // The report window's lines, each followed by CR LF.
  const std::string exported = compared.out + "\r\n";
  EXPECT_EQ(ReadFile(export_file), exported);

  // Every run exports again, replacing the file without a question.
  WriteFile(export_file, "an older report, longer than the new one ..............................");
  rerun = Run({"run-saved", "1"});
  EXPECT_EQ(rerun.out, compared.out);
  EXPECT_EQ(ReadFile(export_file), exported);
}

TEST_F(SavedRunsTest, TypesWithObjectsOnOneSideOnlyMakeTheRunDifferent) {
  // Procedures only in the Source, tables only in the Target: no pair is ever compared.
  for (const auto& [database, script] : {std::pair{"Procs", "CREATE PROCEDURE P AS SELECT 1\nGO\n"},
                                         std::pair{"Tabs", "CREATE TABLE T (a int NULL)\nGO\n"}}) {
    const ScriptLoadResult loaded =
        LoadScript(Locations().servers_folder, std::string(kServer), database, script);
    ASSERT_TRUE(loaded.ok) << loaded.message;
  }
  const std::vector<std::vector<std::string>> option_sets = {
      {}, {"--types", "procedures"}, {"--types", "tables"}, {"--types", "tables,procedures"}};
  for (const std::vector<std::string>& options : option_sets) {
    std::vector<std::string> args = {"compare", std::string(kServer), "Procs", std::string(kServer),
                                     "Tabs"};
    args.insert(args.end(), options.begin(), options.end());
    SCOPED_TRACE(args.size());
    const CommandRun run = Run(args);
    EXPECT_EQ(run.status, kExitDifferent) << run.out << run.err;
  }
  // Views are on neither side: that type alone is identical.
  EXPECT_EQ(Run({"compare", std::string(kServer), "Procs", std::string(kServer), "Tabs", "--types",
                 "views"})
                .status,
            kExitDone);
  const CommandRun saved = Run({"compare", std::string(kServer), "Procs", std::string(kServer),
                                "Tabs", "--types", "tables", "--save", "One-sided"});
  ASSERT_EQ(saved.status, kExitDifferent) << saved.err;
  const CommandRun rerun = Run({"run-saved", "1"});
  EXPECT_EQ(rerun.status, kExitDifferent) << rerun.err;
  EXPECT_EQ(rerun.out, saved.out);
}

// Regression: a structure process whose export failed exited as if everything was done (a
// data process already exited 2).
TEST_F(SavedRunsTest, FailedExportOfAStructureRunExitsTwoAfterTheReport) {
  const CommandRun compared = Compare({"--save", "Nightly"});
  ASSERT_EQ(compared.status, kExitDifferent) << compared.err;
  WriteFile(folder_ / "plain", "x");  // the export would need a folder below a plain file
  const std::filesystem::path export_file = folder_ / "plain" / "nightly.txt";
  ASSERT_TRUE(SavedComparisonStore(Locations(), ui_).SetExport("Nightly", export_file.string(), 0));
  const CommandRun rerun = Run({"run-saved", "1"});
  EXPECT_EQ(rerun.status, kExitFailed);
  EXPECT_EQ(rerun.out, compared.out);  // the report is still printed
  EXPECT_NE(rerun.err.find(export_file.string()), std::string::npos) << rerun.err;
}

TEST_F(SavedRunsTest, PrintRequestIsNotedNotAsked) {
  ASSERT_EQ(Compare({"--types", "tables", "--save", "Tables"}).status, kExitDifferent);
  ASSERT_TRUE(SavedComparisonStore(Locations(), ui_).SetPrint("Tables", true));
  const CommandRun rerun = Run({"run-saved", "1"});
  EXPECT_EQ(rerun.status, kExitDifferent);
  EXPECT_EQ(rerun.err, "Korvane: printing is not available on the command line (Korvane Report)\n");
}

TEST_F(SavedRunsTest, OneTypeDetailsRunIsSavedAsBulkDetails) {
  const CommandRun compared = Compare({"--types", "procedures", "--details", "--save", "Procs"});
  ASSERT_EQ(compared.status, kExitDifferent) << compared.err;
  EXPECT_NE(compared.out.find("Detailed list of differences between compared procedures"),
            std::string::npos);
  const SavedProcess process = Stored("Procs");
  EXPECT_EQ(process.comp_sub_type, 20);
  EXPECT_EQ(process.comp_sub_sub_type, 20);
  EXPECT_EQ(process.enc_obj_types, "0,1,0,0,0,0,0");
  const CommandRun rerun = Run({"run-saved", "1"});
  EXPECT_EQ(rerun.status, kExitDifferent);
  EXPECT_EQ(rerun.out, compared.out);
}

TEST_F(SavedRunsTest, SelectiveRunWithNamedObjectsIsSavedWithItsSelections) {
  const CommandRun compared =
      Compare({"--types", "procedures", "--source-objects", "PutOrder,Cleanup", "--target-objects",
               "PutOrder", "--save", "Picked"});
  ASSERT_EQ(compared.status, kExitDifferent) << compared.err;
  EXPECT_NE(compared.out.find("Selective comparison of procedures\r\n\r\n"
                              "2 objects selected in Source database\r\n"
                              "1 objects selected in Target database\r\n"),
            std::string::npos)
      << compared.out;
  // GetCustomers and Archive were not picked.
  EXPECT_EQ(compared.out.find("GetCustomers"), std::string::npos);
  EXPECT_EQ(compared.out.find("Archive"), std::string::npos);

  const SavedProcess process = Stored("Picked");
  EXPECT_EQ(process.comp_sub_type, 30);
  EXPECT_EQ(process.comp_sub_sub_type, 30);
  // The selections in list order, as the selection dialog hands them over.
  EXPECT_EQ(process.source_selection, (std::vector<std::string>{"Cleanup", "PutOrder"}));
  EXPECT_EQ(process.target_selection, (std::vector<std::string>{"PutOrder"}));
  EXPECT_EQ(ReadFile(Locations().data_folder / "kvn_001_src.txt"), "Cleanup\r\nPutOrder\r\n");

  const CommandRun rerun = Run({"run-saved", "1"});
  EXPECT_EQ(rerun.status, kExitDifferent) << rerun.err;
  EXPECT_EQ(rerun.out, compared.out);
}

TEST_F(SavedRunsTest, SelectingEveryObjectIsAnOrdinaryRunAndSavedAsOne) {
  const CommandRun picked =
      Compare({"--types", "procedures", "--source-objects", "Cleanup,GetCustomers,PutOrder",
               "--target-objects", "Archive,GetCustomers,PutOrder", "--save", "All picked"});
  ASSERT_EQ(picked.status, kExitDifferent) << picked.err;
  EXPECT_EQ(picked.out, Compare({"--types", "procedures"}).out);
  EXPECT_EQ(Stored("All picked").comp_sub_type, 20);
  EXPECT_EQ(Stored("All picked").comp_sub_sub_type, 10);
  EXPECT_EQ(Run({"run-saved", "1"}).out, picked.out);
}

TEST_F(SavedRunsTest, BadObjectSelectionsAreRefused) {
  CommandRun run = Compare(
      {"--types", "procedures", "--source-objects", "putorder", "--target-objects", "PutOrder"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "Compare: \"putorder\" is not among the procedures of the Source database\n");

  run = Compare({"--source-objects", "PutOrder", "--target-objects", "PutOrder"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.err, "Compare: --source-objects compares one object type: name it with --types\n");

  run = Compare({"--types", "procedures", "--source-objects", "PutOrder"});
  EXPECT_EQ(run.status, kExitFailed);

  run = Compare({"--types", "procedures", "--source-objects", ",", "--target-objects", "PutOrder"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.err,
            "Korvane: Please select at least one object in Source database or click Cancel "
            "button.\n");
}

TEST_F(SavedRunsTest, SavingUnderAnExistingNameOverwritesAfterTheNotedQuestion) {
  ASSERT_EQ(Compare({"--types", "tables", "--save", "Nightly"}).status, kExitDifferent);
  const CommandRun again = Compare({"--types", "procedures", "--save", "Nightly"});
  EXPECT_EQ(again.status, kExitDifferent);
  EXPECT_EQ(again.err,
            "Overwrite Comparison Process: Comparison process with name Nightly already "
            "exists.\r\n\r\nDo you want to overwrite it?\n"
            "Overwrite Comparison Process: answered Yes (no one to ask on the command line)\n"
            "Korvane: Comparison process saved successfully.\nSaved as process 1\n");
  EXPECT_EQ(Stored("Nightly").enc_obj_types, "0,1,0,0,0,0,0");
}

TEST_F(SavedRunsTest, CompareObjectsGivesTheVerdictAndItsStatus) {
  CommandRun run = CompareObjects("procedures", "GetCustomers", "GetCustomers");
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_EQ(run.out,
            "Source: embedded:shop.Live.GetCustomers\r\nTarget: embedded:shop.Dev.GetCustomers\r\n"
            "\r\nThe selected procedures are identical.\r\n\r\nPlease note that option 'Ignore "
            "Columns Order' is set ON.\n");

  run = CompareObjects("procedures", "PutOrder", "PutOrder");
  EXPECT_EQ(run.status, kExitDifferent);
  EXPECT_EQ(run.out,
            "Source: embedded:shop.Live.PutOrder\r\nTarget: embedded:shop.Dev.PutOrder\r\n\r\n"
            "The selected procedures are different.\n");

  // Two different objects may be compared.
  EXPECT_EQ(CompareObjects("procedures", "Cleanup", "Archive").status, kExitDifferent);
  EXPECT_EQ(CompareObjects("Table", "Customers", "Customers").status, kExitDifferent);

  run = CompareObjects("procedures", "getcustomers", "GetCustomers");
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "Compare Objects: Procedure getcustomers not found in embedded:shop.Live.\n");
  EXPECT_EQ(CompareObjects("widgets", "A", "B").status, kExitFailed);
}

TEST_F(SavedRunsTest, CompareObjectsLeavesOutStructureIgnoredColumns) {
  // The tables differ only in the size of Name.
  for (const std::string database : {"Live", "Dev"}) {
    ASSERT_TRUE(SaveIgnoredColumns(Locations(), IgnoredColumnsKind::Structure,
                                   std::string(kServer) + "." + database + ".Customers", {"name"},
                                   ui_));
  }
  const CommandRun run = CompareObjects("tables", "Customers", "Customers");
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_EQ(run.out,
            "Source: embedded:shop.Live.Customers\r\nTarget: embedded:shop.Dev.Customers\r\n\r\n"
            "The selected tables are identical.\r\n\r\nPlease note that some columns were "
            "ignored during comparison.\r\n\r\nPlease note that option 'Ignore Columns Order' "
            "is set ON.\n");
}

TEST_F(SavedRunsTest, IndividualProcessComparesItsTwoObjects) {
  ASSERT_EQ(Compare({"--types", "tables", "--save", "Lists the server"}).status, kExitDifferent);
  SavedProcess process = Stored("Lists the server");
  process.name = "Pair";
  process.comp_sub_type = 35;
  process.comp_sub_sub_type = 0;
  process.enc_obj_types = "0,1,0,0,0,0,0";
  process.table_name1 = "PutOrder";
  process.table_name2 = "PutOrder";
  process.export_file_path = (folder_ / "pair.txt").string();
  SavedComparisonStore store(Locations(), ui_);
  ASSERT_TRUE(store.SaveProcess(process));
  ASSERT_TRUE(store.SetExport("Pair", process.export_file_path, 0));

  const CommandRun run = Run({"run-saved", "2"});
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  const std::string verdict =
      "Source: embedded:shop.Live.PutOrder\r\nTarget: embedded:shop.Dev.PutOrder\r\n\r\n"
      "The selected procedures are different.";
  EXPECT_EQ(run.out, verdict + "\n");
  // The pane's lines, each followed by CR LF.
  EXPECT_EQ(ReadFile(folder_ / "pair.txt"), verdict + "\r\n");

  process.table_name2 = "Gone";
  ASSERT_TRUE(store.SaveProcess(process));
  const CommandRun missing = Run({"run-saved", "2"});
  EXPECT_EQ(missing.status, kExitFailed);
  EXPECT_EQ(missing.err, "Korvane: Cannot run saved process - object Gone not found.\n");
}

TEST_F(SavedRunsTest, RunSavedRefusals) {
  CommandRun run = Run({"run-saved", "1"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.err, "Korvane: There are no saved processes to run.\n");

  ASSERT_EQ(Compare({"--types", "tables", "--save", "Tables"}).status, kExitDifferent);
  run = Run({"run-saved", "9"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.err, "Run Saved: No saved comparison process has Id 9.\n");
  EXPECT_EQ(Run({"run-saved", "0"}).status, kExitFailed);
  EXPECT_EQ(Run({"run-saved", "one"}).status, kExitFailed);

  // The stored server must be listed exactly as stored.
  SavedProcess process = Stored("Tables");
  process.server_name2 = "EMBEDDED:shop";
  SavedComparisonStore store(Locations(), ui_);
  ASSERT_TRUE(store.SaveProcess(process));
  run = Run({"run-saved", "1"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "Korvane: Cannot run saved process - server EMBEDDED:shop not found.\n");

  process.server_name2 = std::string(kServer);
  process.db_name1 = "Dropped";
  ASSERT_TRUE(store.SaveProcess(process));
  run = Run({"run-saved", "1"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.err,
            "Korvane: Cannot run saved process - SQL Server database Dropped not found.\n");
}

}  // namespace
}  // namespace korvane
