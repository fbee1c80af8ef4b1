#include "db/row_form.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

namespace korvane {
namespace {

// A field's form: a tag byte, the ValueType in its low four bits and a detail in its
// high four, then the data:
//   Null                 nothing
//   boolean, integer     the detail's number (1 to 8) of low bytes of the two's complement,
//                        low first, sign-extended when read
//   float                the detail's number (0 to 8) of high bytes of the double's bits, low
//                        first; the bytes below them are zero (as in 0.5, 12.25 or 1E+20)
//   text, decimal, GUID, binary
//                        the size in the detail when below kByteSize; else kByteSize and the size
//                        in one byte, or kLongSize and the size in 4 bytes; then the bytes
//   datetime             detail 2 (a date and a time of whole seconds, each part within the
//                        widths below): year, month, day, hour, minute and second in 40 bits,
//                        low first; detail 0: year in 2 bytes, month, day, hour, minute, second
//                        in one each, nanosecond in 4, then has_date and has_time as bits 0 and 1
//                        of one byte; detail 1 (a field out of those ranges): its seven whole
//                        numbers in 4 bytes each, then has_date and has_time as in detail 0
// Which detail a field takes is a function of its value, so equal fields have equal forms.
constexpr unsigned kByteSize = 14;
constexpr int kWideDateParts = 7;
constexpr std::size_t kWideDateSize = kWideDateParts * sizeof(int) + 1;
static_assert(kWideDateSize <= sizeof(DateTimeValue), "within the bound a field is given");
constexpr unsigned kLongSize = 15;
constexpr std::size_t kPackedDateSize = 12;
constexpr unsigned kShortDate = 2;
constexpr std::size_t kShortDateSize = 5;
// The widths of the parts of a short date, from the year up.
constexpr int kShortDateBits[6] = {14, 4, 5, 5, 6, 6};

// Writes the `count` low bytes of `bits`, low first, at `out`, which has room for 8.
char* PutLow(char* out, std::uint64_t bits, unsigned count) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, &bits, sizeof bits);
  } else {
    for (int k = 0; k < 8; ++k)
      out[k] = static_cast<char>(bits >> (8 * k));
  }
  return out + count;
}

std::uint64_t GetLow(const char* at, unsigned count) {
  std::uint64_t bits = 0;
  for (unsigned k = 0; k < count; ++k)
    bits |= static_cast<std::uint64_t>(static_cast<unsigned char>(at[k])) << (8 * k);
  return bits;
}

bool FitsShortDate(const DateTimeValue& v) {
  const int parts[6] = {v.year, v.month, v.day, v.hour, v.minute, v.second};
  for (int k = 0; k < 6; ++k) {
    if (parts[k] < 0 || parts[k] >= (1 << kShortDateBits[k]))
      return false;
  }
  return v.nanosecond == 0 && v.has_date && v.has_time;
}

// The fewest low bytes (1 to 8) whose sign extension gives `value` back.
unsigned IntegerBytes(std::int64_t value) {
  // The bits that differ from the sign bit, and the sign bit itself.
  const auto magnitude = static_cast<std::uint64_t>(value ^ (value >> 63));
  const int bits = 64 - std::countl_zero(magnitude) + 1;
  return static_cast<unsigned>((bits + 7) / 8);
}

bool FitsPackedDate(const DateTimeValue& v) {
  auto byte = [](int n) { return n >= 0 && n <= 255; };
  return v.year >= -32768 && v.year <= 32767 && byte(v.month) && byte(v.day) && byte(v.hour) &&
         byte(v.minute) && byte(v.second) && v.nanosecond >= 0;
}

// A tag, then either fixed data no longer than a DateTimeValue or a 4-byte size and the bytes.
inline std::size_t FieldBound(const FieldView& field) {
  static_assert(sizeof(DateTimeValue) >= sizeof(std::uint64_t));
  return 1 + sizeof(DateTimeValue) + field.bytes.size();
}

