// The progress dialog of a data comparison (frmCompareStatus) as data: what its labels, status
// line, gauge and elapsed time show at each stage. The run drives it; the window copies the
// state into its controls whenever Changed() is called, and its Stop button sets the run's
// cancel flag (ApplicationContext::cancel_requested).
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "datacomp/compare_progress.h"

namespace korvane {

class Clock;

// Stages before the record comparison engine's own (3 to 5).
inline constexpr int kCountingSourceStage = 1;
inline constexpr int kCountingTargetStage = 2;

inline constexpr std::string_view kCountingFirstTableStatus = "Counting records in first table...";
inline constexpr std::string_view kCountingSecondTableStatus =
    "Counting records in second table...";
inline constexpr std::string_view kGettingFirstTableStatus = "Getting data from first table...";
inline constexpr std::string_view kGettingSecondTableStatus = "Getting data from second table...";
inline constexpr std::string_view kCountingLabel = "Counting...";
inline constexpr std::string_view kNotAvailableLabel = "N/A";

struct CompareStatusState {
  // [side]: what the dialog names when it loads.
  std::array<std::string, 2> servers;
  std::array<std::string, 2> databases;
  std::array<std::string, 2> tables;
  int stage = 0;
  std::string status;
  bool status_visible = true;
  std::array<std::string, 2> count_labels;  // the record counts, "#,##0" once counted
  std::string current_record_label;
  bool gauge_visible = false;  // the gauge and its caption
  int gauge_percent = 0;
  bool elapsed_visible = false;
  std::string elapsed;  // "hh:mm:ss"

  friend bool operator==(const CompareStatusState&, const CompareStatusState&) = default;
};

class CompareStatus : public CompareProgress {
 public:
  explicit CompareStatus(const Clock& clock) : clock_(clock) {}

  // The dialog loads: the two sides' names; the elapsed time counts from now.
  void Load(const std::array<std::string, 2>& servers, const std::array<std::string, 2>& databases,
            const std::array<std::string, 2>& tables);
  // ShowHideControls: stages 1 and 2 count the records, 3 and 4 read them, 5 compares them.
  void ShowStage(int stage) override;
  void ResetGauge() override;
  void ShowProgress(std::string_view record_label, int percent) override;
  void UpdateTimeElapsed() override;
  // A side's record count label.
  void ShowCount(int side, std::string_view text);
  // The dialog closes itself: counting and comparing are over (completed, cancelled or failed),
  // before the run shows its outcome or the differences window.
  virtual void Unload() {}

  const CompareStatusState& state() const { return state_; }

 protected:
  // Called after every change of the state; a window shows the state again.
  virtual void Changed() {}

 private:
  const Clock& clock_;
  std::chrono::steady_clock::time_point start_{};
  CompareStatusState state_;
};

}  // namespace korvane
