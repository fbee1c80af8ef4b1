#include "base/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace korvane {
namespace {

std::string GroupThousands(std::uint64_t magnitude) {
  std::string digits = std::to_string(magnitude);
  std::string out;
  out.reserve(digits.size() + digits.size() / 3);
  const std::size_t lead = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
  out.append(digits, 0, lead);
  for (std::size_t i = lead; i < digits.size(); i += 3) {
    out.push_back(',');
    out.append(digits, i, 3);
  }
  return out;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Parses the number at the start of `text` (after blanks). Returns the value and how many
// characters the number took (0 when there is none).
std::pair<double, std::size_t> ParseLeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i]))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::string mantissa;
  bool any_digit = false;
  while (i < text.size() && IsDigit(text[i])) {
    mantissa.push_back(text[i++]);
    any_digit = true;
  }
  if (i < text.size() && text[i] == '.') {
    std::size_t j = i + 1;
    std::string fraction;
    while (j < text.size() && IsDigit(text[j]))
      fraction.push_back(text[j++]);
    if (any_digit || !fraction.empty()) {
      mantissa += "." + fraction;
      any_digit = true;
      i = j;
    }
  }
  if (!any_digit)
    return {0.0, 0};
  int exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::size_t j = i + 1;
    bool exp_negative = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      exp_negative = text[j] == '-';
      ++j;
    }
    if (j < text.size() && IsDigit(text[j])) {
      long long e = 0;
      while (j < text.size() && IsDigit(text[j])) {
        if (e < 100000)
          e = e * 10 + (text[j] - '0');
        ++j;
      }
      exponent = static_cast<int>(exp_negative ? -e : e);
      i = j;
    }
  }
  double value = std::strtod(mantissa.c_str(), nullptr);
  if (exponent != 0)
    value *= std::pow(10.0, exponent);
  return {negative ? -value : value, i};
}

std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t length = 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
  } else {
    return 1;
  }
  if (pos + length > text.size())
    return 1;
  for (std::size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[pos + k]) & 0xC0) != 0x80)
      return 1;
  }
  return length;
}

// Byte offset of character `chars` (clamped to the end of the text).
std::size_t Utf8Offset(std::string_view text, std::size_t chars) {
  std::size_t pos = 0;
  while (chars > 0 && pos < text.size()) {
    pos += Utf8SequenceLength(text, pos);
    --chars;
  }
  return pos;
}

}  // namespace

std::string FormatNumber(std::int64_t value) {
  if (value < 0) {
    return "-" + GroupThousands(static_cast<std::uint64_t>(-(value + 1)) + 1);
  }
  return GroupThousands(static_cast<std::uint64_t>(value));
}

std::string FormatNumberBlankZero(std::int64_t value) {
  return value == 0 ? std::string() : FormatNumber(value);
}

std::string FormatElapsed(std::int64_t seconds) {
  if (seconds < 0)
    seconds = 0;
  const std::int64_t hours = seconds / 3600;
  const int minutes = static_cast<int>(seconds / 60 % 60);
  const int secs = static_cast<int>(seconds % 60);
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%02lld:%02d:%02d", static_cast<long long>(hours), minutes,
                secs);
  return buffer;
}

double LeadingNumber(std::string_view text) {
  return ParseLeadingNumber(text).first;
}

std::optional<std::int32_t> RoundToInt32(double value) {
  if (!std::isfinite(value))
    return std::nullopt;
  const double rounded = std::nearbyint(value);  // default rounding mode: halves to even
  if (rounded < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(rounded);
}

int FixedDigits(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size())
    return -1;
  int number = 0;
  for (std::size_t k = at; k < at + count; ++k) {
    if (text[k] < '0' || text[k] > '9')
      return -1;
    number = number * 10 + (text[k] - '0');
  }
  return number;
}

bool IsNumeric(std::string_view text) {
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty())
    return false;
  const auto [value, used] = ParseLeadingNumber(trimmed);
  (void)value;
  return used == trimmed.size();
}

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z')
      x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z')
      y = static_cast<char>(y - 'A' + 'a');
    if (x != y)
      return false;
  }
  return true;
}

std::size_t FindIgnoringCase(std::string_view haystack, std::string_view needle, std::size_t from) {
  if (needle.size() > haystack.size())
    return std::string_view::npos;
  for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
    if (EqualsIgnoringCase(haystack.substr(i, needle.size()), needle))
      return i;
  }
  return std::string_view::npos;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  if (from.empty())
    return std::string(text);
  std::size_t pos = 0;
  while (true) {
    const std::size_t hit = text.find(from, pos);
    if (hit == std::string_view::npos)
      break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  std::size_t pos = 0;
  while (true) {
    const std::size_t hit = separator.empty() ? std::string_view::npos : text.find(separator, pos);
    if (hit == std::string_view::npos) {
      pieces.emplace_back(text.substr(pos));
      return pieces;
    }
    pieces.emplace_back(text.substr(pos, hit - pos));
    pos = hit + separator.size();
  }
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += Utf8SequenceLength(text, pos))
    ++count;
  return count;
}

std::string_view Utf8Left(std::string_view text, std::size_t count) {
  return text.substr(0, Utf8Offset(text, count));
}

std::string_view Utf8Mid(std::string_view text, std::size_t start, std::size_t count) {
  const std::size_t begin = Utf8Offset(text, start);
  const std::string_view rest = text.substr(begin);
  return count == std::string_view::npos ? rest : rest.substr(0, Utf8Offset(rest, count));
}

std::vector<std::string_view> Utf8Chunks(std::string_view text, std::size_t chunk_chars) {
  std::vector<std::string_view> chunks;
  if (chunk_chars == 0)
    return chunks;
  while (!text.empty()) {
    const std::size_t bytes = Utf8Offset(text, chunk_chars);
    chunks.push_back(text.substr(0, bytes));
    text.remove_prefix(bytes);
  }
  return chunks;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = Utf8SequenceLength(text, pos);
    if (length == 1 && lead >= 0x80)
      return false;
    if (length == 3) {
      const auto second = static_cast<unsigned char>(text[pos + 1]);
      if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0))
        return false;
    }
    if (length == 4) {
      const auto second = static_cast<unsigned char>(text[pos + 1]);
      if ((lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return false;
    }
    pos += length;
  }
  return true;
}

}  // namespace korvane
