// The data comparison windows driven headless: the options dialog, the progress dialog with its
// Stop button, the differences window and its grid model, and the main window's compare-data
// command on the two demo databases loaded into an embedded server.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/settings.h"
#include "base/files.h"
#include "datacomp/compare_status.h"
#include "datacomp/data_compare_start.h"
#include "datacomp/table_comp_settings.h"
#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/server_list.h"
#include "dialog_test_support.h"
#include "saved/ignored_columns.h"
#include "saved/saved_comparison_store.h"
#include "ui/compare_all_tables_data_dialog.h"
#include "ui/compare_data_options_dialog.h"
#include "ui/compare_data_window.h"
#include "ui/compare_status_dialog.h"
#include "ui/data_diff_grid_model.h"
#include "ui/data_diff_grid_view.h"
#include "ui/export_dialog.h"
#include "ui/main_window.h"
#include "ui/qt_list_control.h"
#include "ui/qt_selector.h"
#include "ui/qt_text_view.h"

namespace korvane {
namespace {

using testing::Choose;
using testing::WhenShown;

using testing::ReadFile;

constexpr const char* kServer = "embedded:demo";

// For as long as it lives, closes the top-level window named `name` whenever a modal loop shows
// it, noting that it was shown. Its checks end with it, so nothing outlives the test.
class CloseWhenShown {
 public:
  explicit CloseWhenShown(const QString& name) {
    QObject::connect(&timer_, &QTimer::timeout, [this, name] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name && widget->isVisible()) {
          shown_ = true;
          widget->close();
        }
      }
    });
    timer_.start(5);
  }
  bool shown() const { return shown_; }

 private:
  QTimer timer_;
  bool shown_ = false;
};

int RowOf(const QtListControl& list, const std::string& text) {
  for (int row = 0; row < list.RowCount(); ++row) {
    if (list.Cell(row, 0) == text)
      return row;
  }
  ADD_FAILURE() << text << " is not listed";
  return -1;
}

// Ticks or unticks a column list row as a click on its box does.
void Tick(QtListControl& list, const std::string& column, bool ticked) {
  const int row = RowOf(list, column);
  if (row >= 0)
    list.topLevelItem(row)->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
}

std::string CellText(const DataDiffGridModel& model, int row, int column) {
  return model.data(model.index(row, column), Qt::DisplayRole).toString().toStdString();
}

QColor Background(const DataDiffGridModel& model, int row, int column) {
  return model.data(model.index(row, column), Qt::BackgroundRole).value<QColor>();
}

QColor Foreground(const DataDiffGridModel& model, int row, int column) {
  return model.data(model.index(row, column), Qt::ForegroundRole).value<QColor>();
}

// --- The grid model and the differences window ---------------------------------------------------

class DataDiffGridTest : public testing::WindowTest {
 protected:
  DataDiffGridTest() {
    window_.caption = "Differences between data in tables 'Items' and 'Items'";
    window_.table_labels = {"Source Table: Items (Database: Live, Server: S)",
                            "Target Table: Items (Database: Dev, Server: S)"};
    window_.grid.LoadData({"ID", "Name"});
    window_.grid.AddRecordToGrid_MarkDiff(1, {"2", "Rake"}, {"2", "Garden rake"}, kSourceDiffColour,
                                          kTargetDiffColour);
    window_.grid.AddRecordToGrid(2, {"4", "Fork"}, kSourceOnlyColour);
    window_.grid.AddRecordToGrid(1, {"5", "Trowel"}, kTargetOnlyColour);
    window_.grid.SetStatistics(4, 4, 3);
    ShowUpDifferencesWindow(window_, kCompMethodPrimaryKey,
                            {{{"ID", "No Field", "No Field"}, {"ID", "No Field", "No Field"}}},
                            {"Price"}, {});
  }

  DataDifferencesWindow window_;
};

TEST_F(DataDiffGridTest, ModelGivesTextsRowColoursAndRedCells) {
  DataDiffGridModel model(window_.grid);
  ASSERT_EQ(model.rowCount(), 4);
  ASSERT_EQ(model.columnCount(), 3);
  EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Row");
  EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Name");
  EXPECT_EQ(CellText(model, 1, 0), "1");
  EXPECT_EQ(CellText(model, 1, 2), "Garden rake");
  // The row colours of the record comparison: cyan, pale yellow, pale green, pale orange.
  EXPECT_EQ(Background(model, 0, 1), QColor(0, 255, 255));
  EXPECT_EQ(Background(model, 1, 1), QColor(255, 255, 128));
  EXPECT_EQ(Background(model, 2, 2), QColor(192, 255, 192));
  EXPECT_EQ(Background(model, 3, 2), QColor(255, 224, 192));
  EXPECT_EQ(Background(model, 0, 0), kFixedCellColour);  // the fixed column
  // The differing cell is red in both rows of the pair, the others black.
  EXPECT_EQ(Foreground(model, 0, 2), QColor(255, 0, 0));
  EXPECT_EQ(Foreground(model, 1, 2), QColor(255, 0, 0));
  EXPECT_EQ(Foreground(model, 0, 1), QColor(0, 0, 0));
  EXPECT_EQ(Foreground(model, 2, 2), QColor(0, 0, 0));
  // Outside the grid nothing.
  EXPECT_FALSE(model.data(model.index(9, 0), Qt::DisplayRole).isValid());
}

