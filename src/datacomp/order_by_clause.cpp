#include "datacomp/order_by_clause.h"

#include "base/text.h"

namespace korvane {

std::string BracketColumnName(std::string_view name) {
  std::string bracketed = "[";
  bracketed.reserve(name.size() + 2);
  for (const char c : name) {
    bracketed.push_back(c);
    if (c == ']')
      bracketed.push_back(']');
  }
  bracketed.push_back(']');
  return bracketed;
}

std::string BuildOrderBy(std::string_view primary, std::string_view secondary,
                         std::string_view tertiary) {
  primary = Trim(primary);
  secondary = Trim(secondary);
  tertiary = Trim(tertiary);
  if (primary.empty())
    return {};
  std::string clause = " ORDER BY " + BracketColumnName(primary);
  if (!secondary.empty()) {
    clause += ", " + BracketColumnName(secondary);
    if (!tertiary.empty())
      clause += ", " + BracketColumnName(tertiary);
  }
  clause += ' ';
  return clause;
}

}  // namespace korvane
