#include "compare/delimited_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvane {
namespace {

struct CountCase {
  std::string text;
  std::string search;
  int occurrences;
};

TEST(CountOccurrencesTest, CountsOverlappingOccurrences) {
  const std::vector<CountCase> cases = {
      {"a--b", "--", 1},
      {"---", "--", 2},  // three hyphens are two line-comment openers
      {"----", "--", 3},
      {"aaa", "a", 3},
      {"/*/*", "/*", 2},
      {"abc", "x", 0},
      {"", "x", 0},
      {"abc", "", 0},
      {"\xC3\xA9\xC3\xA9\xC3\xA9", "\xC3\xA9", 3},
  };
  for (const CountCase& c : cases) {
    EXPECT_EQ(CountOccurrences(c.text, c.search), c.occurrences) << c.text << " / " << c.search;
  }
}

TEST(CountDelimitedWordsTest, OneMoreThanTheDelimiters) {
  const std::vector<CountCase> cases = {
      {"a b c", " ", 3}, {"abc", " ", 1},  {"", " ", 1},
      {" a ", " ", 3},   {"a  b", " ", 3}, {"abc", "", 1},
  };
  for (const CountCase& c : cases) {
    EXPECT_EQ(CountDelimitedWords(c.text, c.search), c.occurrences) << c.text;
  }
}

TEST(GetDelimitedWordTest, PicksTheNthWord) {
  struct Case {
    std::string text;
    int n;
    std::string delimiter;
    std::string word;
  };
  const std::vector<Case> cases = {
      {"a b c", 1, " ", "a"},
      {"a b c", 2, " ", "b"},
      {"a b c", 3, " ", "c"},
      {"abc", 1, " ", "abc"},
      {"a  b", 2, " ", ""},  // empty word between two delimiters
      {"a  b", 3, " ", "b"},
      {"a ", 2, " ", ""},
      {"", 1, " ", ""},
      {"x, y, z", 2, ", ", "y"},
      {"\xC3\xA9 \xC3\xBC", 2, " ", "\xC3\xBC"},
      {"abc", 1, "", "abc"},
      {"abc", 2, "", ""},
      // A leading delimiter ends the first word at once: that word is empty, not the whole text.
      {" a b", 1, " ", ""},
      {" a b", 2, " ", "a"},
      {" a b", 3, " ", "b"},
      // Words beyond the count are empty rather than wrapping around.
      {"a b", 3, " ", ""},
      {"a b", 5, " ", ""},
      {"a b", 0, " ", ""},
      {"a b", -1, " ", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetDelimitedWord_Extended(c.text, c.n, c.delimiter), c.word) << c.text << " #" << c.n;
  }
}

}  // namespace
}  // namespace korvane