TEST_F(DataDiffGridTest, WindowShowsTheLabelsStatisticsAndAFixedRowColumn) {
  CompareDataWindow window(*context_, window_);
  EXPECT_EQ(window.windowTitle(), "Differences between data in tables 'Items' and 'Items'");
  EXPECT_EQ(Find<QLabel>(window, "lblTable_0")->text(),
            "Source Table: Items (Database: Live, Server: S)");
  EXPECT_EQ(Find<QLabel>(window, "lblTable_1")->text(),
            "Target Table: Items (Database: Dev, Server: S)");
  EXPECT_EQ(Find<QLabel>(window, "lblInfo")->text(),
            "Comparison method: Primary Key \nSource PK: ID\nTarget PK: ID");
  window.show();
  EXPECT_TRUE(Find<QLabel>(window, "lblIgnoredColumns")->isVisible());
  EXPECT_EQ(Find<QLabel>(window, "lblIgnoredColumns")->text(), "Ignored Column: Price");
  EXPECT_FALSE(Find<QLabel>(window, "lblNote")->isVisible());
  const char* stats[] = {
      "Records in Source table:", "Records in Target table:", "Different records:", "4", "4", "3"};
  for (int i = 0; i < 6; ++i) {
    const std::string name = "lblStats_" + std::to_string(i);
    EXPECT_EQ(Find<QLabel>(window, name.c_str())->text(), stats[i]) << name;
  }
  DataDiffGridView* grid = window.grid();
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->model(), window.model());
  // 540 and 1440 twips at the screen's resolution.
  const int dpi = grid->logicalDpiX();
  EXPECT_EQ(grid->columnWidth(0), 540 * dpi / 1440);
  EXPECT_EQ(grid->columnWidth(1), 1440 * dpi / 1440);
  // The fixed column shows column 0 only and moves with the grid's rows.
  QTableView* fixed = grid->FixedColumn();
  EXPECT_TRUE(fixed->isVisible());
  EXPECT_FALSE(fixed->isColumnHidden(0));
  EXPECT_TRUE(fixed->isColumnHidden(1));
  EXPECT_EQ(fixed->width(), grid->columnWidth(0));
}

TEST_F(DataDiffGridTest, ManyThousandsOfRowsAreReadThroughTheModel) {
  DataDifferencesWindow big = window_;
  for (int i = 0; i < 20000; ++i)
    big.grid.AddRecordToGrid(i + 3, {std::to_string(i), "n" + std::to_string(i)},
                             kSourceOnlyColour);
  CompareDataWindow window(*context_, big);
  window.show();
  EXPECT_EQ(window.model()->rowCount(), 20004);
  // No widget per cell: the window's widgets do not grow with the rows.
  EXPECT_LT(window.findChildren<QWidget*>().size(), 80);
  window.grid()->scrollToBottom();
  EXPECT_EQ(CellText(*window.model(), 20003, 2), "n19999");
  const QModelIndex last = window.model()->index(20003, 1);
  EXPECT_TRUE(window.grid()->viewport()->rect().intersects(window.grid()->visualRect(last)));
  // The fixed column follows the rows; a row chosen by its number comes into view.
  QTableView* fixed = window.grid()->FixedColumn();
  EXPECT_EQ(fixed->verticalScrollBar()->value(), window.grid()->verticalScrollBar()->value());
  window.grid()->scrollTo(window.model()->index(10, 0));
  EXPECT_TRUE(window.grid()->viewport()->rect().intersects(
      window.grid()->visualRect(window.model()->index(10, 1))));
  EXPECT_EQ(fixed->verticalScrollBar()->value(), window.grid()->verticalScrollBar()->value());
}

TEST_F(DataDiffGridTest, TheNoteShowsWhenTheGridCannotHoldEveryDifference) {
  window_.note_label = NotAllShownLabel(1000);
  window_.note_visible = true;
  window_.ignored_columns_label.clear();
  window_.ignored_columns_visible = false;
  CompareDataWindow window(*context_, window_);
  window.show();
  EXPECT_TRUE(Find<QLabel>(window, "lblNote")->isVisible());
  EXPECT_EQ(Find<QLabel>(window, "lblNote")->text(),
            "Only first 1,000 different records are shown");
  EXPECT_FALSE(Find<QLabel>(window, "lblIgnoredColumns")->isVisible());
}

// --- The export dialog ------------------------------------------------------------------------

// Exports the window's grid through its export button: the dialog with `option` ticked, the
// file chosen in the save dialog.
void ExportThroughTheWindow(CompareDataWindow& window, const char* option, bool* seen) {
  WhenShown("frmExport", [option, seen](QWidget& dialog) {
    *seen = true;
    EXPECT_EQ(dialog.windowTitle(), "Export");
    EXPECT_EQ(dialog.findChild<QRadioButton*>("optExport_0")->text(),
              "Hyper Text Markup Language (HTML) file");
    EXPECT_EQ(dialog.findChild<QRadioButton*>("optExport_1")->text(),
              "Excel - Comma Separated Values (CSV) file");
    EXPECT_TRUE(dialog.findChild<QRadioButton*>("optExport_0")->isChecked());
    QRadioButton* button = dialog.findChild<QRadioButton*>(option);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    dialog.findChild<QPushButton*>("cmdOK")->click();
  });
  window.findChild<QPushButton*>("cmdExport")->click();
}

