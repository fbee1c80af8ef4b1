// The content of one INI file, with the rules of the Windows profile functions that the
// program's INI files rely on:
//
//   ; a comment line
//   [Section Name]
//   Key=value
//   Other = "  a value with blanks kept "
//
// - A header line is "[" name "]"; the name runs to the last "]" of the line, so names holding
//   "]" survive. Section and key names match without regard to (ASCII) letter case and
//   with surrounding blanks ignored, in the file and in requests alike.
// - A key line is name "=" value: the name ends at the first "=", name and value are trimmed of
//   blanks, and a value enclosed in one pair of matching quotes (" or ') reads without them.
// - Comment lines (";" first), blank lines, key lines before the first header and lines that
//   are none of the above are kept as they are, but never found or listed.
// - Writing a key that exists replaces its value in place (the line keeps its key spelling);
//   a new key goes after the last line of its section, a new section at the end of the file.
// - Two headers naming the same section form one section: reads and listings see their keys in
//   file order, the first line of a repeated key wins, deletes remove every copy.
//
// Text is UTF-8; a byte-order mark is dropped. Lines end in CR LF or LF when read and in CR LF
// when written. Untouched lines are written back as they were read.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class IniDocument {
 public:
  // The outcome of an edit. kRefused: a name or value the format cannot hold (see SetValue);
  // the document is left as it was.
  enum class Edit { kUnchanged, kChanged, kRefused };

  static IniDocument Parse(std::string_view text);

  // The file's content: an empty document when the file does not exist, nothing when the path
  // exists but cannot be read as a file.
  static std::optional<IniDocument> Load(const std::filesystem::path& file);

  // Replaces the file with ToText() atomically; false when it could not be written.
  bool Save(const std::filesystem::path& file) const;

  // Every line followed by CR LF.
  std::string ToText() const;

  // The value as a read returns it (quotes removed, no length limit); nothing when the section
  // or the key does not exist. Names are cut at a NUL as the profile functions see them.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  // Section names in file order, each once, spelled as first written. Nameless sections are
  // not listed.
  std::vector<std::string> SectionNames() const;

  // Key names of a section in file order, each once, spelled as first written.
  std::vector<std::string> KeyNames(std::string_view section) const;

  // Stores the value (up to a NUL) under the key, creating key and section as needed. A value
  // that a read would otherwise change (blanks at either end, enclosing quotes) is stored in
  // double quotes, so every value reads back exactly as written. Refused: an empty section or
  // key name, a line break in any of the three, a key name holding "=" or starting with "["
  // or ";".
  Edit SetValue(std::string_view section, std::string_view key, std::string_view value);

  // Removes every line of the key in the section. A missing key is no error (kUnchanged).
  Edit DeleteKey(std::string_view section, std::string_view key);

  // Removes the section: its header lines and every line up to the next header. A missing
  // section is no error (kUnchanged).
  Edit DeleteSection(std::string_view section);

 private:
  struct Line {
    enum class Kind { kOther, kSection, kKey };
    Kind kind = Kind::kOther;
    std::string text;   // the line as written, without its line end
    std::string name;   // kSection, kKey: the trimmed name
    std::string value;  // kKey: the trimmed value as stored (quotes included)
  };

  static Line ParseLine(std::string_view raw);
  static Line KeyLine(std::string_view name, std::string_view stored_value);

  // Calls visit(index) for every key line of the section, in file order; stops when visit
  // returns false.
  template <typename Visit>
  void ForEachKeyLine(std::string_view section, Visit visit) const;

  std::vector<Line> lines_;
};

}  // namespace korvane
