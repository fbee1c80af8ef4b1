// Text helpers every module shares: line ends, the program's number and time formats, the
// leading-number reader, and character-based (never byte-based) lengths of UTF-8 text.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

inline constexpr std::string_view kCrLf = "\r\n";

// "#,##0": thousands separated by commas, zero shown as "0".
std::string FormatNumber(std::int64_t value);

// "#,###": like FormatNumber, but zero gives the empty text.
std::string FormatNumberBlankZero(std::int64_t value);

// "hh:mm:ss" of an elapsed time. Hours keep counting past 24 (a run of 25 hours reads
// "25:00:00"); negative durations read as zero.
std::string FormatElapsed(std::int64_t seconds);

// The leading numeric value of a text: leading blanks (space, tab, CR, LF) skipped, then an
// optional sign, digits, an optional fraction and an optional exponent (E or D). Text without a
// leading number gives 0. "12abc" -> 12, " -2.5x" -> -2.5, "abc" -> 0.
double LeadingNumber(std::string_view text);

// Rounds to the nearest integer, halves to the even one (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
// Empty when the result does not fit a 32-bit signed integer.
std::optional<std::int32_t> RoundToInt32(double value);

// True when the text, trimmed of blanks, is a number as LeadingNumber reads it, with nothing
// after it.
bool IsNumeric(std::string_view text);

// Copies `size` bytes (from sizeof(Word) to twice that) as two overlapping words.
template <typename Word>
inline void CopyAsTwoWords(char* to, const char* from, std::size_t size) {
  Word head;
  Word tail;
  std::memcpy(&head, from, sizeof head);
  std::memcpy(&tail, from + size - sizeof tail, sizeof tail);
  std::memcpy(to, &head, sizeof head);
  std::memcpy(to + size - sizeof tail, &tail, sizeof tail);
}

// Copies `size` bytes to `to` and gives the end of the copy; short copies (the fields of a row)
// are done in two overlapping loads and stores instead of a call.
inline char* CopyBytes(char* to, const char* from, std::size_t size) {
  if (size >= 8 && size <= 16) {
    CopyAsTwoWords<std::uint64_t>(to, from, size);
  } else if (size >= 4 && size < 8) {
    CopyAsTwoWords<std::uint32_t>(to, from, size);
  } else if (size < 4) {
    for (std::size_t k = 0; k < size; ++k)
      to[k] = from[k];
  } else {
    std::memcpy(to, from, size);
  }
  return to + size;
}

// The number written by exactly `count` decimal digits at `text[at]`; -1 when they are not all
// there (a fixed-width field of a date or time text).
int FixedDigits(std::string_view text, std::size_t at, std::size_t count);

// Blanks (spaces only) removed from both ends, from the start, from the end; a text of blanks
// alone gives the empty view. Inline: every compared field of every row is trimmed.
inline std::string_view TrimLeft(std::string_view text) {
  std::size_t first = 0;
  while (first < text.size() && text[first] == ' ')
    ++first;
  return first == text.size() ? std::string_view() : text.substr(first);
}
inline std::string_view TrimRight(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ')
    --end;
  return end == 0 ? std::string_view() : text.substr(0, end);
}
inline std::string_view Trim(std::string_view text) {
  return TrimRight(TrimLeft(text));
}

// ASCII letter case folding; other bytes (including UTF-8 sequences) are kept as they are.
std::string ToLowerAscii(std::string_view text);
std::string ToUpperAscii(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Position (0-based) of needle in haystack from position `from`, ignoring ASCII letter case;
// std::string_view::npos when absent.
std::size_t FindIgnoringCase(std::string_view haystack, std::string_view needle,
                             std::size_t from = 0);

// Replaces every occurrence of `from` (non-empty) by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Splits at every occurrence of the separator; an empty text gives one empty piece.
std::vector<std::string> Split(std::string_view text, std::string_view separator);

// --- UTF-8 ---------------------------------------------------------------------------------
// Lengths and limits count characters (code points). Malformed bytes count as one character
// each, so no input is ever rejected or split inside a valid sequence.

std::size_t Utf8Length(std::string_view text);

// The first `count` characters.
std::string_view Utf8Left(std::string_view text, std::size_t count);

// `count` characters starting at character `start` (0-based); fewer at the end of the text.
std::string_view Utf8Mid(std::string_view text, std::size_t start,
                         std::size_t count = std::string_view::npos);

// The text cut into pieces of `chunk_chars` characters (the last may be shorter). An empty text
// gives no pieces.
std::vector<std::string_view> Utf8Chunks(std::string_view text, std::size_t chunk_chars);

// True when the text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace korvane