TEST_F(DataDiffGridTest, ExportWritesCsvWithQuotesAndOpensItOnYes) {
  window_.grid.AddRecordToGrid(3, {"6", " Hoe, long "}, kSourceOnlyColour);
  CompareDataWindow window(*context_, window_);
  window.show();
  const std::filesystem::path file = folder_ / "out.csv";
  ui_.file_choices.push_back(file);
  ui_.answers = {Answer::kYes, Answer::kYes};  // quotes; view it now
  bool seen = false;
  ExportThroughTheWindow(window, "optExport_1", &seen);
  EXPECT_TRUE(seen);
  ASSERT_EQ(ui_.file_requests.size(), 1u);
  EXPECT_EQ(ui_.file_requests[0].title, "Save Excel - (C)omma (S)eparated (V)alues Export File");
  EXPECT_EQ(ReadFile(file),
            "\"Row\",\"ID\",\"Name\"\r\n"
            "\"1\",\"2\",\"Rake\"\r\n"
            "\"1\",\"2\",\"Garden rake\"\r\n"
            "\"2\",\"4\",\"Fork\"\r\n"
            "\"1\",\"5\",\"Trowel\"\r\n"
            "\"3\",\"6\",\"Hoe, long\"\r\n");
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].title, "Comma Delimited File");
  EXPECT_EQ(ui_.messages[1].title, "Comma Delimited File Generated");
  ASSERT_EQ(ui_.opened.size(), 1u);
  EXPECT_EQ(ui_.opened[0], file.string());
}

TEST_F(DataDiffGridTest, ExportWritesHtmlInTheGridColoursWithTheStatistics) {
  CompareDataWindow window(*context_, window_);
  window.show();
  const std::filesystem::path file = folder_ / "out.htm";
  ui_.file_choices.push_back(file);
  ui_.answers = {Answer::kNo};  // not viewed now
  bool seen = false;
  ExportThroughTheWindow(window, "optExport_0", &seen);
  EXPECT_TRUE(seen);
  const std::string html = ReadFile(file);
  EXPECT_EQ(html.rfind("<HTML><HEAD><TITLE>Data Differences </TITLE></HEAD>\r\n", 0), 0u) << html;
  EXPECT_NE(html.find("<p align='center'><b> Differences between data in tables 'Items' and "
                      "'Items'</b><p> Source Table: Items (Database: Live, Server: S)<br> "
                      "Target Table: Items (Database: Dev, Server: S)<p>\r\n"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("<TD BGCOLOR = 00FFFF><FONT COLOR = FF0000>&nbsp Rake &nbsp</TD>"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("<TD BGCOLOR = FFE0C0><FONT COLOR = 000000>&nbsp Trowel &nbsp</TD>"),
            std::string::npos);
  EXPECT_NE(html.find("</TABLE></BODY></HTML>\r\n<p align='center'><b> Records in Source "
                      "table: 4<br> Records in Target table: 4<br> Different records: 3</b>"),
            std::string::npos)
      << html;
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].title, "HTML Code Generated");
  EXPECT_TRUE(ui_.opened.empty());
}

TEST_F(DataDiffGridTest, CancelledSaveDialogWritesNothing) {
  CompareDataWindow window(*context_, window_);
  window.show();
  bool seen = false;
  ExportThroughTheWindow(window, "optExport_1", &seen);  // no file chosen
  EXPECT_TRUE(seen);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "The export operation was cancelled.");
  EXPECT_EQ(ui_.messages[0].title, "Comma Delimited Export File");
}

TEST_F(DataDiffGridTest, AnExportOfASavedProcessIsAttachedToIt) {
  SavedComparisonStore store(context_->locations, ui_);
  SavedProcess process;
  process.name = "Nightly items";
  process.comp_type = kCompTypeData;
  process.comp_sub_type = kCompSubTypeDataSingleTable;
  process.comp_method = kCompMethodPrimaryKey;
  ASSERT_TRUE(store.SaveProcess(process));
  CompareDataWindow window(*context_, window_, process);
  window.show();
  EXPECT_TRUE(window.findChild<QPushButton*>("cmdSave")->isEnabled());
  const std::filesystem::path file = folder_ / "nightly.csv";
  ui_.file_choices.push_back(file);
  ui_.answers = {Answer::kNo, Answer::kNo};
  bool seen = false;
  ExportThroughTheWindow(window, "optExport_1", &seen);
  ASSERT_FALSE(ui_.messages.empty());
  EXPECT_EQ(ui_.messages.back().text,
            "Export info:\r\n- export file:" + file.string() +
                "\r\n- export type:Excel - Comma Separated Values (CSV) file\r\n"
                "was added to the saved comparison process:\r\n- process name:Nightly items\r\n"
                "Next time when this process is run, the program will automatically export data "
                "to the above file.");
  const SavedProcess stored = store.LoadProcessKeys("Nightly items");
  EXPECT_EQ(stored.export_file_path, file.string());
  EXPECT_EQ(stored.export_type, kExportTypeCsv);
  testing::Screenshot(window, "compare_data_window_small");
}

TEST_F(DataDiffGridTest, CancelWhileTheRowsAreWrittenKeepsWhatWasWritten) {
  const std::filesystem::path file = folder_ / "part.csv";
  ui_.file_choices.push_back(file);
  ui_.answers = {Answer::kNo};  // no quotes
  ExportDialog dialog(*context_, 1, window_.grid, DifferencesWindowPage(window_));
  dialog.show();
  std::vector<qint64> rows;
  QObject::connect(&dialog, &ExportDialog::rowShown, [&](qint64 row) {
    rows.push_back(row);
    EXPECT_EQ(Find<QLabel>(dialog, "lblProgress")->text(), QString("%1 of 4").arg(row));
    if (row == 2)
      Click(dialog, "cmdCancel");  // row 2 is written, the flag stops row 3
  });
  Click(dialog, "optExport_1");
  Click(dialog, "cmdOK");
  EXPECT_EQ(rows, (std::vector<qint64>{1, 2}));
  ASSERT_TRUE(dialog.outcome().has_value());
  EXPECT_EQ(dialog.outcome()->status, ExportStatus::kCancelled);
  EXPECT_EQ(ReadFile(file), "Row,ID,Name\r\n1,2,Rake\r\n1,2,Garden rake\r\n");
  EXPECT_EQ(ui_.messages.back().text, "Operation cancelled by user.");
  EXPECT_FALSE(context_->cancel_requested);
}

