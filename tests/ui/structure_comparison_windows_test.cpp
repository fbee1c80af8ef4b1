// The structure comparison windows driven headless over the two demo databases: Compare All with
// its report, Cancel, the report window's actions, the selective comparison with frmListObjects,
// the bulk comparisons, saving a process and running it again from the menu and the command
// line, the CREATE statement, Visualize Differences and help.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/settings.h"
#include "base/files.h"
#include "compare/report_printing.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/server_list.h"
#include "dialog_test_support.h"
#include "saved/saved_comparison_store.h"
#include "support/scratch_folder.h"
#include "ui/comparison_run_window.h"
#include "ui/help_topics.h"
#include "ui/main_window.h"
#include "ui/qt_list_control.h"
#include "ui/qt_selector.h"
#include "ui/qt_text_view.h"
#include "ui/report_window.h"

namespace korvane {
namespace {

using testing::Choose;
using testing::ClickButton;
using testing::ReadReport;
using testing::SeenReport;
using testing::WhenOpens;

constexpr const char* kServer = "embedded:fern";
constexpr const char* kLive = "FernhollowLive";
constexpr const char* kDev = "FernhollowDev";

// A print device that records what it was asked.
class FakePrintDevice : public PrintDevice {
 public:
  explicit FakePrintDevice(bool has_printer) : has_printer_(has_printer) {}
  bool HasDefaultPrinter() const override { return has_printer_; }
  bool PrintOnDefaultPrinter(std::string_view) override { return ++printed, true; }
  bool SaveAsPdf(const std::filesystem::path&, std::string_view) override { return true; }
  static inline int printed = 0;

 private:
  bool has_printer_;
};

// Both demo releases on one embedded server of version 9, loaded once for all tests (the
// tests only read them); every test has its own profile.
class StructureWindowsTest : public testing::DemoWindowTest {
 protected:
  static void SetUpTestSuite() { LoadDemo(kServer, true); }

  StructureWindowsTest() {
    DrainQueuedChecks();
    UseDemoInPlace(kServer);
  }

  // The main window with FernhollowLive as Source and FernhollowDev as Target.
  std::unique_ptr<MainWindow> OpenWindow() { return OpenDemoWindow(kLive, kDev, ""); }

  // Saves the process and opens the main window as `/RunSavedComp <its Id>` does; the run starts
  // at the window's first activation.
  std::unique_ptr<MainWindow> OpenToRun(const SavedProcess& process) {
    SavedComparisonStore store(context_->locations, ui_);
    EXPECT_TRUE(store.SaveProcess(process));
    context_->RunSavedCompId = store.ProcessId(process.name);
    EXPECT_GT(context_->RunSavedCompId, 0);
    ui_.messages.clear();
    auto window = std::make_unique<MainWindow>(*context_);
    window->show();
    return window;
  }

  void Trigger(QWidget& window, const char* item) {
    auto* action = Find<QAction>(window, item);
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(action->isEnabled()) << item;
    action->trigger();
  }

  // Ticks only the boxes of these type indexes in the Compare All dialog.
  void TickOnly(QWidget& dialog, std::initializer_list<int> indexes) {
    for (int index = 0; index < 7; ++index) {
      auto* box = Find<QCheckBox>(dialog, ("chkObjType_" + std::to_string(index)).c_str());
      box->setChecked(std::find(indexes.begin(), indexes.end(), index) != indexes.end());
    }
  }

