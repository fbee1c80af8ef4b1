#include "db/odbc/odbc_values.h"

#include <chrono>
#include <cstring>

namespace korvane {

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    int length = 0;
    char32_t code = 0;
    if (byte < 0x80) {
      length = 1;
      code = byte;
    } else if ((byte & 0xE0) == 0xC0) {
      length = 2;
      code = byte & 0x1F;
    } else if ((byte & 0xF0) == 0xE0) {
      length = 3;
      code = byte & 0x0F;
    } else if ((byte & 0xF8) == 0xF0) {
      length = 4;
      code = byte & 0x07;
    }
    bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    valid =
        valid && code >= kSmallest[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    if (!valid) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
    i += static_cast<std::size_t>(length);
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  AppendUtf16AsUtf8(reinterpret_cast<const unsigned char*>(text.data()), text.size(), out);
  return out;
}

void AppendUtf16AsUtf8(const unsigned char* bytes, std::size_t units, std::string& out) {
  const auto unit = [bytes](std::size_t i) {
    char16_t value;
    std::memcpy(&value, bytes + i * sizeof(char16_t), sizeof value);
    return value;
  };
  out.reserve(out.size() + units);
  for (std::size_t i = 0; i < units; ++i) {
    char32_t code = unit(i);
    if (code < 0x80) {
      out += static_cast<char>(code);
      continue;
    }
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
}

std::string DecimalText(std::string text) {
  const std::size_t sign = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (text.size() > sign && text[sign] == '.')
    text.insert(sign, "0");
  return text;
}

DateTimeValue RoundedToMilliseconds(DateTimeValue value) {
  const int milliseconds = (value.nanosecond + 500'000) / 1'000'000;
  value.nanosecond = milliseconds % 1000 * 1'000'000;
  if (milliseconds < 1000)
    return value;
  // A carry into the next second: let the calendar work out how far it reaches.
  using namespace std::chrono;
  const sys_days day = year_month_day{year{value.year}, month{static_cast<unsigned>(value.month)},
                                      std::chrono::day{static_cast<unsigned>(value.day)}};
  const sys_seconds next =
      day + hours{value.hour} + minutes{value.minute} + seconds{value.second} + seconds{1};
  const sys_days next_day = floor<days>(next);
  const year_month_day date{next_day};
  const hh_mm_ss<seconds> time{next - next_day};
  value.year = static_cast<int>(date.year());
  value.month = static_cast<int>(static_cast<unsigned>(date.month()));
  value.day = static_cast<int>(static_cast<unsigned>(date.day()));
  value.hour = static_cast<int>(time.hours().count());
  value.minute = static_cast<int>(time.minutes().count());
  value.second = static_cast<int>(time.seconds().count());
  return value;
}

}  // namespace korvane
