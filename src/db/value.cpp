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

// "2024-03-07 14:05:09[.123]", "2024-03-07" or "14:05:09" appended to `out`.
void AppendDateTimeText(const DateTimeValue& v, std::string& out) {
  const bool usual = v.year >= 0 && v.year <= 9999 && v.month >= 0 && v.month <= 99 && v.day >= 0 &&
                     v.day <= 99 && v.hour >= 0 && v.hour <= 99 && v.minute >= 0 &&
                     v.minute <= 99 && v.second >= 0 && v.second <= 99 && v.nanosecond >= 0 &&
                     v.nanosecond <= 999999999;
  if (!usual) {
    // Whatever a driver hands over is still written, as the formats write it.
    char buffer[64];
    const std::size_t start = out.size();
    if (v.has_date) {
      std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", v.year, v.month, v.day);
      out += buffer;
    }
    if (v.has_time) {
      std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", v.hour, v.minute, v.second);
      if (out.size() > start)
        out += " ";
      out += buffer;
      if (v.nanosecond != 0) {
        std::snprintf(buffer, sizeof buffer, ".%09d", v.nanosecond);
        std::string fraction = buffer;
        while (fraction.size() > 4 && fraction.back() == '0')
          fraction.pop_back();
        out += fraction;
      }
    }
    return;
  }
  // Two digits at a time from a table: every field of every date of a compared row is written.
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  char text[32];
  std::size_t size = 0;
  auto pair = [&](int value) {
    text[size++] = kPairs[2 * value];
    text[size++] = kPairs[2 * value + 1];
  };
  if (v.has_date) {
    pair(v.year / 100);
    pair(v.year % 100);
    text[size++] = '-';
    pair(v.month);
    text[size++] = '-';
    pair(v.day);
  }
  if (v.has_time) {
    if (size > 0)
      text[size++] = ' ';
    pair(v.hour);
    text[size++] = ':';
    pair(v.minute);
    text[size++] = ':';
    pair(v.second);
    if (v.nanosecond != 0) {
      // At least three digits of the fraction, trailing zeros beyond them left out.
      text[size++] = '.';
      int fraction = v.nanosecond;
      for (int k = 8; k >= 0; --k) {
        text[size + static_cast<std::size_t>(k)] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
      }
      size += 9;
      std::size_t digits = 9;
      while (digits > 3 && text[size - 1] == '0') {
        --size;
        --digits;
      }
    }
  }
  out.append(text, size);
}

std::string DateTimeText(const DateTimeValue& v) {
  std::string text;
  AppendDateTimeText(v, text);
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

FieldView ViewOf(const Value& value) {
  FieldView field;
  field.type = value.type();
  switch (value.type()) {
    case ValueType::kNull:
      break;
    case ValueType::kBoolean:
      field.integer = value.AsBoolean() ? 1 : 0;
      break;
    case ValueType::kInteger:
      field.integer = value.AsInteger();
      break;
    case ValueType::kFloat:
      field.real = value.AsFloat();
      break;
    case ValueType::kDecimal:
      field.bytes = value.AsDecimalDigits();
      break;
    case ValueType::kText:
      field.bytes = value.AsText();
      break;
    case ValueType::kDateTime:
      field.datetime = value.AsDateTime();
      break;
    case ValueType::kBinary: {
      const std::vector<std::uint8_t>& bytes = value.AsBytes();
      field.bytes = std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
      break;
    }
    case ValueType::kGuid:
      field.bytes = value.AsGuidText();
      break;
  }
  return field;
}

Value ToValue(const FieldView& field) {
  switch (field.type) {
    case ValueType::kNull:
      return Value::Null();
    case ValueType::kBoolean:
      return Value::Boolean(field.integer != 0);
    case ValueType::kInteger:
      return Value::Integer(field.integer);
    case ValueType::kFloat:
      return Value::Float(field.real);
    case ValueType::kDecimal:
      return Value::Decimal(std::string(field.bytes));
    case ValueType::kText:
      return Value::Text(std::string(field.bytes));
    case ValueType::kDateTime:
      return Value::DateTime(field.datetime);
    case ValueType::kBinary:
      return Value::Binary(std::vector<std::uint8_t>(field.bytes.begin(), field.bytes.end()));
    case ValueType::kGuid:
      return Value::Guid(std::string(field.bytes));
  }
  return Value::Null();
}

void AppendNullText(const FieldView& field, std::string& out) {
  switch (field.type) {
    case ValueType::kNull:
      out += "Null";
      return;
    case ValueType::kBoolean:
      out += field.integer != 0 ? "True" : "False";
      return;
    case ValueType::kInteger: {
      char buffer[24];
      const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, field.integer);
      out.append(buffer, end);
      return;
    }
    case ValueType::kFloat:
      out += FloatText(field.real);
      return;
    case ValueType::kDecimal:
    case ValueType::kText:
    case ValueType::kGuid:
      out += field.bytes;
      return;
    case ValueType::kDateTime:
      if (!field.bytes.empty())
        out += field.bytes;
      else
        AppendDateTimeText(field.datetime, out);
      return;
    case ValueType::kBinary: {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out += "0x";
      for (const char c : field.bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        out.push_back(kHex[byte >> 4]);
        out.push_back(kHex[byte & 0x0F]);
      }
      return;
    }
  }
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
