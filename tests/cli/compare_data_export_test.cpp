// `compare-data` with --csv, --html and --save on the demo databases, and the saved data
// processes it leaves run again by RunSavedDataProcess.
#include <gtest/gtest.h>

#include "base/text.h"
#include "cli/cli.h"
#include "cli/cli_support.h"
#include "cli/compare_data_command.h"
#include "cli/demo_cli_fixture.h"
#include "cli/saved_data_runs.h"
#include "db/server_list.h"
#include "saved/comparison_codes.h"
#include "saved/saved_comparison_store.h"
#include "support/recording_user_interface.h"

namespace korvane {
namespace {

using testing::CommandRun;
using testing::ReadFile;

class CompareDataExportTest : public testing::DemoCliTest {
 protected:
  CommandRun CompareData(const std::string& table, std::vector<std::string> options) {
    std::vector<std::string> args = {"embedded:demo", "FernhollowLive", "embedded:demo",
                                     "FernhollowDev", table};
    args.insert(args.end(), options.begin(), options.end());
    return Run([&](ApplicationContext& context, std::ostream& out, std::ostream& err) {
      return CompareDataCommand(context, args, out, err);
    });
  }

  SavedProcess LoadSaved(const std::string& name) {
    testing::RecordingUserInterface ui;
    SavedComparisonStore store(Locations(), ui);
    return store.LoadProcess(name);
  }

  // The process run again as run-saved does once it has put the stored servers into the sides.
  CommandRun RunSaved(const SavedProcess& process) {
    return Run([&](ApplicationContext& context, std::ostream& out, std::ostream&) {
      if (!SetSide(context, kSource, process.server_name1) ||
          !SetSide(context, kTarget, process.server_name2)) {
        return kExitFailed;
      }
      return RunSavedDataProcess(context, process, out);
    });
  }

