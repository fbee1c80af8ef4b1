// What frmCompareAll and frmCompareAllTables share: the type check boxes, the progress labels
// (status, current object, elapsed time), the activity animation of the status timer, and Cancel
// and Esc, which stop a run in progress and otherwise close the dialog. The run itself and its
// rules are the core's (compare/comparison_commands.h, compare/comparison_run_dialog.h); the
// dialog is the run's progress and pumps window events where the run asks, so Cancel works.
#pragma once

#include <QDialog>
#include <array>
#include <chrono>
#include <functional>

#include "catalog/object_type.h"
#include "compare/comparison_commands.h"
#include "compare/comparison_progress.h"
#include "compare/comparison_run_dialog.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace korvane {

struct ApplicationContext;

inline constexpr int kAnimationFrames = 15;

class ComparisonRunWindow : public QDialog, public ComparisonProgress {
  Q_OBJECT

 public:
  // The outcome of the run the dialog hosted; `ran` is false when none was started.
  const ComparisonCommandOutcome& outcome() const { return outcome_; }

  // The type boxes by type index.
  std::array<bool, kObjTypeCount> TickedTypes() const;
  // The animation frame the next tick toggles (0 to 14).
  int AnimationFrame() const { return frame_; }
  bool IsRunning() const { return state_.timer_enabled; }

  // --- ComparisonProgress
  void SetRunning(bool running) override;
  void ShowStatus(std::string_view text) override;
  void ShowCurrentObject(std::string_view name) override;
  void ShowElapsed(std::string_view elapsed) override;
  void ProcessPendingEvents() override;

 protected:
  ComparisonRunWindow(ApplicationContext& context, const char* object_name, bool selective,
                      QWidget* parent);

  // Runs the command of the Compare button: the button is disabled while it runs; a command
  // that started a run closes the dialog afterwards (finished, cancelled or failed).
  void RunCommand(const std::function<ComparisonCommandOutcome()>& command);
  void SetTickedTypes(const std::array<bool, kObjTypeCount>& ticked);
  // The one box of `type` ticked, the others clear.
  void TickOnly(ObjectType type);

  // Cancel and Esc.
  void reject() override;
  void closeEvent(QCloseEvent* event) override;

  ApplicationContext& context_;
  QPushButton* compare_button_ = nullptr;

 private:
  void Tick();

  std::array<QCheckBox*, kObjTypeCount> boxes_{};
  QWidget* type_panel_ = nullptr;
  QWidget* progress_panel_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* current_object_ = nullptr;
  QLabel* elapsed_ = nullptr;
  std::array<QFrame*, kAnimationFrames> shapes_{};
  QTimer* timer_ = nullptr;
  int frame_ = 0;
  std::chrono::steady_clock::time_point start_{};
  ComparisonDialogState state_;
  ComparisonCommandOutcome outcome_;
};

}  // namespace korvane
