// Splits T-SQL text into tokens: words (keywords and bare names), quoted names ([x] or "x"),
// string literals ('x', N'x'), numbers, variables (@x, @@x) and punctuation. Comments and
// blanks are skipped; every token keeps its byte offset and line so errors can point at it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvane::embedded {

enum class TokenKind { kWord, kQuotedName, kString, kNumber, kVariable, kPunct, kEnd };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;      // word / punctuation as written; the unquoted value for names and strings
  bool unicode = false;  // N'...'
  // A "+" known to join strings (set by a caller that knows the operand types; the translator
  // then writes SQLite's ||).
  bool joins_strings = false;
  std::size_t offset = 0;  // byte offset in the source
  std::size_t end = 0;     // byte offset after the token
  int line = 1;            // 1-based

  bool IsWord(std::string_view word) const;  // a bare word, compared ignoring case
  bool IsPunct(std::string_view punct) const { return kind == TokenKind::kPunct && text == punct; }
  bool IsName() const { return kind == TokenKind::kWord || kind == TokenKind::kQuotedName; }
};

// The tokens of `text`, ending with one kEnd token. Unclosed quotes, brackets and comments
// raise SqlError (105 or 113) with the line set.
std::vector<Token> Tokenize(std::string_view text);
// The same into `tokens` (cleared first), reusing its storage: a caller tokenizing many batches
// keeps one vector.
void Tokenize(std::string_view text, std::vector<Token>* tokens);

// The deepest nesting of parentheses (and subqueries) a statement may have; deeper input fails
// with error 191 rather than exhausting time or stack.
inline constexpr int kMaxNestingDepth = 100;

// Error 191 at `line`.
[[noreturn]] void ThrowNestedTooDeeply(int line);

// Lexical spans, one rule for the tokenizer and the script loader's batch splitter. Each takes
// the position of the span's opening character and returns the position just after its end, or
// npos when the text ends before the span is closed.
// A string ('..'), bracketed name ([..]) or quoted name (".."): a doubled closing character
// ('', ]], "") stands for itself and does not end the span.
std::size_t QuotedSpanEnd(std::string_view text, std::size_t open);
// A block comment /* .. */; block comments nest.
std::size_t BlockCommentEnd(std::string_view text, std::size_t open);
// The position after whatever starts at `at`: a line comment (up to its line break, not
// included, or the end of the text), a block comment, a string or quoted name, or else one
// character; npos when a block comment, string or name is not closed.
// (Inline: splitters call it for every character of a script.)
inline std::size_t LexicalSpanEnd(std::string_view text, std::size_t at) {
  const char c = text[at];
  const char d = at + 1 < text.size() ? text[at + 1] : '\0';
  if (c == '-' && d == '-') {
    const std::size_t line_break = text.find('\n', at);
    return line_break == std::string_view::npos ? text.size() : line_break;
  }
  if (c == '/' && d == '*')
    return BlockCommentEnd(text, at);
  if (c == '\'' || c == '[' || c == '"')
    return QuotedSpanEnd(text, at);
  return at + 1;
}

// True for T-SQL reserved words that cannot be a bare name or alias.
bool IsReservedWord(std::string_view word);

}  // namespace korvane::embedded
