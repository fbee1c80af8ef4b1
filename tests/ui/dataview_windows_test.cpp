// The data view, the data analyzer and the ignored-column editor and viewer driven headless,
// on their own and from the main window, on the demo databases loaded into an embedded server.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>

#include "app/settings.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/server_list.h"
#include "dialog_test_support.h"
#include "saved/ignored_columns.h"
#include "ui/data_analyze_window.h"
#include "ui/data_view_window.h"
#include "ui/ignore_columns_dialogs.h"
#include "ui/main_window.h"
#include "ui/qt_list_control.h"
#include "ui/qt_selector.h"
#include "ui/qt_text_view.h"

namespace korvane {
namespace {

using testing::ReadFile;

constexpr const char* kServer = "embedded:demo";

class DataViewWindowsTest : public testing::DemoWindowTest {
 protected:
  static void SetUpTestSuite() { LoadDemo(kServer, false); }

  void SetUp() override {
    UseDemoCopy(kServer);
    if (HasFatalFailure())
      return;
    ServerRecord& server = context_->CurrentServers[kSource];
    server.Name = kServer;
    server.Version = "9.00.5000.00";
    server.NumVersion = 9;
  }

  // The main window with FernhollowLive on the left and `table` selected there.
  std::unique_ptr<MainWindow> OpenOn(const std::string& table) {
    return OpenDemoWindow("FernhollowLive", "", table);
  }

