#include "db/embedded/sql_tokenizer.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/text.h"
#include "db/embedded/sql_error.h"

namespace korvane::embedded {
namespace {

bool IsWordStart(unsigned char c) {
  return std::isalpha(c) || c == '_' || c == '#' || c >= 0x80;
}
bool IsWordChar(unsigned char c) {
  return std::isalnum(c) || c == '_' || c == '#' || c == '$' || c == '@' || c >= 0x80;
}

SqlError AtLine(SqlError error, int line) {
  error.set_line(line);
  return error;
}

}  // namespace

void ThrowNestedTooDeeply(int line) {
  throw AtLine(SqlError(191,
                        "Some part of your SQL statement is nested too deeply. Rewrite the query "
                        "or break it up into smaller queries."),
               line);
}

std::size_t QuotedSpanEnd(std::string_view text, std::size_t open) {
  const char close = text[open] == '[' ? ']' : text[open];
  for (std::size_t i = open + 1; i < text.size(); ++i) {
    if (text[i] != close)
      continue;
    if (i + 1 < text.size() && text[i + 1] == close) {
      ++i;
      continue;
    }
    return i + 1;
  }
  return std::string_view::npos;
}

std::size_t BlockCommentEnd(std::string_view text, std::size_t open) {
  int depth = 0;
  std::size_t i = open;
  while (i < text.size()) {
    if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      ++depth;
      i += 2;
    } else if (text[i] == '*' && i + 1 < text.size() && text[i + 1] == '/') {
      i += 2;
      if (--depth == 0)
        return i;
    } else {
      ++i;
    }
  }
  return std::string_view::npos;
}

bool Token::IsWord(std::string_view word) const {
  return kind == TokenKind::kWord && EqualsIgnoringCase(text, word);
}

bool IsReservedWord(std::string_view word) {
  static constexpr std::array<std::string_view, 74> kWords = {
      "ADD",          "ALL",       "ALTER",      "AND",     "ANY",    "AS",      "ASC",
      "BEGIN",        "BETWEEN",   "BY",         "CASCADE", "CASE",   "CHECK",   "CLUSTERED",
      "COLLATE",      "COLUMN",    "CONSTRAINT", "CREATE",  "CROSS",  "DECLARE", "DEFAULT",
      "DELETE",       "DESC",      "DISTINCT",   "DROP",    "ELSE",   "END",     "EXCEPT",
      "EXEC",         "EXECUTE",   "EXISTS",     "FOREIGN", "FROM",   "FULL",    "GROUP",
      "HAVING",       "IDENTITY",  "IF",         "IN",      "INDEX",  "INNER",   "INSERT",
      "INTERSECT",    "INTO",      "IS",         "JOIN",    "KEY",    "LEFT",    "LIKE",
      "NONCLUSTERED", "NOT",       "NULL",       "ON",      "OR",     "ORDER",   "OUTER",
      "PRIMARY",      "PROCEDURE", "REFERENCES", "RIGHT",   "SELECT", "SET",     "TABLE",
      "THEN",         "TOP",       "UNION",      "UNIQUE",  "UPDATE", "VALUES",  "VIEW",
      "WHEN",         "WHERE",     "WITH",       "TRIGGER"};
  return std::any_of(kWords.begin(), kWords.end(),
                     [&](std::string_view w) { return EqualsIgnoringCase(w, word); });
}

std::vector<Token> Tokenize(std::string_view text) {
  std::vector<Token> tokens;
  Tokenize(text, &tokens);
  return tokens;
}

