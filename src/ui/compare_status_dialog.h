// frmCompareStatus: the progress dialog of one data comparison. What it shows is
// CompareStatus's state; the run drives it on the one user-interface thread and lets pending
// window events run at its progress points, so Stop (and Esc) work while it runs: they set the
// run's cancel flag and close the dialog, and the run ends at its next cancel point.
#pragma once

#include <QDialog>
#include <array>

#include "datacomp/compare_status.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace korvane {

struct ApplicationContext;

class CompareStatusDialog final : public QDialog, public CompareStatus {
  Q_OBJECT

 public:
  explicit CompareStatusDialog(ApplicationContext& context, QWidget* parent = nullptr);

  // The Stop button: the run's cancel flag, and the dialog closes.
  void Stop();
  // The run is over: the dialog closes.
  void Unload() override;

 signals:
  // The dialog shows a new state (the stage, a count, the progress, the elapsed time).
  void stateShown();

 protected:
  void Changed() override;
  void reject() override;  // Esc

 private:
  ApplicationContext& context_;
  std::array<QLabel*, 2> tables_{};  // "Server.Database.Table" of each side
  QLabel* status_ = nullptr;
  std::array<QLabel*, 2> counts_{};
  QLabel* current_record_ = nullptr;
  QLabel* gauge_caption_ = nullptr;
  QProgressBar* gauge_ = nullptr;
  QLabel* elapsed_ = nullptr;
  QPushButton* stop_ = nullptr;
  QTimer* timer_ = nullptr;
};

}  // namespace korvane
