// The per-user settings store: registry semantics (keys, DWORD and string values, delete key)
// over one .reg text file. Every change rewrites the file atomically, created readable by its
// owner alone since it holds server passwords. Reads pick up changes another process (the
// command line beside the GUI) made to the file since the last read.
//
// Every change is a read-modify-write under the file's advisory lock (FileLock): the file is
// read again inside the lock, so runs of the program side by side never lose each other's
// changes. A file that exists but cannot be read is never written: the store then reads as
// empty, every change fails, and unreadable_reason() says why.
//
// Reads never fail: a read falls back to its default. Changes report failure (last_error()
// says why); callers whose write the user asked for report it, incidental writes ignore it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/files.h"
#include "base/registry_tree.h"

namespace korvane {

// Key paths are relative to HKEY_CURRENT_USER, e.g. "Software\KVN\Comparisons".
inline constexpr std::string_view kHive = "HKEY_CURRENT_USER";

inline constexpr std::string_view kSettingsUnreadableTitle = "Settings Cannot Be Read";

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

  // Single changes; false when the file was not written (see last_error()).
  bool SaveNumber(std::string_view key, std::string_view name, std::uint32_t value);
  bool SaveString(std::string_view key, std::string_view name, std::string_view text);
  bool CreateKey(std::string_view key);
  bool DeleteKey(std::string_view key);

  // Applies several changes and writes them as one file replacement: all or nothing. `change`
  // works on paths relative to the hive, like the methods above, on the file as read inside
  // the lock. Returns false when the file could not be written (the changes are then dropped).
  bool Update(const std::function<void(RegistryTree& tree)>& change);
  // The same, but `change` may decide, seeing the current content, that nothing is to be
  // written (returns false): the file is left alone and the result is false with an empty
  // last_error().
  bool UpdateIf(const std::function<bool(RegistryTree& tree)>& change);

  // Why the last change failed; empty after a success or a change the caller called off.
  const std::string& last_error() const { return last_error_; }

  // The notice for a file that exists but cannot be read (naming the file and the system's
  // reason); empty when the file was read or does not exist.
  const std::string& unreadable_reason() const;

  // Holds what was read at its start for every read of the store while it lives: a run of
  // reads that make one operation looks at the file once. Scopes may nest.
  class ReadScope {
   public:
    explicit ReadScope(const SettingsStore& store);
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;
    ~ReadScope();

   private:
    const SettingsStore& store_;
  };

  // How many times the store has looked at the file's status (for checks of the read path).
  std::uint64_t file_checks() const { return file_checks_; }

  // Lines of the file that could not be read at the last load; the file as it was, without
  // its "Pwd" values, is kept in BackupPath() before the first write replaces it.
  const std::vector<std::string>& unreadable_lines() const;
  std::filesystem::path BackupPath() const;

 private:
  void RefreshIfChanged() const;
  void Reload() const;
  bool WriteBackupWithoutPasswords() const;

  std::filesystem::path file_;
  // The file's stamp now; counts one file check.
  FileStamp ReadStamp() const;

  // The file's content as last read (mutable: reads refresh it).
  mutable RegistryTree tree_;
  mutable std::optional<FileStamp> stamp_;
  mutable std::vector<std::string> unreadable_lines_;
  mutable std::string raw_text_;  // the file as last read, kept while a backup is pending
  mutable bool backup_pending_ = false;
  mutable std::string unreadable_reason_;
  mutable int read_scopes_ = 0;
  mutable std::uint64_t file_checks_ = 0;
  std::string last_error_;
};

// The text of a .reg file with every "Pwd" value (and its continuation lines) left out.
std::string RegTextWithoutPasswords(std::string_view text);

// The root key of every setting the program keeps.
inline constexpr std::string_view kSettingsRoot = "Software\\KVN";

// "Software\KVN" for an empty subkey, else "Software\KVN\" + subkey.
std::string SettingsKeyPath(std::string_view subkey);

}  // namespace korvane
