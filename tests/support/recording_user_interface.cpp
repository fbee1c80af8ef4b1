#include "support/recording_user_interface.h"

namespace korvane::testing {

void RecordingUserInterface::ShowMessage(std::string_view text, MessageIcon icon,
                                         std::string_view title) {
  messages.push_back({std::string(text), icon, std::string(title), false});
}

Answer RecordingUserInterface::Ask(std::string_view text, std::string_view title, Answer goes_on,
                                   MessageIcon icon) {
  messages.push_back({std::string(text), icon, std::string(title), true});
  if (answers.empty())
    return goes_on;
  const Answer answer = answers.front();
  answers.pop_front();
  return answer;
}

std::optional<std::filesystem::path> RecordingUserInterface::RequestSaveFile(
    const FileRequest& request) {
  file_requests.push_back(request);
  if (file_choices.empty())
    return std::nullopt;
  auto choice = file_choices.front();
  file_choices.pop_front();
  return choice;
}

std::optional<std::filesystem::path> RecordingUserInterface::RequestOpenFile(
    const FileRequest& request) {
  return RequestSaveFile(request);
}

int RecordingUserInterface::OpenWithDefaultProgram(std::string_view file_or_address) {
  opened.emplace_back(file_or_address);
  return open_result;
}

bool RecordingUserInterface::PrintText(std::string_view document_name, std::string_view text) {
  printed.emplace_back(document_name, text);
  return true;
}

}  // namespace korvane::testing
