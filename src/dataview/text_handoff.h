// Handing a text to the desktop's text editor: the text is written to a file of its own in the
// writable program-files folder, named by the time "yyyymmddhhMMss" and ".tmp" (with "-1",
// "-2" ... added when that name is taken, so two sends in one second never share a file), and
// opened with the default program. The editor may still read a file when the program ends, so
// files are removed at a later start-up, once they are a day old.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>

namespace korvane {

class Clock;
struct ApplicationContext;

// True for a name a hand-off writes: 14 digits, optionally "-" and digits, then ".tmp".
bool IsHandOffFileName(std::string_view name);

// Creates a new hand-off file in `folder` (created when missing) holding `text`. Nothing when
// no file could be created or written.
std::optional<std::filesystem::path> WriteHandOffFile(const std::filesystem::path& folder,
                                                      const Clock& clock, std::string_view text);

// Removes the hand-off files in `folder` last written before `now - max_age`. Other files are
// left alone. Returns how many were removed.
int RemoveStaleHandOffFiles(const std::filesystem::path& folder,
                            std::filesystem::file_time_type now,
                            std::chrono::hours max_age = std::chrono::hours(24));

// Sends the text to the editor: the file, then the default program. A failed launch shows
// "Error on LaunchProgram: " + code; a file that cannot be written shows why. True when the
// editor was started.
bool SendToTextEditor(ApplicationContext& context, std::string_view text);

}  // namespace korvane
