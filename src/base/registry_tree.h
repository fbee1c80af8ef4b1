// An in-memory registry hive as the settings store keeps it, and its text form: the Windows
// "Registry Editor" export format (.reg), which people can read, diff and hand-edit.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\KVN\Comparisons]
//   "IgnoreColSeq"=dword:00000001
//   "Name"="a \"quoted\" C:\\path"
//   "WithNul"=hex(1):41,00,00,00,42,00,00,00
//
// Key and value names compare without regard to letter case, as in the registry; their
// spelling is kept as first written. Strings that hold a NUL or a line break are written as
// hex(1) (UTF-16LE, as the Registry Editor writes such values) so they survive exactly; values
// of other types (binary, expandable, multi-string, qword) are kept as their bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvane {

struct RegistryValue {
  enum class Kind { kString, kDword, kRaw };
  Kind kind = Kind::kString;
  std::string text;                 // kString: UTF-8, may hold NUL characters
  std::uint32_t number = 0;         // kDword
  int raw_type = 3;                 // kRaw: registry type number (3 binary, 2 expandable, ...)
  std::vector<std::uint8_t> bytes;  // kRaw

  static RegistryValue String(std::string_view text);
  static RegistryValue Dword(std::uint32_t number);

  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

class RegistryTree {
 public:
  struct Key {
    std::string path;  // full path, e.g. "HKEY_CURRENT_USER\Software\KVN"
    std::vector<std::pair<std::string, RegistryValue>> values;
  };

  struct ParseResult;

  // Reads .reg text (UTF-8, or UTF-16LE with its byte-order mark). Lines that cannot be read
  // are skipped and counted; everything else is kept.
  static ParseResult Parse(std::string_view text);

  // The .reg text: header, then each key (sorted by path, parents first) with its values, CR LF
  // line ends, a blank line after each key.
  std::string ToText() const;

  // True when the key or any key below it exists.
  bool KeyExists(std::string_view path) const;
  const Key* FindKey(std::string_view path) const;
  const RegistryValue* FindValue(std::string_view path, std::string_view name) const;

  // Creates the key when missing (its parents exist implicitly).
  Key& CreateKey(std::string_view path);
  void SetValue(std::string_view path, std::string_view name, RegistryValue value);
  // Removes one value; false when it did not exist.
  bool DeleteValue(std::string_view path, std::string_view name);
  // Removes the key with everything below it.
  void DeleteKey(std::string_view path);

  const std::vector<Key>& keys() const { return keys_; }
  std::size_t key_count() const { return keys_.size(); }

  // Names of the keys directly below `path`, in the tree's order.
  std::vector<std::string> SubkeyNames(std::string_view path) const;

 private:
  Key* FindMutableKey(std::string_view path);
  void RebuildIndex();

  std::vector<Key> keys_;
  // Position in keys_ of each key, by its path in lower case: lookups do not depend on the
  // number of keys.
  std::unordered_map<std::string, std::size_t> index_;
};

struct RegistryTree::ParseResult {
  RegistryTree tree;
  std::vector<std::string> unreadable_lines;
  // Characters copied while joining continued lines plus keys looked up: a measure of the work
  // the parse did, which grows with the size of the text alone.
  std::size_t work = 0;
};

// UTF-8 <-> UTF-16LE as the registry stores strings. Bytes that are not valid UTF-8 are taken
// as Latin-1 characters, so nothing is dropped.
std::vector<std::uint8_t> Utf8ToUtf16Le(std::string_view text);
std::optional<std::string> Utf16LeToUtf8(const std::vector<std::uint8_t>& bytes);

}  // namespace korvane
