#include "ui/main_window.h"

#include <QAction>
#include <QMenuBar>

#include "app/application_context.h"
#include "app/version.h"

namespace korvane {

MainWindow::MainWindow(ApplicationContext& context, QWidget* parent)
    : QMainWindow(parent), context_(context) {
  setObjectName("frmMain");
  setWindowTitle(QString::fromUtf8(kApplicationTitle.data(),
                                   static_cast<qsizetype>(kApplicationTitle.size())));
  resize(1024, 700);

  QMenu* file_menu = menuBar()->addMenu(tr("&File"));
  file_menu->setObjectName("mnuFile");
  QAction* exit_action = file_menu->addAction(tr("E&xit"), this, &QWidget::close);
  exit_action->setObjectName("mnuFileExit");

  // The developer menu is there only in debug mode.
  debug_menu_ = menuBar()->addMenu(tr("&Debug"));
  debug_menu_->setObjectName("mnuDebug");
  debug_menu_->menuAction()->setVisible(context_.DebugMode);
  debug_menu_->menuAction()->setEnabled(context_.DebugMode);
}

}  // namespace korvane