TEST_F(DataDiffGridTest, SavedFromTheWindowThenExportedTheExportIsAttached) {
  CompareDataWindow window(*context_, window_, SavedProcess{});
  window.show();
  WhenShown("frmSaveComparison", [&](QWidget& dialog) {
    Retype(dialog, "txtName", "Items by key");
    Click(dialog, "cmdOK");
  });
  Click(window, "cmdSave");
  EXPECT_EQ(window.saved_process_name(), "Items by key");
  const std::filesystem::path file = folder_ / "items.htm";
  ui_.file_choices.push_back(file);
  ui_.answers = {Answer::kNo};
  bool seen = false;
  ExportThroughTheWindow(window, "optExport_0", &seen);
  EXPECT_TRUE(seen);
  SavedComparisonStore store(context_->locations, ui_);
  const SavedProcess stored = store.LoadProcessKeys("Items by key");
  EXPECT_EQ(stored.export_file_path, file.string());
  EXPECT_EQ(stored.export_type, kExportTypeHtml);
  EXPECT_NE(ui_.messages.back().text.find("- process name:Items by key"), std::string::npos);
}

// --- The progress dialog ------------------------------------------------------------------------

class CompareStatusDialogTest : public testing::WindowTest {};

TEST_F(CompareStatusDialogTest, StagesAndLabels) {
  CompareStatusDialog dialog(*context_);
  dialog.Load({"S1", "S2"}, {"Live", "Dev"}, {"Items", "Goods"});
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(Find<QLabel>(dialog, "lblTable_0")->text(), "S1.Live.Items");
  EXPECT_EQ(Find<QLabel>(dialog, "lblTable_1")->text(), "S2.Dev.Goods");

  dialog.ShowStage(kCountingSourceStage);
  EXPECT_EQ(Find<QLabel>(dialog, "lblStatus")->text(), "Counting records in first table...");
  EXPECT_TRUE(Find<QLabel>(dialog, "lblStatus")->isVisible());
  EXPECT_EQ(Find<QLabel>(dialog, "lblCount_0")->text(), "Counting...");
  EXPECT_EQ(Find<QLabel>(dialog, "lblCount_1")->text(), "N/A");
  EXPECT_EQ(Find<QLabel>(dialog, "lblCurrentRecord")->text(), "N/A");
  EXPECT_FALSE(Find<QProgressBar>(dialog, "prgCompare")->isVisible());
  EXPECT_FALSE(Find<QLabel>(dialog, "lblTimeElapsed")->isVisible());
  dialog.ShowCount(kSource, "1,234");
  dialog.ShowStage(kCountingTargetStage);
  EXPECT_EQ(Find<QLabel>(dialog, "lblCount_0")->text(), "1,234");
  EXPECT_EQ(Find<QLabel>(dialog, "lblCount_1")->text(), "Counting...");
  EXPECT_EQ(Find<QLabel>(dialog, "lblStatus")->text(), "Counting records in second table...");
  dialog.ShowStage(kReadingSourceStage);
  EXPECT_EQ(Find<QLabel>(dialog, "lblStatus")->text(), "Getting data from first table...");
  dialog.ShowStage(kReadingTargetStage);
  EXPECT_EQ(Find<QLabel>(dialog, "lblStatus")->text(), "Getting data from second table...");

  dialog.ShowStage(kComparingStage);
  EXPECT_FALSE(Find<QLabel>(dialog, "lblStatus")->isVisible());
  EXPECT_TRUE(Find<QProgressBar>(dialog, "prgCompare")->isVisible());
  EXPECT_TRUE(Find<QLabel>(dialog, "lblTimeElapsed")->isVisible());
  clock_.Advance(std::chrono::seconds(3725));
  dialog.ShowProgress("2,000", 40);
  dialog.UpdateTimeElapsed();
  EXPECT_EQ(Find<QLabel>(dialog, "lblCurrentRecord")->text(), "2,000");
  EXPECT_EQ(Find<QProgressBar>(dialog, "prgCompare")->value(), 40);
  EXPECT_EQ(Find<QLabel>(dialog, "lblTimeElapsed")->text(), "01:02:05");
  testing::Screenshot(dialog, "compare_status");

  dialog.Unload();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(context_->cancel_requested);
}

TEST_F(CompareStatusDialogTest, StopAndEscSetTheCancelFlagAndClose) {
  CompareStatusDialog dialog(*context_);
  dialog.Load({"S", "S"}, {"A", "B"}, {"T", "T"});
  dialog.ShowStage(kCountingSourceStage);
  Click(dialog, "cmdStop");
  EXPECT_TRUE(context_->cancel_requested);
  EXPECT_FALSE(dialog.isVisible());
  // Later states of the same run do not bring it back.
  dialog.ShowStage(kCountingTargetStage);
  EXPECT_FALSE(dialog.isVisible());

  context_->cancel_requested = false;
  dialog.Load({"S", "S"}, {"A", "B"}, {"T", "T"});
  EXPECT_TRUE(dialog.isVisible());
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_TRUE(context_->cancel_requested);
  EXPECT_FALSE(dialog.isVisible());
}

// --- The main window's data commands
// --------------------------------------------------------------

class DataCommandsTest : public testing::WindowTest {};