  // A structure process of the demo databases (FernhollowLive against FernhollowDev).
  static SavedProcess DemoProcess(const char* name, std::int32_t sub_type, const char* types) {
    SavedProcess process;
    process.name = name;
    process.comp_type = 1;
    process.comp_sub_type = sub_type;
    process.enc_obj_types = types;
    process.server_name1 = kServer;
    process.server_name2 = kServer;
    process.db_name1 = kLive;
    process.db_name2 = kDev;
    return process;
  }
};

// --- Compare All --------------------------------------------------------------------------------

TEST_F(StructureWindowsTest, CompareAllRunsTheTickedTypesAndShowsTheReport) {
  auto window = OpenWindow();
  SeenReport seen;
  bool checked_dialog = false;
  WhenOpens("frmCompareAll", [&](QWidget& dialog) {
    checked_dialog = true;
    EXPECT_EQ(dialog.windowTitle(), "Compare All");
    EXPECT_EQ(Find<QLabel>(dialog, "lblSelectTypes")->text(), "Select objects to be compared:");
    // Constraints take part only with "AnalyzeConstraints" on.
    EXPECT_FALSE(Find<QCheckBox>(dialog, "chkObjType_6")->isVisibleTo(&dialog));
    EXPECT_TRUE(Find<QCheckBox>(dialog, "chkObjType_5")->isVisibleTo(&dialog));
    testing::Screenshot(dialog, "compare_all");
    for (int index = 0; index < 6; ++index) {
      EXPECT_TRUE(
          Find<QCheckBox>(dialog, ("chkObjType_" + std::to_string(index)).c_str())->isChecked());
    }
    TickOnly(dialog, {1, 3});  // procedures and views
    ReadReport(seen, [&](ReportWindow& report) {
      // The main window behind the report, and the report, for people to look at.
      testing::Screenshot(*window, "main_window_after_compare_all");
      testing::Screenshot(report, "report_window");
    });
    ClickButton(dialog, "cmdCompare");
    EXPECT_FALSE(dialog.isVisible());
  });
  Find<QPushButton>(*window, "cmdCompareAll")->click();
  ASSERT_TRUE(checked_dialog);
  ASSERT_TRUE(seen.opened) << ::testing::PrintToString(MessageTexts());
  EXPECT_EQ(seen.title, "Comparison Report");
  const std::string head =
      "Comparison of databases\r\n\r\nSource database embedded:fern.FernhollowLive\r\n"
      "Target database embedded:fern.FernhollowDev\r\n\r\n\r\nComparison of procedures\r\n"
      "There are 8 procedures in Source database.\r\n"
      "There are 9 procedures in Target database.\r\nList of procedures which differ:\r\n";
  EXPECT_EQ(seen.text.substr(0, head.size()), head);
  EXPECT_NE(seen.text.find("\tusp_AddOrderLine\r\n"), std::string::npos) << seen.text;
  EXPECT_NE(seen.text.find("\r\n\r\nComparison of views\r\n"), std::string::npos);
  EXPECT_EQ(seen.text.find("Comparison of tables"), std::string::npos);
  EXPECT_NE(seen.text.find("\r\n\r\nTime Elapsed: 00:00:0"), std::string::npos);
  EXPECT_EQ(seen.state.comparison_type, 1);
  EXPECT_EQ(seen.state.sub_type, 10);
  EXPECT_EQ(seen.state.object_types, "0,1,0,1,0,0,0");
  EXPECT_TRUE(context_->report_buffer.empty());
  EXPECT_FALSE(window->IsCommandRunning());
}

TEST_F(StructureWindowsTest, CompareAllWithoutTypesAsksForOneAndCancelCloses) {
  auto window = OpenWindow();
  bool seen = false;
  WhenOpens("frmCompareAll", [&](QWidget& dialog) {
    seen = true;
    TickOnly(dialog, {});
    ClickButton(dialog, "cmdCompare");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>{"Please select at least one object type to be compared."});
    ClickButton(dialog, "cmdCancel");  // no run: Cancel closes
    EXPECT_FALSE(dialog.isVisible());
  });
  Trigger(*window, "mnuComparisonAllObj");
  EXPECT_TRUE(seen);
  EXPECT_EQ(ui_.messages.size(), 1u);
}

TEST_F(StructureWindowsTest, CancelDuringTheRunEndsWithoutReport) {
  auto window = OpenWindow();
  bool cancelled = false;
  bool report = false;
  WhenOpens("frmCompareAll", [&](QWidget& dialog) {
    TickOnly(dialog, {0, 1, 2, 3, 4, 5});
    // The run pumps the window events: the click lands while the run is in progress, where
    // Cancel stops the run instead of closing the dialog.
    QTimer::singleShot(0, &dialog, [this, &dialog, &cancelled] {
      auto& run = static_cast<ComparisonRunWindow&>(dialog);
      EXPECT_TRUE(run.IsRunning());
      EXPECT_TRUE(Find<QWidget>(dialog, "fraProgress")->isVisible());
      EXPECT_FALSE(Find<QWidget>(dialog, "fraObjTypes")->isVisible());
      EXPECT_FALSE(Find<QPushButton>(dialog, "cmdCompare")->isEnabled());
      EXPECT_FALSE(Find<QLabel>(dialog, "lblStatus")->text().isEmpty());
      testing::Screenshot(dialog, "compare_all_running");
      // Closing the window is refused while the run goes on.
      EXPECT_FALSE(dialog.close());
      EXPECT_TRUE(dialog.isVisible());
      QTest::keyClick(&dialog, Qt::Key_Escape);
      cancelled = true;
    });
    ClickButton(dialog, "cmdCompare");
    EXPECT_FALSE(dialog.isVisible());
  });
  // A report window that opens anyway is recorded and closed.
  auto* watch = new QTimer(window.get());
  QObject::connect(watch, &QTimer::timeout, [&report] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->objectName() == "frmReport") {
      report = true;
      modal->close();
    }
  });
  watch->start(5);
  Find<QPushButton>(*window, "cmdCompareAll")->click();
  watch->stop();
  EXPECT_TRUE(cancelled);
  EXPECT_FALSE(report);
  EXPECT_TRUE(context_->report_buffer.empty());
  EXPECT_TRUE(ui_.messages.empty());
}

