#include "base/registry_tree.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "base/text.h"

namespace korvane {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";

std::string_view NormalisePath(std::string_view path) {
  while (!path.empty() && path.back() == '\\')
    path.remove_suffix(1);
  return path;
}

std::vector<std::string> PathParts(std::string_view path) {
  return Split(ToLowerAscii(NormalisePath(path)), "\\");
}

bool IsBelow(std::string_view path, std::string_view ancestor) {
  return path.size() > ancestor.size() && path[ancestor.size()] == '\\' &&
         EqualsIgnoringCase(path.substr(0, ancestor.size()), ancestor);
}

std::string QuoteRegText(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"')
      out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  char buffer[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0)
      out.push_back(',');
    std::snprintf(buffer, sizeof buffer, "%02x", bytes[i]);
    out += buffer;
  }
  return out;
}

std::string ValueText(const RegistryValue& value) {
  switch (value.kind) {
    case RegistryValue::Kind::kDword: {
      char buffer[24];
      std::snprintf(buffer, sizeof buffer, "dword:%08x", value.number);
      return buffer;
    }
    case RegistryValue::Kind::kString:
      if (value.text.find_first_of(std::string_view("\0\r\n", 3)) == std::string::npos) {
        return QuoteRegText(value.text);
      } else {
        std::vector<std::uint8_t> bytes = Utf8ToUtf16Le(value.text);
        bytes.push_back(0);
        bytes.push_back(0);
        return "hex(1):" + HexBytes(bytes);
      }
    case RegistryValue::Kind::kRaw: {
      if (value.raw_type == 3)
        return "hex:" + HexBytes(value.bytes);
      char buffer[24];
      std::snprintf(buffer, sizeof buffer, "hex(%x):", value.raw_type);
      return buffer + HexBytes(value.bytes);
    }
  }
  return {};
}

// Reads a quoted .reg string starting at text[pos] == '"'. On success returns the unescaped
// text and moves pos past the closing quote.
std::optional<std::string> ReadQuoted(std::string_view text, std::size_t& pos) {
  if (pos >= text.size() || text[pos] != '"')
    return std::nullopt;
  std::string out;
  for (std::size_t i = pos + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
      out.push_back(text[++i]);
    } else if (c == '"') {
      pos = i + 1;
      return out;
    } else {
      out.push_back(c);
    }
  }
  return std::nullopt;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

std::optional<std::vector<std::uint8_t>> ReadHexBytes(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  for (std::string piece : Split(text, ",")) {
    std::string_view p = Trim(piece);
    while (!p.empty() && (p.front() == '\t'))
      p.remove_prefix(1);
    if (p.empty() && bytes.empty() && Trim(text).empty())
      return bytes;
    if (p.size() != 2 || HexDigit(p[0]) < 0 || HexDigit(p[1]) < 0)
      return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(HexDigit(p[0]) * 16 + HexDigit(p[1])));
  }
  return bytes;
}

std::optional<RegistryValue> ReadValueData(std::string_view data) {
  data = TrimRight(data);
  if (!data.empty() && data.front() == '"') {
    std::size_t pos = 0;
    auto text = ReadQuoted(data, pos);
    if (!text || pos != data.size())
      return std::nullopt;
    return RegistryValue::String(*text);
  }
  if (data.starts_with("dword:")) {
    const std::string_view digits = data.substr(6);
    if (digits.empty() || digits.size() > 8)
      return std::nullopt;
    std::uint32_t number = 0;
    for (const char c : digits) {
      if (HexDigit(c) < 0)
        return std::nullopt;
      number = number * 16 + static_cast<std::uint32_t>(HexDigit(c));
    }
    return RegistryValue::Dword(number);
  }
  if (data.starts_with("hex")) {
    int type = 3;
    std::size_t colon = 3;
    if (data.size() > 3 && data[3] == '(') {
      const std::size_t close = data.find(')');
      if (close == std::string_view::npos || close == 4 || close > 12)
        return std::nullopt;
      type = 0;
      for (std::size_t i = 4; i < close; ++i) {
        if (HexDigit(data[i]) < 0)
          return std::nullopt;
        type = type * 16 + HexDigit(data[i]);
      }
      colon = close + 1;
    }
    if (colon >= data.size() || data[colon] != ':')
      return std::nullopt;
    auto bytes = ReadHexBytes(data.substr(colon + 1));
    if (!bytes)
      return std::nullopt;
    if (type == 1) {
      std::vector<std::uint8_t> units = *bytes;
      if (units.size() >= 2 && units[units.size() - 1] == 0 && units[units.size() - 2] == 0) {
        units.resize(units.size() - 2);
      }
      if (auto text = Utf16LeToUtf8(units))
        return RegistryValue::String(*text);
    }
    if (type == 4 && bytes->size() == 4) {
      const auto& b = *bytes;
      return RegistryValue::Dword(
          static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
          static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
    }
    RegistryValue raw;
    raw.kind = RegistryValue::Kind::kRaw;
    raw.raw_type = type;
    raw.bytes = std::move(*bytes);
    return raw;
  }
  return std::nullopt;
}

std::string DecodeFileText(std::string_view text) {
  if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
      static_cast<unsigned char>(text[1]) == 0xFE) {
    std::vector<std::uint8_t> units(text.begin() + 2, text.end());
    if (units.size() % 2 != 0)
      units.pop_back();
    if (auto decoded = Utf16LeToUtf8(units))
      return *decoded;
    return {};
  }
  if (text.starts_with("\xEF\xBB\xBF"))
    text.remove_prefix(3);
  return std::string(text);
}

}  // namespace

