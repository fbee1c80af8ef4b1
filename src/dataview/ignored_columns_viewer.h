// frmIgnoreColumnsView without its window: every ignored column of one kind across all tables,
// with the copy, save and send-to-editor commands of its buttons.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "saved/ignored_columns.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kNothingToClipboard =
    "There is nothing to copy to the Clipboard.";
inline constexpr std::string_view kNothingToFile = "There is nothing to copy to file.";
inline constexpr std::string_view kNothingToEditor = "There is nothing to send to the Notepad.";
inline constexpr std::string_view kViewerSaveTitle = "Specify Target File";

// The caption and the text above the list, for kinds Data and Structure (empty otherwise).
std::string_view IgnoreViewerCaption(IgnoredColumnsKind kind);
std::string_view IgnoreViewerText(IgnoredColumnsKind kind);
// The four column headers.
std::vector<std::string> IgnoreViewerHeaders();
// "Number of columns listed: " + count.
std::string IgnoreViewerCountLabel(std::size_t count);

// The buttons. Each refuses an empty listing with its message (information).
void CopyListingToClipboard(ApplicationContext& context, const IgnoredColumnsListing& listing);
// Asks for the file (save dialog "Specify Target File", name Report, ".txt", filter "*.*") and
// writes the text there; false when cancelled, empty or not written (then says why).
bool CopyListingToFile(ApplicationContext& context, const IgnoredColumnsListing& listing);
bool SendListingToEditor(ApplicationContext& context, const IgnoredColumnsListing& listing);

}  // namespace korvane
