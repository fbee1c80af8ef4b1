// cInifile: one INI file with a current section, key and default, read, written, deleted and
// enumerated the way the program's callers use the Windows profile functions. The file rules
// are IniDocument's (saved/ini_document.h).
//
// Usage: set Path; to read, set Section and Key and read Value; to write, set them, call
// SetValue and check Success where it matters; to enumerate, call EnumerateAllSections or
// EnumerateCurrentSection.
//
// Reads never fail: a missing or unreadable file, section or key gives Default. Every write or
// delete that changes something replaces the whole file atomically; its outcome is kept in
// LastReturnCode. A write never replaces a file that exists but cannot be read. Each write reads
// the file again under its advisory lock (FileLock), so runs side by side keep each other's
// changes.
//
// The object keeps the file's parsed content between calls and reads the file again when it
// was replaced or changed, so a run of reads costs one parse.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/files.h"
#include "saved/ini_document.h"

namespace korvane {

// Longest value a read returns, in characters: the text of a 255-character buffer.
inline constexpr std::size_t kIniValueMaxChars = 254;

class cInifile {
 public:
  // Outcome of the last write or delete: non-zero for success, 0 for failure or before the
  // first one. Reads leave it alone.
  std::int32_t LastReturnCode() const { return last_return_code_; }
  bool Success() const { return last_return_code_ != 0; }
  // Why the last write or delete failed when its file's lock could not be taken; empty
  // otherwise.
  const std::string& LastError() const { return last_error_; }

  // Returned by reads when the section or key is missing; empty until set.
  const std::string& Default() const { return default_; }
  void SetDefault(std::string_view text) { default_ = text; }

  const std::filesystem::path& Path() const { return path_; }
  void SetPath(const std::filesystem::path& path) { path_ = path; }

  const std::string& Key() const { return key_; }
  void SetKey(std::string_view key) { key_ = key; }

  const std::string& Section() const { return section_; }
  void SetSection(std::string_view section) { section_ = section; }

  // The value of Key in Section, or Default; at most kIniValueMaxChars characters (a longer
  // stored value comes back cut, never inside a character).
  std::string Value() const;

  // Stores the text under Key in Section with every NUL character removed.
  void SetValue(std::string_view text);

  // Removes Section with all its keys. A section that is not there is no failure.
  void DeleteSection();

  // Removes Key from Section. A key that is not there is no failure.
  void DeleteKey();

  // The key names of Section, each followed by a NUL character, in file order; Default when
  // the section has no keys. Names are never cut.
  std::string INISection() const;

  // All section names, each followed by a NUL character, in file order; the empty text when
  // there are none. Names are never cut.
  std::string Sections() const;

  // The pieces of INISection before each NUL: the key names of Section in file order.
  std::vector<std::string> EnumerateCurrentSection() const;

  // The non-empty pieces of Sections before each NUL: the section names in file order.
  std::vector<std::string> EnumerateAllSections() const;

 private:
  // The file's content, refreshed when the file changed; nothing when it cannot be read.
  const std::optional<IniDocument>& Content() const;

  // Applies an edit to the current content and writes the file when it changed.
  template <typename Change>
  void Update(Change change);

  std::filesystem::path path_;
  std::string section_;
  std::string key_;
  std::string default_;
  std::int32_t last_return_code_ = 0;
  std::string last_error_;

  mutable std::filesystem::path cached_path_;
  mutable std::optional<FileStamp> cached_stamp_;
  mutable std::optional<IniDocument> cached_content_;
};

}  // namespace korvane