RegistryValue RegistryValue::String(std::string_view text) {
  RegistryValue value;
  value.kind = Kind::kString;
  value.text = text;
  return value;
}

RegistryValue RegistryValue::Dword(std::uint32_t number) {
  RegistryValue value;
  value.kind = Kind::kDword;
  value.number = number;
  return value;
}

RegistryTree::ParseResult RegistryTree::Parse(std::string_view raw_text) {
  ParseResult result;
  const std::string text = DecodeFileText(raw_text);
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    std::string_view line(text.data() + start, end - start);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  bool header_seen = false;
  // Position of the key the value lines belong to; kNoKey before the first key and after an
  // unreadable key line.
  constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);
  std::size_t current = kNoKey;
  std::string logical;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    logical.assign(lines[i]);
    result.work += logical.size();
    // Hex data may continue on following lines after a trailing backslash; the pieces are
    // appended in place.
    if (logical.find("=hex") != std::string::npos) {
      for (;;) {
        std::size_t end = logical.size();
        while (end > 0 && (logical[end - 1] == ' ' || logical[end - 1] == '\t'))
          --end;
        if (end == 0 || logical[end - 1] != '\\' || i + 1 >= lines.size())
          break;
        logical.resize(end - 1);
        const std::string_view next = TrimLeft(lines[++i]);
        logical.append(next);
        result.work += next.size();
      }
    }
    const std::string_view line = Trim(logical);
    if (line.empty() || line.front() == ';')
      continue;
    if (!header_seen && (line == kHeader || line == kOldHeader)) {
      header_seen = true;
      continue;
    }
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3 || line[1] == '-') {
        result.unreadable_lines.emplace_back(line);
        current = kNoKey;
        continue;
      }
      Key& key = result.tree.CreateKey(line.substr(1, line.size() - 2));
      ++result.work;
      current = static_cast<std::size_t>(&key - result.tree.keys_.data());
      continue;
    }
    std::optional<std::string> name;
    std::size_t pos = 0;
    if (line.front() == '@') {
      name = std::string();
      pos = 1;
    } else {
      name = ReadQuoted(line, pos);
    }
    std::optional<RegistryValue> value;
    if (name && current != kNoKey) {
      while (pos < line.size() && line[pos] == ' ')
        ++pos;
      if (pos < line.size() && line[pos] == '=') {
        ++pos;
        while (pos < line.size() && line[pos] == ' ')
          ++pos;
        value = ReadValueData(line.substr(pos));
      }
    }
    if (!value) {
      result.unreadable_lines.emplace_back(line);
      continue;
    }
    Key& key = result.tree.keys_[current];
    auto same_name = [&](const auto& entry) { return EqualsIgnoringCase(entry.first, *name); };
    const auto found = std::find_if(key.values.begin(), key.values.end(), same_name);
    if (found != key.values.end())
      found->second = std::move(*value);
    else
      key.values.emplace_back(std::move(*name), std::move(*value));
  }
  return result;
}

