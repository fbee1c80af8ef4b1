// What the record comparison engine shows while it runs: the progress dialog of a data
// comparison implements it (interactive or not); tests record the calls.
#pragma once

#include <string_view>

namespace korvane {

// Stages of the progress dialog the engine switches to.
inline constexpr int kReadingSourceStage = 3;  // "Getting data from first table..."
inline constexpr int kReadingTargetStage = 4;  // "Getting data from second table..."
inline constexpr int kComparingStage = 5;      // gauge and elapsed time shown

class CompareProgress {
 public:
  virtual ~CompareProgress() = default;
  // Shows the dialog's controls for a stage (ShowHideControls).
  virtual void ShowStage(int stage) = 0;
  // The gauge back to minimum 0, maximum 100, value 0.
  virtual void ResetGauge() = 0;
  // The current-record label (a number formatted "#,##0") and the gauge's value (0 to 100).
  virtual void ShowProgress(std::string_view record_label, int percent) = 0;
  // The time since the run started, "hh:mm:ss" (UpdateTimeElapsed).
  virtual void UpdateTimeElapsed() = 0;
};

}  // namespace korvane
