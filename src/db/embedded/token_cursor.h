// A read position in a statement's tokens, with the small helpers the statement parsers share.
// Every failure is SQL Server's syntax error near the offending token, with its line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/embedded/sql_tokenizer.h"

namespace korvane::embedded {

class TokenCursor {
 public:
  TokenCursor(const std::vector<Token>& tokens, std::size_t begin, std::size_t end)
      : tokens_(tokens), pos_(begin), end_(end) {}

  const Token& Peek(std::size_t ahead = 0) const;
  const Token& Next();
  bool AtEnd() const { return Peek().kind == TokenKind::kEnd; }
  std::size_t pos() const { return pos_; }
  void set_pos(std::size_t pos) { pos_ = pos; }
  std::size_t end() const { return end_; }
  const std::vector<Token>& tokens() const { return tokens_; }

  bool AcceptWord(std::string_view word);
  void ExpectWord(std::string_view word);
  bool AcceptPunct(std::string_view punct);
  void ExpectPunct(std::string_view punct);
  // A bare or quoted name (not a reserved word).
  std::string ExpectName();
  // [db.][schema.]name as written; empty strings for omitted middle parts ("db..name").
  std::vector<std::string> ExpectMultiPartName();
  // The size arguments of a type name, "(10)", "(18, 2)" or "(max)", when the next token is "(";
  // empty when the type has none.
  std::vector<std::string> AcceptTypeArguments();
  // Position after the ")" matching the "(" at the current position; the cursor is not moved.
  std::size_t MatchingParen() const;
  // Skips tokens up to (not including) the first top-level "," or ")" or one of the stop words.
  // Nesting deeper than kMaxNestingDepth fails with error 191.
  std::size_t ExpressionEnd(const std::vector<std::string_view>& stop_words = {}) const;

  [[noreturn]] void Fail() const;
  [[noreturn]] static void FailAt(const Token& token);

 private:
  const std::vector<Token>& tokens_;
  std::size_t pos_;
  std::size_t end_;
};

}  // namespace korvane::embedded
