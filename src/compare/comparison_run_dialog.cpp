#include "compare/comparison_run_dialog.h"

#include "app/application_context.h"
#include "base/user_interface.h"
#include "compare/comparison_progress.h"

namespace korvane {
namespace {

// Passes the run's progress on and keeps the dialog's timer flag in step with the run.
class DialogProgress final : public ComparisonProgress {
 public:
  DialogProgress(ComparisonDialogState& state, ComparisonProgress& inner)
      : state_(state), inner_(inner) {}

  void SetRunning(bool running) override {
    state_.timer_enabled = running;
    inner_.SetRunning(running);
  }
  void ShowStatus(std::string_view text) override { inner_.ShowStatus(text); }
  void ShowCurrentObject(std::string_view name) override { inner_.ShowCurrentObject(name); }
  void ShowElapsed(std::string_view elapsed) override { inner_.ShowElapsed(elapsed); }
  void ProcessPendingEvents() override { inner_.ProcessPendingEvents(); }

 private:
  ComparisonDialogState& state_;
  ComparisonProgress& inner_;
};

}  // namespace

std::string_view ComparisonDialogCaption(bool selective) {
  return selective ? kCompareSelectedObjectsCaption : kCompareAllCaption;
}

std::optional<CompareAllOutcome> PressCompare(ApplicationContext& context,
                                              ComparisonDialogState& state,
                                              const CompareAllRequest& request,
                                              StructureTextSource& texts,
                                              ComparisonProgress& progress) {
  bool any_ticked = false;
  for (int index = 0; index < kObjTypeCount; ++index) {
    if (request.ticked[index] && TypeIndexVisible(index, context.settings.analyze_constraints))
      any_ticked = true;
  }
  if (!any_ticked) {
    context.ui.ShowMessage(kSelectObjectTypeMessage, MessageIcon::kInformation);
    return std::nullopt;
  }
  context.ui.SetBusy(true);
  state.compare_enabled = false;
  DialogProgress dialog_progress(state, progress);
  CompareAllOutcome outcome = CompareAll(context, request, texts, dialog_progress);
  state.timer_enabled = false;
  context.ui.SetBusy(false);
  return outcome;
}

bool PressCancel(ApplicationContext& context, const ComparisonDialogState& state) {
  if (state.timer_enabled) {
    context.cancel_requested = true;
    return false;
  }
  return true;
}

bool MayCloseDialog(const ComparisonDialogState& state) {
  return !state.timer_enabled;
}

}  // namespace korvane