  static ViewedTable Table(const std::string& name) { return {kSource, "FernhollowLive", name, 0}; }
};

TEST_F(DataViewWindowsTest, MainWindowOffersTheCommands) {
  auto window = OpenOn("");
  const std::pair<const char*, const char*> buttons[] = {
      {"cmdViewData_0", "View data stored in selected table (Alt + V)"},
      {"cmdViewData_1", "View data stored in selected table (Alt + W)"},
      {"cmdAnalyzeData_0", "Analyze Data in Table"},
      {"cmdAnalyzeData_1", "Analyze Data in Table"}};
  for (const auto& [name, tip] : buttons) {
    auto* button = Find<QPushButton>(*window, name);
    EXPECT_TRUE(button->isEnabled()) << name;
    EXPECT_EQ(button->toolTip(), tip);
  }
  for (const char* name :
       {"mnuToolsAnalyze_0", "mnuToolsAnalyze_1", "mnuToolsIgnoredData", "mnuToolsIgnoredStruct",
        "mnuPopupIgnoreColumns_0", "mnuPopupIgnoreColumns_1"})
    EXPECT_TRUE(Find<QAction>(*window, name)->isEnabled()) << name;
  // Another object type than tables: refused.
  Find<QtSelector>(*window, "cmbType")->setCurrentIndex(3);  // Views
  ui_.messages.clear();
  for (const char* name : {"cmdViewData_0", "cmdAnalyzeData_1"}) {
    Click(*window, name);
    ASSERT_FALSE(ui_.messages.empty()) << name;
    EXPECT_TRUE(ui_.messages.back().text.starts_with(
        "This functionality is enabled only when Tables are selected as active objects.\r\n"))
        << name;
  }
  EXPECT_EQ(ui_.messages.size(), 2u);
}

TEST_F(DataViewWindowsTest, DataViewLoadsEveryRowInItsColours) {
  CountedTable counted = CountViewedTable(*context_, Table("Customers"));
  ASSERT_TRUE(counted.opened);
  DataViewWindow window(*context_, Table("Customers"), counted);
  window.show();
  window.LoadData();
  EXPECT_EQ(window.objectName(), "frmDataView");
  EXPECT_EQ(window.windowTitle(), "View Data");
  EXPECT_EQ(Find<QLabel>(window, "lblTable")->text(),
            "Table: Customers (Database: FernhollowLive, Server: embedded:demo)");
  EXPECT_EQ(Find<QLabel>(window, "lblStatistics")->text(), "Number of records: 40");
  EXPECT_EQ(Find<QLabel>(window, "lblCurrentRecord")->text(), "40");
  auto* view = Find<QTableView>(window, "grdData");
  QAbstractItemModel* model = view->model();
  ASSERT_EQ(model->rowCount(), 40);
  EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Row");
  EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "CustomerID");
  EXPECT_EQ(model->index(0, 0).data().toString(), "1");
  EXPECT_EQ(model->index(2, 3).data().toString(), "Null");
  EXPECT_EQ(model->index(0, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 128));
  EXPECT_EQ(model->index(1, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(0, 255, 255));
  EXPECT_EQ(view->columnWidth(0), 36);  // 540 twips
  EXPECT_EQ(view->columnWidth(1), 96);  // 1440 twips
  EXPECT_FALSE(Find<QPushButton>(window, "cmdStop")->isVisible());
  EXPECT_TRUE(Find<QPushButton>(window, "cmdExport")->isVisible());
  testing::Screenshot(window, "data_view");
}

TEST_F(DataViewWindowsTest, StopKeepsTheLoadedRowsAndEmptyRowsBelow) {
  CountedTable counted = CountViewedTable(*context_, Table("Customers"));
  DataViewWindow window(*context_, Table("Customers"), counted);
  window.show();
  QObject::connect(&window, &DataViewWindow::rowShown, [&window](qint64 row) {
    if (row == 11)
      window.findChild<QPushButton*>("cmdStop")->click();
  });
  window.LoadData();
  QAbstractItemModel* model = Find<QTableView>(window, "grdData")->model();
  ASSERT_EQ(model->rowCount(), 40);
  EXPECT_EQ(window.load().loaded, 10);
  EXPECT_EQ(model->index(9, 0).data().toString(), "10");
  EXPECT_EQ(model->index(10, 0).data().toString(), "");
  EXPECT_EQ(model->index(39, 1).data().toString(), "");
  EXPECT_TRUE(Find<QPushButton>(window, "cmdExport")->isVisible());
}

TEST_F(DataViewWindowsTest, ViewDataFromTheMainWindow) {
  auto window = OpenOn("Customers");
  bool seen = false;
  testing::WhenOpens("frmDataView", [&](QWidget& view) {
    seen = true;
    EXPECT_EQ(Find<QLabel>(view, "lblStatistics")->text(), "Number of records: 40");
    testing::ClickButton(view, "cmdExit");
  });
  Click(*window, "cmdViewData_0");
  EXPECT_TRUE(seen);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DataViewWindowsTest, AnalyzerRunsAndReadsItsRecordsField) {
  CountedTable counted = CountViewedTable(*context_, Table("Customers"));
  ASSERT_TRUE(counted.opened);
  DataAnalyzeWindow window(*context_, Table("Customers"), counted);
  window.show();
  EXPECT_EQ(window.objectName(), "frmDataAnalyze");
  EXPECT_EQ(window.windowTitle(), "Data Analyzer     Table: Customers");
  EXPECT_TRUE(Find<QLabel>(window, "lblInstructions")
                  ->text()
                  .startsWith("Click button 'Start' (or press F5) to analyze data."));
  Click(window, "cmdExport");
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"There is no data to be exported."}));
  Click(window, "cmdPrint");
  EXPECT_EQ(MessageTexts().back(), "There is no data to be printed.");

  // A number with group separators reads back as the same number; a too long one means all.
  const std::pair<std::string, std::string> records[] = {
      {"2", "2"}, {"99,999,999,999,999,999,999", std::to_string(counted.count)}};
  for (const auto& [typed, shown] : records) {
    Retype(window, "txtRecords", typed.c_str());
    Click(window, "cmdStart");
    EXPECT_EQ(Find<QLineEdit>(window, "txtRecords")->text().toStdString(), shown) << typed;
  }
  auto* grid = Find<QTableWidget>(window, "rptData");
  ASSERT_EQ(grid->columnCount(), 23);
  ASSERT_GT(grid->rowCount(), 0);
  EXPECT_EQ(grid->horizontalHeaderItem(3)->text(), "Value 1");
  EXPECT_EQ(grid->item(0, 0)->text(), "CustomerID");
  EXPECT_EQ(window.report().size(), static_cast<std::size_t>(grid->rowCount()));
  EXPECT_EQ(grid->item(0, 2)->text(), "40");  // every CustomerID once
  EXPECT_TRUE(ui_.messages.size() == 2u) << MessageTexts().back();
  testing::Screenshot(window, "data_analyzer");
}