TEST_F(DataCommandsTest, CompareDataButtonAndMenuItemsAreThere) {
  MainWindow window(*context_);
  auto* button = Find<QPushButton>(window, "cmdCompData");
  EXPECT_TRUE(button->isEnabled());
  EXPECT_EQ(button->text(), "Compare &Data");
  EXPECT_EQ(button->toolTip(), "Compare data in selected tables  (F9)");
  const std::pair<const char*, const char*> items[] = {
      {"mnuDataCompSingle", "Compare &Data in Single Pair of Tables"},
      {"mnuDataCompSelected", "Compare Data in &Selected Tables"},
      {"mnuDataCompAll", "Compare Data in &All Tables"}};
  for (const auto& [name, caption] : items) {
    auto* item = Find<QAction>(window, name);
    EXPECT_TRUE(item->isEnabled()) << name;
    EXPECT_EQ(item->text(), caption) << name;
  }
}

// --- On the demo databases
// ------------------------------------------------------------------------

class DemoDataTest : public testing::DemoWindowTest {
 protected:
  // Both demo databases are loaded once; every test starts from a copy of that server.
  static void SetUpTestSuite() { LoadDemo(kServer, true); }

  void SetUp() override {
    UseDemoCopy(kServer);
    if (HasFatalFailure())
      return;
    context_->settings.auto_sel_target_obj = true;
  }

  // The main window with FernhollowLive on the left, FernhollowDev on the right and `table`
  // selected on both sides.
  std::unique_ptr<MainWindow> OpenOn(const std::string& table) {
    auto window = OpenDemoWindow("FernhollowLive", "FernhollowDev", table);
    EXPECT_EQ(Find<QtListControl>(*window, "pvlSqlObj_1")->CurrentText(), table);
    return window;
  }

  std::string Key(const std::string& database, const std::string& table) const {
    return std::string(kServer) + "." + database + "." + table;
  }
};

