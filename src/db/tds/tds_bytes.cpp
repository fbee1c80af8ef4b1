#include "db/tds/tds_bytes.h"

#include <array>

namespace korvane::tds {
namespace {

// Code page 1252's characters 0x80..0x9F (0 where the code page leaves a hole).
constexpr std::array<std::uint16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr char32_t kReplacement = 0xFFFD;

// The next code point of UTF-8 text; invalid sequences give U+FFFD and advance one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int extra = 0;
  char32_t cp = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + static_cast<std::size_t>(extra) >= text.size()) {
    ++i;
    return kReplacement;
  }
  for (int k = 1; k <= extra; ++k) {
    const unsigned char next = byte(i + static_cast<std::size_t>(k));
    if ((next & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += static_cast<std::size_t>(extra) + 1;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Appends UTF-16LE units of the text, at most `max_units` (a surrogate pair is never split).
std::size_t AppendUcs2(Bytes& out, std::string_view utf8, std::size_t max_units) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t cp = NextCodePoint(utf8, i);
    const std::size_t need = cp >= 0x10000 ? 2 : 1;
    if (units + need > max_units)
      break;
    const auto put = [&out](std::uint16_t unit) {
      out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
      out.push_back(static_cast<std::uint8_t>(unit >> 8));
    };
    if (cp >= 0x10000) {
      const char32_t v = cp - 0x10000;
      put(static_cast<std::uint16_t>(0xD800 + (v >> 10)));
      put(static_cast<std::uint16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      put(static_cast<std::uint16_t>(cp));
    }
    units += need;
  }
  return units;
}

}  // namespace

void ByteWriter::U16(std::uint16_t value) {
  U8(static_cast<std::uint8_t>(value & 0xFF));
  U8(static_cast<std::uint8_t>(value >> 8));
}

void ByteWriter::U32(std::uint32_t value) {
  U16(static_cast<std::uint16_t>(value & 0xFFFF));
  U16(static_cast<std::uint16_t>(value >> 16));
}

void ByteWriter::U64(std::uint64_t value) {
  U32(static_cast<std::uint32_t>(value & 0xFFFFFFFFu));
  U32(static_cast<std::uint32_t>(value >> 32));
}

void ByteWriter::U16Be(std::uint16_t value) {
  U8(static_cast<std::uint8_t>(value >> 8));
  U8(static_cast<std::uint8_t>(value & 0xFF));
}

void ByteWriter::Ucs2(std::string_view utf8) {
  AppendUcs2(bytes_, utf8, SIZE_MAX);
}

void ByteWriter::BVarChar(std::string_view utf8) {
  const std::size_t at = bytes_.size();
  U8(0);
  bytes_[at] = static_cast<std::uint8_t>(AppendUcs2(bytes_, utf8, 0xFF));
}

void ByteWriter::UsVarChar(std::string_view utf8) {
  const std::size_t at = bytes_.size();
  U16(0);
  PatchU16(at, static_cast<std::uint16_t>(AppendUcs2(bytes_, utf8, 0xFFFF)));
}

void ByteWriter::PatchU16(std::size_t offset, std::uint16_t value) {
  bytes_[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes_[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::span<const std::uint8_t> ByteReader::Take(std::size_t count) {
  if (!ok_ || count > data_.size() - position_) {
    ok_ = false;
    return {};
  }
  auto part = data_.subspan(position_, count);
  position_ += count;
  return part;
}

std::uint8_t ByteReader::U8() {
  auto b = Take(1);
  return b.empty() ? 0 : b[0];
}

std::uint16_t ByteReader::U16() {
  auto b = Take(2);
  return b.empty() ? 0 : static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t ByteReader::U32() {
  const std::uint32_t low = U16();
  const std::uint32_t high = U16();
  return low | (high << 16);
}

std::uint64_t ByteReader::U64() {
  const std::uint64_t low = U32();
  const std::uint64_t high = U32();
  return low | (high << 32);
}

std::uint16_t ByteReader::U16Be() {
  auto b = Take(2);
  return b.empty() ? 0 : static_cast<std::uint16_t>((b[0] << 8) | b[1]);
}

std::string ByteReader::Ucs2(std::size_t chars) {
  return Ucs2ToUtf8(Take(chars * 2));
}

Bytes Utf8ToUcs2(std::string_view utf8) {
  Bytes out;
  out.reserve(utf8.size() * 2);
  AppendUcs2(out, utf8, SIZE_MAX);
  return out;
}

std::string Ucs2ToUtf8(std::span<const std::uint8_t> ucs2) {
  std::string out;
  out.reserve(ucs2.size() / 2);
  const std::size_t units = ucs2.size() / 2;
  const auto unit = [&](std::size_t k) {
    return static_cast<char16_t>(ucs2[2 * k] | (ucs2[2 * k + 1] << 8));
  };
  for (std::size_t k = 0; k < units; ++k) {
    const char16_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units && unit(k + 1) >= 0xDC00 &&
        unit(k + 1) <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                          (static_cast<char32_t>(unit(k + 1)) - 0xDC00));
      ++k;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

std::size_t Ucs2Length(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();)
    units += NextCodePoint(utf8, i) >= 0x10000 ? 2 : 1;
  return units;
}

std::optional<std::string> Utf8ToCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const bool invalid_byte = static_cast<unsigned char>(utf8[i]) >= 0x80;
    const char32_t cp = NextCodePoint(utf8, i);
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      if (cp == kReplacement && invalid_byte)
        return std::nullopt;
      out += static_cast<char>(cp);
      continue;
    }
    bool found = false;
    for (std::size_t k = 0; k < kCp1252High.size(); ++k) {
      if (kCp1252High[k] != 0 && kCp1252High[k] == cp) {
        out += static_cast<char>(0x80 + k);
        found = true;
        break;
      }
    }
    if (!found)
      return std::nullopt;
  }
  return out;
}

std::string Cp1252ToUtf8(std::span<const std::uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::uint8_t b : bytes) {
    if (b >= 0x80 && b < 0xA0)
      AppendUtf8(out, kCp1252High[b - 0x80] ? kCp1252High[b - 0x80] : kReplacement);
    else
      AppendUtf8(out, b);
  }
  return out;
}

}  // namespace korvane::tds
