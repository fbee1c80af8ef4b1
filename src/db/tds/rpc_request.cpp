#include "db/tds/rpc_request.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "base/text.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/sql_tokenizer.h"
#include "db/tds/result_encoder.h"
#include "db/tds/tds_bytes.h"
#include "db/tds/tokens.h"

namespace korvane::tds {
namespace {

using UInt128 = unsigned __int128;

constexpr std::uint64_t kPlpNull = ~std::uint64_t{0};
constexpr std::uint64_t kPlpUnknown = ~std::uint64_t{0} - 1;

// Civil date of a day number counted from 1900-01-01.
void CivilFromDays(std::int64_t days_1900, DateTimeValue* out) {
  const std::int64_t z = days_1900 - 25567 + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
  out->year = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
  out->month = static_cast<int>(m);
  out->day = static_cast<int>(d);
}

void SetTimeOfDay(std::uint64_t nanoseconds, DateTimeValue* out) {
  const std::uint64_t seconds = nanoseconds / 1000000000u;
  out->hour = static_cast<int>(seconds / 3600 % 24);
  out->minute = static_cast<int>(seconds / 60 % 60);
  out->second = static_cast<int>(seconds % 60);
  out->nanosecond = static_cast<int>(nanoseconds % 1000000000u);
}

std::uint64_t LittleEndian(std::span<const std::uint8_t> bytes) {
  std::uint64_t value = 0;
  for (std::size_t k = bytes.size(); k-- > 0;)
    value = (value << 8) | bytes[k];
  return value;
}

std::string ScaledDigits(UInt128 magnitude, int scale, bool negative) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
    magnitude /= 10;
  } while (magnitude != 0);
  if (scale > 0) {
    if (digits.size() <= static_cast<std::size_t>(scale))
      digits.insert(0, static_cast<std::size_t>(scale) - digits.size() + 1, '0');
    digits.insert(digits.size() - static_cast<std::size_t>(scale), ".");
  }
  if (negative && digits.find_first_not_of("0.") != std::string::npos)
    digits.insert(0, "-");
  return digits;
}

std::uint64_t TimeUnits(std::span<const std::uint8_t> bytes, int scale) {
  std::uint64_t units = LittleEndian(bytes);
  for (int k = scale; k < 9; ++k)
    units *= 10;  // to nanoseconds
  return units;
}

struct TypeInfo {
  std::uint8_t type = 0;
  std::uint32_t max_length = 0;
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
  bool plp = false;
  bool fixed = false;  // a fixed-length type: no length byte before the value
};

