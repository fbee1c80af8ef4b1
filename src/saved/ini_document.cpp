#include "saved/ini_document.h"

#include <system_error>
#include <unordered_set>
#include <utility>

#include "base/files.h"
#include "base/text.h"

namespace korvane {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The blanks the profile functions skip around names and values (Ctrl-Z included: old DOS
// editors left it at the end of files).
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

// A text as a C string sees it: up to the first NUL.
std::string_view UpToNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

// A section or key name as requested: up to a NUL, blanks around it ignored.
std::string_view RequestedName(std::string_view name) {
  return TrimBlanks(UpToNul(name));
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

bool IsQuote(char c) {
  return c == '"' || c == '\'';
}

bool IsEnclosedInQuotes(std::string_view value) {
  return value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
}

std::string_view DecodeValue(std::string_view stored) {
  return IsEnclosedInQuotes(stored) ? stored.substr(1, stored.size() - 2) : stored;
}

// The stored form of a value: in double quotes when reading it bare would drop blanks at its
// ends or a pair of enclosing quotes.
std::string EncodeValue(std::string_view value) {
  const bool needs_quotes = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                                               IsEnclosedInQuotes(value));
  if (!needs_quotes)
    return std::string(value);
  std::string stored;
  stored.reserve(value.size() + 2);
  stored.push_back('"');
  stored.append(value);
  stored.push_back('"');
  return stored;
}

std::string Folded(std::string_view name) {
  return ToLowerAscii(name);
}

}  // namespace

IniDocument::Line IniDocument::ParseLine(std::string_view raw) {
  Line line;
  line.text = std::string(raw);
  const std::string_view text = TrimBlanks(raw);
  if (text.empty() || text.front() == ';')
    return line;
  if (text.front() == '[') {
    const std::size_t close = text.rfind(']');
    if (close != std::string_view::npos && close > 0) {
      line.kind = Line::Kind::kSection;
      line.name = std::string(TrimBlanks(text.substr(1, close - 1)));
    }
    return line;
  }
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos)
    return line;
  const std::string_view name = TrimBlanks(text.substr(0, equals));
  if (name.empty())
    return line;
  line.kind = Line::Kind::kKey;
  line.name = std::string(name);
  line.value = std::string(TrimBlanks(text.substr(equals + 1)));
  return line;
}

IniDocument::Line IniDocument::KeyLine(std::string_view name, std::string_view stored_value) {
  Line line;
  line.kind = Line::Kind::kKey;
  line.name = std::string(name);
  line.value = std::string(stored_value);
  line.text = line.name + "=" + line.value;
  return line;
}

IniDocument IniDocument::Parse(std::string_view text) {
  IniDocument document;
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
    text.remove_prefix(kUtf8Bom.size());
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!raw.empty() && raw.back() == '\r')
      raw.remove_suffix(1);
    document.lines_.push_back(ParseLine(raw));
  }
  return document;
}

std::optional<IniDocument> IniDocument::Load(const fs::path& file) {
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  if (status.type() == fs::file_type::not_found)
    return IniDocument();
  if (error || !fs::is_regular_file(status))
    return std::nullopt;
  const std::optional<std::string> content = ReadWholeFile(file);
  if (!content)
    return std::nullopt;
  return Parse(*content);
}

bool IniDocument::Save(const fs::path& file) const {
  return !file.empty() && WriteFileAtomically(file, ToText());
}

std::string IniDocument::ToText() const {
  std::string text;
  for (const Line& line : lines_) {
    text += line.text;
    text += kCrLf;
  }
  return text;
}

template <typename Visit>
void IniDocument::ForEachKeyLine(std::string_view section, Visit visit) const {
  const std::string_view wanted = RequestedName(section);
  if (wanted.empty())
    return;
  bool inside = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Line::Kind::kSection) {
      inside = EqualsIgnoringCase(line.name, wanted);
    } else if (inside && line.kind == Line::Kind::kKey && !visit(i)) {
      return;
    }
  }
}

