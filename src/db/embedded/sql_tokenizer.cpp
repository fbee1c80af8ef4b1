#include "db/embedded/sql_tokenizer.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "app/text.h"
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
      // T-SQL block comments nest.
      const int start_line = line;
      int depth = 0;
      std::size_t i = pos;
      while (i < n) {
        if (text[i] == '/' && i + 1 < n && text[i + 1] == '*') {
          ++depth;
          i += 2;
        } else if (text[i] == '*' && i + 1 < n && text[i + 1] == '/') {
          --depth;
          i += 2;
          if (depth == 0)
            break;
        } else {
          ++i;
        }
      }
      if (depth != 0)
        throw AtLine(SqlError(113, "Missing end comment mark '*/'."), start_line);
      advance_lines(pos, i);
      pos = i;
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
      std::string value;
      std::size_t i = pos + 1;
      bool closed = false;
      while (i < n) {
        if (text[i] == close) {
          if (i + 1 < n && text[i + 1] == close) {
            value += close;
            i += 2;
            continue;
          }
          closed = true;
          ++i;
          break;
        }
        value += text[i++];
      }
      if (!closed) {
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
  return tokens;
}

}  // namespace korvane::embedded
