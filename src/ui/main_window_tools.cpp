// The main window's database tools: Find Object (per side, and the general variant of the Tools
// menu), Database Information (per side, F10 and F11) and Attach Database.
#include <QAction>
#include <QCoreApplication>
#include <QPushButton>
#include <QShortcut>

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/catalog_failure.h"
#include "compare/report_window.h"
#include "db/data_access_check.h"
#include "tools/attach_database.h"
#include "tools/database_info.h"
#include "tools/find_object.h"
#include "ui/attach_database_dialog.h"
#include "ui/database_info_dialog.h"
#include "ui/find_object_dialog.h"
#include "ui/main_window.h"
#include "ui/qt_list_control.h"
#include "ui/side_control.h"

namespace korvane {
namespace {

// Makes a placeholder command of the window work: enabled, with its tool tip, running `act`.
template <typename Act>
void EnableButton(QWidget& window, const QString& name, const QString& tool_tip, Act act) {
  if (auto* button = window.findChild<QPushButton*>(name)) {
    button->setEnabled(true);
    button->setToolTip(tool_tip);
    QObject::connect(button, &QPushButton::clicked, &window, act);
  }
}

template <typename Act>
void EnableItem(QWidget& window, const QString& name, Act act) {
  if (auto* action = window.findChild<QAction*>(name)) {
    action->setEnabled(true);
    action->setToolTip(action->text().remove('&'));
    QObject::connect(action, &QAction::triggered, &window, act);
  }
}

std::string SideDatabaseName(const QWidget& window, int side) {
  return std::string(Trim(SideControl<QtListControl>(window, "pvlDb", side).CurrentText()));
}

}  // namespace

void MainWindow::ConnectToolCommands() {
  constexpr const char* kInfoKeys[] = {" (F10)", " (F11)"};
  for (int side : {kSource, kTarget}) {
    EnableButton(*this, QString("cmdDbInfo_%1").arg(side),
                 tr("Display database information") + kInfoKeys[side],
                 [this, side] { DatabaseInfoCommand(side); });
    EnableButton(*this, QString("cmdFind_%1").arg(side), tr("Find Object"),
                 [this, side] { FindObjectCommand(side, false); });
    EnableItem(*this, QString("mnuToolsFind_%1").arg(side),
               [this, side] { FindObjectCommand(side, true); });
    auto* key = new QShortcut(QKeySequence(side == kSource ? Qt::Key_F10 : Qt::Key_F11), this);
    connect(key, &QShortcut::activated, this, [this, side] { DatabaseInfoCommand(side); });
  }
  EnableItem(*this, "mnuToolsAttach", [this] { AttachDatabaseCommand(); });
}

void MainWindow::FindObjectCommand(int side, bool general) {
  if (command_running_ || !CheckDataAccess(context_, context_.CurrentServers[side].Name))
    return;
  command_running_ = true;
  FindObjectChoice found;
  RunGuarded(context_.ui, "frmMain", general ? "mnuToolsFind_Click" : "cmdFind_Click", [&] {
    const QtListControl& databases = SideControl<QtListControl>(*this, "pvlDb", side);
    const QtListControl& objects = SideControl<QtListControl>(*this, "pvlSqlObj", side);
    const ObjectType shown_type = catalog_->CurrentType();
    if (const auto refused =
            FindObjectPreCheck(databases.CurrentRow() >= 0,
                               objects.RowCount() > 0 && objects.CurrentRow() >= 0, shown_type)) {
      context_.ui.ShowMessage(*refused, MessageIcon::kExclamation, kCannotSearchTitle);
      return;
    }
    FindObjectDialog dialog(context_, side, SideDatabaseName(*this, side), shown_type, general,
                            render_, this);
    dialog.exec();
    if (dialog.found())
      found = dialog.result();
  });
  // The selection events below reload and show as the person's own choices do, which they
  // refuse while a command runs.
  command_running_ = false;
  if (found.kind != FindObjectChoice::Kind::kFound || found.id < 1)
    return;
  RunGuarded(context_.ui, "frmMain", "SelectFoundObject", [&] {
    if (general && found.type != catalog_->CurrentType()) {
      SelectObjectType(found.type);
      context_.ui.ProcessPendingEvents();
    }
    SelectObjectById(SideControl<QtListControl>(*this, "pvlSqlObj", side), found.id);
  });
}

void MainWindow::DatabaseInfoCommand(int side) {
  if (command_running_)
    return;
  const std::string database = SideDatabaseName(*this, side);
  if (SideControl<QtListControl>(*this, "pvlDb", side).CurrentRow() < 0) {
    context_.ui.ShowMessage(kDatabaseInfoNoDatabaseMessage, MessageIcon::kExclamation,
                            kCannotDisplayInfoTitle);
    return;
  }
  command_running_ = true;
  context_.report_buffer.clear();
  RunGuarded(context_.ui, "frmMain", "cmdDbInfo_Click", [&] {
    DatabaseInfoDialog dialog(context_, side, database, this);
    const DatabaseInfoOutcome outcome = dialog.Run();
    if (outcome.completed)
      context_.report_buffer = outcome.report;
  });
  context_.cancel_requested = false;
  command_running_ = false;
  if (!context_.report_buffer.empty()) {
    ReportWindowState state;
    state.title = kDatabaseInformationTitle;
    state.save_button_visible = false;
    ShowReport(state, context_.report_buffer);
  }
  context_.report_buffer.clear();
}

void MainWindow::AttachDatabaseCommand() {
  if (command_running_ || !ServerInfoSet())
    return;
  if (SideControl<QtListControl>(*this, "pvlDb", kSource).CurrentRow() < 0) {
    context_.ui.ShowMessage(kConnectFirstMessage, MessageIcon::kExclamation);
    return;
  }
  command_running_ = true;
  bool attached = false;
  RunGuarded(context_.ui, "frmMain", "mnuToolsAttach_Click", [&] {
    AttachDatabaseDialog dialog(context_, this);
    dialog.exec();
    attached = dialog.attached();
  });
  command_running_ = false;
  if (attached)
    InitializeDisplay(true);
}

}  // namespace korvane
