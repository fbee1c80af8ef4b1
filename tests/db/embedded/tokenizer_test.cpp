// The T-SQL tokenizer: token kinds, quoting rules, comments, lines, and its errors.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "db/embedded/sql_error.h"
#include "db/embedded/sql_tokenizer.h"

namespace korvane::embedded {
namespace {

std::vector<std::string> Texts(const std::vector<Token>& tokens) {
  std::vector<std::string> texts;
  for (const auto& token : tokens)
    if (token.kind != TokenKind::kEnd)
      texts.push_back(token.text);
  return texts;
}

TEST(TokenizerTest, SplitsWordsNamesStringsNumbersAndPunctuation) {
  const auto tokens = Tokenize(
      "SELECT so.[na]]me], \"q\"\"x\", N'it''s', 'b', 12.5e3, 0x0A1B, @p, @@IDENTITY FROM t WHERE "
      "a<>b AND c>=d");
  EXPECT_THAT(Texts(tokens), ::testing::ElementsAre(
                                 "SELECT", "so", ".", "na]me", ",", "q\"x", ",", "it's", ",", "b",
                                 ",", "12.5e3", ",", "0x0A1B", ",", "@p", ",", "@@IDENTITY", "FROM",
                                 "t", "WHERE", "a", "<>", "b", "AND", "c", ">=", "d"));
  EXPECT_EQ(tokens[3].kind, TokenKind::kQuotedName);
  EXPECT_EQ(tokens[5].kind, TokenKind::kQuotedName);
  EXPECT_EQ(tokens[7].kind, TokenKind::kString);
  EXPECT_TRUE(tokens[7].unicode);
  EXPECT_FALSE(tokens[9].unicode);
  EXPECT_EQ(tokens[11].kind, TokenKind::kNumber);
  EXPECT_EQ(tokens[15].kind, TokenKind::kVariable);
  EXPECT_EQ(tokens.back().kind, TokenKind::kEnd);
}

TEST(TokenizerTest, SkipsCommentsIncludingNestedBlocksAndCountsLines) {
  const auto tokens = Tokenize("a -- one\n/* two /* nested */\n still */ b\r\n\r\nc");
  EXPECT_THAT(Texts(tokens), ::testing::ElementsAre("a", "b", "c"));
  EXPECT_EQ(tokens[0].line, 1);
  EXPECT_EQ(tokens[1].line, 3);
  EXPECT_EQ(tokens[2].line, 5);
  EXPECT_EQ(tokens[1].offset, std::string("a -- one\n/* two /* nested */\n still */ ").size());
}

// The spans the batch splitter shares with the tokenizer: a doubled closer stays inside.
TEST(TokenizerTest, QuotedSpansAndBlockCommentsEndWhereTheTokenizerEndsThem) {
  struct Case {
    const char* text;
    std::size_t open;
    std::size_t end;  // npos: not closed
  };
  const std::size_t npos = std::string_view::npos;
  const Case cases[] = {
      {"[a]]b] x", 0, 6},        {"'it''s' x", 0, 7},
      {"\"q\"\"x\" y", 0, 6},    {"x [a]]", 2, npos},
      {"'abc", 0, npos},         {"['] x", 0, 3},
      {"'['' x'", 0, 7},         {"/* a /* b */ c */d", 0, 17},
      {"/* a /* b */", 0, npos}, {"/**/", 0, 4},
  };
  for (const auto& c : cases) {
    const std::string_view text = c.text;
    const std::size_t end = text.substr(c.open, 2) == "/*" ? BlockCommentEnd(text, c.open)
                                                           : QuotedSpanEnd(text, c.open);
    EXPECT_EQ(end, c.end) << c.text;
    if (end != npos && text[c.open] != '/') {
      // The tokenizer's token ends at the same place.
      const auto tokens = Tokenize(text.substr(c.open));
      EXPECT_EQ(tokens[0].end, end - c.open) << c.text;
    }
  }
}

TEST(TokenizerTest, WordsMayHoldUnderscoresHashesAndUtf8Letters) {
  EXPECT_THAT(Texts(Tokenize("#temp _x Größe$1 n")),
              ::testing::ElementsAre("#temp", "_x", "Größe$1", "n"));
  // "N" alone is a word; only N directly before a quote makes a Unicode literal.
  const auto tokens = Tokenize("N 'x' n'y'");
  EXPECT_EQ(tokens[0].kind, TokenKind::kWord);
  EXPECT_FALSE(tokens[1].unicode);
  EXPECT_TRUE(tokens[2].unicode);
}

TEST(TokenizerTest, UnclosedQuotesAndCommentsAreErrorsWithTheirLine) {
  auto error_of = [](const std::string& text) {
    try {
      Tokenize(text);
    } catch (const SqlError& error) {
      return std::make_pair(error.message().number, error.line());
    }
    return std::make_pair(0, 0);
  };
  EXPECT_EQ(error_of("\nSELECT 'abc"), std::make_pair(105, 2));
  EXPECT_EQ(error_of("SELECT [abc\n\n"), std::make_pair(105, 1));
  EXPECT_EQ(error_of("a\nb /* open /* nested */"), std::make_pair(113, 2));
  try {
    Tokenize("SELECT 'it''s");
    FAIL();
  } catch (const SqlError& error) {
    EXPECT_EQ(error.message().text, "Unclosed quotation mark after the character string 'it's'.");
  }
}

TEST(TokenizerTest, ReservedWordsIgnoreCase) {
  EXPECT_TRUE(IsReservedWord("select"));
  EXPECT_TRUE(IsReservedWord("Order"));
  EXPECT_FALSE(IsReservedWord("name"));
  EXPECT_FALSE(IsReservedWord("text"));
}

}  // namespace
}  // namespace korvane::embedded
