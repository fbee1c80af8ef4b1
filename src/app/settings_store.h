// The per-user settings store: registry semantics (keys, DWORD and string values, delete key)
// over one .reg text file. Every change rewrites the file atomically, created readable by its
// owner alone since it holds server passwords. Reads pick up changes another process (the
// command line beside the GUI) made to the file since the last read.
//
// Failures are silent, as the program's registry primitives are: a read falls back to its
// default, a failed write leaves the stored settings as they were.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/registry_tree.h"

namespace korvane {

// Key paths are relative to HKEY_CURRENT_USER, e.g. "Software\KVN\Comparisons".
inline constexpr std::string_view kHive = "HKEY_CURRENT_USER";

class SettingsStore {
 public:
  explicit SettingsStore(std::filesystem::path file);

  const std::filesystem::path& file() const { return file_; }

  // The stored number when the value exists and is a DWORD; otherwise the default.
  std::uint32_t GetNumber(std::string_view key, std::string_view name,
                          std::uint32_t default_value) const;
  // The stored text up to its first NUL when the value exists and is a string; otherwise the
  // default.
  std::string GetString(std::string_view key, std::string_view name,
                        std::string_view default_value) const;
  // The value as stored, for tools that show settings as they are.
  std::optional<RegistryValue> GetValue(std::string_view key, std::string_view name) const;
  bool KeyExists(std::string_view key) const;
  std::vector<std::string> SubkeyNames(std::string_view key) const;

  void SaveNumber(std::string_view key, std::string_view name, std::uint32_t value);
  void SaveString(std::string_view key, std::string_view name, std::string_view text);
  void CreateKey(std::string_view key);
  void DeleteKey(std::string_view key);

  // Applies several changes and writes them as one file replacement: all or nothing. `change`
  // works on paths relative to the hive, like the methods above. Returns false when the file
  // could not be written (the changes are then dropped).
  bool Update(const std::function<void(RegistryTree& tree)>& change);

  // Lines of the file that could not be read at the last load; the file as it was is kept in
  // BackupPath() before the first write replaces it.
  const std::vector<std::string>& unreadable_lines() const { return unreadable_lines_; }
  std::filesystem::path BackupPath() const;

 private:
  void RefreshIfChanged() const;

  std::filesystem::path file_;
  struct Stamp {
    bool exists = false;
    std::filesystem::file_time_type time{};
    std::uintmax_t size = 0;
    friend bool operator==(const Stamp&, const Stamp&) = default;
  };
  static Stamp ReadStamp(const std::filesystem::path& file);

  // The file's content as last read (mutable: reads refresh it).
  mutable RegistryTree tree_;
  mutable std::optional<Stamp> stamp_;
  mutable std::vector<std::string> unreadable_lines_;
  mutable bool backup_pending_ = false;
};

}  // namespace korvane
