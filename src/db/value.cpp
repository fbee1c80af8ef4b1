#include "db/value.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "base/text.h"
#include "db/numeric_value.h"

namespace korvane {
namespace {

// The number of decimal digits of `n` (1 for 0).
int DecimalDigits(std::uint64_t n) {
  int digits = 1;
  for (; n >= 10000; n /= 10000)
    digits += 4;
  for (; n >= 10; n /= 10)
    ++digits;
  return digits;
}

// The text of a double that is a whole number of ten-thousandths below 1e11 (most prices and
// quantities are): its digits, the zeros at the end of the fraction left out, are then its
// shortest text. A text of 15 or fewer significant digits that reads back as the double is the
// only one of so few digits that does (the doubles lie closer together than one unit in the
// 15th digit), and it reads back exactly when dividing its digits by the power of ten gives the
// double again (both are exact and the division is rounded as reading is). Written only where
// the plain form is no longer than the exponent form, as the general search chooses; false
// otherwise, leaving `to` as it was.
bool WriteFewDigits(double value, char*& to) {
  constexpr int kMostPlaces = 4;
  constexpr double kScale = 1e4;  // 10 to the kMostPlaces
  const double magnitude = value < 0 ? -value : value;
  // Also false for NaN, infinities and zeros (which keep their sign). Below 1e15 the scaled
  // value is a whole number exactly, and rounds to the nearest one of those digits.
  const double scaled = magnitude * kScale;
  if (!(magnitude >= 1e-4 && scaled < 1e15))
    return false;
  const double whole = std::nearbyint(scaled);
  // A double that is such a number over a smaller power of ten is this one over kScale too.
  if (whole / kScale != magnitude)
    return false;
  std::uint64_t digits = static_cast<std::uint64_t>(whole);
  int places = kMostPlaces;
  while (places > 0 && digits % 10 == 0) {
    digits /= 10;
    --places;
  }
  const int length = DecimalDigits(digits);
  // A whole number may end in zeros, which the exponent form leaves out.
  int significant = length;
  if (places == 0) {
    for (std::uint64_t rest = digits; rest % 10 == 0; rest /= 10)
      --significant;
  }
  // As "1.25e+02": the exponent takes two digits in this range.
  const int exponent_form = significant + (significant > 1 ? 1 : 0) + 4;
  const int plain_form = places == 0 ? length : (length > places ? length + 1 : places + 2);
  if (plain_form > exponent_form)
    return false;
  char text[24];
  char* const end = std::to_chars(text, text + sizeof text, digits).ptr;
  char* out = to;
  if (value < 0)
    *out++ = '-';
  if (places == 0) {
    out = std::copy(text, end, out);
  } else if (length > places) {
    out = std::copy(text, end - places, out);
    *out++ = '.';
    out = std::copy(end - places, end, out);
  } else {
    *out++ = '0';
    *out++ = '.';
    out = std::fill_n(out, places - length, '0');
    out = std::copy(text, end, out);
  }
  to = out;
  return true;
}

// The shortest text that reads back as the same double, exponents as "1E+20" / "1E-07" (as the
// server's clients show them), written at `to`: at most kLongestFloatText bytes.
constexpr std::size_t kLongestFloatText = 32;
char* WriteFloatText(double value, char* to) {
  if (WriteFewDigits(value, to))
    return to;
  char buffer[kLongestFloatText];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc()) {
    *to++ = '0';
    return to;
  }
  const char* e = std::find(static_cast<const char*>(buffer), static_cast<const char*>(end), 'e');
  to = std::copy(static_cast<const char*>(buffer), e, to);
  if (e == end)
    return to;
  const char* exponent = e + 1;
  char sign = '+';
  if (exponent < end && (*exponent == '-' || *exponent == '+')) {
    sign = *exponent;
    ++exponent;
  }
  *to++ = 'E';
  *to++ = sign;
  if (end - exponent < 2)
    *to++ = '0';
  return std::copy(exponent, static_cast<const char*>(end), to);
}

std::string FloatText(double value) {
  char buffer[kLongestFloatText + 2];
  return std::string(buffer, WriteFloatText(value, buffer));
}

// The most bytes the texts of numbers, dates and the like take (a date with fields beyond
// their usual widths included).
constexpr std::size_t kLongestFixedText = NullTextBound(FieldView{});

// "2024-03-07 14:05:09[.123]", "2024-03-07" or "14:05:09" written at `to` (at most
// kLongestFixedText bytes).
char* WriteDateTimeText(const DateTimeValue& v, char* to) {
  const bool usual = v.year >= 0 && v.year <= 9999 && v.month >= 0 && v.month <= 99 && v.day >= 0 &&
                     v.day <= 99 && v.hour >= 0 && v.hour <= 99 && v.minute >= 0 &&
                     v.minute <= 99 && v.second >= 0 && v.second <= 99 && v.nanosecond >= 0 &&
                     v.nanosecond <= 999999999;
  if (!usual) {
    // Whatever a driver hands over is still written, as the formats write it.
    char* const start = to;
    if (v.has_date)
      to += std::snprintf(to, 40, "%04d-%02d-%02d", v.year, v.month, v.day);
    if (v.has_time) {
      if (to > start)
        *to++ = ' ';
      to += std::snprintf(to, 40, "%02d:%02d:%02d", v.hour, v.minute, v.second);
      if (v.nanosecond != 0) {
        char fraction[16];
        int size = std::snprintf(fraction, sizeof fraction, ".%09d", v.nanosecond);
        while (size > 4 && fraction[size - 1] == '0')
          --size;
        to = std::copy_n(fraction, size, to);
      }
    }
    return to;
  }
  // Two digits at a time from a table: every field of every date of a compared row is written.
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  const auto pair = [&to](int value) {
    *to++ = kPairs[2 * value];
    *to++ = kPairs[2 * value + 1];
  };
  char* const start = to;
  if (v.has_date) {
    pair(v.year / 100);
    pair(v.year % 100);
    *to++ = '-';
    pair(v.month);
    *to++ = '-';
    pair(v.day);
  }
  if (v.has_time) {
    if (to > start)
      *to++ = ' ';
    pair(v.hour);
    *to++ = ':';
    pair(v.minute);
    *to++ = ':';
    pair(v.second);
    if (v.nanosecond != 0) {
      // At least three digits of the fraction, trailing zeros beyond them left out.
      *to++ = '.';
      int fraction = v.nanosecond;
      for (int k = 8; k >= 0; --k) {
        to[k] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
      }
      to += 9;
      for (int digits = 9; digits > 3 && to[-1] == '0'; --digits)
        --to;
    }
  }
  return to;
}

std::string DateTimeText(const DateTimeValue& v) {
  char buffer[kLongestFixedText];
  return std::string(buffer, WriteDateTimeText(v, buffer));
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
    case ValueType::kDecimal:
    case ValueType::kText:
    case ValueType::kGuid:
      out += field.bytes;
      return;
    case ValueType::kBinary: {
      const std::size_t at = out.size();
      out.resize(at + NullTextBound(field));
      WriteNullText(field, out.data() + at);
      return;
    }
    default: {
      char buffer[kLongestFixedText];
      out.append(buffer, WriteNullText(field, buffer));
      return;
    }
  }
}

char* WriteNullText(const FieldView& field, char* to) {
  switch (field.type) {
    case ValueType::kNull:
      return std::copy_n("Null", 4, to);
    case ValueType::kBoolean:
      return field.integer != 0 ? std::copy_n("True", 4, to) : std::copy_n("False", 5, to);
    case ValueType::kInteger:
      return std::to_chars(to, to + 24, field.integer).ptr;
    case ValueType::kFloat:
      return WriteFloatText(field.real, to);
    case ValueType::kDecimal:
    case ValueType::kText:
    case ValueType::kGuid:
      return CopyBytes(to, field.bytes.data(), field.bytes.size());
    case ValueType::kDateTime:
      if (NullTextIsBytes(field))
        return CopyBytes(to, field.bytes.data(), field.bytes.size());
      return WriteDateTimeText(field.datetime, to);
    case ValueType::kBinary: {
      static constexpr char kHex[] = "0123456789ABCDEF";
      *to++ = '0';
      *to++ = 'x';
      for (const char c : field.bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        *to++ = kHex[byte >> 4];
        *to++ = kHex[byte & 0x0F];
      }
      return to;
    }
  }
  return to;
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
