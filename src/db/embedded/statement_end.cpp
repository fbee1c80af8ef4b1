#include "db/embedded/statement_end.h"

#include <algorithm>
#include <string_view>

namespace korvane::embedded {
namespace {

// The words after DROP that make it a statement of its own rather than ALTER TABLE's.
bool IsDropKind(const Token& t) {
  return t.IsWord("TABLE") || t.IsWord("VIEW") || t.IsWord("PROCEDURE") || t.IsWord("PROC") ||
         t.IsWord("FUNCTION") || t.IsWord("TRIGGER") || t.IsWord("INDEX") ||
         t.IsWord("STATISTICS") || t.IsWord("SCHEMA") || t.IsWord("DEFAULT") || t.IsWord("RULE") ||
         t.IsWord("TYPE") || t.IsWord("DATABASE");
}

}  // namespace

bool IsStatementStart(const Token& t) {
  static constexpr std::string_view kWords[] = {
      "SELECT", "INSERT",    "UPDATE",   "DELETE",     "CREATE", "ALTER",  "DROP",     "SET",
      "EXEC",   "EXECUTE",   "DECLARE",  "PRINT",      "USE",    "IF",     "ELSE",     "BEGIN",
      "END",    "COMMIT",    "ROLLBACK", "GRANT",      "DENY",   "REVOKE", "TRUNCATE", "WHILE",
      "RETURN", "RAISERROR", "SAVE",     "CHECKPOINT", "DBCC",   "WITH"};
  if (t.kind != TokenKind::kWord)
    return false;
  return std::any_of(std::begin(kWords), std::end(kWords),
                     [&](std::string_view word) { return t.IsWord(word); });
}

std::size_t StatementEnd(const std::vector<Token>& tokens, std::size_t start, std::size_t end) {
  const Token& first = tokens[start];
  bool in_update = first.IsWord("UPDATE");
  bool in_insert = first.IsWord("INSERT");
  const bool alter_table =
      first.IsWord("ALTER") && start + 1 < end && tokens[start + 1].IsWord("TABLE");
  int depth = 0;
  int case_depth = 0;  // CASE ... END inside the statement
  for (std::size_t i = start + 1; i < end; ++i) {
    const Token& t = tokens[i];
    if (t.IsWord("CASE")) {
      ++case_depth;
      continue;
    }
    if (case_depth > 0) {
      if (t.IsWord("END"))
        --case_depth;
      continue;
    }
    if (t.IsPunct("(")) {
      ++depth;
      continue;
    }
    if (t.IsPunct(")")) {
      depth = std::max(0, depth - 1);
      continue;
    }
    if (depth > 0)
      continue;
    if (t.IsPunct(";"))
      return i;
    if (t.IsWord("VALUES"))
      in_insert = false;
    if (!IsStatementStart(t))
      continue;
    const Token& previous = tokens[i - 1];
    // Words that continue the current statement rather than start another.
    if (t.IsWord("SELECT") &&
        (previous.IsWord("UNION") || previous.IsWord("ALL") || previous.IsWord("EXCEPT") ||
         previous.IsWord("INTERSECT") || in_insert)) {
      in_insert = false;
      continue;
    }
    if ((t.IsWord("UPDATE") || t.IsWord("DELETE")) && previous.IsWord("ON"))
      continue;
    if (t.IsWord("SET") && (in_update || previous.IsWord("DELETE") || previous.IsWord("UPDATE"))) {
      in_update = false;
      continue;
    }
    if (alter_table && (t.IsWord("SET") || (t.IsWord("ALTER") && tokens[i + 1].IsWord("COLUMN")) ||
                        (t.IsWord("DROP") && !IsDropKind(tokens[i + 1]))))
      continue;
    if (t.IsWord("WITH"))
      continue;
    return i;
  }
  return end;
}

}  // namespace korvane::embedded