  std::filesystem::path File(const std::string& name) const { return folder_ / name; }
};

TEST_F(CompareDataExportTest, CsvHoldsTheDifferencesGrid) {
  const CommandRun run =
      CompareData("Customers", {"--key", "CustomerID", "--csv", File("c.csv").string()});
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_EQ(run.out, Counts(40, 42, 6));
  const std::vector<std::string> lines = Split(ReadFile(File("c.csv")), "\r\n");
  // Header, two changed pairs, one Source-only and three Target-only rows, and the empty text
  // after the last line end.
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_TRUE(lines[0].starts_with("Row,CustomerID,")) << lines[0];
  EXPECT_TRUE(lines[1].starts_with("1,7,")) << lines[1];
  EXPECT_TRUE(lines[2].starts_with("1,7,")) << lines[2];
  EXPECT_TRUE(lines[3].starts_with("2,15,")) << lines[3];
  EXPECT_TRUE(lines[5].starts_with("3,38,")) << lines[5];
  EXPECT_TRUE(lines[6].starts_with("1,41,")) << lines[6];
  EXPECT_TRUE(lines[8].starts_with("3,43,")) << lines[8];
  EXPECT_EQ(lines[9], "");
}

TEST_F(CompareDataExportTest, HtmlPageOfTheDifferencesWindow) {
  const CommandRun run =
      CompareData("Customers", {"--key", "CustomerID", "--html", File("c.htm").string()});
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_EQ(run.out, Counts(40, 42, 6));
  const std::string page = ReadFile(File("c.htm"));
  EXPECT_TRUE(page.starts_with("<HTML><HEAD><TITLE>Data Differences </TITLE></HEAD>\r\n"));
  EXPECT_NE(page.find("<p align='center'><b> Differences between data in tables 'Customers' and "
                      "'Customers'</b><p> Source Table: Customers (Database: FernhollowLive, "
                      "Server: embedded:demo)<br> Target Table: Customers (Database: "
                      "FernhollowDev, Server: embedded:demo)<p>\r\n"),
            std::string::npos);
  EXPECT_TRUE(
      page.ends_with("</TABLE></BODY></HTML>\r\n<p align='center'><b> Records in Source "
                     "table: 40<br> Records in Target table: 42<br> Different records: "
                     "6</b>\r\n"));
}

// Regression: identical data left an older export in place, so a scheduled job read stale
// differences. The empty grid replaces it, for both kinds and both methods.
TEST_F(CompareDataExportTest, IdenticalDataWritesTheEmptyDifferencesGrid) {
  struct Case {
    std::string option;
    std::vector<std::string> method;
    std::string file;
  };
  const std::vector<Case> cases = {
      {"--csv", {"--key", "CategoryID"}, "k.csv"},
      {"--csv", {"--by-record"}, "r.csv"},
      {"--html", {"--key", "CategoryID"}, "k.htm"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    testing::WriteFile(File(c.file), "stale differences of an earlier run");
    std::vector<std::string> options = c.method;
    options.insert(options.end(), {c.option, File(c.file).string()});
    const CommandRun run = CompareData("Categories", options);
    EXPECT_EQ(run.status, kExitDone) << run.err;
    EXPECT_EQ(run.out, "Data stored in both tables is identical.\n");
    EXPECT_NE(run.err.find("Compare Data: The data is identical: " + File(c.file).string() +
                           " holds the empty differences grid.\n"),
              std::string::npos)
        << run.err;
    const std::string written = ReadFile(File(c.file));
    if (c.option == "--csv") {
      const std::vector<std::string> lines = Split(written, "\r\n");
      ASSERT_EQ(lines.size(), 2u) << written;  // the header and the empty text after it
      EXPECT_TRUE(lines[0].starts_with("Row,CategoryID,")) << lines[0];
    } else {
      EXPECT_NE(written.find("Differences between data in tables 'Categories'"), std::string::npos);
      EXPECT_NE(written.find("Different records: 0"), std::string::npos) << written;
    }
  }
}

TEST_F(CompareDataExportTest, SavedPairOfIdenticalTablesReplacesItsExport) {
  const std::string file = File("cats.csv").string();
  CommandRun run =
      CompareData("Categories", {"--key", "CategoryID", "--csv", file, "--save", "Cats"});
  ASSERT_EQ(run.status, kExitDone) << run.err;
  const std::string empty_grid = ReadFile(file);
  testing::WriteFile(file, "stale differences of an earlier run");
  run = RunSaved(LoadSaved("Cats"));
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_EQ(ReadFile(file), empty_grid);
  EXPECT_NE(run.err.find("holds the empty differences grid"), std::string::npos) << run.err;
}

TEST_F(CompareDataExportTest, TwoEmptyTablesExportTheirHeader) {
  const ScriptLoadResult loaded =
      LoadScript(Locations().servers_folder, "embedded:demo", "Empty",
                 "CREATE TABLE E (id int NOT NULL, name varchar(10) NULL)\nGO\n");
  ASSERT_TRUE(loaded.ok) << loaded.message;
  testing::WriteFile(File("e.csv"), "stale");
  const CommandRun run =
      Run([&](ApplicationContext& context, std::ostream& out, std::ostream& err) {
        return CompareDataCommand(context,
                                  {"embedded:demo", "Empty", "embedded:demo", "Empty", "E", "--csv",
                                   File("e.csv").string()},
                                  out, err);
      });
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_EQ(ReadFile(File("e.csv")), "Row,id,name\r\n");
}

TEST_F(CompareDataExportTest, ExportRefusals) {
  CommandRun run =
      CompareData("Customers", {"--csv", File("a.csv").string(), "--html", File("a.htm").string()});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_NE(run.err.find("usage: compare-data"), std::string::npos);
  run = CompareData("Customers", {"--csv"});
  EXPECT_EQ(run.status, kExitFailed);
  // A file that cannot be written fails the command after the outcome was printed.
  run = CompareData("Customers",
                    {"--key", "CustomerID", "--csv", (File("missing") / "c.csv").string()});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.out, Counts(40, 42, 6));
  EXPECT_NE(run.err.find("Cannot write the file"), std::string::npos) << run.err;
}

TEST_F(CompareDataExportTest, SaveStoresTheRunAndListsTheServer) {
  CommandRun run = CompareData("Customers", {"--key", "CustomerID", "--csv", File("c.csv").string(),
                                             "--save", "Customers check"});
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_NE(run.err.find("\nSaved as process 1\n"), std::string::npos) << run.err;
  SavedProcess saved = LoadSaved("Customers check");
  EXPECT_EQ(saved.comp_type, kCompTypeData);
  EXPECT_EQ(saved.comp_sub_type, kCompSubTypeDataSingleTable);
  EXPECT_EQ(saved.comp_method, kCompMethodPrimaryKey);
  EXPECT_EQ(saved.server_name1, "embedded:demo");
  EXPECT_EQ(saved.db_name1, "FernhollowLive");
  EXPECT_EQ(saved.db_name2, "FernhollowDev");
  EXPECT_EQ(saved.table_name1, "Customers");
  EXPECT_EQ(saved.table_name2, "Customers");
  EXPECT_EQ(saved.export_file_path, File("c.csv").string());
  EXPECT_EQ(saved.export_type, kExportTypeCsv);
  EXPECT_EQ(saved.id, 1);

  run = Run([](ApplicationContext& context, std::ostream& out, std::ostream&) {
    LoadServerList(context);
    for (const ServerRecord& server : context.servers)
      out << server.Name << "\n";
    return 0;
  });
  EXPECT_EQ(run.out, "embedded:demo\n");

  // Saving again under the name overwrites (the question answered Yes) and keeps the Id; the
  // server is not listed twice.
  run = CompareData("Orders", {"--by-record", "--save", "customers CHECK"});
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_NE(run.err.find("answered Yes"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Saved as process 1\n"), std::string::npos) << run.err;
  saved = LoadSaved("Customers check");
  EXPECT_EQ(saved.table_name1, "Orders");
  EXPECT_EQ(saved.comp_method, kCompMethodRecordByRecord);
  EXPECT_EQ(saved.export_file_path, "");
  run = Run([](ApplicationContext& context, std::ostream& out, std::ostream&) {
    LoadServerList(context);
    out << context.servers.size();
    return 0;
  });
  EXPECT_EQ(run.out, "1");
}

TEST_F(CompareDataExportTest, FailedRunIsNotSaved) {
  const CommandRun run = CompareData("NoSuchTable", {"--save", "Broken"});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(LoadSaved("Broken").id, 0);
}

TEST_F(CompareDataExportTest, SavedSinglePairRunReproducesOutcomeAndExport) {
  for (const auto& [option, name] : {std::pair{"--csv", "c.csv"}, std::pair{"--html", "c.htm"}}) {
    const CommandRun first = CompareData(
        "Customers", {"--key", "CustomerID", option, File(name).string(), "--save", name});
    ASSERT_EQ(first.status, kExitDifferent) << first.err;
    const std::string exported = ReadFile(File(name));
    ASSERT_FALSE(exported.empty());
    std::filesystem::remove(File(name));

    // The stored method is used even after the tables' settings say otherwise.
    ASSERT_EQ(CompareData("Customers", {"--by-record"}).out, Counts(40, 42, 7));
    const CommandRun again = RunSaved(LoadSaved(name));
    EXPECT_EQ(again.status, kExitDifferent) << again.err;
    EXPECT_EQ(again.out, first.out);
    EXPECT_EQ(ReadFile(File(name)), exported);
  }
}

TEST_F(CompareDataExportTest, SavedRunsOfSelectedAndAllTables) {
  testing::RecordingUserInterface ui;
  SavedComparisonStore store(Locations(), ui);
  SavedProcess process;
  process.name = "Some";
  process.comp_type = kCompTypeData;
  process.comp_sub_type = kCompSubTypeDataSelective;
  process.server_name1 = process.server_name2 = "embedded:demo";
  process.db_name1 = "FernhollowLive";
  process.db_name2 = "FernhollowDev";
  process.sel_comp_count_source = process.sel_comp_count_target = 2;
  process.source_selection = process.target_selection = {"Categories", "Warehouses"};
  process.export_file_path = File("some.txt").string();
  ASSERT_TRUE(store.SaveProcess(process));

  CommandRun run = RunSaved(LoadSaved("Some"));
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_TRUE(
      run.out.ends_with("\r\n\r\n2 objects selected in Source database\r\n2 objects "
                        "selected in Target database\r\n\r\nData in all selected tables "
                        "in both databases is identical.\n"))
      << run.out;
  EXPECT_EQ(ReadFile(File("some.txt")) + "\n", run.out);

  process.name = "All";
  process.comp_sub_type = kCompSubTypeDataAll;
  process.sel_comp_count_source = process.sel_comp_count_target = 0;
  process.source_selection.clear();
  process.target_selection.clear();
  process.export_file_path.clear();
  ASSERT_TRUE(store.SaveProcess(process));
  run = RunSaved(LoadSaved("All"));
  EXPECT_EQ(run.status, kExitDifferent) << run.err;
  EXPECT_NE(run.out.find("\r\nComparison of data in tables\r\n\r\nThere are 17 tables in Source "
                         "database.\r\nThere are 18 tables in Target database.\r\n\r\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("List of tables which exist in Source database but not in Target "
                         "database:\r\n\tNewsletterSubscribers\r\n\t(1 table)\r\n"),
            std::string::npos)
      << run.out;

  process.comp_sub_type = 70;
  run = RunSaved(process);
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_NE(run.err.find("Cannot run saved process - comparison sub type not defined."),
            std::string::npos);
}

}  // namespace
}  // namespace korvane
