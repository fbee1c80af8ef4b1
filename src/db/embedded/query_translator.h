// Translates the T-SQL the program and a user's simple queries send into SQLite SQL: TOP n,
// `alias = expr`, [bracketed] and multi-part names, N'' literals, CONVERT, ISNULL, @@variables,
// + on strings. Object names are resolved through the catalogue, so an unknown one fails with
// error 208 before SQLite sees the text.
#pragma once

#include <string>
#include <vector>

#include "db/backend.h"
#include "db/embedded/sql_tokenizer.h"

namespace korvane::embedded {

struct ResolvedTable {
  std::string sqlite_name;    // the name to put in SQLite's FROM: t123, main.sysobjects
  std::string default_alias;  // alias to add when the query gives none (may be empty)
  std::vector<std::string> clustered_key;  // columns of the clustered index, for scan order
};

class NameResolver {
 public:
  virtual ~NameResolver() = default;
  // `parts`: the name's parts as written, e.g. {"dbo", "Orders"}, {"master", "", "sysdatabases"}.
  // Throws SqlError (208, or unsupported) when the object cannot be used in a FROM clause.
  virtual ResolvedTable ResolveTable(const std::vector<std::string>& parts) = 0;
  virtual int MajorVersion() const = 0;
};

// The SQLite text of tokens [begin, end) (one statement, or an expression). Throws SqlError
// with the line of the offending token. `column_types`, when given, receives one entry per item
// of the outermost select list: the declaration of its type ("decimal(5,2)") when the item is a
// CAST or CONVERT, else empty; it stays empty when the list holds a * (columns unknown here).
std::string TranslateSql(const std::vector<Token>& tokens, std::size_t begin, std::size_t end,
                         NameResolver& resolver, std::vector<std::string>* column_types = nullptr);

// A SQLite error text turned into SQL Server's message (207, 195, 102, 209, ...).
ServerMessage TranslateSqliteError(const std::string& sqlite_message, int major_version);

// The SQL text of a string literal: 'O''Brien'.
std::string QuoteLiteral(std::string_view text);
// A SQLite quoted identifier: "na""me".
std::string QuoteName(std::string_view name);

}  // namespace korvane::embedded
