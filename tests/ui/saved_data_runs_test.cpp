// Saved data comparison processes run from the command line start over the two demo databases:
// a single pair exports its differences to the stored file, an all-tables run exports its report,
// neither asks anything, and a stored table that is gone is refused with the runner's text.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPrinterInfo>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "app/settings.h"
#include "base/files.h"
#include "datacomp/table_comp_settings.h"
#include "db/data_access.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/server_list.h"
#include "dialog_test_support.h"
#include "saved/comparison_codes.h"
#include "saved/saved_comparison_store.h"
#include "ui/main_window.h"

namespace korvane {
namespace {

constexpr const char* kServer = "embedded:saved";
constexpr const char* kLive = "FernhollowLive";
constexpr const char* kDev = "FernhollowDev";

// Runs `act` on the visible top-level window named `name` as soon as a modal loop shows it;
// until then the check is queued again, a bounded number of times. `seen` notes that it showed.
void WhenShown(const QString& name, bool* seen, std::function<void(QWidget&)> act,
               int tries = 400) {
  QTimer::singleShot(0, [name, seen, act, tries] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == name && widget->isVisible()) {
        *seen = true;
        act(*widget);
        return;
      }
    }
    if (tries > 0)
      WhenShown(name, seen, act, tries - 1);
  });
}

// Closes the report window once it has shown; its export is written after the first showing.
void CloseReportWhenShown(bool* seen) {
  WhenShown("frmReport", seen, [](QWidget& report) {
    for (int turn = 0; turn < 20; ++turn)
      QApplication::processEvents();
    report.close();
  });
}

class SavedDataRunsTest : public testing::DemoWindowTest {
 protected:
  static void SetUpTestSuite() { LoadDemo(kServer, true); }

  void SetUp() override {
    DrainQueuedChecks();
    UseDemoCopy(kServer);
  }

  SavedProcess DataProcess(std::int32_t sub_type) const {
    SavedProcess process;
    process.name = "Data " + std::to_string(sub_type);
    process.comp_type = kCompTypeData;
    process.comp_sub_type = sub_type;
    process.server_name1 = kServer;
    process.server_name2 = kServer;
    process.db_name1 = kLive;
    process.db_name2 = kDev;
    return process;
  }

  // A single-pair process of `table` on both sides, exporting its grid to `exported` as CSV.
  SavedProcess SinglePair(const std::string& table, std::int32_t method,
                          const std::filesystem::path& exported) const {
    SavedProcess process = DataProcess(kCompSubTypeDataSingleTable);
    process.comp_method = method;
    process.table_name1 = table;
    process.table_name2 = table;
    process.export_file_path = exported.string();
    process.export_type = kExportTypeCsv;
    return process;
  }

  // Stores the key method for the Customers pair, keyed on `source_key` and `target_key`.
  void KeyCustomersOn(const std::string& source_key, const std::string& target_key) {
    TableCompSettings by_key;
    by_key.CompMethod = kCompMethodPrimaryKey;
    by_key.side.key_columns = {source_key, "No Field", "No Field"};
    ASSERT_TRUE(WriteTableCompSettings(context_->locations.tables_comps_ini,
                                       Key(kLive, "Customers"), by_key, true));
    by_key.side.key_columns[0] = target_key;
    ASSERT_TRUE(WriteTableCompSettings(context_->locations.tables_comps_ini, Key(kDev, "Customers"),
                                       by_key, false));
  }

  // Saves the process and starts the program as `/RunSavedComp <its Id>` does.
  void RunFromCommandLine(const SavedProcess& process) {
    SavedComparisonStore store(context_->locations, ui_);
    ASSERT_TRUE(store.SaveProcess(process));
    context_->RunSavedCompId = store.ProcessId(process.name);
    ASSERT_GT(context_->RunSavedCompId, 0);
    ui_.messages.clear();
    MainWindow window(*context_);
    window.show();
    window.FirstActivation();
    EXPECT_EQ(context_->RunSavedCompId, 0);
  }

  // Runs the process with its report exported as text to `file_name`, closing the report window
  // once it has shown; the exported text.
  std::string RunForReport(SavedProcess process, const std::string& file_name) {
    const std::filesystem::path exported = folder_.path() / file_name;
    process.export_file_path = exported.string();
    process.export_type = kExportTypeReportText;
    bool shown = false;
    CloseReportWhenShown(&shown);
    RunFromCommandLine(process);
    EXPECT_TRUE(shown);
    return ReadWholeFile(exported).value_or("");
  }

  void ExpectNoQuestion() const {
    for (const auto& message : ui_.messages)
      EXPECT_FALSE(message.is_question) << message.text;
  }

  std::string Key(const std::string& database, const std::string& table) const {
    return std::string(kServer) + "." + database + "." + table;
  }
};