TEST_F(DemoDataTest, CustomersByKeyFromTheMainWindow) {
  auto window = OpenOn("Customers");
  bool options_seen = false;
  bool differences_seen = false;
  WhenShown("frmCompareDataOptions", [&](QWidget& dialog) {
    options_seen = true;
    // The structures differ (LoyaltyTier is new): the question came first and was answered Yes.
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].title, "Different Structures");
    EXPECT_TRUE(ui_.messages[0].is_question);
    ui_.messages.clear();
    EXPECT_EQ(dialog.windowTitle(), "Data Comparison Options");
    auto* tabs = Find<QTabWidget>(dialog, "tabDataCompOpt");
    ASSERT_EQ(tabs->count(), 5);
    EXPECT_EQ(tabs->tabText(0), "Comparison Method");
    EXPECT_EQ(tabs->tabText(1), "Sorting Data");
    EXPECT_EQ(tabs->tabText(2), "Comparison Offset");
    EXPECT_EQ(tabs->tabText(3), "Ignore Columns");
    EXPECT_EQ(tabs->tabText(4), "Reporting");
    EXPECT_FALSE(tabs->isTabVisible(4));
    EXPECT_EQ(Find<QCheckBox>(dialog, "chkDoNotShow")->text(), "Do not show this dialog again");
    EXPECT_FALSE(Find<QCheckBox>(dialog, "chkDoNotShow")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>(dialog, "optGen_0")->isChecked());
    EXPECT_EQ(Find<QRadioButton>(dialog, "optGen_0")->text(), "Recod by record comparison");
    EXPECT_FALSE(Find<QWidget>(dialog, "fraPK")->isEnabled());

    // The combos: "Default Order" / "No Field", then the table's columns.
    auto* source_sort = Find<QComboBox>(dialog, "cmbGen_0");
    EXPECT_EQ(source_sort->count(), 12);
    EXPECT_EQ(source_sort->itemText(0), "Default Order");
    EXPECT_EQ(source_sort->itemText(1), "CustomerID");
    EXPECT_EQ(Find<QComboBox>(dialog, "cmbGen_3")->count(), 13);  // LoyaltyTier
    EXPECT_EQ(Find<QComboBox>(dialog, "cmbPK_1")->itemText(0), "No Field");

    // A secondary sort key before the primary is refused and the combo goes back.
    Find<QComboBox>(dialog, "cmbGen_1")->setCurrentIndex(2);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text,
              "Please specify Primary Sort Key before specifying Secondary Sort Key.");
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kExclamation);
    EXPECT_EQ(Find<QComboBox>(dialog, "cmbGen_1")->currentIndex(), 0);
    // A primary key, then "Default Order" again resets the later keys.
    source_sort->setCurrentIndex(5);                          // LastName
    Find<QComboBox>(dialog, "cmbGen_1")->setCurrentIndex(4);  // FirstName
    EXPECT_EQ(Find<QComboBox>(dialog, "cmbGen_1")->currentIndex(), 4);
    source_sort->setCurrentIndex(0);
    EXPECT_EQ(Find<QComboBox>(dialog, "cmbGen_1")->currentIndex(), 0);

    // The key method enables the key columns; a Source key selects the Target's namesake.
    Click(dialog, "optGen_1");
    EXPECT_TRUE(Find<QWidget>(dialog, "fraPK")->isEnabled());
    Find<QComboBox>(dialog, "cmbPK_0")->setCurrentIndex(1);
    EXPECT_EQ(Find<QComboBox>(dialog, "cmbPK_1")->currentText(), "CustomerID");
    testing::Screenshot(dialog, "compare_data_options_method");

    // Offsets keep digits only.
    Retype(dialog, "txtOffset_0", "1a2");
    EXPECT_EQ(Find<QLineEdit>(dialog, "txtOffset_0")->text(), "12");
    Retype(dialog, "txtOffset_0", "");

    // Column lists: every column ticked, Phone ignored on the Source only is refused.
    auto* source_columns = Find<QtListControl>(dialog, "pvlSqlObj_0");
    auto* target_columns = Find<QtListControl>(dialog, "pvlSqlObj_1");
    EXPECT_EQ(source_columns->CheckedCount(), 11);
    EXPECT_EQ(target_columns->CheckedCount(), 12);
    EXPECT_EQ(source_columns->Cell(RowOf(*source_columns, "Email"), 1), "varchar (100)");
    Tick(*source_columns, "Phone", false);
    ui_.messages.clear();
    Click(dialog, "cmdContinue");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text,
              "Currently there are 10 columns selected for comparison in Source and 12 in "
              "Target.\r\n\r\nPlease make sure that the same number of columns to compare is "
              "selected for Source and Target table.");
    EXPECT_TRUE(dialog.isVisible());

    // No column of the Target: refused at once and again on Continue.
    Click(dialog, "cmdDeselectAll_1");
    EXPECT_EQ(target_columns->CheckedCount(), 0);
    Click(dialog, "cmdContinue");
    ASSERT_EQ(ui_.messages.size(), 3u);
    EXPECT_EQ(ui_.messages[1].text, "Please select at least one column.");
    EXPECT_EQ(ui_.messages[1].icon, MessageIcon::kInformation);
    EXPECT_EQ(ui_.messages[2].text,
              "All columns cannot be ignored.\r\n\r\nPlease select at least one column to be "
              "processed during the comparison.");

    // The key column may not be ignored.
    Click(dialog, "cmdSelectAll_1");
    Tick(*source_columns, "Phone", true);
    Tick(*source_columns, "CustomerID", false);
    Tick(*target_columns, "LoyaltyTier", false);
    Tick(*target_columns, "Phone", false);
    Click(dialog, "cmdContinue");
    ASSERT_EQ(ui_.messages.size(), 4u);
    EXPECT_EQ(ui_.messages[3].text,
              "Column 'CustomerID' is marked as the column to be ignored during comparison.\r\n"
              "This column is also marked as Primary column (Source) for comparison.\r\n\r\n"
              "Please remove this column from the list of ignored columns.");
    Tick(*source_columns, "CustomerID", true);
    Tick(*target_columns, "Phone", true);
    EXPECT_EQ(target_columns->CheckedCount(), 11);
    testing::Screenshot(dialog, "compare_data_options");
    ui_.messages.clear();
    Click(dialog, "cmdContinue");
    EXPECT_FALSE(dialog.isVisible());
  });
  WhenShown("frmCompareData", [&](QWidget& shown) {
    differences_seen = true;
    auto& window = static_cast<CompareDataWindow&>(shown);
    EXPECT_EQ(window.windowTitle(),
              "Differences between data in tables 'Customers' and 'Customers'");
    EXPECT_EQ(Find<QLabel>(window, "lblTable_0")->text(),
              "Source Table: Customers (Database: FernhollowLive, Server: embedded:demo)");
    EXPECT_EQ(Find<QLabel>(window, "lblInfo")->text(),
              "Comparison method: Primary Key \nSource PK: CustomerID\nTarget PK: CustomerID");
    EXPECT_EQ(Find<QLabel>(window, "lblIgnoredColumns")->text(), "Ignored Column: LoyaltyTier");
    EXPECT_EQ(Find<QLabel>(window, "lblStats_3")->text(), "40");
    EXPECT_EQ(Find<QLabel>(window, "lblStats_4")->text(), "42");
    EXPECT_EQ(Find<QLabel>(window, "lblStats_5")->text(), "6");
    const DataDiffGridModel& model = *window.model();
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "CustomerID");
    EXPECT_EQ(model.columnCount(), 12);
    // 7 and 15 changed (a pair each), 38 only in the Source, 41 to 43 only in the Target.
    ASSERT_EQ(model.rowCount(), 8);
    const char* ids[] = {"7", "7", "15", "15", "38", "41", "42", "43"};
    const QColor colours[] = {QColor(0, 255, 255),   QColor(255, 255, 128), QColor(0, 255, 255),
                              QColor(255, 255, 128), QColor(192, 255, 192), QColor(255, 224, 192),
                              QColor(255, 224, 192), QColor(255, 224, 192)};
    for (int row = 0; row < 8; ++row) {
      EXPECT_EQ(CellText(model, row, 1), ids[row]) << row;
      EXPECT_EQ(Background(model, row, 1), colours[row]) << row;
    }
    EXPECT_EQ(CellText(model, 0, 0), "1");
    EXPECT_EQ(CellText(model, 2, 0), "2");
    EXPECT_EQ(CellText(model, 4, 0), "3");
    EXPECT_EQ(CellText(model, 5, 0), "1");  // Target-only records are numbered from 1
    // In each pair some cell is red in both rows, the key cell is black.
    for (int row : {0, 2}) {
      int red = 0;
      for (int column = 1; column < model.columnCount(); ++column) {
        const bool differs = Foreground(model, row, column) == QColor(255, 0, 0);
        EXPECT_EQ(differs, Foreground(model, row + 1, column) == QColor(255, 0, 0));
        EXPECT_EQ(differs, CellText(model, row, column) != CellText(model, row + 1, column));
        red += differs ? 1 : 0;
      }
      EXPECT_GT(red, 0) << row;
      EXPECT_EQ(Foreground(model, row, 1), QColor(0, 0, 0));
    }
    testing::Screenshot(window, "compare_data_window");
    Click(window, "cmdClose");
  });
  Find<QPushButton>(*window, "cmdCompData")->click();
  EXPECT_TRUE(options_seen);
  EXPECT_TRUE(differences_seen);
  // The run itself showed no message; the choices were stored for both tables.
  EXPECT_TRUE(ui_.messages.empty());
  const TableCompSettings target = ReadTableCompSettings(context_->locations.tables_comps_ini,
                                                         Key("FernhollowDev", "Customers"));
  EXPECT_EQ(target.CompMethod, kCompMethodPrimaryKey);
  EXPECT_EQ(target.side.key_columns[0], "CustomerID");
  EXPECT_EQ(GetIgnoredColumns(context_->locations, IgnoredColumnsKind::Data,
                              Key("FernhollowDev", "Customers")),
            std::vector<std::string>{"LoyaltyTier"});
  EXPECT_TRUE(GetIgnoredColumns(context_->locations, IgnoredColumnsKind::Data,
                                Key("FernhollowLive", "Customers"))
                  .empty());
}

