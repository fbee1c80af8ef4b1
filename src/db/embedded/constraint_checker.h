// Enforces a table's CHECK and FOREIGN KEY constraints and the NULL rule of its unique keys on
// rows just written, and the foreign keys
// that reference a table on rows about to be deleted, with SQL Server's error 547.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/embedded/embedded_database.h"

namespace korvane::embedded {

class ConstraintChecker {
 public:
  // `statement`: "INSERT" or "UPDATE", as the messages name it.
  ConstraintChecker(EmbeddedDatabase& database, const ObjectRow& table, std::string statement);

  // Checks the row of the table's storage with this rowid; throws SqlError 547.
  void CheckRow(std::int64_t rowid);

  // Before rows of `table` are deleted: fails with 547 when a row of another table refers to
  // one of them through a key without ON DELETE CASCADE; deletes the referring rows of cascading
  // keys (and, through them, their own referrers).
  static void BeforeDelete(EmbeddedDatabase& database, const ObjectRow& table,
                           const std::vector<std::int64_t>& rowids, int depth = 0);

 private:
  struct Check {
    std::string name;
    std::string sql;     // SELECT 1 ... WHERE rowid = ? AND the row violates the constraint
    std::string detail;  // the message's table and column part
    bool foreign_key = false;
    int error = 547;
    std::shared_ptr<SqliteStatement> statement;  // prepared on first use, reused per row
  };

  EmbeddedDatabase& db_;
  ObjectRow table_;
  std::string statement_;
  std::vector<Check> checks_;
};

}  // namespace korvane::embedded
