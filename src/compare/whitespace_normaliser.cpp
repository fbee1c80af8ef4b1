#include "compare/whitespace_normaliser.h"

#include <vector>

#include "base/text.h"
#include "base/unicode_case.h"
#include "compare/delimited_words.h"

namespace korvane {
namespace {

bool IsWhiteSpaceToReplace(std::string_view character) {
  return character == "\r" || character == "\n" || character == std::string_view("\0", 1) ||
         character == "\t" || character == "\v";
}

}  // namespace

std::string ReplaceNonPrintableChars(std::string_view text, std::string_view replacement) {
  std::string result;
  result.reserve(text.size());
  // Byte offset in `result` where each of its characters starts.
  std::vector<std::size_t> starts;
  const auto append = [&](std::string_view piece) {
    for (const std::string_view character : Utf8Chunks(piece, 1)) {
      starts.push_back(result.size());
      result.append(character);
    }
  };

  bool first = true;
  for (std::string_view character : Utf8Chunks(text, 1)) {
    if (IsWhiteSpaceToReplace(character)) {
      append(replacement);
      character = " ";
    } else {
      append(character);
    }
    // A space after a space: the one just appended goes again.
    if (character == " " && !first && starts.size() >= 2) {
      const std::size_t before_last = starts[starts.size() - 2];
      if (result.compare(before_last, starts.back() - before_last, " ") == 0) {
        result.resize(starts.back());
        starts.pop_back();
      }
    }
    first = false;
  }
  return result;
}

bool CompareIgnoringWhitespace(std::string_view a, std::string_view b,
                               const ComparisonOptions& options) {
  std::string left(Trim(a));
  std::string right(Trim(b));
  if (!options.case_sensitive) {
    left = SimpleUpperCase(left);
    right = SimpleUpperCase(right);
  }
  if (left == right)
    return true;
  if (left.empty() || right.empty())
    return false;

  left = ReplaceNonPrintableChars(left, " ");
  right = ReplaceNonPrintableChars(right, " ");
  if (left == right)
    return true;

  const int words = CountDelimitedWords(left, " ");
  if (words != CountDelimitedWords(right, " "))
    return false;
  for (int n = 1; n <= words; ++n) {
    if (GetDelimitedWord_Extended(left, n, " ") != GetDelimitedWord_Extended(right, n, " "))
      return false;
  }
  return true;
}

}  // namespace korvane