std::optional<TypeInfo> ReadTypeInfo(ByteReader& in, std::string* sql_type, std::string* error) {
  TypeInfo info;
  info.type = in.U8();
  const auto fixed = [&](std::uint32_t size, const char* name) {
    info.fixed = true;
    info.max_length = size;
    *sql_type = name;
    return info;
  };
  switch (info.type) {
    case 0x30:
      return fixed(1, "tinyint");
    case 0x32:
      return fixed(1, "bit");
    case 0x34:
      return fixed(2, "smallint");
    case 0x38:
      return fixed(4, "int");
    case 0x7F:
      return fixed(8, "bigint");
    case 0x3B:
      return fixed(4, "real");
    case 0x3E:
      return fixed(8, "float");
    case 0x7A:
      return fixed(4, "smallmoney");
    case 0x3C:
      return fixed(8, "money");
    case 0x3A:
      return fixed(4, "smalldatetime");
    case 0x3D:
      return fixed(8, "datetime");
    case 0x26:
    case 0x68:
    case 0x6D:
    case 0x6E:
    case 0x6F:
    case 0x24:
      info.max_length = in.U8();
      *sql_type = info.type == 0x26   ? (info.max_length == 1   ? "tinyint"
                                         : info.max_length == 2 ? "smallint"
                                         : info.max_length == 8 ? "bigint"
                                                                : "int")
                  : info.type == 0x68 ? "bit"
                  : info.type == 0x6D ? (info.max_length == 4 ? "real" : "float")
                  : info.type == 0x6E ? (info.max_length == 4 ? "smallmoney" : "money")
                  : info.type == 0x6F ? (info.max_length == 4 ? "smalldatetime" : "datetime")
                                      : "uniqueidentifier";
      return info;
    case 0x6A:
    case 0x6C:
    case 0x37:
    case 0x3F:
      info.max_length = in.U8();
      info.precision = in.U8();
      info.scale = in.U8();
      *sql_type =
          "decimal(" + std::to_string(info.precision) + "," + std::to_string(info.scale) + ")";
      return info;
    case 0x28:
      *sql_type = "date";
      return info;
    case 0x29:
    case 0x2A:
    case 0x2B:
      info.scale = in.U8();
      if (info.scale > 7) {
        *error = "a time scale above 7";
        return std::nullopt;
      }
      *sql_type = std::string(info.type == 0x29   ? "time"
                              : info.type == 0x2A ? "datetime2"
                                                  : "datetimeoffset") +
                  "(" + std::to_string(info.scale) + ")";
      return info;
    case 0xA7:
    case 0xAF:
    case 0xE7:
    case 0xEF:
    case 0xA5:
    case 0xAD: {
      info.max_length = in.U16();
      const bool character = info.type != 0xA5 && info.type != 0xAD;
      if (character)
        in.Skip(5);  // collation
      info.plp = info.max_length == 0xFFFF;
      const bool wide = info.type == 0xE7 || info.type == 0xEF;
      const char* name = info.type == 0xA7   ? "varchar"
                         : info.type == 0xAF ? "char"
                         : info.type == 0xE7 ? "nvarchar"
                         : info.type == 0xEF ? "nchar"
                         : info.type == 0xA5 ? "varbinary"
                                             : "binary";
      *sql_type = std::string(name) + "(" +
                  (info.plp ? std::string("max")
                            : std::to_string(std::max<std::uint32_t>(
                                  1, wide ? info.max_length / 2 : info.max_length))) +
                  ")";
      return info;
    }
    case 0x23:
    case 0x63:
    case 0x22:
      info.max_length = in.U32();
      if (info.type != 0x22)
        in.Skip(5);
      *sql_type = info.type == 0x23 ? "text" : info.type == 0x63 ? "ntext" : "image";
      return info;
    case 0xF1:
      if (in.U8() != 0) {
        *error = "xml parameters bound to a schema collection";
        return std::nullopt;
      }
      info.plp = true;
      *sql_type = "xml";
      return info;
    default:
      *error = "parameters of type 0x" + std::to_string(info.type);
      return std::nullopt;
  }
}

bool IsWideType(std::uint8_t type) {
  return type == 0xE7 || type == 0xEF || type == 0x63 || type == 0xF1;
}
bool IsBinaryType(std::uint8_t type) {
  return type == 0xA5 || type == 0xAD || type == 0x22;
}

Value BytesValue(const TypeInfo& info, std::span<const std::uint8_t> data) {
  if (IsBinaryType(info.type))
    return Value::Binary(Bytes(data.begin(), data.end()));
  if (IsWideType(info.type))
    return Value::Text(Ucs2ToUtf8(data));
  return Value::Text(Cp1252ToUtf8(data));
}

