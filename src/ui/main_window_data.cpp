// The main window's data comparison commands.
#include <QPushButton>
#include <QShortcut>

#include "app/application_context.h"
#include "base/user_interface.h"
#include "catalog/catalog_failure.h"
#include "compare/compare_selected_objects.h"
#include "datacomp/bulk_data_compare.h"
#include "datacomp/data_compare_start.h"
#include "db/data_access_check.h"
#include "ui/compare_all_tables_data_dialog.h"
#include "ui/compare_data_options_dialog.h"
#include "ui/compare_data_window.h"
#include "ui/compare_status_dialog.h"
#include "ui/list_objects_dialog.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/qt_text_view.h"

namespace korvane {

void MainWindow::ConnectDataCommands() {
  if (auto* button = findChild<QPushButton*>("cmdCompData")) {
    button->setEnabled(true);
    button->setToolTip(tr("Compare data in selected tables  (F9)"));
    connect(button, &QPushButton::clicked, this, &MainWindow::CompareDataCommand);
    auto* key = new QShortcut(QKeySequence(Qt::Key_F9), this);
    connect(key, &QShortcut::activated, button, &QPushButton::click);
  }
}

void MainWindow::CompareDataCommand() {
  if (command_running_ || !CheckDataAccess(context_, context_.CurrentServers[kSource].Name))
    return;
  std::array<std::string, 2> texts;
  for (int side : {kSource, kTarget}) {
    if (auto* view = findChild<QtTextView*>(QString("txtTXProc_%1").arg(side)))
      texts[side] = view->Text();
  }
  if (!ConfirmCompareData(texts[kSource], texts[kTarget],
                          catalog_->CurrentType() == ObjectType::kTables, context_.ui))
    return;

  command_running_ = true;
  RunGuarded(context_.ui, "frmMain", "cmdCompData_Click", [&] {
    const SelectionContext selection = CurrentSelection();
    std::array<DataCompareTable, 2> tables;
    for (int side : {kSource, kTarget}) {
      const SelectedObject& object = selection.sides[side];
      tables[side] = DataCompareTable{object.database, object.object_name, object.object_id};
    }
    CompareStatusDialog status(context_, this);
    emit dataCompareStatusOpened(&status);
    StartDataCompare(
        context_, tables, false, true, data_options_requested_,
        [this](const std::array<DataCompareTable, 2>& chosen,
               const std::array<std::string, 2>& keys) -> std::optional<DataCompareOptions> {
          CompareDataOptionsDialog dialog(context_, chosen, keys, this);
          if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
          return dialog.options();
        },
        status,
        [&](const DataDifferencesWindow& differences, const DataCompareOptions& options) {
          CompareDataWindow window(context_, differences,
                                   SingleTableComparison(context_, tables, options.CompMethod),
                                   this);
          window.exec();
        });
  });
  command_running_ = false;
}

void MainWindow::CompareTablesDataCommand(bool selective) {
  if (command_running_ || !CheckDataAccess(context_, context_.CurrentServers[kSource].Name))
    return;
  RunDataCompareSelective(selective, nullptr);
}

void MainWindow::RunDataCompareSelective(bool selective, const SavedProcess* saved) {
  std::array<std::string, 2> databases;
  for (int side : {kSource, kTarget})
    databases[side] = CurrentSelection().sides[side].database;
  command_running_ = true;
  RunGuarded(context_.ui, "frmMain", "DataCompareSelective", [&] {
    CompareAllTablesDataDialog host(context_, selective, this);
    emit dataBulkCompareOpened(&host);
    DataCompareSelective(
        context_, 0, databases[kSource], databases[kTarget], selective, host,
        [&]() {
          return ListObjectsDialog::ShowUp(context_, databases[kSource], databases[kTarget],
                                           ObjectType::kTables, this);
        },
        [this](const ReportWindowState& state) { ShowReport(state, context_.report_buffer); },
        saved);
  });
  command_running_ = false;
}

}  // namespace korvane