// --- bulk and selective -------------------------------------------------------------------------

TEST_F(StructureWindowsTest, ComparisonMenusAreThereWithTheirCaptions) {
  auto window = OpenWindow();
  const std::pair<const char*, const char*> items[] = {
      {"mnuComparisonAllObj", "Compare &All Objects"},
      {"mnuBulkSimpleType_0", "Compare All &Tables"},
      {"mnuBulkDetailsType_4", "Compare All T&riggers - Details"},
      {"mnuSelectiveSimpleType_5", "Compare Selected R&elationships"},
      {"mnuSelectiveDetailsType_6", "Compare Selected &Constraints - Details"},
      {"mnuSQLCreate_1", "Build SQL CREATE Statement - &Target"},
      {"mnuPopupVisualize_0", "Visualize Differences"},
      {"mnuPopupCreate_1", "Build SQL CREATE Statement"},
      {"mnuFileRunSavedComp", "&Run Saved Comparison Process"},
      {"mnuHelpIndex", "&Index..."},
      {"mnuHelpSupport", "Technical &Support"}};
  for (const auto& [name, caption] : items) {
    QAction* action = Find<QAction>(*window, name);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), caption);
    EXPECT_TRUE(action->isEnabled()) << name;
  }
  EXPECT_EQ(Find<QPushButton>(*window, "cmdCompareAll")->toolTip(), "Compare all objects (F8)");
  EXPECT_TRUE(Find<QPushButton>(*window, "cmdCompareAll")->isEnabled());
  EXPECT_EQ(Find<QPushButton>(*window, "cmdHelp")->toolTip(), "Display Help file (F1)");
}

