#include "db/value.h"

#include <charconv>
#include <cstdio>
#include <optional>

#include "base/text.h"
#include "db/numeric_value.h"

namespace korvane {
namespace {

std::string FloatText(double value) {
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc())
    return "0";
  std::string text(buffer, end);
  // Exponents read "1E+20" / "1E-07", as the server's clients show them.
  const std::size_t e = text.find('e');
  if (e != std::string::npos) {
    std::string exponent = text.substr(e + 1);
    std::string sign = "+";
    if (!exponent.empty() && (exponent[0] == '-' || exponent[0] == '+')) {
      if (exponent[0] == '-')
        sign = "-";
      exponent.erase(0, 1);
    }
    if (exponent.size() < 2)
      exponent.insert(0, "0");
    text = text.substr(0, e) + "E" + sign + exponent;
  }
  return text;
}

std::string DateTimeText(const DateTimeValue& v) {
  char buffer[64];
  std::string text;
  if (v.has_date) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", v.year, v.month, v.day);
    text = buffer;
  }
  if (v.has_time) {
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", v.hour, v.minute, v.second);
    if (!text.empty())
      text += " ";
    text += buffer;
    if (v.nanosecond != 0) {
      std::snprintf(buffer, sizeof buffer, ".%09d", v.nanosecond);
      std::string fraction = buffer;
      while (fraction.size() > 4 && fraction.back() == '0')
        fraction.pop_back();
      text += fraction;
    }
  }
  return text;
}

}  // namespace

std::string NullText(const Value& value) {
  switch (value.type()) {
    case ValueType::kNull:
      return "Null";
    case ValueType::kBoolean:
      return value.AsBoolean() ? "True" : "False";
    case ValueType::kInteger:
      return std::to_string(value.AsInteger());
    case ValueType::kFloat:
      return FloatText(value.AsFloat());
    case ValueType::kDecimal:
      return value.AsDecimalDigits();
    case ValueType::kText:
      return value.AsText();
    case ValueType::kDateTime:
      return DateTimeText(value.AsDateTime());
    case ValueType::kBinary: {
      static constexpr char kHex[] = "0123456789ABCDEF";
      std::string text = "0x";
      for (const std::uint8_t byte : value.AsBytes()) {
        text.push_back(kHex[byte >> 4]);
        text.push_back(kHex[byte & 0x0F]);
      }
      return text;
    }
    case ValueType::kGuid:
      return value.AsGuidText();
  }
  return {};
}

std::optional<double> NumericValue(const Value& value) {
  switch (value.type()) {
    case ValueType::kBoolean:
      return value.AsBoolean() ? 1.0 : 0.0;
    case ValueType::kInteger:
      return static_cast<double>(value.AsInteger());
    case ValueType::kFloat:
      return value.AsFloat();
    case ValueType::kDecimal:
      return LeadingNumber(value.AsDecimalDigits());
    default:
      return std::nullopt;
  }
}

}  // namespace korvane