TEST_F(DataViewWindowsTest, IgnoreEditorSavesTheUntickedColumns) {
  IgnoreColumnsAddDialog dialog(
      *context_, OpenIgnoreEditor(*context_, IgnoredColumnsKind::Structure, Table("Customers")));
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Ignore Columns - Structure Comparison");
  auto* list = Find<QtListControl>(dialog, "pvlColumns");
  ASSERT_GT(list->RowCount(), 1);
  for (int row = 0; row < list->RowCount(); ++row)
    EXPECT_TRUE(list->IsChecked(row));
  testing::Screenshot(dialog, "ignore_columns_add");
  // Nothing ticked: refused, the dialog stays.
  for (int row = 0; row < list->RowCount(); ++row)
    list->SetChecked(row, false);
  testing::ClickButton(dialog, "cmdOK");
  EXPECT_EQ(
      MessageTexts(),
      (std::vector<std::string>{"Please select at least one column or click Cancel button."}));
  EXPECT_FALSE(dialog.saved());
  list->SetChecked(0, true);
  testing::ClickButton(dialog, "cmdOK");
  EXPECT_TRUE(dialog.saved());
  const std::vector<std::string> saved = GetIgnoredColumns(
      context_->locations, IgnoredColumnsKind::Structure, "embedded:demo.FernhollowLive.Customers");
  EXPECT_EQ(saved.size(), static_cast<std::size_t>(list->RowCount() - 1));
}

TEST_F(DataViewWindowsTest, IgnoreColumnsFromThePaneSavesTheStructureList) {
  auto window = OpenOn("Customers");
  auto* pane = Find<QtTextView>(*window, "txtTXProc_0");
  ASSERT_NE(pane->Text().find("[Email]"), std::string::npos) << pane->Text();
  testing::WhenOpens("frmIgnoreColumnsAdd", [](QWidget& dialog) {
    auto* list = dialog.findChild<QtListControl*>("pvlColumns");
    for (int row = 0; row < list->RowCount(); ++row)
      list->SetChecked(row, list->Cell(row, 0) != "Email");
    testing::ClickButton(dialog, "cmdOK");
  });
  window->StructureMenu(kSource)->findChild<QAction*>("mnuPopupIgnoreColumns_0")->trigger();
  EXPECT_EQ(GetIgnoredColumns(context_->locations, IgnoredColumnsKind::Structure,
                              "embedded:demo.FernhollowLive.Customers"),
            (std::vector<std::string>{"Email"}));
  EXPECT_NE(pane->Text().find("[CustomerID]"), std::string::npos);  // drawn again
}

TEST_F(DataViewWindowsTest, ViewerListsEveryIgnoredColumnOfItsKind) {
  ASSERT_TRUE(SaveIgnoredColumns(context_->locations, IgnoredColumnsKind::Data,
                                 "embedded:demo.FernhollowLive.Customers", {"Email", "Phone"},
                                 ui_));
  auto window = OpenOn("");
  testing::WhenOpens("frmIgnoreColumnsView", [this](QWidget& viewer) {
    EXPECT_EQ(viewer.windowTitle(), "Ignore Columns - Data Comparison");
    EXPECT_EQ(Find<QLabel>(viewer, "lblText")->text(),
              "The columns listed below are ignored during data comparisons.");
    EXPECT_EQ(Find<QLabel>(viewer, "lblCount")->text(), "Number of columns listed: 2");
    auto* list = Find<QtListControl>(viewer, "pvlIgnoredColumns");
    EXPECT_EQ(list->RowCount(), 2);
    EXPECT_EQ(list->Cell(1, 3), "Phone");
    testing::ClickButton(viewer, "cmdClipboard");
    testing::Screenshot(viewer, "ignore_columns_view");
    testing::ClickButton(viewer, "cmdClose");
  });
  Find<QAction>(*window, "mnuToolsIgnoredData")->trigger();
  EXPECT_EQ(ui_.clipboard,
            "embedded:demo, FernhollowLive, Customers, Email\r\n"
            "embedded:demo, FernhollowLive, Customers, Phone\r\n");
}

}  // namespace
}  // namespace korvane
