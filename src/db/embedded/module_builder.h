// Modules of the embedded server: CREATE/ALTER PROCEDURE, FUNCTION (scalar, inline and
// multi-statement table-valued), VIEW and TRIGGER, and their DROPs. The text is kept as SQL
// Server keeps it: the whole batch as sent (leading comments and line ends included) in
// 4000-character syscomments rows; parameters go to syscolumns. Views also get a SQLite view
// so they can be queried; procedure, function and trigger bodies are stored, not run.
#pragma once

#include <string_view>

#include "db/embedded/embedded_database.h"
#include "db/embedded/token_cursor.h"

namespace korvane::embedded {

class ModuleBuilder {
 public:
  explicit ModuleBuilder(EmbeddedDatabase& database) : db_(database) {}

  // `kind`: the keyword after CREATE/ALTER (PROCEDURE, PROC, FUNCTION, VIEW, TRIGGER); the
  // cursor stands on the module's name. `batch` is the batch text the module is stored with.
  void Create(TokenCursor& cursor, std::string_view kind, std::string_view batch, bool alter);
  void Drop(TokenCursor& cursor, std::string_view kind);

 private:
  void AddParameters(TokenCursor& cursor, std::int64_t id, int number, bool parenthesised);
  void AddViewColumns(std::int64_t id);

  EmbeddedDatabase& db_;
};

}  // namespace korvane::embedded
