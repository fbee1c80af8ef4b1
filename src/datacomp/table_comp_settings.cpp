#include "datacomp/table_comp_settings.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string>

#include "base/files.h"
#include "base/text.h"
#include "saved/ini_access.h"
#include "saved/ini_document.h"

namespace korvane {

namespace {

// The file is read and written as one document so that a section costs one parse and a save
// one replacement; the rules are those of the one-shot INI reads and writes.

constexpr std::array<std::string_view, 3> kSortKeyKeys = {kPrimarySortKeyKey, kSecondarySortKeyKey,
                                                          kTertiarySortKeyKey};
constexpr std::array<std::string_view, 3> kCompKeyKeys = {kCompKeyKey, kSecondaryCompKeyKey,
                                                          kTertiaryCompKeyKey};

std::string ReadString(const IniDocument& document, std::string_view section,
                       std::string_view key) {
  const std::optional<std::string> value = document.Value(section, key);
  return value ? std::string(Utf8Left(*value, kIniStringMaxChars)) : std::string();
}

// Blanks, an optional sign, then digits up to the first other character; nothing when there
// are no digits or the number does not fit 32 bits.
std::optional<std::int32_t> ReadInteger(const IniDocument& document, std::string_view section,
                                        std::string_view key) {
  const std::string text = ReadString(document, section, key);
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
    if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
      return std::nullopt;
  }
  if (pos == first_digit)
    return std::nullopt;
  const std::int64_t number = negative ? -magnitude : magnitude;
  if (number < std::numeric_limits<std::int32_t>::min() ||
      number > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(number);
}

TableCompSettings ReadSection(const IniDocument& document, std::string_view section) {
  TableCompSettings settings;
  for (int rank = 0; rank < 3; ++rank) {
    settings.side.sort_keys[rank] = ReadString(document, section, kSortKeyKeys[rank]);
    settings.side.key_columns[rank] = ReadString(document, section, kCompKeyKeys[rank]);
  }
  settings.side.offset =
      std::max(0, ReadInteger(document, section, kOffsetStartRecKey).value_or(0));
  settings.CompMethod = ReadInteger(document, section, kCompMethodKey) == kCompMethodPrimaryKey
                            ? kCompMethodPrimaryKey
                            : kCompMethodRecordByRecord;
  return settings;
}

// Applies every key of one section; false when a value was refused.
bool SetSection(IniDocument& document, std::string_view section, const TableCompSettings& settings,
                bool is_source) {
  bool all_stored = true;
  const auto set = [&](std::string_view key, std::string_view value) {
    all_stored =
        document.SetValue(section, key, value) != IniDocument::Edit::kRefused && all_stored;
  };
  for (int rank = 0; rank < 3; ++rank)
    set(kSortKeyKeys[rank], settings.side.sort_keys[rank]);
  set(kOffsetStartRecKey, std::to_string(settings.side.offset));
  set(kDbTypeKey, kDbTypeSqlServer);
  set(kCompMethodKey, std::to_string(settings.CompMethod));
  for (int rank = 0; rank < 3; ++rank)
    set(kCompKeyKeys[rank], settings.side.key_columns[rank]);
  if (is_source)
    set(kIgnoreColumnKey, "");
  return all_stored;
}

// Applies `edit` to the file's content and saves it when anything changed.
template <typename EditFunction>
bool EditFile(const std::filesystem::path& file, EditFunction edit) {
  if (file.empty())
    return false;
  // Read and written under the file's lock, so that runs side by side keep each other's edits.
  std::string lock_error;
  const std::optional<FileLock> lock = FileLock::Acquire(file, lock_error);
  if (!lock)
    return false;
  std::optional<IniDocument> document = IniDocument::Load(file);
  if (!document)
    return false;  // never replace a file that could not be read
  const std::string before = document->ToText();
  const bool all_stored = edit(*document);
  if (document->ToText() != before && !document->Save(file))
    return false;
  return all_stored;
}

}  // namespace

TableCompSettings ReadTableCompSettings(const std::filesystem::path& file,
                                        std::string_view table_key) {
  const std::optional<IniDocument> document = IniDocument::Load(file);
  return document ? ReadSection(*document, table_key) : TableCompSettings{};
}

bool WriteTableCompSettings(const std::filesystem::path& file, std::string_view table_key,
                            const TableCompSettings& settings, bool is_source) {
  return EditFile(file, [&](IniDocument& document) {
    return SetSection(document, table_key, settings, is_source);
  });
}

DataCompareOptions ReadStoredDataCompareOptions(const std::filesystem::path& file,
                                                std::string_view source_key,
                                                std::string_view target_key) {
  const std::optional<IniDocument> document = IniDocument::Load(file);
  if (!document)
    return {};
  const TableCompSettings source = ReadSection(*document, source_key);
  const TableCompSettings target = ReadSection(*document, target_key);
  DataCompareOptions options;
  options.sides = {source.side, target.side};
  options.use_default_order = false;
  options.CompMethod = target.CompMethod;
  return options;
}

bool StoreDataCompareOptions(const std::filesystem::path& file, std::string_view source_key,
                             std::string_view target_key, const DataCompareOptions& options) {
  return EditFile(file, [&](IniDocument& document) {
    bool all_stored = true;
    for (int side = 0; side < 2; ++side) {
      TableCompSettings settings{options.sides[side], options.CompMethod};
      if (options.use_default_order)
        settings.side.sort_keys = {};
      all_stored = SetSection(document, side == 0 ? source_key : target_key, settings,
                              /*is_source=*/side == 0) &&
                   all_stored;
    }
    return all_stored;
  });
}

}  // namespace korvane