// The value of a parameter; nullopt (reader failed) when the data is cut short.
Value ReadValue(ByteReader& in, const TypeInfo& info) {
  if (info.plp) {
    const std::uint64_t total = in.U64();
    if (total == kPlpNull)
      return Value::Null();
    Bytes data;
    if (total != kPlpUnknown && total > in.remaining()) {
      in.Fail();
      return Value::Null();
    }
    for (;;) {
      const std::uint32_t chunk = in.U32();
      if (chunk == 0 || !in.ok())
        break;
      const auto part = in.Take(chunk);
      data.insert(data.end(), part.begin(), part.end());
    }
    return BytesValue(info, data);
  }
  switch (info.type) {
    case 0x23:
    case 0x63:
    case 0x22: {
      const std::uint32_t length = in.U32();
      if (length == 0xFFFFFFFFu)
        return Value::Null();
      return BytesValue(info, in.Take(length));
    }
    case 0xA7:
    case 0xAF:
    case 0xE7:
    case 0xEF:
    case 0xA5:
    case 0xAD: {
      const std::uint16_t length = in.U16();
      if (length == 0xFFFF)
        return Value::Null();
      return BytesValue(info, in.Take(length));
    }
    default:
      break;
  }
  const std::size_t length = info.fixed ? info.max_length : in.U8();
  if (length == 0 && !info.fixed)
    return Value::Null();
  const auto data = in.Take(length);
  if (!in.ok())
    return Value::Null();
  const std::uint8_t type = info.type;
  if (type == 0x26 || type == 0x30 || type == 0x34 || type == 0x38 || type == 0x7F) {
    if (length != 1 && length != 2 && length != 4 && length != 8) {
      in.Fail();
      return Value::Null();
    }
    const std::uint64_t raw = LittleEndian(data);
    if (length == 1)
      return Value::Integer(static_cast<std::int64_t>(raw));
    const int shift = static_cast<int>(64 - 8 * length);
    return Value::Integer(static_cast<std::int64_t>(raw << shift) >> shift);
  }
  if (type == 0x68 || type == 0x32)
    return Value::Boolean(data[0] != 0);
  if (type == 0x6D || type == 0x3B || type == 0x3E) {
    if (length == 4) {
      float f = 0;
      const auto bits = static_cast<std::uint32_t>(LittleEndian(data));
      std::memcpy(&f, &bits, 4);
      return Value::Float(f);
    }
    if (length == 8) {
      double d = 0;
      const std::uint64_t bits = LittleEndian(data);
      std::memcpy(&d, &bits, 8);
      return Value::Float(d);
    }
  }
  if ((type == 0x6E || type == 0x7A || type == 0x3C) && (length == 4 || length == 8)) {
    std::int64_t units = 0;
    if (length == 4) {
      units = static_cast<std::int32_t>(LittleEndian(data));
    } else {
      const std::uint64_t high = LittleEndian(data.first(4));
      const std::uint64_t low = LittleEndian(data.subspan(4));
      units = static_cast<std::int64_t>((high << 32) | low);
    }
    const bool negative = units < 0;
    const UInt128 magnitude = negative ? UInt128(-(static_cast<__int128>(units))) : UInt128(units);
    return Value::Decimal(ScaledDigits(magnitude, 4, negative));
  }
  if ((type == 0x6A || type == 0x6C || type == 0x37 || type == 0x3F) && length >= 2 &&
      length <= 17) {
    UInt128 magnitude = 0;
    for (std::size_t k = length - 1; k >= 1; --k)
      magnitude = (magnitude << 8) | data[k];
    return Value::Decimal(ScaledDigits(magnitude, info.scale, data[0] == 0));
  }
  if ((type == 0x6F || type == 0x3A || type == 0x3D) && (length == 4 || length == 8)) {
    DateTimeValue when;
    if (length == 4) {
      CivilFromDays(static_cast<std::int64_t>(LittleEndian(data.first(2))), &when);
      SetTimeOfDay(LittleEndian(data.subspan(2)) * 60u * 1000000000u, &when);
    } else {
      const auto days = static_cast<std::int32_t>(LittleEndian(data.first(4)));
      CivilFromDays(days, &when);
      const std::uint64_t ticks = LittleEndian(data.subspan(4));
      // 1/300 s ticks, rounded to the millisecond as the server shows them.
      SetTimeOfDay((ticks * 10 + 1) / 3 * 1000000u, &when);
    }
    return Value::DateTime(when);
  }
  if (type == 0x24 && length == 16) {
    static constexpr int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::string text;
    char hex[3];
    for (int k = 0; k < 16; ++k) {
      if (k == 4 || k == 6 || k == 8 || k == 10)
        text += '-';
      std::snprintf(hex, sizeof hex, "%02X", data[static_cast<std::size_t>(kOrder[k])]);
      text += hex;
    }
    return Value::Guid(text);
  }
  if (type == 0x28 && length == 3) {
    DateTimeValue when;
    CivilFromDays(static_cast<std::int64_t>(LittleEndian(data)) + DaysSince1900(1, 1, 1), &when);
    when.has_time = false;
    when.hour = when.minute = when.second = 0;
    return Value::DateTime(when);
  }
  if (type == 0x29 || type == 0x2A || type == 0x2B) {
    const std::size_t time_bytes = info.scale <= 2 ? 3 : info.scale <= 4 ? 4 : 5;
    const std::size_t date_bytes = type == 0x29 ? 0 : 3;
    const std::size_t offset_bytes = type == 0x2B ? 2 : 0;
    if (length != time_bytes + date_bytes + offset_bytes) {
      in.Fail();
      return Value::Null();
    }
    DateTimeValue when;
    if (date_bytes)
      CivilFromDays(static_cast<std::int64_t>(LittleEndian(data.subspan(time_bytes, 3))) +
                        DaysSince1900(1, 1, 1),
                    &when);
    else
      when.has_date = false;
    SetTimeOfDay(TimeUnits(data.first(time_bytes), info.scale), &when);
    return Value::DateTime(when);
  }
  in.Fail();
  return Value::Null();
}

}  // namespace

