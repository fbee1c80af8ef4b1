#include "db/embedded/value_conversion.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/text.h"
#include "db/embedded/sql_error.h"

namespace korvane::embedded {
namespace {

std::string NumberText(const StoredValue& value) {
  if (value.kind == StoredValue::Kind::kInteger)
    return std::to_string(value.integer);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17g", value.real);
  return buffer;
}

std::string AsText(const StoredValue& value) {
  switch (value.kind) {
    case StoredValue::Kind::kText:
      return value.text;
    case StoredValue::Kind::kReal:
      if (!value.text.empty())
        return value.text;
      return NumberText(value);
    case StoredValue::Kind::kInteger:
      return NumberText(value);
    case StoredValue::Kind::kBlob:
      return std::string(value.blob.begin(), value.blob.end());
    case StoredValue::Kind::kNull:
      break;
  }
  return {};
}

[[noreturn]] void ConversionFailed(const StoredValue& value, const std::string& type, int version) {
  const std::string source = value.kind == StoredValue::Kind::kText ? "varchar" : "numeric";
  if (version >= 9)
    throw SqlError(245, "Conversion failed when converting the " + source + " value '" +
                            AsText(value) + "' to data type " + type + ".");
  throw SqlError(245, "Syntax error converting the " + source + " value '" + AsText(value) +
                          "' to a column of data type " + type + ".");
}

[[noreturn]] void Overflow(const std::string& type) {
  throw SqlError(8115,
                 "Arithmetic overflow error converting expression to data type " + type + ".");
}

// Rounds half away from zero as the server rounds exact numbers. Decimal literals such as 1.005
// arrive as the nearest double (1.00499...): a value within two units in the last place below
// the half counts as the half. Only where those units are small against the half; beyond 2^49
// the double itself has fewer digits than the rounding would need.
double RoundHalfAwayFromZero(double scaled) {
  const double magnitude = std::fabs(scaled);
  if (!(magnitude < 0x1p49))
    return std::round(scaled);
  const double ulp = std::nextafter(magnitude, HUGE_VAL) - magnitude;
  const double whole = std::floor(magnitude);
  const double rounded = magnitude - whole >= 0.5 - 2 * ulp ? whole + 1 : whole;
  return std::copysign(rounded, scaled);
}

bool ParseNumber(const std::string& raw, double* number) {
  const std::string text(Trim(raw));
  if (text.empty() || !IsNumeric(text))
    return false;
  *number = std::strtod(text.c_str(), nullptr);
  return true;
}

bool ParseDateText(const std::string& raw, std::string* stored) {
  const std::string text(Trim(raw));
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  char sep = 0;
  std::size_t pos = 0;
  auto digits = [&](int count, int* out) {
    int value = 0;
    for (int k = 0; k < count; ++k) {
      if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos])))
        return false;
      value = value * 10 + (text[pos++] - '0');
    }
    *out = value;
    return true;
  };
  auto up_to = [&](int max, int* out) {
    int value = 0;
    int count = 0;
    while (count < max && pos < text.size() &&
           std::isdigit(static_cast<unsigned char>(text[pos]))) {
      value = value * 10 + (text[pos++] - '0');
      ++count;
    }
    *out = value;
    return count > 0;
  };
  const bool compact = text.size() >= 8 && std::all_of(text.begin(), text.begin() + 8, [](char c) {
                         return std::isdigit(static_cast<unsigned char>(c)) != 0;
                       });
  if (compact) {
    // YYYYMMDD
    if (!digits(4, &y) || !digits(2, &mo) || !digits(2, &d))
      return false;
  } else if (text.size() >= 8 && (text[4] == '-' || text[4] == '/' || text[4] == '.')) {
    if (!digits(4, &y))
      return false;
    sep = text[pos++];
    if (!up_to(2, &mo) || pos >= text.size() || text[pos++] != sep || !up_to(2, &d))
      return false;
  } else {
    // MM/DD/YYYY (us_english)
    if (!up_to(2, &mo) || pos >= text.size())
      return false;
    sep = text[pos++];
    if (sep != '/' && sep != '-' && sep != '.')
      return false;
    if (!up_to(2, &d) || pos >= text.size() || text[pos++] != sep || !digits(4, &y))
      return false;
  }
  if (pos < text.size() && (text[pos] == ' ' || text[pos] == 'T')) {
    while (pos < text.size() && text[pos] == ' ')
      ++pos;
    if (pos < text.size() && text[pos] == 'T')
      ++pos;
    if (pos < text.size()) {
      if (!up_to(2, &h) || pos >= text.size() || text[pos++] != ':' || !up_to(2, &mi))
        return false;
      if (pos < text.size() && text[pos] == ':') {
        ++pos;
        if (!up_to(2, &s))
          return false;
        if (pos < text.size() && text[pos] == '.') {
          ++pos;
          int frac = 0;
          const std::size_t start = pos;
          if (!up_to(3, &frac))
            return false;
          for (std::size_t k = pos - start; k < 3; ++k)
            frac *= 10;
          ms = frac;
          while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
            ++pos;
        }
      }
    }
  }
  if (pos != text.size())
    return false;
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1753 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > kDays[mo - 1] || h > 23 ||
      mi > 59 || s > 59)
    return false;
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (mo == 2 && d == 29 && !leap)
    return false;
  // "YYYY-MM-DD hh:mm:ss.mmm", written digit by digit (every field is in range by now).
  char buffer[] = "0000-00-00 00:00:00.000";
  auto put = [&](std::size_t at, int value, int width) {
    for (int k = width - 1; k >= 0; --k, value /= 10)
      buffer[at + static_cast<std::size_t>(k)] = static_cast<char>('0' + value % 10);
  };
  put(0, y, 4);
  put(5, mo, 2);
  put(8, d, 2);
  put(11, h, 2);
  put(14, mi, 2);
  put(17, s, 2);
  put(20, ms, 3);
  stored->assign(buffer, sizeof buffer - 1);
  return true;
}