void Tokenize(std::string_view text, std::vector<Token>* out) {
  std::vector<Token>& tokens = *out;
  tokens.clear();
  std::size_t pos = 0;
  int line = 1;
  const std::size_t n = text.size();
  auto advance_lines = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
      if (text[i] == '\n')
        ++line;
  };
  while (pos < n) {
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    if (c == '\n') {
      ++line;
      ++pos;
      continue;
    }
    if (std::isspace(c) || c == 0) {
      ++pos;
      continue;
    }
    if (c == '-' && pos + 1 < n && text[pos + 1] == '-') {
      while (pos < n && text[pos] != '\n')
        ++pos;
      continue;
    }
    if (c == '/' && pos + 1 < n && text[pos + 1] == '*') {
      const std::size_t close = BlockCommentEnd(text, pos);
      if (close == std::string_view::npos)
        throw AtLine(SqlError(113, "Missing end comment mark '*/'."), line);
      advance_lines(pos, close);
      pos = close;
      continue;
    }
    Token token;
    token.offset = pos;
    token.line = line;
    if ((c == 'N' || c == 'n') && pos + 1 < n && text[pos + 1] == '\'') {
      token.unicode = true;
      ++pos;
    }
    const unsigned char q = static_cast<unsigned char>(text[pos]);
    if (q == '\'' || q == '[' || q == '"') {
      const char close = q == '[' ? ']' : static_cast<char>(q);
      const std::size_t span_end = QuotedSpanEnd(text, pos);
      const std::size_t i = span_end == std::string_view::npos ? n : span_end;
      std::string value;
      for (std::size_t k = pos + 1; k < i; ++k) {
        if (text[k] == close && span_end != std::string_view::npos && k + 1 == i)
          break;  // the closing character
        value += text[k];
        if (text[k] == close)
          ++k;  // a doubled closing character stands for one
      }
      if (span_end == std::string_view::npos) {
        if (q == '\'')
          throw AtLine(
              SqlError(105, "Unclosed quotation mark after the character string '" + value + "'."),
              line);
        throw AtLine(
            SqlError(105, "Unclosed quotation mark before the character string '" + value + "'."),
            line);
      }
      advance_lines(pos, i);
      token.kind = q == '\'' ? TokenKind::kString : TokenKind::kQuotedName;
      token.text = std::move(value);
      pos = i;
    } else if (IsWordStart(q)) {
      std::size_t i = pos;
      while (i < n && IsWordChar(static_cast<unsigned char>(text[i])))
        ++i;
      token.kind = TokenKind::kWord;
      token.text = std::string(text.substr(pos, i - pos));
      pos = i;
    } else if (q == '@') {
      std::size_t i = pos + 1;
      while (i < n && (IsWordChar(static_cast<unsigned char>(text[i]))))
        ++i;
      token.kind = TokenKind::kVariable;
      token.text = std::string(text.substr(pos, i - pos));
      pos = i;
    } else if (std::isdigit(q) || (q == '.' && pos + 1 < n &&
                                   std::isdigit(static_cast<unsigned char>(text[pos + 1])))) {
      std::size_t i = pos;
      if (q == '0' && i + 1 < n && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        i += 2;
        while (i < n && std::isxdigit(static_cast<unsigned char>(text[i])))
          ++i;
      } else {
        while (i < n && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.'))
          ++i;
        if (i < n && (text[i] == 'e' || text[i] == 'E')) {
          std::size_t j = i + 1;
          if (j < n && (text[j] == '+' || text[j] == '-'))
            ++j;
          if (j < n && std::isdigit(static_cast<unsigned char>(text[j]))) {
            i = j;
            while (i < n && std::isdigit(static_cast<unsigned char>(text[i])))
              ++i;
          }
        }
      }
      token.kind = TokenKind::kNumber;
      token.text = std::string(text.substr(pos, i - pos));
      pos = i;
    } else {
      static constexpr std::array<std::string_view, 9> kTwo = {"<>", "<=", ">=", "!=", "!<",
                                                               "!>", "||", "==", "::"};
      std::string_view two = text.substr(pos, 2);
      token.kind = TokenKind::kPunct;
      if (two.size() == 2 && std::find(kTwo.begin(), kTwo.end(), two) != kTwo.end()) {
        token.text = std::string(two);
        pos += 2;
      } else {
        token.text = std::string(1, static_cast<char>(q));
        ++pos;
      }
    }
    token.end = pos;
    tokens.push_back(std::move(token));
  }
  Token end;
  end.offset = end.end = n;
  end.line = line;
  tokens.push_back(end);
}

}  // namespace korvane::embedded
