#include "compare/structure_text_copy.h"

#include "base/files.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "compare/report_window.h"

namespace korvane {
namespace {

// The view's lines joined, each followed by CR LF; empty when the view is empty or cannot be
// read.
std::string ViewLines(const TextView& box) {
  std::vector<CompLine> lines;
  bool error = false;
  if (TXText_ConvTextToArray(box, lines, error) < 1 || error)
    return {};
  return TXText_ConvArrayToText(lines);
}

std::string SafeFileName(std::string_view name) {
  std::string safe(name);
  for (char& c : safe) {
    if (c == '/' || c == '\\' || c == '\0')
      c = '_';
  }
  return safe;
}

}  // namespace

std::string TXText_ConvArrayToText(const std::vector<CompLine>& lines) {
  std::string text;
  for (const CompLine& line : lines) {
    text += line.text;
    text += kCrLf;
  }
  return text;
}

void CopyStructureToClipboard(bool object_selected, const TextView& box, UserInterface& ui) {
  if (!object_selected) {
    ui.ShowMessage(kNothingToCopyMessage, MessageIcon::kInformation, kCannotCopyTitle);
    return;
  }
  ui.SetClipboardText("");
  const std::string text = ViewLines(box);
  if (!text.empty())
    ui.SetClipboardText(text);
}

std::string CopyToFile(std::string_view text, std::string_view proposed_name,
                       const std::filesystem::path& proposal_folder, UserInterface& ui) {
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty())
    return {};
  FileRequest request;
  request.title = kSpecifyTargetFileTitle;
  request.filter = kAnyFileFilter;
  request.proposed_name = SafeFileName(proposed_name) + ".txt";
  request.initial_folder = proposal_folder;
  request.overwrite_prompt = true;
  const std::optional<std::filesystem::path> file = ui.RequestSaveFile(request);
  if (!file || file->empty())
    return {};
  if (!WriteFileAtomically(*file, trimmed)) {
    ui.ShowMessage("Error in Sub CopyToFile, error nr " + std::to_string(kFileAccessErrorNumber) +
                       " (" + std::string(kFileAccessErrorDescription) + ").",
                   MessageIcon::kCritical);
    return {};
  }
  return file->string();
}

std::string CopyStructureToFile(bool object_selected, const TextView& box,
                                std::string_view object_name,
                                const std::filesystem::path& proposal_folder, UserInterface& ui) {
  if (!object_selected) {
    ui.ShowMessage(kNothingToCopyMessage, MessageIcon::kInformation, kCannotCopyTitle);
    return {};
  }
  return CopyToFile(ViewLines(box), object_name, proposal_folder, ui);
}

}  // namespace korvane
