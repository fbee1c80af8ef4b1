#include "saved/save_comp_run_dialog.h"

#include "base/user_interface.h"
#include "saved/saved_comparison_store.h"

namespace korvane {

namespace {

bool NothingSelected(const std::optional<std::string>& selected) {
  return !selected || selected->empty();
}

}  // namespace

std::string SelectProcessPrompt(std::string_view action) {
  std::string text = "Please select the comparison process to be ";
  text.append(action).append(".");
  return text;
}

std::string RemoveProcessQuestion(std::string_view name) {
  std::string text = "Are you sure you want to remove comparison process '";
  text.append(name).append("' ?");
  return text;
}

SaveCompRunDialog::SaveCompRunDialog(SavedComparisonStore& store, UserInterface& ui)
    : store_(store), ui_(ui), names_(store_.ProcessNames()) {}

std::optional<std::string> SaveCompRunDialog::Run(const std::optional<std::string>& selected) {
  if (busy_ || closed_)
    return std::nullopt;
  if (NothingSelected(selected)) {
    ui_.ShowMessage(SelectProcessPrompt("run"), MessageIcon::kInformation);
    return std::nullopt;
  }
  closed_ = true;
  return selected;
}

bool SaveCompRunDialog::Delete(const std::optional<std::string>& selected) {
  if (busy_ || closed_)
    return false;
  if (NothingSelected(selected)) {
    ui_.ShowMessage(SelectProcessPrompt("deleted"), MessageIcon::kInformation);
    return false;
  }
  busy_ = true;
  bool deleted = false;
  if (ui_.Ask(RemoveProcessQuestion(*selected), kConfirmProcessDeletionTitle, Answer::kYes,
              MessageIcon::kQuestion) == Answer::kYes) {
    deleted = store_.DeleteProcess(*selected);
    names_ = store_.ProcessNames();
  }
  busy_ = false;
  return deleted;
}

void SaveCompRunDialog::ShowProperties(const std::optional<std::string>& selected) {
  if (!NothingSelected(selected))
    store_.ShowProperties(*selected);
}

}  // namespace korvane
