#include "base/unicode_case.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>

namespace korvane {
namespace {

// Code points of bytes that do not start a well-formed sequence: beyond Unicode, so they
// never equal a character, and ordered by the byte.
constexpr std::int32_t kMalformedBase = 0x110000;

// The character at `pos` (advanced past it): its code point, or kMalformedBase + byte for a
// byte that does not start a well-formed sequence (then one byte is taken).
std::int32_t NextCodePoint(std::string_view text, std::size_t& pos) {
  const auto byte = static_cast<unsigned char>(text[pos]);
  if (byte < 0x80) {
    ++pos;
    return byte;
  }
  const auto* s = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  auto i = static_cast<std::int32_t>(pos);
  UChar32 c = 0;
  U8_NEXT(s, i, length, c);
  if (c < 0) {
    ++pos;
    return kMalformedBase + byte;
  }
  pos = static_cast<std::size_t>(i);
  return c;
}

std::int32_t Fold(std::int32_t c) {
  if (c < 0x80)
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
  if (c >= kMalformedBase)
    return c;
  return u_foldCase(c, U_FOLD_CASE_DEFAULT);
}

void AppendCodePoint(std::int32_t c, std::string& out) {
  if (c >= kMalformedBase) {
    out.push_back(static_cast<char>(c - kMalformedBase));
    return;
  }
  char buffer[U8_MAX_LENGTH];
  std::int32_t length = 0;
  U8_APPEND_UNSAFE(reinterpret_cast<std::uint8_t*>(buffer), length, c);
  out.append(buffer, static_cast<std::size_t>(length));
}

template <typename Map>
void AppendMapped(std::string_view text, std::string& out, Map map) {
  for (std::size_t pos = 0; pos < text.size();)
    AppendCodePoint(map(NextCodePoint(text, pos)), out);
}

}  // namespace

std::string SimpleUpperCase(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const char c = out[i];
    if (static_cast<unsigned char>(c) >= 0x80) {
      out.resize(i);
      AppendMapped(text.substr(i), out, [](std::int32_t code) {
        return code >= kMalformedBase ? code : static_cast<std::int32_t>(u_toupper(code));
      });
      return out;
    }
    if (c >= 'a' && c <= 'z')
      out[i] = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

void AppendSimpleCaseFold(std::string_view text, std::string& out) {
  // One pass over ASCII; the first byte beyond it hands the rest to ICU.
  const std::size_t start = out.size();
  out.resize(start + text.size());
  char* folded = out.data() + start;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (static_cast<unsigned char>(c) >= 0x80) {
      out.resize(start + i);
      AppendMapped(text.substr(i), out, Fold);
      return;
    }
    folded[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
}

std::string SimpleCaseFold(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendSimpleCaseFold(text, out);
  return out;
}

std::u32string FoldedCodePoints(std::string_view text) {
  std::u32string codes;
  codes.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();)
    codes.push_back(static_cast<char32_t>(Fold(NextCodePoint(text, pos))));
  return codes;
}

int CompareFoldingCase(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const std::int32_t x = Fold(NextCodePoint(a, i));
    const std::int32_t y = Fold(NextCodePoint(b, j));
    if (x != y)
      return x < y ? -1 : 1;
  }
  if (i < a.size())
    return 1;
  if (j < b.size())
    return -1;
  return 0;
}

bool EqualsFoldingCase(std::string_view a, std::string_view b) {
  return CompareFoldingCase(a, b) == 0;
}

}  // namespace korvane