TEST_F(StructureWindowsTest, BulkDetailsRunsByItselfAndListsTheDifferingLines) {
  auto window = OpenWindow();
  SeenReport seen;
  WhenOpens("frmCompareAllTables", [&](QWidget& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Compare All");
    EXPECT_TRUE(Find<QCheckBox>(dialog, "chkObjType_4")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(dialog, "chkObjType_0")->isChecked());
    ReadReport(seen);
  });
  Trigger(*window, "mnuBulkDetailsType_4");  // triggers
  ASSERT_TRUE(seen.opened);
  EXPECT_NE(seen.text.find("Comparison of triggers\r\nThere are 4 triggers in Source database."),
            std::string::npos)
      << seen.text;
  EXPECT_NE(seen.text.find("List of triggers which differ:\r\n\ttrg_Orders_Audit\r\n"),
            std::string::npos);
  EXPECT_NE(seen.text.find("Detailed list of differences between compared triggers\r\n"),
            std::string::npos);
  EXPECT_EQ(seen.state.sub_type, 20);
  EXPECT_EQ(seen.state.sub_sub_type, 20);
  EXPECT_EQ(seen.state.object_types, "0,0,0,0,1,0,0");
}

TEST_F(StructureWindowsTest, SelectiveRunComparesTheObjectsPickedInListObjects) {
  auto window = OpenWindow();
  SeenReport seen;
  bool listed = false;
  WhenOpens("frmListObjects", [&](QWidget& dialog) {
    listed = true;
    EXPECT_EQ(Find<QLabel>(dialog, "lblType")->text(), "PROCEDURES");
    auto* source = Find<QtListControl>(dialog, "pvlObjects_0");
    auto* target = Find<QtListControl>(dialog, "pvlObjects_1");
    EXPECT_EQ(source->RowCount(), 8);
    EXPECT_EQ(target->RowCount(), 9);
    // OK with nothing ticked keeps the dialog open.
    ClickButton(dialog, "cmdOK");
    EXPECT_TRUE(dialog.isVisible());
    // Ticking a Source object ticks the Target object of the same name.
    for (const char* name : {"usp_AddOrderLine", "usp_GetCustomerOrders"}) {
      for (int row = 0; row < source->RowCount(); ++row) {
        if (source->Cell(row, 0) == name)
          source->SetChecked(row, true);
      }
    }
    int ticked_target = 0;
    for (int row = 0; row < target->RowCount(); ++row)
      ticked_target += target->IsChecked(row) ? 1 : 0;
    EXPECT_EQ(ticked_target, 2);
    testing::Screenshot(dialog, "list_objects");
    WhenOpens("frmCompareAllTables", [&](QWidget& run) {
      EXPECT_EQ(run.windowTitle(), "Compare Selected Objects");
      ReadReport(seen);
    });
    ClickButton(dialog, "cmdOK");
  });
  Trigger(*window, "mnuSelectiveSimpleType_1");
  ASSERT_TRUE(listed);
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"Please select at least one object or click Cancel button."});
  ASSERT_TRUE(seen.opened);
  EXPECT_NE(seen.text.find("Selective comparison of procedures\r\n\r\n2 objects selected in Source "
                           "database\r\n2 objects selected in Target database\r\n\r\n"),
            std::string::npos)
      << seen.text;
  EXPECT_NE(seen.text.find("List of procedures which differ:\r\n\tusp_AddOrderLine\r\n\t(1 "
                           "procedure)\r\nOne procedure [usp_GetCustomerOrders] has identical "
                           "structure in both databases."),
            std::string::npos)
      << seen.text;
  EXPECT_EQ(seen.state.sub_type, 30);
  EXPECT_EQ(seen.state.sub_sub_type, 30);
  EXPECT_EQ(seen.state.source_selection,
            (std::vector<std::string>{"usp_AddOrderLine", "usp_GetCustomerOrders"}));
}

