// INSERT, UPDATE and DELETE for the embedded server: rows from VALUES lists (one or many), from a
// SELECT of the same database, or DEFAULT VALUES, stored as SQL Server would store them: identity
// values generated (or taken under SET IDENTITY_INSERT), defaults applied, values converted to the
// column types, NULL rules and unique keys enforced with SQL Server's errors.
#pragma once

#include <cstdint>
#include <string>

#include "db/embedded/embedded_database.h"
#include "db/embedded/token_cursor.h"

namespace korvane::embedded {

class RowWriter {
 public:
  explicit RowWriter(EmbeddedDatabase& database) : db_(database) {}

  // The cursor stands after INSERT [INTO]; returns the number of rows inserted.
  std::int64_t Insert(TokenCursor& cursor);
  // UPDATE table SET column = expression, ... [WHERE ...]: the new values are converted to the
  // column types and checked like inserted ones. The cursor stands after UPDATE.
  std::int64_t Update(TokenCursor& cursor);
  // DELETE [FROM] table [WHERE ...], honouring the foreign keys that refer to the table.
  std::int64_t Delete(TokenCursor& cursor);

  // Turns a SQLite constraint failure on a table's storage into SQL Server's message (2627,
  // 2601, 515); `statement` is "INSERT" or "UPDATE".
  // Rows added (or, negative, removed) on a table: its sysindexes row counts follow.
  static void AdjustRowCount(EmbeddedDatabase& db, const ObjectRow& table, std::int64_t delta);

  [[noreturn]] static void ThrowConstraintError(EmbeddedDatabase& db, const ObjectRow& table,
                                                const std::string& sqlite_message,
                                                const std::string& statement);

 private:
  EmbeddedDatabase& db_;
};

}  // namespace korvane::embedded