std::string SystemProcedureName(int id) {
  switch (id) {
    case kProcExecuteSql:
      return "sp_executesql";
    case kProcPrepare:
      return "sp_prepare";
    case kProcExecute:
      return "sp_execute";
    case kProcPrepExec:
      return "sp_prepexec";
    case kProcUnprepare:
      return "sp_unprepare";
    default:
      return {};
  }
}

int SystemProcedureId(const std::string& name) {
  std::string_view bare = name;
  for (std::string_view prefix : {"sys.", "dbo.", "master.."})
    if (bare.size() > prefix.size() && EqualsIgnoringCase(bare.substr(0, prefix.size()), prefix))
      bare.remove_prefix(prefix.size());
  for (int id : {kProcExecuteSql, kProcPrepare, kProcExecute, kProcPrepExec, kProcUnprepare})
    if (EqualsIgnoringCase(bare, SystemProcedureName(id)))
      return id;
  return 0;
}

std::optional<RpcRequest> ParseRpc(std::span<const std::uint8_t> payload, std::uint32_t tds_version,
                                   std::string* error) {
  ByteReader in(payload);
  RpcRequest request;
  const std::uint16_t name_length = in.U16();
  if (name_length == 0xFFFF) {
    request.procedure_id = in.U16();
    request.procedure_name = SystemProcedureName(request.procedure_id);
  } else {
    request.procedure_name = in.Ucs2(name_length);
    request.procedure_id = SystemProcedureId(request.procedure_name);
  }
  in.U16();  // option flags
  const std::uint8_t batch_separator = IsTds72OrLater(tds_version) ? 0xFF : 0x80;
  while (in.ok() && !in.AtEnd()) {
    // Another call in the same message: only the first is served.
    if (const auto peek = payload[in.position()]; peek == batch_separator || peek == 0xFE)
      break;
    RpcParameter parameter;
    parameter.name = in.BVarChar();
    parameter.output = (in.U8() & 0x01) != 0;
    auto info = ReadTypeInfo(in, &parameter.sql_type, error);
    if (!info)
      return std::nullopt;
    parameter.value = ReadValue(in, *info);
    if (!in.ok())
      break;
    request.parameters.push_back(std::move(parameter));
  }
  if (!in.ok()) {
    *error = "the request ends in the middle of a parameter";
    return std::nullopt;
  }
  return request;
}