TEST_F(StructureWindowsTest, CancelledSelectionRunsNothing) {
  auto window = OpenWindow();
  WhenOpens("frmListObjects", [](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
  Trigger(*window, "mnuSelectiveDetailsType_0");
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(window->IsCommandRunning());
}

TEST_F(StructureWindowsTest, WithoutDatabasesTheCommandsRefuseBeforeAnyDialog) {
  auto window = OpenWindow();
  Find<QtListControl>(*window, "pvlDb_1")->SetCurrentRow(-1);
  Find<QPushButton>(*window, "cmdCompareAll")->click();
  Trigger(*window, "mnuSelectiveSimpleType_0");
  ASSERT_EQ(ui_.messages.size(), 2u);
  for (const auto& message : ui_.messages) {
    EXPECT_EQ(message.text, "Cannot compare - the list of databases is empty.");
    EXPECT_EQ(message.title, "Cannot Compare");
  }
}

// --- the report window --------------------------------------------------------------------------

constexpr std::string_view kReport =
    "Comparison of databases\r\n\r\nSource database a.b\r\nTarget database c.d\r\n\r\nTime "
    "Elapsed: 00:00:01";

TEST_F(StructureWindowsTest, ReportWindowCopiesExportsAndPrints) {
  ReportWindowState state;
  state.comparison_type = 1;
  state.sub_type = 10;
  ReportWindow report(*context_, state, kReport);
  report.SetPrintDeviceFactory(
      [](std::string_view) { return std::make_unique<FakePrintDevice>(true); });
  report.show();
  EXPECT_EQ(report.windowTitle(), "Comparison Report");
  EXPECT_TRUE(Find<QPushButton>(report, "cmdSave")->isVisible());
  EXPECT_EQ(Find<QPushButton>(report, "cmdExport")->text(), "Export To &File");

  ClickButton(report, "cmdCopy");
  EXPECT_EQ(ui_.clipboard, std::string(kReport) + "\r\n");

  const std::filesystem::path file = folder_ / "out" / "report.txt";
  std::filesystem::create_directories(file.parent_path());
  ui_.file_choices = {file};
  ClickButton(report, "cmdExport");
  ASSERT_EQ(ui_.file_requests.size(), 1u);
  EXPECT_EQ(ui_.file_requests[0].title, "Specify Target File");
  EXPECT_EQ(ui_.file_requests[0].proposed_name, "Report.txt");
  EXPECT_EQ(ui_.file_requests[0].initial_folder, context_->locations.data_folder);
  // Only spaces are trimmed: the pane's last line keeps its CR LF.
  EXPECT_EQ(ReadWholeFile(file).value_or("missing"), std::string(kReport) + "\r\n");

  FakePrintDevice::printed = 0;
  ClickButton(report, "cmdPrint");
  EXPECT_EQ(FakePrintDevice::printed, 1);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(StructureWindowsTest, PrintWithoutPrinterOffersAPdfAndIsNotPrinted) {
  ReportWindow report(*context_, ReportWindowState{}, kReport);
  report.SetPrintDeviceFactory(
      [](std::string_view) { return std::make_unique<FakePrintDevice>(false); });
  report.show();
  FakePrintDevice::printed = 0;
  ui_.answers = {Answer::kNo};
  ClickButton(report, "cmdPrint");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.messages[0].is_question);
  EXPECT_EQ(ui_.messages[0].text, NoPrinterQuestion());
  EXPECT_EQ(FakePrintDevice::printed, 0);
}

TEST_F(StructureWindowsTest, CreateStatementWindowHasNoSaveButton) {
  ReportWindowState state;
  state.title = "SQL CREATE Statement";
  state.save_button_visible = false;
  ReportWindow report(*context_, state, "USE [x]");
  report.show();
  EXPECT_EQ(report.windowTitle(), "SQL CREATE Statement");
  EXPECT_FALSE(Find<QPushButton>(report, "cmdSave")->isVisible());
}

// --- saved processes ----------------------------------------------------------------------------

TEST_F(StructureWindowsTest, SavedProcessIsSavedExportedAndRunFromTheMenu) {
  auto window = OpenWindow();
  const std::filesystem::path exported = folder_ / "exports" / "views.txt";
  std::filesystem::create_directories(exported.parent_path());

  // Bulk comparison of views, saved from its report, then exported (which the process records).
  SeenReport first;
  WhenOpens("frmCompareAllTables", [&](QWidget&) {
    ReadReport(first, [&](ReportWindow& report) {
      WhenOpens("frmSaveComparison", [&](QWidget& save) {
        EXPECT_EQ(save.windowTitle(), "Save Comparison Process");
        auto* name = Find<QLineEdit>(save, "txtName");
        EXPECT_TRUE(name->text().endsWith(" - ")) << name->text().toStdString();
        testing::Screenshot(save, "save_comparison");
        name->setText("Views nightly");
        ClickButton(save, "cmdOK");
      });
      ClickButton(report, "cmdSave");
      ui_.file_choices = {exported};
      ClickButton(report, "cmdExport");
    });
  });
  Trigger(*window, "mnuBulkSimpleType_3");
  ASSERT_TRUE(first.opened);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].text, "Comparison process saved successfully.");
  EXPECT_EQ(ui_.messages[1].text.substr(0, 14), "Export info:\r\n");
  SavedComparisonStore store(context_->locations, ui_);
  const SavedProcess saved = store.LoadProcess("Views nightly");
  EXPECT_EQ(saved.comp_type, 1);
  EXPECT_EQ(saved.comp_sub_type, 20);
  EXPECT_EQ(saved.comp_sub_sub_type, 10);
  EXPECT_EQ(saved.enc_obj_types, "0,0,0,1,0,0,0");
  EXPECT_EQ(saved.db_name1, kLive);
  EXPECT_EQ(saved.db_name2, kDev);
  EXPECT_EQ(saved.export_file_path, exported.string());

  // The run: the process is picked in frmSaveCompRun, the comparison starts by itself and the
  // report exports itself to the stored file without asking.
  std::filesystem::remove(exported);
  Choose(*Find<QtListControl>(*window, "pvlDb_1"), kLive);  // the run puts the databases back
  ui_.messages.clear();
  ui_.file_requests.clear();
  SeenReport rerun;
  WhenOpens("frmSaveCompRun", [&](QWidget& dialog) {
    auto* list = Find<QListWidget>(dialog, "lstComps");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "Views nightly");
    testing::Screenshot(dialog, "save_comp_run");
    ClickButton(dialog, "cmdRun");  // nothing selected yet
    list->setCurrentRow(0);
    WhenOpens("frmCompareAllTables", [&](QWidget&) { ReadReport(rerun); });
    ClickButton(dialog, "cmdRun");
  });
  Trigger(*window, "mnuFileRunSavedComp");
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"Please select the comparison process to be run."});
  ASSERT_TRUE(rerun.opened);
  EXPECT_EQ(rerun.text, first.text.substr(0, first.text.find("Time Elapsed")) +
                            rerun.text.substr(rerun.text.find("Time Elapsed")));
  EXPECT_TRUE(ui_.file_requests.empty());
  EXPECT_TRUE(std::filesystem::exists(exported));
  EXPECT_EQ(Find<QtListControl>(*window, "pvlDb_1")->CurrentText(), kDev);
  EXPECT_FALSE(window->IsCommandRunning());
}

