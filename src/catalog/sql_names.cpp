#include "catalog/sql_names.h"

#include "base/text.h"

namespace korvane {

std::string EscapeSqlLiteral(std::string_view text) {
  return ReplaceAll(text, "'", "''");
}

std::string EscapeLikeWildcards(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char letter : text) {
    if (letter == '_' || letter == '%' || letter == '[') {
      escaped += '[';
      escaped += letter;
      escaped += ']';
    } else {
      escaped += letter;
    }
  }
  return escaped;
}

std::string EscapeBracketedName(std::string_view name) {
  return ReplaceAll(name, "]", "]]");
}

std::string QuoteName(std::string_view name) {
  return "[" + EscapeBracketedName(name) + "]";
}

namespace {

// The length of the well-formed bracketed identifier at the start of `text` ("[a]]b]" is 6), or
// 0 when the text does not start with one.
std::size_t BracketedIdentifierLength(std::string_view text) {
  if (text.size() < 3 || text.front() != '[')
    return 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] != ']')
      continue;
    if (i + 1 < text.size() && text[i + 1] == ']') {
      ++i;  // a doubled "]" stands for one "]" inside the name
      continue;
    }
    return i == 1 ? 0 : i + 1;  // "[]" names nothing
  }
  return 0;  // never closed
}

}  // namespace

bool IsBracketedName(std::string_view text) {
  const std::size_t first = BracketedIdentifierLength(text);
  if (first == 0)
    return false;
  if (first == text.size())
    return true;
  if (text[first] != '.')
    return false;
  const std::string_view second = text.substr(first + 1);
  return BracketedIdentifierLength(second) == second.size();
}

std::string BracketName(std::string_view name) {
  if (IsBracketedName(name))
    return std::string(name);
  return QuoteName(name);
}

std::string UnbracketName(std::string_view name) {
  if (!name.empty() && BracketedIdentifierLength(name) == name.size())
    return ReplaceAll(name.substr(1, name.size() - 2), "]]", "]");
  return std::string(name);
}

QualifiedName SplitQualifiedName(std::string_view text) {
  std::size_t last_dot = std::string_view::npos;
  bool in_brackets = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_brackets) {
      if (c == ']') {
        if (i + 1 < text.size() && text[i + 1] == ']') {
          ++i;  // "]]" inside brackets is one "]"
        } else {
          in_brackets = false;
        }
      }
    } else if (c == '[') {
      in_brackets = true;
    } else if (c == '.') {
      last_dot = i;
    }
  }
  if (last_dot == std::string_view::npos)
    return {"", std::string(text)};
  return {std::string(text.substr(0, last_dot)), std::string(text.substr(last_dot + 1))};
}

}  // namespace korvane
