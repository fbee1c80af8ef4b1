// frmMain: the main window.
#pragma once

#include <QMainWindow>

#include "app/settings.h"
#include "db/server_list.h"

class QMenu;

namespace korvane {

struct ApplicationContext;

class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(ApplicationContext& context, QWidget* parent = nullptr);

  QMenu* debugMenu() const { return debug_menu_; }

  // The connection test the add-server dialog runs; the data-access layer's by default.
  void SetConnectionTest(ConnectionTest test) { connection_test_ = std::move(test); }

 public slots:
  // Help > "&Tip of the Day..."; start-up opens it too when "ShowTipOfDay" is on.
  void ShowTipOfDay();

 signals:
  // A server was added or removed: both sides now hold the first entry of the list, and the
  // server selectors and both sides are to be refilled.
  void serverListChanged();
  // The Options dialog saved a change the window reacts to, in the order of the reactions
  // (its message has been shown already).
  void optionsReaction(korvane::OptionsReaction::Kind kind);

 private:
  void AddServerCommand();
  void RemoveServerCommand();
  void OptionsCommand();
  void TimeoutCommand();
  void DebugOptionsCommand();

  ApplicationContext& context_;
  ConnectionTest connection_test_;
  QMenu* debug_menu_ = nullptr;
};

}  // namespace korvane