TEST_F(StructureWindowsTest, SavedCompareAllTicksItsTypesAndStartsByItself) {
  context_->settings.analyze_constraints = true;
  const auto opened =
      OpenToRun(DemoProcess("All relationships and constraints", 10, "0,0,0,0,0,1,1"));
  MainWindow& window = *opened;
  SeenReport seen;
  WhenOpens("frmCompareAll", [&](QWidget& dialog) {
    // With "AnalyzeConstraints" on the Constraints box is there, and ticked by the process.
    // (The run has begun and hidden the type panel; the box itself is not hidden.)
    EXPECT_FALSE(Find<QCheckBox>(dialog, "chkObjType_6")->isHidden());
    const auto ticked = static_cast<ComparisonRunWindow&>(dialog).TickedTypes();
    EXPECT_EQ(ticked, (std::array<bool, 7>{false, false, false, false, false, true, true}));
    ReadReport(seen);
  });
  window.FirstActivation();
  ASSERT_TRUE(seen.opened);
  EXPECT_NE(seen.text.find("\r\n\r\nComparison of relationships\r\n"), std::string::npos);
  EXPECT_NE(seen.text.find("\r\n\r\nComparison of constraints\r\n"), std::string::npos);
  EXPECT_EQ(seen.text.find("Comparison of tables"), std::string::npos);
  // A re-run's window gets no EncObjTypes of its own and is no longer a saved run once shown.
  EXPECT_EQ(seen.state.object_types, "");
  EXPECT_FALSE(seen.state.running_saved_process);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(StructureWindowsTest, RunDialogShowsPropertiesAndDeletesProcesses) {
  SavedComparisonStore store(context_->locations, ui_);
  for (const char* name : {"First", "Second"})
    ASSERT_TRUE(store.SaveProcess(DemoProcess(name, 10, "1,0,0,0,0,0,0")));
  ui_.messages.clear();
  MainWindow window(*context_);
  WhenOpens("frmSaveCompRun", [&](QWidget& dialog) {
    auto* list = Find<QListWidget>(dialog, "lstComps");
    ASSERT_EQ(list->count(), 2);
    list->setCurrentRow(1);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {},
                      list->visualItemRect(list->item(1)).center());
    ClickButton(dialog, "cmdDelete");  // answered Yes
    EXPECT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "First");
    ClickButton(dialog, "cmdCancel");
  });
  Trigger(window, "mnuFileRunSavedComp");
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].title, "Properties");
  EXPECT_EQ(ui_.messages[0].text.substr(0, 33), "Comparison Process Name: Second\r\n");
  EXPECT_EQ(ui_.messages[1].text, "Are you sure you want to remove comparison process 'Second' ?");
  EXPECT_EQ(store.ProcessNames(), std::vector<std::string>{"First"});
}

