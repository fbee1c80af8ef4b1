#include "app/logs.h"

#include <string>
#include <system_error>

#include "app/locations.h"
#include "base/clock.h"
#include "base/files.h"

namespace korvane {

std::string LogLine(const Clock& clock, std::string_view message) {
  return FormatTimeOfDay(clock.LocalNow()) + "     " + std::string(message) + "\r\n";
}

void WriteDataCompLog(const AppLocations& locations, const Clock& clock, std::string_view message) {
  AppendToFile(locations.data_comp_log, LogLine(clock, message));
}

void ClearErrorLog(const AppLocations& locations) {
  std::error_code error;
  if (std::filesystem::is_regular_file(locations.error_log, error)) {
    std::filesystem::remove(locations.error_log, error);
  }
}

bool DetectDebugMode(const std::filesystem::path& marker) {
  std::error_code error;
  return std::filesystem::exists(marker, error) && !error;
}

}  // namespace korvane
