#include "cli/cli_user_interface.h"

#include "base/error_report.h"
#include "cli/terminal_progress.h"

namespace korvane {

std::ostream& CliUserInterface::Err() {
  if (progress_line_)
    progress_line_->Erase();
  return err_;
}

void CliUserInterface::ShowMessage(std::string_view text, MessageIcon, std::string_view title) {
  Err() << title << ": " << text << "\n";
}

Answer CliUserInterface::Ask(std::string_view text, std::string_view title, Answer goes_on,
                             MessageIcon) {
  Err() << title << ": " << text << "\n"
        << title << ": answered " << (goes_on == Answer::kYes ? "Yes" : "No")
        << " (no one to ask on the command line)\n";
  return goes_on;
}

std::optional<std::filesystem::path> CliUserInterface::RequestSaveFile(const FileRequest&) {
  return std::nullopt;
}

std::optional<std::filesystem::path> CliUserInterface::RequestOpenFile(const FileRequest&) {
  return std::nullopt;
}

int CliUserInterface::OpenWithDefaultProgram(std::string_view file_or_address) {
  Err() << kApplicationTitle << ": not opened on the command line: " << file_or_address << "\n";
  return 1;
}

bool CliUserInterface::PrintText(std::string_view document_name, std::string_view) {
  Err() << kApplicationTitle << ": printing is not available on the command line (" << document_name
        << ")\n";
  return false;
}

void CliUserInterface::ShowErrorReport(const ErrorReport& report) {
  Err() << kErrorReportTitle << ": " << ErrorReportText(report) << "\n";
}

}  // namespace korvane
