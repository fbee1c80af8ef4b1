// frmMain: the main window.
#pragma once

#include <QMainWindow>

class QMenu;

namespace korvane {

struct ApplicationContext;

class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(ApplicationContext& context, QWidget* parent = nullptr);

  QMenu* debugMenu() const { return debug_menu_; }

 private:
  ApplicationContext& context_;
  QMenu* debug_menu_ = nullptr;
};

}  // namespace korvane
