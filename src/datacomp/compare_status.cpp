#include "datacomp/compare_status.h"

#include "base/clock.h"
#include "base/text.h"

namespace korvane {

void CompareStatus::Load(const std::array<std::string, 2>& servers,
                         const std::array<std::string, 2>& databases,
                         const std::array<std::string, 2>& tables) {
  state_ = CompareStatusState{};
  state_.servers = servers;
  state_.databases = databases;
  state_.tables = tables;
  start_ = clock_.SteadyNow();
  Changed();
}

void CompareStatus::ShowStage(int stage) {
  state_.stage = stage;
  const bool comparing = stage == kComparingStage;
  state_.elapsed_visible = comparing;
  state_.gauge_visible = comparing;
  state_.status_visible = !comparing;
  switch (stage) {
    case kCountingSourceStage:
      state_.status = kCountingFirstTableStatus;
      state_.count_labels = {std::string(kCountingLabel), std::string(kNotAvailableLabel)};
      state_.current_record_label = kNotAvailableLabel;
      break;
    case kCountingTargetStage:
      state_.status = kCountingSecondTableStatus;
      state_.count_labels[1] = kCountingLabel;
      break;
    case kReadingSourceStage:
      state_.status = kGettingFirstTableStatus;
      break;
    case kReadingTargetStage:
      state_.status = kGettingSecondTableStatus;
      break;
    default:
      break;
  }
  Changed();
}

void CompareStatus::ResetGauge() {
  state_.gauge_percent = 0;
  Changed();
}

void CompareStatus::ShowProgress(std::string_view record_label, int percent) {
  state_.current_record_label = record_label;
  state_.gauge_percent = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
  Changed();
}

void CompareStatus::UpdateTimeElapsed() {
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(clock_.SteadyNow() - start_).count();
  state_.elapsed = FormatElapsed(seconds);
  Changed();
}

void CompareStatus::ShowCount(int side, std::string_view text) {
  state_.count_labels[side == 0 ? 0 : 1] = text;
  Changed();
}

}  // namespace korvane
