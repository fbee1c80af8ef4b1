#include "dataview/text_handoff.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <system_error>

#include "app/application_context.h"
#include "base/clock.h"
#include "base/user_interface.h"
#include "export/export_texts.h"

namespace korvane {
namespace {

std::string TimeStamp(const Clock& clock) {
  const LocalDateTime now = clock.LocalNow();
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", now.year, now.month, now.day,
                now.hour, now.minute, now.second);
  return text;
}

bool AllDigits(std::string_view text) {
  if (text.empty())
    return false;
  for (const char c : text) {
    if (c < '0' || c > '9')
      return false;
  }
  return true;
}

}  // namespace

bool IsHandOffFileName(std::string_view name) {
  constexpr std::string_view kExtension = ".tmp";
  if (name.size() < 14 + kExtension.size() || !name.ends_with(kExtension))
    return false;
  name.remove_suffix(kExtension.size());
  if (!AllDigits(name.substr(0, 14)))
    return false;
  const std::string_view rest = name.substr(14);
  return rest.empty() || (rest.front() == '-' && AllDigits(rest.substr(1)));
}

std::optional<std::filesystem::path> WriteHandOffFile(const std::filesystem::path& folder,
                                                      const Clock& clock, std::string_view text) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const std::string stamp = TimeStamp(clock);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string name =
        stamp + (attempt == 0 ? std::string() : "-" + std::to_string(attempt)) + ".tmp";
    const std::filesystem::path file = folder / name;
    // "x": created exclusively, never an existing file reused.
    std::FILE* out = std::fopen(file.c_str(), "wbx");
    if (out == nullptr) {
      if (errno == EEXIST)
        continue;
      return std::nullopt;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
      std::filesystem::remove(file, error);
      return std::nullopt;
    }
    return file;
  }
  return std::nullopt;
}

int RemoveStaleHandOffFiles(const std::filesystem::path& folder,
                            std::filesystem::file_time_type now, std::chrono::hours max_age) {
  std::error_code error;
  int removed = 0;
  std::filesystem::directory_iterator it(folder, error);
  if (error)
    return 0;
  for (const std::filesystem::directory_entry& entry : it) {
    if (!IsHandOffFileName(entry.path().filename().string()) || !entry.is_regular_file(error))
      continue;
    const std::filesystem::file_time_type written = entry.last_write_time(error);
    if (error || written >= now - max_age)
      continue;
    if (std::filesystem::remove(entry.path(), error))
      ++removed;
  }
  return removed;
}

bool SendToTextEditor(ApplicationContext& context, std::string_view text) {
  const std::optional<std::filesystem::path> file =
      WriteHandOffFile(context.locations.writable_folder, context.clock, text);
  if (!file) {
    context.ui.ShowMessage("The text could not be written to a file in " +
                               context.locations.writable_folder.string() + ".",
                           MessageIcon::kExclamation);
    return false;
  }
  const int code = context.ui.OpenWithDefaultProgram(file->string());
  if (code != 0) {
    context.ui.ShowMessage(std::string(kLaunchProgramError) + std::to_string(code),
                           MessageIcon::kExclamation);
    return false;
  }
  return true;
}

}  // namespace korvane