TEST_F(SavedDataRunsTest, SinglePairExportsItsDifferencesWithoutAsking) {
  KeyCustomersOn("CustomerID", "CustomerID");
  const std::filesystem::path exported = folder_.path() / "customers.csv";
  const SavedProcess process = SinglePair("Customers", kCompMethodPrimaryKey, exported);

  bool shown = false;
  bool written_when_shown = false;
  WhenShown("frmCompareData", &shown, [&](QWidget& window) {
    written_when_shown = std::filesystem::exists(exported);
    window.close();
  });
  RunFromCommandLine(process);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(written_when_shown);
  const std::string csv = ReadWholeFile(exported).value_or("");
  EXPECT_NE(csv.find("CustomerID"), std::string::npos) << csv;
  ExpectNoQuestion();
}

TEST_F(SavedDataRunsTest, StoredIdsOfAnotherTableDoNotRedirectThePair) {
  // The process file says Customers but holds the ids of Categories: the ids of the rows the
  // names selected are used, so the Customers tables are compared and exported.
  std::array<std::int32_t, 2> categories{};
  for (int side : {kSource, kTarget}) {
    ServerRecord server;
    server.Name = kServer;
    RunCommandResult found =
        RunCommand(*context_, server, CommandType::kText,
                   "SELECT id FROM sysobjects WHERE name = 'Categories'", side ? kDev : kLive);
    ASSERT_FALSE(found.failed());
    ASSERT_TRUE(found.recordset && !found.recordset->Eof());
    categories[static_cast<std::size_t>(side)] =
        static_cast<std::int32_t>(found.recordset->Field(0).AsInteger());
  }
  const std::filesystem::path exported = folder_.path() / "redirected.csv";
  SavedProcess process = SinglePair("Customers", kCompMethodRecordByRecord, exported);
  process.obj_id1 = categories[0];
  process.obj_id2 = categories[1];
  bool shown = false;
  WhenShown("frmCompareData", &shown, [](QWidget& window) { window.close(); });
  RunFromCommandLine(process);
  EXPECT_TRUE(shown);
  const std::string csv = ReadWholeFile(exported).value_or("");
  EXPECT_NE(csv.find("CustomerID"), std::string::npos) << csv;
  EXPECT_EQ(csv.find("CategoryID"), std::string::npos) << csv;
}

// Regression: identical data left the export of an earlier run in place.
TEST_F(SavedDataRunsTest, SinglePairOfIdenticalTablesReplacesItsExportWithTheEmptyGrid) {
  const std::filesystem::path exported = folder_.path() / "categories.csv";
  ASSERT_TRUE(WriteFileAtomically(exported, "stale differences of an earlier run"));
  const SavedProcess process = SinglePair("Categories", kCompMethodRecordByRecord, exported);
  RunFromCommandLine(process);
  const std::string csv = ReadWholeFile(exported).value_or("");
  EXPECT_TRUE(csv.starts_with("Row,CategoryID,")) << csv;
  EXPECT_EQ(csv.find("\r\n"), csv.size() - 2) << csv;  // the header alone
  ExpectNoQuestion();
}

TEST_F(SavedDataRunsTest, AllTablesRunExportsItsReportWithoutAsking) {
  const std::string text = RunForReport(DataProcess(kCompSubTypeDataAll), "all_tables.txt");
  EXPECT_NE(text.find("Comparison of data in tables\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Customers"), std::string::npos) << text;
  ExpectNoQuestion();
}

// Regression: a pair whose comparison failed was listed as "0 different record(s)".
TEST_F(SavedDataRunsTest, SelectiveRunListsAFailedPairAsFailed) {
  KeyCustomersOn("CustomerID", "NoSuchColumn");
  SavedProcess process = DataProcess(kCompSubTypeDataSelective);
  process.source_selection = process.target_selection = {"Categories", "Customers"};
  process.sel_comp_count_source = process.sel_comp_count_target = 2;
  const std::string text = RunForReport(process, "selected.txt");
  EXPECT_NE(text.find("List of tables which differ:\r\n\tCustomers - comparison failed\r\n"
                      "\t(1 table)\r\n"),
            std::string::npos)
      << text;
}

TEST_F(SavedDataRunsTest, SelectiveRunWithPrintSaysTheReportWasNotPrinted) {
  if (!QPrinterInfo::defaultPrinter().isNull())
    GTEST_SKIP() << "this machine has a default printer";
  SavedProcess process = DataProcess(kCompSubTypeDataSelective);
  process.source_selection = {"Categories"};
  process.target_selection = {"Categories"};
  process.print = true;
  bool shown = false;
  CloseReportWhenShown(&shown);
  RunFromCommandLine(process);
  EXPECT_TRUE(shown);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "There is no default printer, so the report was not printed.");
  ExpectNoQuestion();
}

TEST_F(SavedDataRunsTest, MissingStoredTableIsRefusedWithItsName) {
  SavedProcess process = DataProcess(kCompSubTypeDataSingleTable);
  process.table_name1 = "NoSuchTable";
  process.table_name2 = "Customers";
  bool shown = false;
  WhenShown(
      "frmCompareData", &shown, [](QWidget& window) { window.close(); }, 20);
  RunFromCommandLine(process);
  EXPECT_FALSE(shown);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Cannot run saved process - table NoSuchTable not found.");
  ExpectNoQuestion();
}

}  // namespace
}  // namespace korvane