TEST_F(StructureWindowsTest, TwoObjectProcessRunsFromTheCommandLineAndExportsItsVerdict) {
  SavedProcess process = DemoProcess("Add order line", 35, "0,1,0,0,0,0,0");
  process.table_name1 = "usp_AddOrderLine";
  process.table_name2 = "usp_AddOrderLine";
  process.export_file_path = (folder_ / "verdict.txt").string();
  auto window = OpenToRun(process);
  SeenReport seen;
  ReadReport(seen);
  window->FirstActivation();
  ASSERT_TRUE(seen.opened) << ::testing::PrintToString(MessageTexts());
  const std::string verdict =
      "Source: embedded:fern.FernhollowLive.usp_AddOrderLine\r\n"
      "Target: embedded:fern.FernhollowDev.usp_AddOrderLine\r\n\r\n"
      "The selected procedures are different.";
  EXPECT_EQ(seen.text, verdict);
  // Exported without a question, as the report window exports a saved run.
  EXPECT_EQ(ReadWholeFile(folder_ / "verdict.txt"), verdict + "\r\n");
  EXPECT_TRUE(ui_.messages.empty()) << ::testing::PrintToString(MessageTexts());
}

TEST_F(StructureWindowsTest, CommandLineRunWithPrintSaysTheReportWasNotPrinted) {
  if (!QPrinterInfo::defaultPrinter().isNull())
    GTEST_SKIP() << "this machine has a default printer";
  SavedProcess process = DemoProcess("Functions", 20, "0,0,1,0,0,0,0");
  process.comp_sub_sub_type = 10;
  process.print = true;
  auto window = OpenToRun(process);
  SeenReport seen;
  WhenOpens("frmCompareAllTables", [&](QWidget&) { ReadReport(seen); });
  window->FirstActivation();
  ASSERT_TRUE(seen.opened);
  EXPECT_NE(seen.text.find("Comparison of functions\r\n"), std::string::npos);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "There is no default printer, so the report was not printed.");
  EXPECT_FALSE(ui_.messages[0].is_question);
  EXPECT_EQ(context_->RunSavedCompId, 0);  // used once
}