std::optional<std::string> IniDocument::Value(std::string_view section,
                                              std::string_view key) const {
  const std::string_view wanted = RequestedName(key);
  std::optional<std::string> value;
  if (wanted.empty())
    return value;
  ForEachKeyLine(section, [&](std::size_t i) {
    if (!EqualsIgnoringCase(lines_[i].name, wanted))
      return true;
    value = std::string(DecodeValue(lines_[i].value));
    return false;
  });
  return value;
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  for (const Line& line : lines_) {
    if (line.kind == Line::Kind::kSection && !line.name.empty() &&
        seen.insert(Folded(line.name)).second) {
      names.push_back(line.name);
    }
  }
  return names;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  ForEachKeyLine(section, [&](std::size_t i) {
    if (seen.insert(Folded(lines_[i].name)).second)
      names.push_back(lines_[i].name);
    return true;
  });
  return names;
}

IniDocument::Edit IniDocument::SetValue(std::string_view section, std::string_view key,
                                        std::string_view value) {
  const std::string_view section_name = RequestedName(section);
  const std::string_view key_name = RequestedName(key);
  value = UpToNul(value);
  if (section_name.empty() || HasLineBreak(section_name) || key_name.empty() ||
      HasLineBreak(key_name) || key_name.find('=') != std::string_view::npos ||
      key_name.front() == '[' || key_name.front() == ';' || HasLineBreak(value)) {
    return Edit::kRefused;
  }
  const std::string stored = EncodeValue(value);

  std::optional<std::size_t> existing;
  ForEachKeyLine(section_name, [&](std::size_t i) {
    if (!EqualsIgnoringCase(lines_[i].name, key_name))
      return true;
    existing = i;
    return false;
  });
  if (existing) {
    Line& line = lines_[*existing];
    if (line.value == stored)
      return Edit::kUnchanged;
    line = KeyLine(line.name, stored);
    return Edit::kChanged;
  }

  // A new key goes after the last non-blank line of the section's last block, so blank lines
  // that separate it from the next section stay where they are.
  std::optional<std::size_t> insert_at;
  bool inside = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Line::Kind::kSection) {
      inside = EqualsIgnoringCase(line.name, section_name);
      if (inside)
        insert_at = i + 1;
    } else if (inside && !TrimBlanks(line.text).empty()) {
      insert_at = i + 1;
    }
  }
  if (insert_at) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*insert_at),
                  KeyLine(key_name, stored));
  } else {
    lines_.push_back(ParseLine("[" + std::string(section_name) + "]"));
    lines_.push_back(KeyLine(key_name, stored));
  }
  return Edit::kChanged;
}

IniDocument::Edit IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  const std::string_view key_name = RequestedName(key);
  if (key_name.empty())
    return Edit::kUnchanged;
  std::vector<std::size_t> doomed;
  ForEachKeyLine(section, [&](std::size_t i) {
    if (EqualsIgnoringCase(lines_[i].name, key_name))
      doomed.push_back(i);
    return true;
  });
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*it));
  return doomed.empty() ? Edit::kUnchanged : Edit::kChanged;
}

IniDocument::Edit IniDocument::DeleteSection(std::string_view section) {
  const std::string_view section_name = RequestedName(section);
  if (section_name.empty())
    return Edit::kUnchanged;
  std::vector<Line> kept;
  kept.reserve(lines_.size());
  bool dropping = false;
  for (Line& line : lines_) {
    if (line.kind == Line::Kind::kSection)
      dropping = EqualsIgnoringCase(line.name, section_name);
    if (!dropping)
      kept.push_back(std::move(line));
  }
  const bool changed = kept.size() != lines_.size();
  lines_ = std::move(kept);
  return changed ? Edit::kChanged : Edit::kUnchanged;
}

}  // namespace korvane
