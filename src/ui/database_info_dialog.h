// frmGetDbInfo: the progress dialog in which the database information report is built. It shows
// one status line per object kind and the elapsed time; Cancel and Esc only ask the run to stop
// while it runs, and the dialog cannot be closed before the run has ended.
#pragma once

#include <QDialog>
#include <array>
#include <chrono>
#include <string>

#include "tools/database_info.h"

class QLabel;
class QPushButton;
class QTimer;

namespace korvane {

struct ApplicationContext;

class DatabaseInfoDialog final : public QDialog, public DatabaseInfoProgress {
  Q_OBJECT

 public:
  DatabaseInfoDialog(ApplicationContext& context, int side, std::string database,
                     QWidget* parent = nullptr);

  // Shows the dialog, builds the report while pending events run, and closes it again.
  DatabaseInfoOutcome Run();

  // --- DatabaseInfoProgress
  void RefreshTime() override;
  void ShowStatus(int index, std::string_view text) override;

 signals:
  // A status line changed (for the window tests, which cancel at a chosen step).
  void statusShown(int index, const QString& text);

 protected:
  void reject() override;  // Cancel and Esc
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowElapsed();

  ApplicationContext& context_;
  int side_;
  std::string database_;
  bool running_ = false;
  std::chrono::steady_clock::time_point start_{};
  std::array<QLabel*, 6> status_{};
  QLabel* time_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QTimer* timer_ = nullptr;
};

}  // namespace korvane
