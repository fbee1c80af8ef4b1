#include "dataview/ignored_columns_viewer.h"

#include "app/application_context.h"
#include "base/files.h"
#include "base/user_interface.h"
#include "dataview/text_handoff.h"

namespace korvane {

std::string_view IgnoreViewerCaption(IgnoredColumnsKind kind) {
  switch (kind) {
    case IgnoredColumnsKind::Data:
      return "Ignore Columns - Data Comparison";
    case IgnoredColumnsKind::Structure:
      return "Ignore Columns - Structure Comparison";
    default:
      return {};
  }
}

std::string_view IgnoreViewerText(IgnoredColumnsKind kind) {
  switch (kind) {
    case IgnoredColumnsKind::Data:
      return "The columns listed below are ignored during data comparisons.";
    case IgnoredColumnsKind::Structure:
      return "The columns listed below are ignored during structure comparisons.";
    default:
      return {};
  }
}

std::vector<std::string> IgnoreViewerHeaders() {
  return {"Server", "Database", "Table", "Column"};
}

std::string IgnoreViewerCountLabel(std::size_t count) {
  return "Number of columns listed: " + std::to_string(count);
}

void CopyListingToClipboard(ApplicationContext& context, const IgnoredColumnsListing& listing) {
  if (listing.text.empty()) {
    context.ui.ShowMessage(kNothingToClipboard, MessageIcon::kInformation);
    return;
  }
  context.ui.SetClipboardText(listing.text);
}

bool CopyListingToFile(ApplicationContext& context, const IgnoredColumnsListing& listing) {
  if (listing.text.empty()) {
    context.ui.ShowMessage(kNothingToFile, MessageIcon::kInformation);
    return false;
  }
  FileRequest request;
  request.title = std::string(kViewerSaveTitle);
  request.filter = "*.*|*.*";
  request.proposed_name = "Report.txt";
  request.initial_folder = context.locations.data_folder;
  const std::optional<std::filesystem::path> file = context.ui.RequestSaveFile(request);
  if (!file)
    return false;
  std::filesystem::path chosen = *file;
  if (!chosen.has_extension())
    chosen += ".txt";
  if (!WriteFileAtomically(chosen, listing.text)) {
    context.ui.ShowMessage("The file " + chosen.string() + " could not be written.",
                           MessageIcon::kExclamation);
    return false;
  }
  return true;
}

bool SendListingToEditor(ApplicationContext& context, const IgnoredColumnsListing& listing) {
  if (listing.text.empty()) {
    context.ui.ShowMessage(kNothingToEditor, MessageIcon::kInformation);
    return false;
  }
  return SendToTextEditor(context, listing.text);
}

}  // namespace korvane