bool IsGuid(const std::string& text) {
  if (text.size() != 36)
    return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (text[i] != '-')
        return false;
    } else if (!std::isxdigit(static_cast<unsigned char>(text[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<std::int64_t> ParseWholeNumber(std::string_view digits, bool negative) {
  std::uint64_t magnitude = 0;
  if (digits.empty())
    return std::nullopt;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
  if (error != std::errc() || end != digits.data() + digits.size())
    return std::nullopt;
  constexpr std::uint64_t kLargest = 9223372036854775807ULL;
  if (!negative)
    return magnitude <= kLargest ? std::optional<std::int64_t>(static_cast<std::int64_t>(magnitude))
                                 : std::nullopt;
  if (magnitude > kLargest + 1)
    return std::nullopt;
  // -(2^63) has no positive counterpart; negate in unsigned arithmetic.
  return static_cast<std::int64_t>(~magnitude + 1);
}

StoredValue StoredFromSqlite(sqlite3_value* value) {
  StoredValue stored;
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
      stored.kind = StoredValue::Kind::kInteger;
      stored.integer = sqlite3_value_int64(value);
      break;
    case SQLITE_FLOAT:
      stored.kind = StoredValue::Kind::kReal;
      stored.real = sqlite3_value_double(value);
      break;
    case SQLITE_TEXT:
      stored.kind = StoredValue::Kind::kText;
      stored.text.assign(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                         static_cast<std::size_t>(sqlite3_value_bytes(value)));
      break;
    case SQLITE_BLOB: {
      stored.kind = StoredValue::Kind::kBlob;
      const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_value_blob(value));
      stored.blob.assign(bytes, bytes + sqlite3_value_bytes(value));
      break;
    }
    default:
      break;
  }
  return stored;
}

namespace {

// Character types (and xml, sql_variant): the text, fitted to the column's size.
StoredValue ConvertToText(const StoredValue& value, const DeclaredType& type) {
  const std::string& name = type.name;
  if (name == "sql_variant")
    return value;
  StoredValue out;
  out.kind = StoredValue::Kind::kText;
  out.text = AsText(value);
  if (type.prec > 0 && !type.is_max && name != "text" && name != "ntext") {
    const std::size_t limit = static_cast<std::size_t>(type.prec);
    const std::size_t length = Utf8Length(out.text);
    if (length > limit) {
      std::string_view rest = Utf8Mid(out.text, limit);
      if (rest.find_first_not_of(' ') != std::string_view::npos)
        throw SqlError(8152, "String or binary data would be truncated.");
      out.text = std::string(Utf8Left(out.text, limit));
    } else if (name == "char" || name == "nchar") {
      out.text.append(limit - length, ' ');
    }
  }
  return out;
}

}  // namespace

StoredValue ConvertForColumn(const StoredValue& value, const DeclaredType& type, int version) {
  if (value.kind == StoredValue::Kind::kNull)
    return value;
  // The most common columns first: no other branch takes a character type.
  if (type.is_character)
    return ConvertToText(value, type);
  const std::string& name = type.name;
  StoredValue out;
  if (name == "tinyint" || name == "smallint" || name == "int" || name == "bigint" ||
      name == "bit") {
    // Every source is brought to an exact whole number (or found out of bigint's range) before
    // the column's range is checked: nothing passes through a double that could change it.
    bool in_range = true;
    if (value.kind == StoredValue::Kind::kInteger) {
      out.integer = value.integer;
    } else if (value.kind == StoredValue::Kind::kReal) {
      const std::string digits = value.text.empty() ? std::string() : std::string(Trim(value.text));
      const bool negative = !digits.empty() && digits[0] == '-';
      const std::string_view unsigned_digits =
          std::string_view(digits).substr(negative || (!digits.empty() && digits[0] == '+'));
      if (!unsigned_digits.empty() &&
          unsigned_digits.find_first_not_of("0123456789") == std::string_view::npos) {
        const auto whole = ParseWholeNumber(unsigned_digits, negative);
        in_range = whole.has_value();
        out.integer = whole.value_or(0);
      } else {
        const double whole = std::trunc(value.real);
        in_range = std::isfinite(whole) && whole >= -0x1p63 && whole < 0x1p63;
        out.integer = in_range ? static_cast<std::int64_t>(whole) : 0;
        if (name == "bit" && value.real != 0)
          out.integer = 1;
      }
    } else {
      std::string text = AsText(value);
      if (name == "bit" &&
          (EqualsIgnoringCase(Trim(text), "true") || EqualsIgnoringCase(Trim(text), "false"))) {
        out.kind = StoredValue::Kind::kInteger;
        out.integer = EqualsIgnoringCase(Trim(text), "true") ? 1 : 0;
        return out;
      }
      double number = 0;
      const std::string trimmed(Trim(text));
      if (!ParseNumber(text, &number) || trimmed.find_first_of(".eE") != std::string::npos)
        ConversionFailed(value, name, version);
      const bool negative = trimmed[0] == '-';
      const std::string_view digits =
          std::string_view(trimmed).substr(negative || trimmed[0] == '+' ? 1 : 0);
      const auto whole = ParseWholeNumber(digits, negative);
      if (!whole && digits.find_first_not_of("0123456789") != std::string_view::npos)
        ConversionFailed(value, name, version);
      in_range = whole.has_value();
      out.integer = whole.value_or(0);
    }
    out.kind = StoredValue::Kind::kInteger;
    if (name == "bit") {
      // Any number but zero is 1, however large.
      out.integer = (!in_range || out.integer != 0) ? 1 : 0;
      return out;
    }
    const std::int64_t low = name == "tinyint"    ? 0
                             : name == "smallint" ? -32768
                             : name == "int"      ? -2147483648LL
                                                  : INT64_MIN;
    const std::int64_t high = name == "tinyint"    ? 255
                              : name == "smallint" ? 32767
                              : name == "int"      ? 2147483647LL
                                                   : INT64_MAX;
    if (!in_range || out.integer < low || out.integer > high)
      Overflow(name);
    return out;
  }
  if (name == "decimal" || name == "numeric" || name == "money" || name == "smallmoney" ||
      name == "float" || name == "real") {
    const bool exact_type = name == "decimal" || name == "numeric";
    if (exact_type && type.scale <= 0 && value.kind == StoredValue::Kind::kInteger) {
      // A whole number into a whole-number decimal stays exact over bigint's whole range.
      std::uint64_t limit = 1;
      for (int k = 0; k < type.prec && limit <= UINT64_MAX / 10; ++k)
        limit *= 10;
      const std::uint64_t magnitude = value.integer < 0
                                          ? ~static_cast<std::uint64_t>(value.integer) + 1
                                          : static_cast<std::uint64_t>(value.integer);
      if (type.prec < 20 && magnitude >= limit)
        throw SqlError(8115, "Arithmetic overflow error converting int to data type numeric.");
      out.kind = StoredValue::Kind::kInteger;
      out.integer = value.integer;
      return out;
    }
    double number = 0;
    if (value.kind == StoredValue::Kind::kInteger)
      number = static_cast<double>(value.integer);
    else if (value.kind == StoredValue::Kind::kReal)
      number = value.real;
    else if (!ParseNumber(AsText(value), &number))
      ConversionFailed(value, name, version);
    const int scale = name == "money" || name == "smallmoney"  ? 4
                      : name == "decimal" || name == "numeric" ? std::max(type.scale, 0)
                                                               : -1;
    if (scale >= 0) {
      const double factor = std::pow(10.0, scale);
      const double scaled = number * factor;
      // From 2^52 on a double holds whole numbers only: nothing is left to round, and scaling
      // back could only lose digits.
      if (std::fabs(scaled) < 0x1p52)
        number = RoundHalfAwayFromZero(scaled) / factor;
      const bool exact = name == "decimal" || name == "numeric";
      const int digits = exact ? type.prec - scale : 15;
      if (std::fabs(number) >= std::pow(10.0, digits)) {
        if (!exact)
          Overflow(name);
        // The server names the source's type here, and decimal as numeric.
        const char* source = value.kind == StoredValue::Kind::kInteger ? "int"
                             : value.kind == StoredValue::Kind::kText  ? "varchar"
                                                                       : "numeric";
        throw SqlError(8115, std::string("Arithmetic overflow error converting ") + source +
                                 " to data type numeric.");
      }
    }
    if (scale == 0 && std::fabs(number) < 9e15) {
      out.kind = StoredValue::Kind::kInteger;
      out.integer = static_cast<std::int64_t>(number);
    } else {
      out.kind = StoredValue::Kind::kReal;
      out.real = name == "real" ? static_cast<double>(static_cast<float>(number)) : number;
    }
    return out;
  }
  if (name == "datetime" || name == "smalldatetime") {
    std::string stored;
    if (value.kind != StoredValue::Kind::kText || !ParseDateText(value.text, &stored)) {
      if (version >= 9)
        throw SqlError(241, "Conversion failed when converting datetime from character string.");
      throw SqlError(241, "Syntax error converting datetime from character string.");
    }
    if (name == "smalldatetime") {
      // Kept to the minute (the server rounds half a minute up; seconds are dropped here).
      stored = stored.substr(0, 16) + ":00.000";
    }
    out.kind = StoredValue::Kind::kText;
    out.text = stored;
    return out;
  }
  if (name == "xml" || name == "sql_variant")
    return ConvertToText(value, type);
  if (name == "binary" || name == "varbinary" || name == "image" || name == "timestamp") {
    out.kind = StoredValue::Kind::kBlob;
    if (value.kind == StoredValue::Kind::kBlob) {
      out.blob = value.blob;
    } else if (value.kind == StoredValue::Kind::kInteger) {
      for (int shift = 24; shift >= 0; shift -= 8)
        out.blob.push_back(static_cast<std::uint8_t>((value.integer >> shift) & 0xFF));
    } else {
      const std::string text = AsText(value);
      out.blob.assign(text.begin(), text.end());
    }
    if (type.prec > 0 && !type.is_max && name != "image" && name != "timestamp") {
      const std::size_t limit = static_cast<std::size_t>(type.prec);
      if (out.blob.size() > limit)
        throw SqlError(8152, "String or binary data would be truncated.");
      if (name == "binary")
        out.blob.resize(limit, 0);
    }
    return out;
  }
  if (name == "uniqueidentifier") {
    std::string text(Trim(AsText(value)));
    if (text.size() == 38 && text.front() == '{' && text.back() == '}')
      text = text.substr(1, 36);
    if (!IsGuid(text)) {
      if (version >= 9)
        throw SqlError(8169,
                       "Conversion failed when converting from a character string to "
                       "uniqueidentifier.");
      throw SqlError(8169, "Syntax error converting from a character string to uniqueidentifier.");
    }
    out.kind = StoredValue::Kind::kText;
    out.text = ToUpperAscii(text);
    return out;
  }
  return value;
}

namespace {

// The form the engine stores, "2024-03-07 14:05:09" with ".123" or without, read without
// scanning or a branch per digit; false for any other form, which the general reader takes.
bool ParseCanonicalDateTime(std::string_view text, DateTimeValue* value) {
  const std::size_t size = text.size();
  if (size != 19 && size != 23)
    return false;
  const char* at = text.data();
  if (at[4] != '-' || at[7] != '-' || at[10] != ' ' || at[13] != ':' || at[16] != ':' ||
      (size == 23 && at[19] != '.'))
    return false;
  // A character beyond '9' leaves a digit above 9, one below '0' wraps to a larger one.
  bool not_digits = false;
  const auto digit = [&](std::size_t k) {
    const unsigned d = static_cast<unsigned char>(at[k]) - unsigned{'0'};
    not_digits |= d > 9;
    return static_cast<int>(d);
  };
  const auto two = [&](std::size_t k) { return digit(k) * 10 + digit(k + 1); };
  const int year = two(0) * 100 + two(2);
  const int month = two(5);
  const int day = two(8);
  const int hour = two(11);
  const int minute = two(14);
  const int second = two(17);
  const int millisecond = size == 23 ? digit(20) * 100 + two(21) : 0;
  if (not_digits)
    return false;
  *value = DateTimeValue{year, month, day, hour, minute, second, millisecond * 1000000, true, true};
  return true;
}

}  // namespace

bool ParseStoredDateTime(std::string_view text, DateTimeValue* value) {
  if (ParseCanonicalDateTime(text, value))
    return true;
  const std::string copy(text);
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  int fraction_at = 0;
  int fraction_end = 0;
  const int fields = std::sscanf(copy.c_str(), "%4d-%2d-%2d %2d:%2d:%2d.%n%3d%n", &y, &mo, &d, &h,
                                 &mi, &s, &fraction_at, &ms, &fraction_end);
  if (fields < 3)
    return false;
  // A fraction of fewer than three digits counts in tenths or hundredths: ".5" is 500 ms.
  for (int k = fields >= 7 ? fraction_end - fraction_at : 3; k < 3; ++k)
    ms *= 10;
  value->year = y;
  value->month = mo;
  value->day = d;
  value->hour = fields >= 4 ? h : 0;
  value->minute = fields >= 5 ? mi : 0;
  value->second = fields >= 6 ? s : 0;
  value->nanosecond = fields >= 7 ? ms * 1000000 : 0;
  return true;
}

namespace {

// ReadField, for the one field and the loop over a row alike (inlined there: the compiler would
// otherwise call it once per field). Only the members the field's type uses are written.
[[gnu::always_inline]] inline void ReadFieldInPlace(sqlite3_stmt* stmt, int column,
                                                    const ResultType* result, std::string& scratch,
                                                    FieldView& field) {
  // One look-up of the field; the sqlite3_value_* readers then take no connection lock per
  // call, as each sqlite3_column_* reader does. The value lives until the next step, and the
  // statement is used by one thread, so reading it unprotected is safe.
  sqlite3_value* value = sqlite3_column_value(stmt, column);
  const int storage = sqlite3_value_type(value);
  if (storage == SQLITE_NULL) {
    field.type = ValueType::kNull;
    return;
  }
  // Text and bytes: the pointer first, then the size of what it points at.
  auto text = [&]() {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return std::string_view(bytes, static_cast<std::size_t>(sqlite3_value_bytes(value)));
  };
  auto blob = [&]() {
    const auto* bytes = static_cast<const char*>(sqlite3_value_blob(value));
    return std::string_view(bytes, static_cast<std::size_t>(sqlite3_value_bytes(value)));
  };
  if (result) {
    switch (result->type) {
      case ValueType::kInteger:
        if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
          field.type = ValueType::kInteger;
          field.integer = sqlite3_value_int64(value);
          return;
        }
        break;
      case ValueType::kBoolean:
        field.type = ValueType::kBoolean;
        field.integer = sqlite3_value_int64(value) != 0 ? 1 : 0;
        return;
      case ValueType::kDecimal: {
        field.type = ValueType::kDecimal;
        if (storage == SQLITE_TEXT) {
          field.bytes = text();
          return;
        }
        if (storage == SQLITE_INTEGER && result->scale == 0) {
          char digits[24];
          const char* end =
              std::to_chars(digits, digits + sizeof digits, sqlite3_value_int64(value)).ptr;
          scratch.assign(digits, static_cast<std::size_t>(end - digits));
        } else {
          char buffer[64];
          std::snprintf(buffer, sizeof buffer, "%.*f", result->scale, sqlite3_value_double(value));
          scratch = buffer;
          if (scratch.rfind("-0", 0) == 0 && scratch.find_first_not_of("-0.") == std::string::npos)
            scratch.erase(0, 1);
        }
        field.bytes = scratch;
        return;
      }
      case ValueType::kFloat:
        field.type = ValueType::kFloat;
        field.real = sqlite3_value_double(value);
        return;
      case ValueType::kDateTime:
        if (storage == SQLITE_TEXT) {
          const std::string_view stored = text();
          if (ParseCanonicalDateTime(stored, &field.datetime)) {
            // The stored text is already the date's NullText, once a zero fraction is left out.
            field.type = ValueType::kDateTime;
            field.bytes = stored.substr(0, field.datetime.nanosecond == 0 ? 19 : 23);
            return;
          }
          if (ParseStoredDateTime(stored, &field.datetime)) {
            field.type = ValueType::kDateTime;
            field.bytes = {};
            field.datetime.has_date = true;
            field.datetime.has_time = true;
            return;
          }
        }
        field.datetime = DateTimeValue{};
        break;
      case ValueType::kText:
        field.type = ValueType::kText;
        field.bytes = text();
        return;
      case ValueType::kBinary:
        field.type = ValueType::kBinary;
        field.bytes = blob();
        return;
      case ValueType::kGuid:
        field.type = ValueType::kGuid;
        scratch = ToUpperAscii(text());
        field.bytes = scratch;
        return;
      case ValueType::kNull:
        break;
    }
  }
  switch (storage) {
    case SQLITE_INTEGER:
      field.type = ValueType::kInteger;
      field.integer = sqlite3_value_int64(value);
      break;
    case SQLITE_FLOAT:
      field.type = ValueType::kFloat;
      field.real = sqlite3_value_double(value);
      break;
    case SQLITE_BLOB:
      field.type = ValueType::kBinary;
      field.bytes = blob();
      break;
    default:
      field.type = ValueType::kText;
      field.bytes = text();
      break;
  }
}

}  // namespace

void ReadField(sqlite3_stmt* stmt, int column, const ResultType* result, std::string& scratch,
               FieldView& field) {
  ReadFieldInPlace(stmt, column, result, scratch, field);
}

void ReadFields(sqlite3_stmt* stmt, std::span<const std::optional<ResultType>> types,
                std::span<std::string> scratch, std::span<FieldView> fields) {
  const std::size_t count = std::min({types.size(), scratch.size(), fields.size()});
  for (std::size_t column = 0; column < count; ++column) {
    const std::optional<ResultType>& type = types[column];
    ReadFieldInPlace(stmt, static_cast<int>(column), type ? &*type : nullptr, scratch[column],
                     fields[column]);
  }
}

FieldView ReadField(sqlite3_stmt* stmt, int column, const ResultType* result,
                    std::string& scratch) {
  FieldView field;
  ReadFieldInPlace(stmt, column, result, scratch, field);
  return field;
}

Value ReadValue(sqlite3_stmt* stmt, int column, const ResultType* result) {
  std::string scratch;
  return ToValue(ReadField(stmt, column, result, scratch));
}

}  // namespace korvane::embedded
