#include "db/tds/result_encoder.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "base/text.h"
#include "db/tds/tokens.h"

namespace korvane::tds {
namespace {

constexpr std::uint8_t kImage = 0x22;
constexpr std::uint8_t kText = 0x23;
constexpr std::uint8_t kGuidN = 0x24;
constexpr std::uint8_t kIntN = 0x26;
constexpr std::uint8_t kNText = 0x63;
constexpr std::uint8_t kBitN = 0x68;
constexpr std::uint8_t kDecimalN = 0x6A;
constexpr std::uint8_t kNumericN = 0x6C;
constexpr std::uint8_t kFloatN = 0x6D;
constexpr std::uint8_t kMoneyN = 0x6E;
constexpr std::uint8_t kDateTimeN = 0x6F;
constexpr std::uint8_t kBigVarBinary = 0xA5;
constexpr std::uint8_t kBigVarChar = 0xA7;
constexpr std::uint8_t kBigBinary = 0xAD;
constexpr std::uint8_t kBigChar = 0xAF;
constexpr std::uint8_t kNVarChar = 0xE7;
constexpr std::uint8_t kNChar = 0xEF;

constexpr std::uint8_t kTokenColMetadata = 0x81;
constexpr std::uint8_t kTokenRow = 0xD1;
constexpr std::uint8_t kTokenNbcRow = 0xD2;

constexpr std::uint16_t kFlagNullable = 0x0001;
constexpr std::uint16_t kFlagUpdatableUnknown = 0x0008;

constexpr std::uint32_t kLegacyMaxLength = 0x7FFFFFFF;
constexpr std::uint64_t kPlpNull = ~std::uint64_t{0};

using Int128 = __int128;

bool IsLegacyLob(std::uint8_t type) {
  return type == kText || type == kNText || type == kImage;
}

// Digits such as "-12.3400" as an integer at `scale` digits after the point; nullopt when the
// text is not a plain decimal number or does not fit 38 digits.
std::optional<Int128> ScaledDecimal(const std::string& text, int scale, bool* negative) {
  std::string_view digits = Trim(text);
  *negative = false;
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    *negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  Int128 value = 0;
  int fraction = -1;
  int significant = 0;
  bool any = false;
  for (char c : digits) {
    if (c == '.') {
      if (fraction >= 0)
        return std::nullopt;
      fraction = 0;
      continue;
    }
    if (c < '0' || c > '9')
      return std::nullopt;
    any = true;
    if (fraction >= 0) {
      if (fraction == scale)
        continue;  // digits beyond the column's scale (never more than the values had)
      ++fraction;
    }
    value = value * 10 + (c - '0');
    if (value != 0 && ++significant > 38)
      return std::nullopt;
  }
  if (!any)
    return std::nullopt;
  for (int k = std::max(fraction, 0); k < scale; ++k) {
    value *= 10;
    if (value != 0 && ++significant > 38)
      return std::nullopt;
  }
  return value;
}

int ScaleOf(const std::string& digits) {
  const std::size_t point = digits.find('.');
  return point == std::string::npos ? 0 : static_cast<int>(digits.size() - point - 1);
}

std::uint8_t DecimalLength(int precision) {
  return precision <= 9 ? 5 : precision <= 19 ? 9 : precision <= 28 ? 13 : 17;
}

std::optional<std::array<std::uint8_t, 16>> GuidBytes(const std::string& text) {
  std::string hex;
  for (char c : text)
    if (c != '-' && c != '{' && c != '}')
      hex += c;
  if (hex.size() != 32)
    return std::nullopt;
  std::array<std::uint8_t, 16> raw{};
  for (std::size_t k = 0; k < 16; ++k) {
    unsigned value = 0;
    auto [end, error] = std::from_chars(hex.data() + 2 * k, hex.data() + 2 * k + 2, value, 16);
    if (error != std::errc() || end != hex.data() + 2 * k + 2)
      return std::nullopt;
    raw[k] = static_cast<std::uint8_t>(value);
  }
  // Data1, Data2 and Data3 go little-endian, the last 8 bytes as they are.
  std::array<std::uint8_t, 16> wire = raw;
  std::reverse(wire.begin(), wire.begin() + 4);
  std::reverse(wire.begin() + 4, wire.begin() + 6);
  std::reverse(wire.begin() + 6, wire.begin() + 8);
  return wire;
}

bool FitsInteger(std::int64_t value, std::uint32_t size) {
  switch (size) {
    case 1:
      return value >= 0 && value <= 255;
    case 2:
      return value >= std::numeric_limits<std::int16_t>::min() &&
             value <= std::numeric_limits<std::int16_t>::max();
    case 4:
      return value >= std::numeric_limits<std::int32_t>::min() &&
             value <= std::numeric_limits<std::int32_t>::max();
    default:
      return true;
  }
}

WireColumn TextColumn(std::string name, std::size_t max_units, bool legacy, std::uint32_t version) {
  WireColumn column;
  column.name = std::move(name);
  if (legacy || max_units > 4000) {
    if (IsTds72OrLater(version) && !legacy) {
      column.type = kNVarChar;
      column.plp = true;
      column.max_length = 0xFFFF;
    } else {
      column.type = kNText;
      column.max_length = kLegacyMaxLength;
    }
  } else {
    column.type = kNVarChar;
    column.max_length = static_cast<std::uint32_t>(std::max<std::size_t>(1, max_units) * 2);
  }
  return column;
}

// The column from the engine's type name, or nullopt when its values do not fit that type.
std::optional<WireColumn> PlanTyped(const ResultSet& result, std::size_t c, std::uint32_t version) {
  const ColumnInfo& info = result.columns[c];
  const std::string type = ToLowerAscii(info.type_name);
  WireColumn column;
  column.name = info.name;
  const auto all = [&](auto predicate) {
    for (const auto& row : result.rows) {
      const Value& v = row[c];
      if (!v.is_null() && !predicate(v))
        return false;
    }
    return true;
  };
  const auto is = [](ValueType t) { return [t](const Value& v) { return v.type() == t; }; };

  if (type == "tinyint" || type == "smallint" || type == "int" || type == "bigint") {
    if (!all(is(ValueType::kInteger)))
      return std::nullopt;
    std::uint32_t size = type == "tinyint" ? 1 : type == "smallint" ? 2 : type == "int" ? 4 : 8;
    while (size < 8 && !all([size](const Value& v) { return FitsInteger(v.AsInteger(), size); }))
      size = size == 1 ? 2 : size * 2;
    column.type = kIntN;
    column.max_length = size;
    return column;
  }
  if (type == "bit") {
    if (!all(is(ValueType::kBoolean)))
      return std::nullopt;
    column.type = kBitN;
    column.max_length = 1;
    return column;
  }
  if (type == "real" || type == "float") {
    if (!all(is(ValueType::kFloat)))
      return std::nullopt;
    column.type = kFloatN;
    column.max_length = type == "real" ? 4 : 8;
    return column;
  }
  if (type == "money" || type == "smallmoney") {
    const std::uint32_t size = type == "money" ? 8 : 4;
    const bool fits = all([size](const Value& v) {
      bool negative = false;
      if (v.type() != ValueType::kDecimal)
        return false;
      auto scaled = ScaledDecimal(v.AsDecimalDigits(), 4, &negative);
      if (!scaled)
        return false;
      const Int128 limit = size == 8 ? Int128{std::numeric_limits<std::int64_t>::max()}
                                     : Int128{std::numeric_limits<std::int32_t>::max()};
      // Two's complement reaches one further below zero than above.
      return *scaled <= limit + (negative ? 1 : 0);
    });
    if (!fits)
      return std::nullopt;
    column.type = kMoneyN;
    column.max_length = size;
    return column;
  }
  if (type == "decimal" || type == "numeric") {
    int scale = 0;
    if (!all([&scale](const Value& v) {
          if (v.type() != ValueType::kDecimal)
            return false;
          scale = std::max(scale, ScaleOf(v.AsDecimalDigits()));
          return true;
        }))
      return std::nullopt;
    if (scale > 38)
      return std::nullopt;
    if (!all([scale](const Value& v) {
          bool negative = false;
          return ScaledDecimal(v.AsDecimalDigits(), scale, &negative).has_value();
        }))
      return std::nullopt;
    column.type = type == "decimal" ? kDecimalN : kNumericN;
    column.precision = 38;
    column.scale = static_cast<std::uint8_t>(scale);
    column.max_length = DecimalLength(38);
    return column;
  }
  if (type == "datetime" || type == "smalldatetime") {
    if (!all(is(ValueType::kDateTime)))
      return std::nullopt;
    const bool small = type == "smalldatetime" && all([](const Value& v) {
                         const auto& d = v.AsDateTime();
                         const auto days = DaysSince1900(d.year, d.month, d.day);
                         return !d.has_date || (days >= 0 && days <= 0xFFFF);
                       });
    column.type = kDateTimeN;
    column.max_length = small ? 4 : 8;
    return column;
  }
  if (type == "uniqueidentifier") {
    if (!all([](const Value& v) {
          return v.type() == ValueType::kGuid && GuidBytes(v.AsGuidText()).has_value();
        }))
      return std::nullopt;
    column.type = kGuidN;
    column.max_length = 16;
    return column;
  }
  if (type == "binary" || type == "varbinary" || type == "image" || type == "timestamp") {
    if (!all(is(ValueType::kBinary)))
      return std::nullopt;
    std::size_t longest = 0;
    for (const auto& row : result.rows)
      if (!row[c].is_null())
        longest = std::max(longest, row[c].AsBytes().size());
    if (type == "image" || (longest > 8000 && !IsTds72OrLater(version))) {
      column.type = kImage;
      column.max_length = kLegacyMaxLength;
    } else if (longest > 8000) {
      column.type = kBigVarBinary;
      column.plp = true;
      column.max_length = 0xFFFF;
    } else {
      column.type = type == "varbinary" ? kBigVarBinary : kBigBinary;
      column.max_length =
          type == "timestamp" ? 8 : static_cast<std::uint32_t>(std::max<std::size_t>(1, longest));
    }
    return column;
  }
  if (type == "char" || type == "varchar" || type == "text") {
    std::size_t longest = 0;
    if (!all([&longest](const Value& v) {
          if (v.type() != ValueType::kText)
            return false;
          auto bytes = Utf8ToCp1252(v.AsText());
          if (!bytes)
            return false;
          longest = std::max(longest, bytes->size());
          return true;
        }))
      return std::nullopt;
    column.cp1252 = true;
    if (type == "text" || (longest > 8000 && !IsTds72OrLater(version))) {
      column.type = kText;
      column.max_length = kLegacyMaxLength;
    } else if (longest > 8000) {
      column.type = kBigVarChar;
      column.plp = true;
      column.max_length = 0xFFFF;
    } else {
      column.type = type == "char" ? kBigChar : kBigVarChar;
      column.max_length = static_cast<std::uint32_t>(std::max<std::size_t>(1, longest));
    }
    return column;
  }
  return std::nullopt;
}

void WriteUcs2Plp(ByteWriter& out, const Bytes& data) {
  out.U64(data.size());
  if (!data.empty()) {
    out.U32(static_cast<std::uint32_t>(data.size()));
    out.Append(data);
  }
  out.U32(0);
}

void WriteLegacyLob(ByteWriter& out, std::span<const std::uint8_t> data) {
  out.U8(16);
  for (int k = 0; k < 16; ++k)
    out.U8(0x01);  // text pointer: clients only check that one is there
  out.U64(0);      // timestamp
  out.U32(static_cast<std::uint32_t>(data.size()));
  out.Append(data);
}

void WriteNull(ByteWriter& out, const WireColumn& column) {
  if (column.plp) {
    out.U64(kPlpNull);
    return;
  }
  switch (column.type) {
    case kBigVarBinary:
    case kBigVarChar:
    case kBigBinary:
    case kBigChar:
    case kNVarChar:
    case kNChar:
      out.U16(0xFFFF);
      return;
    default:
      out.U8(0);  // length 0, also a missing text pointer of the legacy types
  }
}

}  // namespace

std::int64_t DaysSince1900(int year, int month, int day) {
  // Days from 1970-01-01 (the civil-calendar algorithm), shifted to 1900-01-01.
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int mp = (month + 9) % 12;
  const int doy = (153 * mp + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const std::int64_t days_1970 = static_cast<std::int64_t>(era) * 146097 + doe - 719468;
  return days_1970 + 25567;
}

std::vector<WireColumn> PlanColumns(const ResultSet& result, std::uint32_t tds_version) {
  std::vector<WireColumn> columns;
  columns.reserve(result.columns.size());
  for (std::size_t c = 0; c < result.columns.size(); ++c) {
    if (auto typed = PlanTyped(result, c, tds_version)) {
      columns.push_back(std::move(*typed));
      continue;
    }
    const std::string type = ToLowerAscii(result.columns[c].type_name);
    std::size_t longest = 0;
    for (const auto& row : result.rows)
      if (!row[c].is_null())
        longest = std::max(
            longest,
            Ucs2Length(row[c].type() == ValueType::kText ? row[c].AsText() : NullText(row[c])));
    WireColumn column = TextColumn(result.columns[c].name, longest, type == "ntext", tds_version);
    if (type == "nchar" && column.type == kNVarChar && !column.plp)
      column.type = kNChar;
    columns.push_back(std::move(column));
  }
  return columns;
}

void WriteTypeInfo(ByteWriter& out, const WireColumn& column, std::uint32_t tds_version) {
  out.U8(column.type);
  switch (column.type) {
    case kIntN:
    case kBitN:
    case kFloatN:
    case kMoneyN:
    case kDateTimeN:
    case kGuidN:
      out.U8(static_cast<std::uint8_t>(column.max_length));
      return;
    case kDecimalN:
    case kNumericN:
      out.U8(static_cast<std::uint8_t>(column.max_length));
      out.U8(column.precision);
      out.U8(column.scale);
      return;
    case kBigVarBinary:
    case kBigBinary:
      out.U16(static_cast<std::uint16_t>(column.max_length));
      return;
    case kBigVarChar:
    case kBigChar:
    case kNVarChar:
    case kNChar:
      out.U16(static_cast<std::uint16_t>(column.max_length));
      out.Append(kCollation);
      return;
    case kText:
    case kNText:
    case kImage:
      out.U32(column.max_length);
      if (column.type != kImage)
        out.Append(kCollation);
      (void)tds_version;
      return;
    default:
      return;
  }
}

void WriteColumnMetadata(ByteWriter& out, const std::vector<WireColumn>& columns,
                         std::uint32_t tds_version) {
  out.U8(kTokenColMetadata);
  out.U16(static_cast<std::uint16_t>(columns.size()));
  for (const WireColumn& column : columns) {
    if (IsTds72OrLater(tds_version))
      out.U32(0);  // user type
    else
      out.U16(0);
    out.U16(kFlagNullable | kFlagUpdatableUnknown);
    WriteTypeInfo(out, column, tds_version);
    if (IsLegacyLob(column.type)) {
      // The table the value lives in: clients only need a well-formed name.
      if (IsTds72OrLater(tds_version))
        out.U8(1);
      out.UsVarChar(column.name.empty() ? "t" : column.name);
    }
    out.BVarChar(column.name);
  }
}

void WriteValue(ByteWriter& out, const WireColumn& column, const Value& value) {
  if (value.is_null()) {
    WriteNull(out, column);
    return;
  }
  switch (column.type) {
    case kIntN: {
      const auto v = static_cast<std::uint64_t>(value.AsInteger());
      out.U8(static_cast<std::uint8_t>(column.max_length));
      for (std::uint32_t k = 0; k < column.max_length; ++k)
        out.U8(static_cast<std::uint8_t>(v >> (8 * k)));
      return;
    }
    case kBitN:
      out.U8(1);
      out.U8(value.AsBoolean() ? 1 : 0);
      return;
    case kFloatN:
      if (column.max_length == 4) {
        const float f = static_cast<float>(value.AsFloat());
        std::uint32_t bits = 0;
        std::memcpy(&bits, &f, 4);
        out.U8(4);
        out.U32(bits);
      } else {
        const double d = value.AsFloat();
        std::uint64_t bits = 0;
        std::memcpy(&bits, &d, 8);
        out.U8(8);
        out.U64(bits);
      }
      return;
    case kMoneyN: {
      bool negative = false;
      const Int128 scaled = ScaledDecimal(value.AsDecimalDigits(), 4, &negative).value_or(0);
      const std::int64_t v = static_cast<std::int64_t>(negative ? -scaled : scaled);
      out.U8(static_cast<std::uint8_t>(column.max_length));
      if (column.max_length == 4) {
        out.U32(static_cast<std::uint32_t>(static_cast<std::int32_t>(v)));
      } else {
        const auto bits = static_cast<std::uint64_t>(v);
        out.U32(static_cast<std::uint32_t>(bits >> 32));  // high half first
        out.U32(static_cast<std::uint32_t>(bits & 0xFFFFFFFFu));
      }
      return;
    }
    case kDecimalN:
    case kNumericN: {
      bool negative = false;
      auto magnitude = static_cast<unsigned __int128>(
          ScaledDecimal(value.AsDecimalDigits(), column.scale, &negative).value_or(0));
      out.U8(static_cast<std::uint8_t>(column.max_length));
      out.U8(negative && magnitude != 0 ? 0 : 1);
      for (std::uint32_t k = 0; k + 1 < column.max_length; ++k) {
        out.U8(static_cast<std::uint8_t>(magnitude & 0xFF));
        magnitude >>= 8;
      }
      return;
    }
    case kDateTimeN: {
      const DateTimeValue& d = value.AsDateTime();
      const std::int64_t days = d.has_date ? DaysSince1900(d.year, d.month, d.day) : 0;
      const int hour = d.has_time ? d.hour : 0;
      const int minute = d.has_time ? d.minute : 0;
      const int second = d.has_time ? d.second : 0;
      const int nanosecond = d.has_time ? d.nanosecond : 0;
      if (column.max_length == 4) {
        out.U8(4);
        out.U16(static_cast<std::uint16_t>(days));
        out.U16(static_cast<std::uint16_t>(hour * 60 + minute + (second >= 30 ? 1 : 0)));
      } else {
        const double seconds = hour * 3600.0 + minute * 60.0 + second + nanosecond / 1e9;
        out.U8(8);
        out.U32(static_cast<std::uint32_t>(static_cast<std::int32_t>(days)));
        out.U32(static_cast<std::uint32_t>(std::llround(seconds * 300.0)));
      }
      return;
    }
    case kGuidN:
      out.U8(16);
      out.Append(*GuidBytes(value.AsGuidText()));
      return;
    case kBigVarBinary:
    case kBigBinary:
    case kImage: {
      const auto& bytes = value.AsBytes();
      if (column.type == kImage) {
        WriteLegacyLob(out, bytes);
      } else if (column.plp) {
        WriteUcs2Plp(out, bytes);
      } else {
        out.U16(static_cast<std::uint16_t>(bytes.size()));
        out.Append(bytes);
      }
      return;
    }
    default:
      break;
  }
  // Character data.
  std::string converted;
  const std::string& text =
      value.type() == ValueType::kText ? value.AsText() : (converted = NullText(value));
  if (!column.cp1252 && !column.plp && !IsLegacyLob(column.type)) {
    // The common case, written in place: the length goes in front once it is known.
    const std::size_t length_at = out.size();
    out.U16(0);
    out.Ucs2(text);
    out.PatchU16(length_at, static_cast<std::uint16_t>(out.size() - length_at - 2));
    return;
  }
  Bytes data;
  if (column.cp1252) {
    const std::string narrow = Utf8ToCp1252(text).value_or(std::string());
    data.assign(narrow.begin(), narrow.end());
  } else {
    data = Utf8ToUcs2(text);
  }
  if (IsLegacyLob(column.type)) {
    WriteLegacyLob(out, data);
  } else if (column.plp) {
    WriteUcs2Plp(out, data);
  } else {
    out.U16(static_cast<std::uint16_t>(data.size()));
    out.Append(data);
  }
}

void WriteReturnValue(ByteWriter& out, int ordinal, const std::string& name,
                      const std::string& type_name, const Value& value, std::uint32_t tds_version) {
  ResultSet single;
  ColumnInfo info;
  info.name = name;
  info.type = value.type();
  info.type_name = type_name;
  single.columns.push_back(info);
  single.rows.push_back({value});
  WireColumn column = PlanColumns(single, tds_version)[0];
  if (column.type == kNText || column.type == kText || column.type == kImage) {
    // Output parameters carry no text pointers: send long text as nvarchar(max) or cut it.
    column.type = column.type == kImage ? kBigVarBinary : kNVarChar;
    column.cp1252 = false;
    column.plp = IsTds72OrLater(tds_version);
    column.max_length = column.plp ? 0xFFFF : 8000;
  }
  out.U8(0xAC);
  out.U16(static_cast<std::uint16_t>(ordinal));
  out.BVarChar(name);
  out.U8(0x01);  // output parameter
  if (IsTds72OrLater(tds_version))
    out.U32(0);
  else
    out.U16(0);
  out.U16(kFlagNullable | kFlagUpdatableUnknown);
  WriteTypeInfo(out, column, tds_version);
  if (!column.plp && column.max_length == 8000 && !value.is_null() &&
      (column.type == kNVarChar || column.type == kBigVarBinary)) {
    Value cut =
        value.type() == ValueType::kBinary
            ? Value::Binary(
                  Bytes(value.AsBytes().begin(),
                        value.AsBytes().begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(
                                                      8000, value.AsBytes().size()))))
            : Value::Text(std::string(Utf8Left(
                  value.type() == ValueType::kText ? value.AsText() : NullText(value), 4000)));
    WriteValue(out, column, cut);
    return;
  }
  WriteValue(out, column, value);
}

void WriteRow(ByteWriter& out, const std::vector<WireColumn>& columns,
              const std::vector<Value>& row, std::uint32_t tds_version) {
  const bool any_null =
      std::any_of(row.begin(), row.end(), [](const Value& v) { return v.is_null(); });
  if (any_null && IsTds73OrLater(tds_version)) {
    // NBCROW: a bitmap of the NULL columns, then only the other values.
    out.U8(kTokenNbcRow);
    const std::size_t bitmap_at = out.size();
    for (std::size_t k = 0; k < (columns.size() + 7) / 8; ++k)
      out.U8(0);
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (row[c].is_null())
        out.bytes()[bitmap_at + c / 8] |= static_cast<std::uint8_t>(1u << (c % 8));
      else
        WriteValue(out, columns[c], row[c]);
    }
    return;
  }
  out.U8(kTokenRow);
  for (std::size_t c = 0; c < columns.size(); ++c)
    WriteValue(out, columns[c], row[c]);
}

}  // namespace korvane::tds
