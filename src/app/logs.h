// The data comparison log, the error log and the debug-mode marker. Log writing never reports
// a failure: a line that cannot be written is lost and the caller goes on.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace korvane {

class Clock;
struct AppLocations;

// "hh:mm:ss" + five blanks + message + CR LF. Messages may hold line breaks; nothing is escaped.
std::string LogLine(const Clock& clock, std::string_view message);

// Appends one log line to "LogDataComp.txt"; the file is opened and closed for every line, so
// the log is complete on disk after each one.
void WriteDataCompLog(const AppLocations& locations, const Clock& clock, std::string_view message);

// Removes "ErrorLog.txt" when it exists; errors are ignored.
void ClearErrorLog(const AppLocations& locations);

// True when the debug marker file exists; any error counts as absent.
bool DetectDebugMode(const std::filesystem::path& marker);

}  // namespace korvane
