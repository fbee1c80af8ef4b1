#include "compare/delimited_words.h"

#include "base/text.h"

namespace korvane {

int CountOccurrences(std::string_view text, std::string_view search) {
  if (search.empty())
    return 0;
  int count = 0;
  for (std::size_t hit = text.find(search); hit != std::string_view::npos;
       hit = text.find(search, hit + Utf8Left(text.substr(hit), 1).size())) {
    ++count;
  }
  return count;
}

int CountDelimitedWords(std::string_view text, std::string_view delimiter) {
  return CountOccurrences(text, delimiter) + 1;
}

std::string GetDelimitedWord_Extended(std::string_view text, int n, std::string_view delimiter) {
  if (n < 1)
    return {};
  if (delimiter.empty())
    return n == 1 ? std::string(text) : std::string();
  std::size_t start = 0;
  for (int skipped = 1; skipped < n; ++skipped) {
    const std::size_t hit = text.find(delimiter, start);
    if (hit == std::string_view::npos)
      return {};
    start = hit + delimiter.size();
  }
  const std::size_t end = text.find(delimiter, start);
  return std::string(text.substr(start, end == std::string_view::npos ? end : end - start));
}

}  // namespace korvane