TEST_F(DemoDataTest, CustomersRecordByRecordWithTheNote) {
  // Record by record 7 records differ; the table may show 3 of them.
  context_->settings.max_rows_in_diff_table = 3;
  auto window = OpenOn("Customers");
  bool differences_seen = false;
  WhenShown("frmCompareDataOptions", [&](QWidget& dialog) {
    EXPECT_TRUE(Find<QRadioButton>(dialog, "optGen_0")->isChecked());
    ui_.messages.clear();
    Click(dialog, "cmdContinue");
  });
  WhenShown("frmCompareData", [&](QWidget& shown) {
    differences_seen = true;
    auto& window = static_cast<CompareDataWindow&>(shown);
    // The "Note" came before the window.
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].title, "Note");
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
    EXPECT_EQ(ui_.messages[0].text,
              "Not all records will be shown in the table displaying differences between two "
              "selected tables.\r\n\r\nThere are 7 differences found by the program.\r\n\r\n"
              "Please note that program's setting for maximum number of records displayed in "
              "differences table is currently set to 3.\r\n\r\nSince there is more different "
              "records than it is currently allowed to be shown in the table, only first 3 "
              "records will be shown.\r\n\r\nIf you wish to increase the number of records "
              "shown in differences table, please click menu item Tools -> Options, click tab "
              "'Rows to Display', change the maximum number of rows and click button 'OK'.");
    EXPECT_TRUE(Find<QLabel>(window, "lblNote")->isVisible());
    EXPECT_EQ(Find<QLabel>(window, "lblNote")->text(), "Only first 3 different records are shown");
    EXPECT_EQ(Find<QLabel>(window, "lblInfo")->text(), "Comparison method: Record by Record");
    EXPECT_EQ(Find<QLabel>(window, "lblStats_5")->text(), "7");
    const DataDiffGridModel& model = *window.model();
    // Three differing pairs, Source row cyan and Target row pale yellow, numbered 1 to 3.
    ASSERT_EQ(model.rowCount(), 6);
    for (int row = 0; row < 6; ++row) {
      EXPECT_EQ(CellText(model, row, 0), std::to_string(row / 2 + 1)) << row;
      EXPECT_EQ(Background(model, row, 2),
                row % 2 == 0 ? QColor(0, 255, 255) : QColor(255, 255, 128))
          << row;
    }
    Click(window, "cmdClose");
  });
  Find<QAction>(*window, "mnuDataCompSingle")->trigger();
  EXPECT_TRUE(differences_seen);
  EXPECT_EQ(ui_.messages.size(), 1u);
}

TEST_F(DemoDataTest, RefusalsBeforeTheRun) {
  // An identical table pair with the options dialog switched off: only the outcome.
  WriteBoolean(context_->settings_store, Setting::kShowDataCompOpt, false);
  auto window = OpenOn("Categories");
  Find<QPushButton>(*window, "cmdCompData")->click();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Data stored in both tables is identical.");

  // Different structures answered No: nothing runs.
  Choose(*Find<QtListControl>(*window, "pvlSqlObj_0"), "Customers");
  ui_.messages.clear();
  ui_.answers.push_back(Answer::kNo);
  Find<QPushButton>(*window, "cmdCompData")->click();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].title, "Different Structures");
  const std::string log = ReadFile(context_->locations.data_comp_log);
  EXPECT_EQ(log.find("Starting DataCompare"), log.rfind("Starting DataCompare"));  // one run

  // Views are not tables.
  ui_.messages.clear();
  Find<QtSelector>(*window, "cmbType")->setCurrentIndex(3);  // Views
  Find<QPushButton>(*window, "cmdCompData")->click();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            "This functionality is enabled only when Tables are selected as active objects.\r\n"
            "\r\nTo set Tables as active objects set focus to Objects Type combo box (using "
            "mouse or by pressing key F6) and select first item from the list.");
}

TEST_F(DemoDataTest, CancelInTheOptionsDialogEndsSilentlyAndDoNotShowAgainIsStored) {
  auto window = OpenOn("Categories");
  WhenShown("frmCompareDataOptions", [&](QWidget& dialog) {
    Click(dialog, "chkDoNotShow");
    EXPECT_FALSE(ReadBoolean(context_->settings_store, Setting::kShowDataCompOpt));
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text,
              "This dialog screen will not be shown anymore.\r\n\r\nTo enable showing 'Data "
              "Comparison Options' screen please open the Options screen (by clicking menu item "
              "Tools -> Options...), select tab 'Data Comparison' and click on appropriate check "
              "box.");
    Click(dialog, "chkDoNotShow");
    EXPECT_TRUE(ReadBoolean(context_->settings_store, Setting::kShowDataCompOpt));
    Click(dialog, "cmdCancel");
  });
  Find<QPushButton>(*window, "cmdCompData")->click();
  EXPECT_EQ(ui_.messages.size(), 1u);  // Cancel shows nothing
  EXPECT_FALSE(std::filesystem::exists(context_->locations.tables_comps_ini));
}

// Stop is pressed from the progress dialog's own state changes: the run is on the same thread,
// so the click lands exactly at the stage named, and the run ends at its next cancel point.
struct StopCase {
  int stage;
  const char* name;
};

