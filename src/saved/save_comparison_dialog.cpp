#include "saved/save_comparison_dialog.h"

#include <array>
#include <cstdio>
#include <utility>

#include "base/clock.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "saved/saved_comparison_store.h"

namespace korvane {

namespace {

// Clears a flag when the scope ends, also on early returns.
class BusyFlag {
 public:
  explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyFlag() { flag_ = false; }
  BusyFlag(const BusyFlag&) = delete;
  BusyFlag& operator=(const BusyFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace

std::string OverwriteProcessQuestion(std::string_view name) {
  std::string text = "Comparison process with name ";
  text.append(name).append(" already exists.");
  text.append(kCrLf).append(kCrLf).append("Do you want to overwrite it?");
  return text;
}

std::string ProposedProcessName(const Clock& clock, std::string_view table_name1) {
  return FormatShortDate(clock.LocalNow()) + " - " + std::string(table_name1);
}

SaveComparisonDialog::SaveComparisonDialog(SavedComparisonStore& store, UserInterface& ui,
                                           const Clock& clock, SavedProcess comparison)
    : store_(store),
      ui_(ui),
      comparison_(std::move(comparison)),
      listed_names_(store_.ProcessNames()),
      proposed_name_(ProposedProcessName(clock, comparison_.table_name1)) {}

SaveComparisonDialog::OkOutcome SaveComparisonDialog::Ok(std::string_view name_box_text,
                                                         bool print) {
  if (busy_ || closed_)
    return OkOutcome::kIgnored;
  BusyFlag busy(busy_);

  const std::string name(Trim(name_box_text));
  if (name.empty()) {
    ui_.ShowMessage(kEnterProcessName, MessageIcon::kInformation);
    return OkOutcome::kFocusName;
  }
  if (name.find_first_of("\r\n") != std::string::npos) {
    ui_.ShowMessage(kProcessNameLineBreak, MessageIcon::kExclamation);
    return OkOutcome::kFocusName;
  }
  if (const std::optional<std::string> existing = store_.FindProcessName(name)) {
    if (ui_.Ask(OverwriteProcessQuestion(*existing), kOverwriteProcessTitle, Answer::kYes,
                MessageIcon::kQuestion) != Answer::kYes) {
      return OkOutcome::kFocusName;
    }
  }

  SavedProcess process = comparison_;
  process.name = name;
  process.export_file_path.clear();
  process.export_type = kExportTypeReportText;
  process.print = print;
  process.id = 0;
  const bool saved = store_.SaveProcess(process);
  ui_.ShowMessage(saved ? kProcessSaved : kProcessNotSaved, MessageIcon::kInformation);
  result_ = {saved, name};
  closed_ = true;
  return OkOutcome::kClosed;
}

void SaveComparisonDialog::Cancel() {
  if (busy_ || closed_)
    return;
  result_ = {};
  closed_ = true;
}

}  // namespace korvane
