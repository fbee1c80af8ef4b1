// The main window's data view, data analyzer and ignored-column commands.
#include <QAction>
#include <QPushButton>
#include <QShortcut>

#include "app/application_context.h"
#include "base/user_interface.h"
#include "catalog/catalog_failure.h"
#include "compare/compare_selected_objects.h"
#include "datacomp/data_compare_start.h"
#include "dataview/data_view.h"
#include "db/data_access_check.h"
#include "ui/data_analyze_window.h"
#include "ui/data_view_window.h"
#include "ui/ignore_columns_dialogs.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/qt_text_view.h"

namespace korvane {
namespace {

void Enable(QObject* item, const QString& tool_tip) {
  if (auto* action = qobject_cast<QAction*>(item)) {
    action->setEnabled(true);
    action->setToolTip(tool_tip);
  } else if (auto* button = qobject_cast<QPushButton*>(item)) {
    button->setEnabled(true);
    button->setToolTip(tool_tip);
  }
}

}  // namespace

void MainWindow::ConnectDataViewCommands() {
  for (int side : {kSource, kTarget}) {
    const bool source = side == kSource;
    if (auto* button = findChild<QPushButton*>(QString("cmdViewData_%1").arg(side))) {
      Enable(button, QString("View data stored in selected table") +
                         (source ? " (Alt + V)" : " (Alt + W)"));
      button->setShortcut(QKeySequence(Qt::ALT | (source ? Qt::Key_V : Qt::Key_W)));
      connect(button, &QPushButton::clicked, this, [this, side] { ViewDataCommand(side); });
    }
    if (auto* button = findChild<QPushButton*>(QString("cmdAnalyzeData_%1").arg(side))) {
      Enable(button, tr("Analyze Data in Table"));
      connect(button, &QPushButton::clicked, this, [this, side] { AnalyzeDataCommand(side); });
    }
    if (auto* item = findChild<QAction*>(QString("mnuToolsAnalyze_%1").arg(side))) {
      Enable(item, QString());
      connect(item, &QAction::triggered, this, [this, side] { AnalyzeDataCommand(side); });
    }
    if (auto* item = findChild<QAction*>(QString("mnuPopupIgnoreColumns_%1").arg(side))) {
      Enable(item, QString());
      connect(item, &QAction::triggered, this, [this, side] { IgnoreColumnsCommand(side); });
    }
  }
  const std::pair<const char*, IgnoredColumnsKind> lists[] = {
      {"mnuToolsIgnoredData", IgnoredColumnsKind::Data},
      {"mnuToolsIgnoredStruct", IgnoredColumnsKind::Structure}};
  for (const auto& [name, kind] : lists) {
    if (auto* item = findChild<QAction*>(name)) {
      Enable(item, QString());
      connect(item, &QAction::triggered, this, [this, kind] { ListIgnoredColumnsCommand(kind); });
    }
  }
}

// The table of a side the table-only commands act on: nothing (with the message shown) when
// the command must not go on.
std::optional<ViewedTable> MainWindow::SelectedTable(int side) {
  if (command_running_ || !CheckDataAccess(context_, context_.CurrentServers[side].Name))
    return std::nullopt;
  if (catalog_->CurrentType() != ObjectType::kTables) {
    context_.ui.ShowMessage(kTablesOnlyMessage, MessageIcon::kInformation);
    return std::nullopt;
  }
  auto* view = findChild<QtTextView*>(QString("txtTXProc_%1").arg(side));
  const SelectedObject object = CurrentSelection().sides[side];
  if (view == nullptr || view->Text().empty() || object.object_name.empty()) {
    context_.ui.ShowMessage(kNoTableMessage, MessageIcon::kInformation, kCannotContinueTitle);
    return std::nullopt;
  }
  return ViewedTable{side, object.database, object.object_name, object.object_id};
}

void MainWindow::ViewDataCommand(int side) {
  const std::optional<ViewedTable> table = SelectedTable(side);
  if (!table)
    return;
  command_running_ = true;
  RunGuarded(context_.ui, "frmMain", "cmdViewData_Click",
             [&] { DataViewWindow::ShowUp(context_, *table, this); });
  command_running_ = false;
}

void MainWindow::AnalyzeDataCommand(int side) {
  const std::optional<ViewedTable> table = SelectedTable(side);
  if (!table)
    return;
  command_running_ = true;
  RunGuarded(context_.ui, "frmMain", "cmdAnalyzeData_Click",
             [&] { DataAnalyzeWindow::ShowUp(context_, *table, this); });
  command_running_ = false;
}

void MainWindow::IgnoreColumnsCommand(int side) {
  const std::optional<ViewedTable> table = SelectedTable(side);
  if (!table)
    return;
  bool saved = false;
  command_running_ = true;
  RunGuarded(context_.ui, "frmMain", "mnuPopupIgnoreColumns_Click", [&] {
    saved = IgnoreColumnsAddDialog::ShowUp(context_, IgnoredColumnsKind::Structure, *table, this);
  });
  command_running_ = false;
  // The pane's text leaves the newly ignored columns out.
  if (saved)
    catalog_->ObjectChanged(side);
}

void MainWindow::ListIgnoredColumnsCommand(IgnoredColumnsKind kind) {
  if (command_running_)
    return;
  RunGuarded(context_.ui, "frmMain", "mnuToolsIgnoredCols_Click",
             [&] { IgnoreColumnsViewDialog::ShowUp(context_, kind, this); });
}

}  // namespace korvane
