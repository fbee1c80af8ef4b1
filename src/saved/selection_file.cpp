#include "saved/selection_file.h"

#include <system_error>

#include "base/files.h"
#include "base/text.h"

namespace korvane {
namespace fs = std::filesystem;

std::string FormatProcessId(std::int32_t id) {
  const std::int64_t wide = id;
  std::string digits = std::to_string(wide < 0 ? -wide : wide);
  if (digits.size() < 3)
    digits.insert(0, 3 - digits.size(), '0');
  return wide < 0 ? "-" + digits : digits;
}

fs::path SelectionFilePath(const fs::path& data_folder, std::int32_t id, SelectionSide side) {
  const std::string_view suffix = side == SelectionSide::kSource ? "src" : "tgt";
  return data_folder / ("kvn_" + FormatProcessId(id) + "_" + std::string(suffix) + ".txt");
}

bool WriteSelectionFile(const fs::path& file, const std::vector<std::string>& names) {
  std::string content;
  for (const std::string& name : names) {
    content += name;
    content += kCrLf;
  }
  return WriteFileAtomically(file, content);
}

std::optional<std::vector<std::string>> ReadSelectionFile(const fs::path& file) {
  std::error_code error;
  if (!fs::is_regular_file(file, error))
    return std::nullopt;
  const std::optional<std::string> content = ReadWholeFile(file);
  if (!content)
    return std::nullopt;
  std::string_view text = *content;
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
    text.remove_prefix(kUtf8Bom.size());
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    lines.emplace_back(line);
  }
  return lines;
}

bool DeleteSelectionFile(const fs::path& file) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(file, error);
  if (status.type() == fs::file_type::not_found)
    return true;
  if (error || fs::is_directory(status))
    return false;  // never remove a folder standing where a selection file belongs
  return fs::remove(file, error) && !error;
}

}  // namespace korvane