inline char* WriteField(const FieldView& field, char* out) {
  char* const tag = out++;
  unsigned detail = 0;
  switch (field.type) {
    case ValueType::kNull:
      break;
    case ValueType::kBoolean:
    case ValueType::kInteger: {
      // All 8 bytes are written (there is room), only the needed ones kept.
      detail = IntegerBytes(field.integer);
      out = PutLow(out, static_cast<std::uint64_t>(field.integer), detail);
      break;
    }
    case ValueType::kFloat: {
      const auto bits = std::bit_cast<std::uint64_t>(field.real);
      detail = bits == 0 ? 0 : 8 - static_cast<unsigned>(std::countr_zero(bits)) / 8;
      if (detail > 0)
        out = PutLow(out, bits >> (8 * (8 - detail)), detail);
      break;
    }
    case ValueType::kDecimal:
    case ValueType::kText:
    case ValueType::kBinary:
    case ValueType::kGuid: {
      const std::size_t size = field.bytes.size();
      if (size < kByteSize) {
        detail = static_cast<unsigned>(size);
      } else if (size <= 0xFF) {
        detail = kByteSize;
        *out++ = static_cast<char>(size);
      } else {
        if (size > std::numeric_limits<std::uint32_t>::max())
          throw std::bad_alloc();
        detail = kLongSize;
        const auto size32 = static_cast<std::uint32_t>(size);
        std::memcpy(out, &size32, sizeof size32);
        out += sizeof size32;
      }
      if (size > 0)
        std::memcpy(out, field.bytes.data(), size);
      out += size;
      break;
    }
    case ValueType::kDateTime: {
      const DateTimeValue& v = field.datetime;
      if (FitsShortDate(v)) {
        detail = kShortDate;
        const int parts[6] = {v.year, v.month, v.day, v.hour, v.minute, v.second};
        std::uint64_t bits = 0;
        int shift = 0;
        for (int k = 0; k < 6; ++k) {
          bits |= static_cast<std::uint64_t>(parts[k]) << shift;
          shift += kShortDateBits[k];
        }
        out = PutLow(out, bits, kShortDateSize);
        break;
      }
      if (!FitsPackedDate(v)) {
        // Part by part, so that the struct's padding never reaches the form.
        detail = 1;
        const int parts[kWideDateParts] = {v.year,   v.month,  v.day,       v.hour,
                                           v.minute, v.second, v.nanosecond};
        std::memcpy(out, parts, sizeof parts);
        out[sizeof parts] = static_cast<char>((v.has_date ? 1 : 0) | (v.has_time ? 2 : 0));
        out += kWideDateSize;
        break;
      }
      const auto year = static_cast<std::int16_t>(v.year);
      const auto nanosecond = static_cast<std::uint32_t>(v.nanosecond);
      std::memcpy(out, &year, 2);
      out[2] = static_cast<char>(v.month);
      out[3] = static_cast<char>(v.day);
      out[4] = static_cast<char>(v.hour);
      out[5] = static_cast<char>(v.minute);
      out[6] = static_cast<char>(v.second);
      std::memcpy(out + 7, &nanosecond, 4);
      out[11] = static_cast<char>((v.has_date ? 1 : 0) | (v.has_time ? 2 : 0));
      out += kPackedDateSize;
      break;
    }
  }
  *tag = static_cast<char>(static_cast<unsigned>(field.type) | detail << 4);
  return out;
}

}  // namespace

std::size_t RowFormFieldBound(const FieldView& field) {
  return FieldBound(field);
}

char* WriteRowFormField(const FieldView& field, char* out) {
  return WriteField(field, out);
}

std::size_t RowFormBound(std::span<const FieldView> fields) {
  std::size_t bound = 0;
  for (const FieldView& field : fields)
    bound += FieldBound(field);
  return bound;
}

char* WriteRowForm(std::span<const FieldView> fields, char* out) {
  for (const FieldView& field : fields)
    out = WriteField(field, out);
  return out;
}