std::string SqlLiteral(const Value& value) {
  switch (value.type()) {
    case ValueType::kNull:
      return "NULL";
    case ValueType::kBoolean:
      return value.AsBoolean() ? "1" : "0";
    case ValueType::kInteger:
      return std::to_string(value.AsInteger());
    case ValueType::kFloat: {
      const double d = value.AsFloat();
      if (d != d || d - d != 0)
        return "NULL";
      char buffer[64];
      auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, d);
      std::string text(buffer, error == std::errc() ? end : buffer);
      for (char& c : text)
        if (c == 'e')
          c = 'E';
      if (text.find('E') == std::string::npos)
        text += "E0";
      return text;
    }
    case ValueType::kDecimal:
      return value.AsDecimalDigits();
    case ValueType::kText:
      return "N'" + ReplaceAll(value.AsText(), "'", "''") + "'";
    case ValueType::kBinary: {
      std::string text = "0x";
      char hex[3];
      for (std::uint8_t b : value.AsBytes()) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        text += hex;
      }
      return text;
    }
    case ValueType::kGuid:
      return "'" + value.AsGuidText() + "'";
    case ValueType::kDateTime:
      // A datetime parameter selected back stays a datetime, as it would on a server.
      if (value.AsDateTime().has_date && value.AsDateTime().has_time)
        return "CAST('" + NullText(value) + "' AS datetime)";
      return "'" + NullText(value) + "'";
  }
  return "NULL";
}

std::vector<DeclaredParameter> ParseParameterDeclarations(const std::string& declarations) {
  std::vector<DeclaredParameter> result;
  std::vector<embedded::Token> tokens;
  try {
    tokens = embedded::Tokenize(declarations);
  } catch (const embedded::SqlError&) {
    return result;
  }
  int depth = 0;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const embedded::Token& t = tokens[i];
    if (t.IsPunct("("))
      ++depth;
    else if (t.IsPunct(")"))
      depth = std::max(0, depth - 1);
    if (depth > 0)
      continue;
    if (t.kind == embedded::TokenKind::kVariable && (i == 0 || tokens[i - 1].IsPunct(","))) {
      DeclaredParameter parameter;
      parameter.name = t.text;
      // The type runs to the next comma at this level (without OUTPUT).
      std::size_t j = i + 1;
      int inner = 0;
      const std::size_t type_start = j < tokens.size() ? tokens[j].offset : declarations.size();
      std::size_t type_end = type_start;
      for (; j < tokens.size() && tokens[j].kind != embedded::TokenKind::kEnd; ++j) {
        if (tokens[j].IsPunct("("))
          ++inner;
        else if (tokens[j].IsPunct(")"))
          --inner;
        else if (inner == 0 && tokens[j].IsPunct(","))
          break;
        if (inner == 0 && (tokens[j].IsWord("OUTPUT") || tokens[j].IsWord("OUT"))) {
          parameter.output = true;
          continue;
        }
        if (!parameter.output)
          type_end = tokens[j].end;
      }
      parameter.type = std::string(
          Trim(std::string_view(declarations).substr(type_start, type_end - type_start)));
      result.push_back(std::move(parameter));
    }
  }
  return result;
}

bool BindParameters(const std::string& sql,
                    const std::vector<std::pair<std::string, Value>>& values, std::string* bound,
                    std::string* error) {
  std::vector<embedded::Token> tokens;
  try {
    tokens = embedded::Tokenize(sql);
  } catch (const embedded::SqlError& e) {
    *error = e.message().text;
    return false;
  }
  std::string out;
  std::size_t copied = 0;
  for (const embedded::Token& t : tokens) {
    if (t.kind != embedded::TokenKind::kVariable || t.text.starts_with("@@"))
      continue;
    const auto found = std::find_if(values.begin(), values.end(), [&](const auto& entry) {
      return EqualsIgnoringCase(entry.first, t.text);
    });
    if (found == values.end()) {
      *error = "Must declare the scalar variable \"" + t.text + "\".";
      return false;
    }
    out.append(sql, copied, t.offset - copied);
    out += SqlLiteral(found->second);
    copied = t.end;
  }
  out.append(sql, copied);
  *bound = std::move(out);
  return true;
}

}  // namespace korvane::tds
