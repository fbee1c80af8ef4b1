// Counting and picking the words of a text cut at a delimiter. The white-space-insensitive
// comparison and the comment stripper count with them.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

// Occurrences of `search` in `text`, overlapping ones included ("---" holds "--" twice); 0 when
// `search` is empty.
int CountOccurrences(std::string_view text, std::string_view search);

// Occurrences of the delimiter, overlapping ones included, plus 1: the number of words
// including empty ones (" a " has three words). An empty delimiter gives 1.
int CountDelimitedWords(std::string_view text, std::string_view delimiter);

// Word `n` (from 1) of the text cut at the delimiter: the characters after the (n-1)-th
// delimiter up to the next one, or up to the end of the text for the last word. A text that
// starts with the delimiter has an empty first word. Empty when n is below 1 or the text has
// fewer than n words; an empty delimiter gives the whole text as word 1.
std::string GetDelimitedWord_Extended(std::string_view text, int n, std::string_view delimiter);

}  // namespace korvane
