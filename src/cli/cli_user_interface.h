// The user boundary of the command line: messages go to stderr as "TITLE: TEXT", questions are
// answered with the answer that lets the requested command go on (and noted), and nothing
// waits for a person. A progress line drawn on the terminal is erased before anything is written.
#pragma once

#include <ostream>

#include "base/user_interface.h"

namespace korvane {

class TerminalProgressLine;

class CliUserInterface final : public UserInterface {
 public:
  explicit CliUserInterface(std::ostream& err) : err_(err) {}

  void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) override;
  Answer Ask(std::string_view text, std::string_view title, Answer goes_on,
             MessageIcon icon) override;
  std::optional<std::filesystem::path> RequestSaveFile(const FileRequest& request) override;
  std::optional<std::filesystem::path> RequestOpenFile(const FileRequest& request) override;
  void SetBusy(bool) override {}
  void ProcessPendingEvents() override {}
  void SetClipboardText(std::string_view) override {}
  int OpenWithDefaultProgram(std::string_view file_or_address) override;
  bool PrintText(std::string_view document_name, std::string_view text) override;
  void ShowErrorReport(const ErrorReport& report) override;

  // The progress line drawn on the same terminal as `err`, erased before each message; nothing.
  void SetProgressLine(TerminalProgressLine* line) { progress_line_ = line; }

 private:
  // The stream for a message, with the progress line erased first.
  std::ostream& Err();

  std::ostream& err_;
  TerminalProgressLine* progress_line_ = nullptr;
};

}  // namespace korvane