std::string RegistryTree::ToText() const {
  std::vector<std::pair<std::vector<std::string>, const Key*>> sorted;
  sorted.reserve(keys_.size());
  for (const Key& key : keys_)
    sorted.emplace_back(PathParts(key.path), &key);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string out(kHeader);
  out += "\r\n\r\n";
  for (const auto& [parts, key] : sorted) {
    out += "[" + key->path + "]\r\n";
    for (const auto& [name, value] : key->values) {
      out +=
          (name.empty() ? std::string("@") : QuoteRegText(name)) + "=" + ValueText(value) + "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

bool RegistryTree::KeyExists(std::string_view path) const {
  path = NormalisePath(path);
  if (FindKey(path) != nullptr)
    return true;
  return std::any_of(keys_.begin(), keys_.end(),
                     [&](const Key& key) { return IsBelow(key.path, path); });
}

const RegistryTree::Key* RegistryTree::FindKey(std::string_view path) const {
  const auto found = index_.find(ToLowerAscii(NormalisePath(path)));
  return found == index_.end() ? nullptr : &keys_[found->second];
}

RegistryTree::Key* RegistryTree::FindMutableKey(std::string_view path) {
  return const_cast<Key*>(static_cast<const RegistryTree*>(this)->FindKey(path));
}

void RegistryTree::RebuildIndex() {
  index_.clear();
  for (std::size_t i = 0; i < keys_.size(); ++i)
    index_.emplace(ToLowerAscii(keys_[i].path), i);
}

const RegistryValue* RegistryTree::FindValue(std::string_view path, std::string_view name) const {
  const Key* key = FindKey(path);
  if (key == nullptr)
    return nullptr;
  for (const auto& [value_name, value] : key->values) {
    if (EqualsIgnoringCase(value_name, name))
      return &value;
  }
  return nullptr;
}

RegistryTree::Key& RegistryTree::CreateKey(std::string_view path) {
  path = NormalisePath(path);
  const auto [found, added] = index_.try_emplace(ToLowerAscii(path), keys_.size());
  if (!added)
    return keys_[found->second];
  keys_.push_back(Key{std::string(path), {}});
  return keys_.back();
}

void RegistryTree::SetValue(std::string_view path, std::string_view name, RegistryValue value) {
  Key& key = CreateKey(path);
  for (auto& [value_name, stored] : key.values) {
    if (EqualsIgnoringCase(value_name, name)) {
      stored = std::move(value);
      return;
    }
  }
  key.values.emplace_back(std::string(name), std::move(value));
}

bool RegistryTree::DeleteValue(std::string_view path, std::string_view name) {
  Key* key = FindMutableKey(path);
  if (key == nullptr)
    return false;
  const auto it = std::find_if(key->values.begin(), key->values.end(), [&](const auto& entry) {
    return EqualsIgnoringCase(entry.first, name);
  });
  if (it == key->values.end())
    return false;
  key->values.erase(it);
  return true;
}

void RegistryTree::DeleteKey(std::string_view path) {
  path = NormalisePath(path);
  const std::size_t removed = std::erase_if(keys_, [&](const Key& key) {
    return EqualsIgnoringCase(key.path, path) || IsBelow(key.path, path);
  });
  if (removed > 0)
    RebuildIndex();
}

std::vector<std::string> RegistryTree::SubkeyNames(std::string_view path) const {
  path = NormalisePath(path);
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  for (const Key& key : keys_) {
    if (!IsBelow(key.path, path))
      continue;
    std::string_view rest = std::string_view(key.path).substr(path.size() + 1);
    rest = rest.substr(0, rest.find('\\'));
    if (seen.insert(ToLowerAscii(rest)).second)
      names.emplace_back(rest);
  }
  return names;
}

std::vector<std::uint8_t> Utf8ToUtf16Le(std::string_view text) {
  std::vector<std::uint8_t> out;
  auto put = [&out](std::uint32_t unit) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
  };
  for (std::size_t i = 0; i < text.size();) {
    const std::string_view one = Utf8Left(text.substr(i), 1);
    std::uint32_t code = static_cast<unsigned char>(one[0]);
    if (one.size() == 2)
      code = (code & 0x1F) << 6 | (one[1] & 0x3F);
    if (one.size() == 3)
      code = (code & 0x0F) << 12 | (one[1] & 0x3F) << 6 | (one[2] & 0x3F);
    if (one.size() == 4) {
      code = (code & 0x07) << 18 | (one[1] & 0x3F) << 12 | (one[2] & 0x3F) << 6 | (one[3] & 0x3F);
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      put(0xD800 + (code >> 10));
      put(0xDC00 + (code & 0x3FF));
    } else {
      put(code);
    }
    i += one.size();
  }
  return out;
}

std::optional<std::string> Utf16LeToUtf8(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() % 2 != 0)
    return std::nullopt;
  std::string out;
  auto put = [&out](std::uint32_t code) {
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | code >> 6));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | code >> 12));
      out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | code >> 18));
      out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  };
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    std::uint32_t unit = bytes[i] | static_cast<std::uint32_t>(bytes[i + 1]) << 8;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      const std::uint32_t low = bytes[i + 2] | static_cast<std::uint32_t>(bytes[i + 3]) << 8;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    put(unit);
  }
  return out;
}

}  // namespace korvane
