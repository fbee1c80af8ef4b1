// A user interface that records what the core showed and asked, and answers from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "base/error_report.h"
#include "base/user_interface.h"

namespace korvane::testing {

struct RecordedMessage {
  std::string text;
  MessageIcon icon;
  std::string title;
  bool is_question = false;
};

class RecordingUserInterface final : public UserInterface {
 public:
  void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) override;
  Answer Ask(std::string_view text, std::string_view title, Answer goes_on,
             MessageIcon icon) override;
  std::optional<std::filesystem::path> RequestSaveFile(const FileRequest& request) override;
  std::optional<std::filesystem::path> RequestOpenFile(const FileRequest& request) override;
  void SetBusy(bool busy) override { busy_changes.push_back(busy); }
  void ProcessPendingEvents() override { ++pending_events_pumped; }
  void SetClipboardText(std::string_view text) override { clipboard = text; }
  int OpenWithDefaultProgram(std::string_view file_or_address) override;
  bool PrintText(std::string_view document_name, std::string_view text) override;
  void ShowErrorReport(const ErrorReport& report) override { error_reports.push_back(report); }

  // Scripted answers, used in order; when none is left, questions get the answer that goes on.
  std::deque<Answer> answers;
  // Scripted file dialog results; when none is left, the dialog is cancelled.
  std::deque<std::optional<std::filesystem::path>> file_choices;
  int open_result = 0;  // what OpenWithDefaultProgram returns

  std::vector<RecordedMessage> messages;  // messages and questions, in order
  std::vector<FileRequest> file_requests;
  std::vector<bool> busy_changes;
  int pending_events_pumped = 0;
  std::string clipboard;
  std::vector<std::string> opened;
  std::vector<std::pair<std::string, std::string>> printed;  // document name, text
  std::vector<ErrorReport> error_reports;
};

}  // namespace korvane::testing