const char* ReadRowFormField(const char* at, FieldView& field) {
  const auto tag = static_cast<unsigned char>(*at++);
  const unsigned detail = tag >> 4;
  field.type = static_cast<ValueType>(tag & 0x0F);
  switch (field.type) {
    case ValueType::kNull:
      return at;
    case ValueType::kBoolean:
    case ValueType::kInteger: {
      std::uint64_t bits = GetLow(at, detail);
      if (detail > 0 && detail < 8 && (bits >> (8 * detail - 1)) != 0)
        bits |= ~std::uint64_t{0} << (8 * detail);
      field.integer = static_cast<std::int64_t>(bits);
      return at + detail;
    }
    case ValueType::kFloat: {
      const std::uint64_t high = GetLow(at, detail);
      field.real = std::bit_cast<double>(detail == 0 ? 0 : high << (8 * (8 - detail)));
      return at + detail;
    }
    case ValueType::kDecimal:
    case ValueType::kText:
    case ValueType::kBinary:
    case ValueType::kGuid: {
      std::size_t size = detail;
      if (detail == kByteSize) {
        size = static_cast<unsigned char>(*at++);
      } else if (detail == kLongSize) {
        std::uint32_t size32 = 0;
        std::memcpy(&size32, at, sizeof size32);
        size = size32;
        at += sizeof size32;
      }
      field.bytes = std::string_view(at, size);
      return at + size;
    }
    case ValueType::kDateTime: {
      if (detail == kShortDate) {
        std::uint64_t bits = GetLow(at, kShortDateSize);
        int* const parts[6] = {&field.datetime.year,   &field.datetime.month,
                               &field.datetime.day,    &field.datetime.hour,
                               &field.datetime.minute, &field.datetime.second};
        for (int k = 0; k < 6; ++k) {
          *parts[k] = static_cast<int>(bits & ((std::uint64_t{1} << kShortDateBits[k]) - 1));
          bits >>= kShortDateBits[k];
        }
        field.datetime.nanosecond = 0;
        field.datetime.has_date = true;
        field.datetime.has_time = true;
        return at + kShortDateSize;
      }
      if (detail == 1) {
        int parts[kWideDateParts];
        std::memcpy(parts, at, sizeof parts);
        DateTimeValue& v = field.datetime;
        v = {parts[0],
             parts[1],
             parts[2],
             parts[3],
             parts[4],
             parts[5],
             parts[6],
             (at[sizeof parts] & 1) != 0,
             (at[sizeof parts] & 2) != 0};
        return at + kWideDateSize;
      }
      DateTimeValue& v = field.datetime;
      std::int16_t year = 0;
      std::uint32_t nanosecond = 0;
      std::memcpy(&year, at, 2);
      std::memcpy(&nanosecond, at + 7, 4);
      v.year = year;
      v.month = static_cast<unsigned char>(at[2]);
      v.day = static_cast<unsigned char>(at[3]);
      v.hour = static_cast<unsigned char>(at[4]);
      v.minute = static_cast<unsigned char>(at[5]);
      v.second = static_cast<unsigned char>(at[6]);
      v.nanosecond = static_cast<int>(nanosecond);
      v.has_date = (at[11] & 1) != 0;
      v.has_time = (at[11] & 2) != 0;
      return at + kPackedDateSize;
    }
  }
  return at;
}

void AppendRowForm(std::span<const FieldView> fields, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + RowFormBound(fields));
  out.resize(static_cast<std::size_t>(WriteRowForm(fields, out.data() + start) - out.data()));
}

void ReadRowForm(std::string_view form, std::vector<FieldView>& fields) {
  fields.clear();
  const char* const end = form.data() + form.size();
  for (const char* at = form.data(); at < end;)
    at = ReadRowFormField(at, fields.emplace_back());
}

FieldView RowFormField(std::string_view form, std::size_t index) {
  const char* const end = form.data() + form.size();
  const char* at = form.data();
  FieldView field;
  for (std::size_t k = 0; k < index && at < end; ++k)
    at = ReadRowFormField(at, field);
  field = FieldView{};
  if (at < end)
    ReadRowFormField(at, field);
  return field;
}

}  // namespace korvane