// --- CREATE statement, Visualize Differences, help
// ------------------------------------------------

TEST_F(StructureWindowsTest, CreateStatementOfTheSideShowsInTheReportWindow) {
  auto window = OpenWindow();
  Find<QtSelector>(*window, "cmbType")->setCurrentIndex(1);  // procedures
  Choose(*Find<QtListControl>(*window, "pvlSqlObj_0"), "usp_AddOrderLine");
  SeenReport seen;
  ReadReport(seen);
  Trigger(*window, "mnuPopupCreate_0");
  ASSERT_TRUE(seen.opened);
  EXPECT_EQ(seen.title, "SQL CREATE Statement");
  EXPECT_FALSE(seen.state.save_button_visible);
  EXPECT_EQ(seen.text.substr(0, 26), "USE [FernhollowLive]\r\nGO\r\n");
  EXPECT_NE(seen.text.find("usp_AddOrderLine"), std::string::npos);

  // A side without structure text refuses.
  Find<QtTextView>(*window, "txtTXProc_1")->SetText("  ");
  Trigger(*window, "mnuSQLCreate_1");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "Cannot continue - there is no structure displayed for selected object.");
  EXPECT_EQ(ui_.messages[0].title, "Cannot Continue");
}

TEST_F(StructureWindowsTest, VisualizeDifferencesPaintsTheDifferingLines) {
  auto window = OpenWindow();
  Find<QtSelector>(*window, "cmbType")->setCurrentIndex(1);
  Choose(*Find<QtListControl>(*window, "pvlSqlObj_0"), "usp_AddOrderLine");
  Choose(*Find<QtListControl>(*window, "pvlSqlObj_1"), "usp_AddOrderLine");
  QtTextView* source = Find<QtTextView>(*window, "txtTXProc_0");
  QtTextView* target = Find<QtTextView>(*window, "txtTXProc_1");
  ASSERT_NE(source->Text(), target->Text());
  auto painted = [](const QtTextView& view) {
    for (int position = 0; position < view.Length(); ++position) {
      if (view.BackgroundAt(position).has_value())
        return true;
    }
    return false;
  };
  EXPECT_FALSE(painted(*source));
  Trigger(*window, "mnuPopupVisualize_1");
  EXPECT_TRUE(painted(*source));
  EXPECT_TRUE(painted(*target));
  EXPECT_TRUE(ui_.messages.empty());
  testing::Screenshot(*window, "main_window_differences");
}

TEST_F(StructureWindowsTest, HelpOpensTheTopicPagesThatShipWithTheProgram) {
  auto window = OpenWindow();
  Trigger(*window, "mnuHelpIndex");
  Trigger(*window, "mnuHelpSupport");
  Find<QPushButton>(*window, "cmdHelp")->click();
  const std::filesystem::path help = context_->locations.help_folder;
  EXPECT_EQ(ui_.opened, (std::vector<std::string>{(help / "main_window.html").string(),
                                                  (help / "technical_support.html").string(),
                                                  (help / "main_window.html").string()}));
  // Every topic a window opens has its page in the sources.
  for (int topic : {10, 160, 230, 250}) {
    const std::filesystem::path page = std::filesystem::path(KORVANE_SOURCE_DIR) / "docs/help" /
                                       HelpTopicPage(context_->locations, topic).filename();
    EXPECT_TRUE(std::filesystem::exists(page)) << page;
  }
  EXPECT_EQ(HelpTopicPage(context_->locations, 160).filename(), "selective_comparison.html");
  EXPECT_EQ(HelpTopicPage(context_->locations, 250).filename(), "saved_processes.html");
  EXPECT_EQ(HelpTopicPage(context_->locations, 999).filename(), "main_window.html");

  ui_.open_result = 1;
  Trigger(*window, "mnuHelpIndex");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
}

}  // namespace
}  // namespace korvane
