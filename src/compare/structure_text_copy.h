// Copying the structure text a view shows to the clipboard or to a file (the copy buttons
// beside each structure view).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "compare/comp_line.h"

namespace korvane {

class TextView;
class UserInterface;

inline constexpr std::string_view kNothingToCopyMessage = "There is nothing to copy.";
inline constexpr std::string_view kCannotCopyTitle = "Cannot Copy";

// The lines' texts, each followed by CR LF.
std::string TXText_ConvArrayToText(const std::vector<CompLine>& lines);

// Copy to clipboard. Without a selected object shows "There is nothing to copy." (title
// "Cannot Copy"). Otherwise clears the clipboard and, when the view reads into at least one
// line, puts the lines on it, each followed by CR LF.
void CopyStructureToClipboard(bool object_selected, const TextView& box, UserInterface& ui);

// Writes the text, trimmed of spaces, to a file the person picks in a save dialog ("Specify
// Target File", any file, `proposed_name` + ".txt" proposed in `proposal_folder`, the data folder,
// overwriting only after asking), without byte-order mark and with nothing appended. Returns the
// written file's name; empty when the text is empty, the dialog was cancelled or the file could not
// be written ("Error in Sub CopyToFile, error nr 75 (Path/File access error).", critical icon).
// Path separators in the proposed name become "_", so an object name cannot point the
// proposal into another folder.
std::string CopyToFile(std::string_view text, std::string_view proposed_name,
                       const std::filesystem::path& proposal_folder, UserInterface& ui);

// Copy to file: the same refusal as CopyStructureToClipboard; otherwise the view's lines,
// each followed by CR LF, go through CopyToFile with the object's name.
std::string CopyStructureToFile(bool object_selected, const TextView& box,
                                std::string_view object_name,
                                const std::filesystem::path& proposal_folder, UserInterface& ui);

}  // namespace korvane
