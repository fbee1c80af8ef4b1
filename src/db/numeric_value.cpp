#include "db/numeric_value.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "base/text.h"

namespace korvane {
namespace {

// Numbers are written out unless that takes more than this many added zeros.
constexpr std::int64_t kMaxWrittenZeros = 40;
// Exponents are read up to this size; larger ones are kept at it (no overflow).
constexpr std::int64_t kMaxExponent = 1000000000;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::optional<std::string> ExactNumberText(std::string_view text) {
  if (!IsNumeric(text))
    return std::nullopt;
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i]))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    negative = text[i++] == '-';
  std::string digits;
  std::int64_t point = 0;  // the value is 0.<digits> times ten to the power `point`
  while (i < text.size() && IsDigit(text[i])) {
    digits.push_back(text[i++]);
    ++point;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i]))
      digits.push_back(text[i++]);
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    ++i;
    bool exponent_negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
      exponent_negative = text[i++] == '-';
    std::int64_t exponent = 0;
    while (i < text.size() && IsDigit(text[i])) {
      exponent = std::min(kMaxExponent, exponent * 10 + (text[i++] - '0'));
    }
    point += exponent_negative ? -exponent : exponent;
  }
  std::size_t lead = 0;
  while (lead < digits.size() && digits[lead] == '0')
    ++lead;
  digits.erase(0, lead);
  point -= static_cast<std::int64_t>(lead);
  while (!digits.empty() && digits.back() == '0')
    digits.pop_back();
  if (digits.empty())
    return std::string("0");

  const auto count = static_cast<std::int64_t>(digits.size());
  std::string out = negative ? "-" : "";
  if (point >= count && point - count <= kMaxWrittenZeros) {
    out += digits;
    out.append(static_cast<std::size_t>(point - count), '0');
  } else if (point > 0 && point < count) {
    out += digits.substr(0, static_cast<std::size_t>(point));
    out += ".";
    out += digits.substr(static_cast<std::size_t>(point));
  } else if (point <= 0 && -point <= kMaxWrittenZeros) {
    out += "0.";
    out.append(static_cast<std::size_t>(-point), '0');
    out += digits;
  } else {
    out += "0." + digits + "e" + std::to_string(point);
  }
  return out;
}

std::optional<std::string> ExactNumberText(const Value& value) {
  switch (value.type()) {
    case ValueType::kBoolean:
      return std::string(value.AsBoolean() ? "1" : "0");
    case ValueType::kInteger:
      return std::to_string(value.AsInteger());
    case ValueType::kDecimal:
      return ExactNumberText(value.AsDecimalDigits());
    case ValueType::kFloat: {
      char buffer[64];
      const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value.AsFloat());
      if (error != std::errc())
        return std::nullopt;
      const std::string_view shortest(buffer, static_cast<std::size_t>(end - buffer));
      // Infinities and NaN have no digits; their text keeps them apart from every number.
      if (auto exact = ExactNumberText(shortest))
        return exact;
      return std::string(shortest);
    }
    default:
      return std::nullopt;
  }
}

}  // namespace korvane
