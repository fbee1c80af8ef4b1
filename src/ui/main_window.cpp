#include "ui/main_window.h"

#include <QAction>
#include <QMenuBar>

#include "app/application_context.h"
#include "app/user_interface.h"
#include "app/version.h"
#include "ui/add_server_dialog.h"
#include "ui/debug_options_dialog.h"
#include "ui/options_dialog.h"
#include "ui/qt_text.h"
#include "ui/remove_server_dialog.h"
#include "ui/timeout_dialog.h"
#include "ui/tip_dialog.h"

namespace korvane {
namespace {

template <typename Receiver, typename Slot>
QAction* AddItem(QMenu* menu, const QString& caption, const char* name, Receiver* receiver,
                 Slot slot) {
  QAction* action = menu->addAction(caption, receiver, slot);
  action->setObjectName(name);
  return action;
}

}  // namespace

MainWindow::MainWindow(ApplicationContext& context, QWidget* parent)
    : QMainWindow(parent), context_(context) {
  setObjectName("frmMain");
  setWindowTitle(ToQString(kApplicationTitle));
  resize(1024, 700);

  QMenu* file_menu = menuBar()->addMenu(tr("&File"));
  file_menu->setObjectName("mnuFile");
  AddItem(file_menu, tr("E&xit"), "mnuFileExit", this, &QWidget::close);

  QMenu* tools_menu = menuBar()->addMenu(tr("&Tools"));
  tools_menu->setObjectName("mnuTools");
  AddItem(tools_menu, tr("&Add Server"), "mnuToolsAddServer", this, &MainWindow::AddServerCommand);
  AddItem(tools_menu, tr("&Remove Server"), "mnuToolsRemoveServer", this,
          &MainWindow::RemoveServerCommand);
  tools_menu->addSeparator();
  AddItem(tools_menu, tr("&Timeout"), "mnuToolsTimeout", this, &MainWindow::TimeoutCommand);
  AddItem(tools_menu, tr("&Options..."), "mnuToolsOptions", this, &MainWindow::OptionsCommand);

  QMenu* help_menu = menuBar()->addMenu(tr("&Help"));
  help_menu->setObjectName("mnuHelp");
  AddItem(help_menu, tr("&Tip of the Day..."), "mnuHelpTipOfDay", this, &MainWindow::ShowTipOfDay);

  // The developer menu is there only in debug mode.
  debug_menu_ = menuBar()->addMenu(tr("&Debug"));
  debug_menu_->setObjectName("mnuDebug");
  debug_menu_->menuAction()->setVisible(context_.DebugMode);
  debug_menu_->menuAction()->setEnabled(context_.DebugMode);
  AddItem(debug_menu_, tr("&Options"), "mnuDebugOptions", this, &MainWindow::DebugOptionsCommand);
}

void MainWindow::ShowTipOfDay() {
  TipDialog dialog(context_, this);
  dialog.exec();
}

void MainWindow::AddServerCommand() {
  AddServerDialog dialog(context_, connection_test_, this);
  if (dialog.exec() == QDialog::Accepted && dialog.added())
    emit serverListChanged();
}

void MainWindow::RemoveServerCommand() {
  if (!CanOpenRemoveServerDialog(context_))
    return;
  RemoveServerDialog dialog(context_, this);
  if (dialog.exec() == QDialog::Accepted && dialog.removed())
    emit serverListChanged();
}

void MainWindow::OptionsCommand() {
  const LoadedSettings before = context_.settings;
  OptionsDialog dialog(context_, this);
  dialog.exec();
  if (!dialog.saved())
    return;
  for (const OptionsReaction& reaction : OptionsReactions(before, context_.settings)) {
    if (!reaction.message.empty())
      context_.ui.ShowMessage(reaction.message, MessageIcon::kInformation);
    emit optionsReaction(reaction.kind);
  }
}

void MainWindow::TimeoutCommand() {
  TimeoutDialog dialog(context_, this);
  dialog.exec();
}

void MainWindow::DebugOptionsCommand() {
  if (!context_.DebugMode)
    return;
  DebugOptionsDialog dialog(context_, this);
  dialog.exec();
}

}  // namespace korvane