TEST_F(DemoDataTest, StopDuringARunCancelsIt) {
  WriteBoolean(context_->settings_store, Setting::kShowDataCompOpt, false);
  auto window = OpenOn("Customers");
  for (const StopCase& stop : {StopCase{kCountingTargetStage, "counting the Target"},
                               StopCase{kReadingSourceStage, "reading the Source"},
                               StopCase{kComparingStage, "comparing"}}) {
    ui_.messages.clear();
    int stages_after_stop = 0;
    bool stopped = false;
    QMetaObject::Connection opened = QObject::connect(
        window.get(), &MainWindow::dataCompareStatusOpened, [&](CompareStatusDialog* dialog) {
          QObject::connect(dialog, &CompareStatusDialog::stateShown, [&, dialog] {
            if (stopped) {
              ++stages_after_stop;
              return;
            }
            if (dialog->state().stage == stop.stage) {
              EXPECT_TRUE(dialog->isVisible()) << stop.name;
              stopped = true;
              Click(*dialog, "cmdStop");
              EXPECT_FALSE(dialog->isVisible()) << stop.name;
            }
          });
        });
    Find<QPushButton>(*window, "cmdCompData")->click();
    QObject::disconnect(opened);
    EXPECT_TRUE(stopped) << stop.name;
    ASSERT_EQ(ui_.messages.size(), 2u) << stop.name;  // the structures question, the outcome
    EXPECT_EQ(ui_.messages[1].text, "Operation cancelled by the user.") << stop.name;
    EXPECT_FALSE(context_->cancel_requested) << stop.name;
    EXPECT_LE(stages_after_stop, 3) << stop.name;
  }
  // The stop while counting left the record comparison out.
  const std::string log = ReadFile(context_->locations.data_comp_log);
  EXPECT_NE(log.find("Operation cancelled by the user."), std::string::npos);
}

// --- Bulk data comparisons
// -------------------------------------------------------------------------

TEST_F(DemoDataTest, SelectedTablesInTheHostWindowEndInTheReport) {
  auto window = OpenOn("Customers");
  bool host_seen = false;
  bool report_seen = false;
  QObject::connect(window.get(), &MainWindow::dataBulkCompareOpened,
                   [&](CompareAllTablesDataDialog* host) {
                     QObject::connect(host, &CompareAllTablesDataDialog::runStarted, [&, host] {
                       host_seen = true;
                       EXPECT_TRUE(host->isVisible());
                       EXPECT_EQ(host->objectName(), "frmCompareAllTables");
                     });
                     QObject::connect(host, &CompareAllTablesDataDialog::currentObjectShown,
                                      [&, host](const QString& name) {
                                        if (name == "Customers")
                                          testing::Screenshot(*host, "compare_all_tables_data");
                                      });
                   });
  WhenShown("frmListObjects", [&](QWidget& dialog) {
    auto* source = Find<QtListControl>(dialog, "pvlObjects_0");
    // Ticks are mirrored to the table of the same name.
    for (const char* table : {"Categories", "Customers", "NewsletterSubscribers"})
      Tick(*source, table, true);
    Click(dialog, "cmdOK");
  });
  WhenShown("frmReport", [&](QWidget& report) {
    report_seen = true;
    const std::string text = Find<QtTextView>(report, "txtReport")->Text();
    EXPECT_NE(text.find("Selective comparison of tables\r\n\r\n3 objects selected in Source "
                        "database\r\n2 objects selected in Target database"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("List of tables which differ:\r\n\tCustomers - 6 different record(s)"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("List of tables which exist in Source database but not in Target "
                        "database:\r\n\tNewsletterSubscribers"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("One table [Categories] has identical data in both databases."),
              std::string::npos)
        << text;
    report.close();
  });
  // Customers is compared by key, as stored for both tables.
  TableCompSettings by_key;
  by_key.CompMethod = kCompMethodPrimaryKey;
  by_key.side.key_columns = {"CustomerID", "No Field", "No Field"};
  ASSERT_TRUE(WriteTableCompSettings(context_->locations.tables_comps_ini,
                                     Key("FernhollowLive", "Customers"), by_key, true));
  ASSERT_TRUE(WriteTableCompSettings(context_->locations.tables_comps_ini,
                                     Key("FernhollowDev", "Customers"), by_key, false));
  Find<QAction>(*window, "mnuDataCompSelected")->trigger();
  EXPECT_TRUE(host_seen);
  EXPECT_TRUE(report_seen);
  EXPECT_TRUE(context_->report_buffer.empty());
  EXPECT_TRUE(ui_.messages.empty());  // unattended pairs show nothing
}

TEST_F(DemoDataTest, CancelInTheHostWindowStoresNoReport) {
  auto window = OpenOn("Customers");
  bool cancelled = false;
  QObject::connect(window.get(), &MainWindow::dataBulkCompareOpened,
                   [&](CompareAllTablesDataDialog* host) {
                     // Cancel as the host names the first table.
                     QObject::connect(host, &CompareAllTablesDataDialog::currentObjectShown,
                                      [&, host](const QString& name) {
                                        if (!cancelled && !name.isEmpty()) {
                                          cancelled = true;
                                          Click(*host, "cmdCancel");
                                        }
                                      });
                   });
  const CloseWhenShown report("frmReport");
  Find<QAction>(*window, "mnuDataCompAll")->trigger();
  EXPECT_TRUE(cancelled);
  EXPECT_FALSE(report.shown());
  EXPECT_TRUE(context_->report_buffer.empty());
  EXPECT_FALSE(std::filesystem::exists(context_->locations.data_comp_log));  // no pair ran
}

}  // namespace
}  // namespace korvane
