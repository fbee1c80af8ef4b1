#include "db/embedded/token_cursor.h"

#include "base/text.h"
#include "db/embedded/sql_error.h"

namespace korvane::embedded {

const Token& TokenCursor::Peek(std::size_t ahead) const {
  static const Token kEndToken;
  const std::size_t at = pos_ + ahead;
  if (at < end_ && at < tokens_.size())
    return tokens_[at];
  if (end_ > 0 && end_ <= tokens_.size()) {
    // An end token that still knows its line, for error positions.
    static thread_local Token end_token;
    end_token = Token();
    end_token.line = tokens_[end_ - 1].line;
    end_token.offset = end_token.end = tokens_[end_ - 1].end;
    return end_token;
  }
  return kEndToken;
}

const Token& TokenCursor::Next() {
  const Token& token = Peek();
  if (pos_ < end_)
    ++pos_;
  return token;
}

bool TokenCursor::AcceptWord(std::string_view word) {
  if (!Peek().IsWord(word))
    return false;
  ++pos_;
  return true;
}

void TokenCursor::ExpectWord(std::string_view word) {
  if (!AcceptWord(word))
    Fail();
}

bool TokenCursor::AcceptPunct(std::string_view punct) {
  if (!Peek().IsPunct(punct))
    return false;
  ++pos_;
  return true;
}

std::vector<std::string> TokenCursor::AcceptTypeArguments() {
  std::vector<std::string> args;
  if (AcceptPunct("(")) {
    do {
      const Token& arg = Next();
      if (arg.kind != TokenKind::kNumber && !arg.IsWord("max"))
        FailAt(arg);
      args.push_back(arg.text);
    } while (AcceptPunct(","));
    ExpectPunct(")");
  }
  return args;
}

void TokenCursor::ExpectPunct(std::string_view punct) {
  if (!AcceptPunct(punct))
    Fail();
}

std::string TokenCursor::ExpectName() {
  const Token& token = Peek();
  if (!token.IsName() || (token.kind == TokenKind::kWord && IsReservedWord(token.text)))
    Fail();
  ++pos_;
  return token.text;
}

std::vector<std::string> TokenCursor::ExpectMultiPartName() {
  std::vector<std::string> parts;
  parts.push_back(ExpectName());
  while (AcceptPunct(".")) {
    if (Peek().IsPunct(".")) {
      parts.emplace_back();
      continue;
    }
    parts.push_back(ExpectName());
  }
  if (parts.size() > 4)
    Fail();
  return parts;
}

std::size_t TokenCursor::MatchingParen() const {
  int depth = 0;
  for (std::size_t i = pos_; i < end_; ++i) {
    if (tokens_[i].IsPunct("("))
      ++depth;
    if (tokens_[i].IsPunct(")") && --depth == 0)
      return i + 1;
  }
  FailAt(Peek(end_ - pos_));
}

std::size_t TokenCursor::ExpressionEnd(const std::vector<std::string_view>& stop_words) const {
  int depth = 0;
  std::size_t i = pos_;
  for (; i < end_; ++i) {
    const Token& t = tokens_[i];
    if (t.kind == TokenKind::kEnd)
      break;
    if (t.IsPunct("(") && ++depth > kMaxNestingDepth)
      ThrowNestedTooDeeply(t.line);
    if (t.IsPunct(")")) {
      if (depth == 0)
        break;
      --depth;
    }
    if (depth == 0) {
      if (t.IsPunct(",") || t.IsPunct(";"))
        break;
      bool stop = false;
      for (auto word : stop_words)
        stop = stop || t.IsWord(word);
      if (stop)
        break;
    }
  }
  return i;
}

void TokenCursor::Fail() const {
  // At the statement's end the error is near its last token, as the server reports it.
  if (Peek().kind == TokenKind::kEnd && end_ > 0 && end_ <= tokens_.size())
    FailAt(tokens_[end_ - 1]);
  FailAt(Peek());
}

void TokenCursor::FailAt(const Token& token) {
  try {
    if (token.kind == TokenKind::kWord && IsReservedWord(token.text))
      ThrowSyntaxNearKeyword(ToUpperAscii(token.text));
    ThrowSyntaxNear(token.kind == TokenKind::kString ? token.text : token.text);
  } catch (SqlError& error) {
    error.set_line(token.line);
    throw;
  }
}

}  // namespace korvane::embedded
