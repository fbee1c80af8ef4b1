// The controls of one half of the main window and how their buttons are laid out, shared by the
// main window's files.
#pragma once

#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QWidget>
#include <vector>

#include "catalog/side_controls.h"
#include "ui/main_window.h"
#include "ui/qt_list_control.h"
#include "ui/qt_selector.h"
#include "ui/qt_text_view.h"

namespace korvane {

// The controls of one half of the window.
struct MainWindow::Side {
  QWidget* frame = nullptr;
  QLabel* server_label = nullptr;
  QtSelector* servers = nullptr;
  QLabel* database_label = nullptr;
  QtListControl* databases = nullptr;
  QWidget* owner_row = nullptr;
  QtSelector* owners = nullptr;
  QLabel* object_header = nullptr;
  QtListControl* objects = nullptr;
  QtTextView* structure = nullptr;
  QGridLayout* buttons = nullptr;
  std::vector<QPushButton*> button_list;
  QMenu* popup = nullptr;

  SideControls Controls() { return {*databases, *owners, *objects, *structure, servers}; }
};

// Lays the buttons out in rows of `columns`.
inline void PlaceButtons(QGridLayout& grid, const std::vector<QPushButton*>& buttons, int columns) {
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    grid.removeWidget(buttons[i]);
    const int index = static_cast<int>(i);
    grid.addWidget(buttons[i], index / columns, index % columns);
  }
}

}  // namespace korvane
