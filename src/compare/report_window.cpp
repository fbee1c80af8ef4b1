#include "compare/report_window.h"

#include "base/error_report.h"
#include "base/files.h"
#include "base/text.h"
#include "base/text_view.h"
#include "base/user_interface.h"

namespace korvane {
namespace {

// Marks the window busy for one action; a click that arrives meanwhile is ignored.
class BusyGuard {
 public:
  explicit BusyGuard(ReportWindowState& state) : state_(state), entered_(!state.busy) {
    state_.busy = true;
  }
  ~BusyGuard() {
    if (entered_)
      state_.busy = false;
  }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;
  bool entered() const { return entered_; }

 private:
  ReportWindowState& state_;
  bool entered_;
};

std::optional<std::filesystem::path> Export(ReportWindowState& state, const TextView& pane,
                                            const std::filesystem::path& proposal_folder,
                                            UserInterface& ui, SavedProcessRecorder* recorder) {
  const std::string joined = ReportPaneText(pane);
  const std::string_view text = Trim(joined);
  if (text.empty())
    return std::nullopt;

  std::filesystem::path file;
  if (state.running_saved_process && !state.export_path.empty()) {
    file = state.export_path;
  } else {
    FileRequest request;
    request.title = kSpecifyTargetFileTitle;
    request.filter = kAnyFileFilter;
    request.proposed_name = kReportProposedName;
    request.initial_folder = proposal_folder;
    request.overwrite_prompt = true;
    const std::optional<std::filesystem::path> chosen = ui.RequestSaveFile(request);
    if (!chosen || chosen->empty())
      return std::nullopt;
    file = *chosen;
  }

  if (!WriteFileAtomically(file, text)) {
    ui.ShowErrorReport(MakeErrorReport(kFileAccessErrorNumber, kFileAccessErrorDescription,
                                       "frmReport", "ExportToFile", file.string()));
    return std::nullopt;
  }

  // A saved process being re-run has nothing pending and never shows the notice.
  if (!state.running_saved_process && state.just_saved && !state.saved_name.empty() &&
      recorder != nullptr &&
      recorder->SetExport(state.saved_name, file.string(), kReportTextExportType)) {
    ui.ShowMessage(ExportInfoMessage(file.string(), state.saved_name), MessageIcon::kInformation);
  }
  state.just_saved = false;
  return file;
}

bool Print(ReportWindowState& state, const TextView& pane, UserInterface& ui,
           SavedProcessRecorder* recorder) {
  const bool printed = ui.PrintText(kReportDocumentName, ReportPaneText(pane));
  if (state.running_saved_process)
    state.just_saved = false;
  if (state.just_saved && !state.saved_name.empty() && recorder != nullptr &&
      recorder->SetPrint(state.saved_name, true)) {
    ui.ShowMessage(PrintInfoMessage(state.saved_name), MessageIcon::kInformation);
  }
  state.just_saved = false;
  return printed;
}

}  // namespace

std::string ReportPaneText(const TextView& pane) {
  if (pane.Text().empty())
    return {};
  std::string text;
  const int count = pane.LineCount();
  for (int line = 1; line <= count; ++line) {
    text += pane.LineText(line);
    text += kCrLf;
  }
  return text;
}

std::string ExportInfoMessage(std::string_view export_path, std::string_view saved_name) {
  std::string text = "Export info:\r\n\r\n";
  text += "\t- export file:\t'" + std::string(export_path) + "'\r\n";
  text += "\t- export type:\t'N/A'\r\n\r\n";
  text += "was added to the saved comparison process:\r\n\r\n";
  text += "\t- process name:\t'" + std::string(saved_name) + "'\r\n\r\n";
  text +=
      "Next time when this process is run, the program will automatically export data to the "
      "above file.";
  return text;
}

std::string PrintInfoMessage(std::string_view saved_name) {
  std::string text = "Printing info was added to the saved comparison process:\r\n\r\n";
  text += "\t- process name:\t'" + std::string(saved_name) + "'\r\n\r\n";
  text +=
      "Next time when this process is run, the program will automatically print final report "
      "on the default printer.";
  return text;
}

void CopyReportToClipboard(ReportWindowState& state, const TextView& pane, UserInterface& ui) {
  const BusyGuard guard(state);
  if (!guard.entered())
    return;
  ui.SetClipboardText("");
  const std::string text = ReportPaneText(pane);
  if (!text.empty())
    ui.SetClipboardText(text);
}

std::optional<std::filesystem::path> ExportReportToFile(
    ReportWindowState& state, const TextView& pane, const std::filesystem::path& proposal_folder,
    UserInterface& ui, SavedProcessRecorder* recorder) {
  const BusyGuard guard(state);
  if (!guard.entered())
    return std::nullopt;
  return Export(state, pane, proposal_folder, ui, recorder);
}

bool PrintReport(ReportWindowState& state, const TextView& pane, UserInterface& ui,
                 SavedProcessRecorder* recorder) {
  const BusyGuard guard(state);
  if (!guard.entered())
    return false;
  return Print(state, pane, ui, recorder);
}

void RecordSavedComparison(ReportWindowState& state, bool saved, std::string_view saved_name) {
  state.just_saved = saved;
  state.saved_name = saved_name;
}

FirstShowingOutcome ShowReportFirstTime(ReportWindowState& state, const TextView& pane,
                                        const std::filesystem::path& proposal_folder,
                                        UserInterface& ui, SavedProcessRecorder* recorder) {
  FirstShowingOutcome outcome;
  if (!state.running_saved_process)
    return outcome;
  if (!state.export_path.empty()) {
    // An empty report has nothing to export, which is no failure.
    outcome.exported = Export(state, pane, proposal_folder, ui, recorder).has_value() ||
                       Trim(ReportPaneText(pane)).empty();
  }
  if (state.print)
    outcome.printed = Print(state, pane, ui, recorder);
  state.running_saved_process = false;
  return outcome;
}

}  // namespace korvane
