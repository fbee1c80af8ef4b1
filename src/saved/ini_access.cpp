#include "saved/ini_access.h"

#include <limits>
#include <optional>

#include "base/files.h"
#include "base/text.h"
#include "saved/ini_document.h"

namespace korvane {

namespace {

std::optional<std::string> StoredValue(std::string_view section, std::string_view key,
                                       const std::filesystem::path& file) {
  const std::optional<IniDocument> document = IniDocument::Load(file);
  if (!document)
    return std::nullopt;
  return document->Value(section, key);
}

}  // namespace

std::int16_t ReadIniInteger(std::string_view section, std::string_view key,
                            const std::filesystem::path& file) {
  const std::string text = ReadIniString(section, key, file);
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
    ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  const std::size_t first_digit = pos;
  std::int64_t magnitude = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    magnitude = magnitude * 10 + (text[pos] - '0');
    if (magnitude > 32768)
      return 0;  // out of range however many digits follow
  }
  if (pos == first_digit)
    return 0;
  const std::int64_t number = negative ? -magnitude : magnitude;
  if (number < std::numeric_limits<std::int16_t>::min() ||
      number > std::numeric_limits<std::int16_t>::max()) {
    return 0;
  }
  return static_cast<std::int16_t>(number);
}

std::string ReadIniString(std::string_view section, std::string_view key,
                          const std::filesystem::path& file) {
  const std::optional<std::string> value = StoredValue(section, key, file);
  return value ? std::string(Utf8Left(*value, kIniStringMaxChars)) : std::string();
}

bool WriteIniString(std::string_view section, std::string_view key, std::string_view value,
                    const std::filesystem::path& file) {
  if (file.empty())
    return false;
  std::string lock_error;
  const std::optional<FileLock> lock = FileLock::Acquire(file, lock_error);
  if (!lock)
    return false;
  std::optional<IniDocument> document = IniDocument::Load(file);
  if (!document)
    return false;
  switch (document->SetValue(section, key, value)) {
    case IniDocument::Edit::kRefused:
      return false;
    case IniDocument::Edit::kUnchanged:
      return true;
    case IniDocument::Edit::kChanged:
      break;
  }
  return document->Save(file);
}

}  // namespace korvane
