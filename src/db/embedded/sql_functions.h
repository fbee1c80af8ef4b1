// The SQL Server built-in functions and the name collation, registered on a SQLite connection.
// Metadata functions (OBJECTPROPERTY, INDEXPROPERTY, ident_seed, object_id, ...) read the
// catalogue of the connection they run on.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace korvane::embedded {

// Prepared statements of the metadata functions, kept for the connection's lifetime (the
// functions run once per row, so preparing each time would dominate catalogue queries).
class StatementCache {
 public:
  StatementCache() = default;
  ~StatementCache();
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;

  void set_db(sqlite3* db) { db_ = db; }
  // The statement for `sql`, reset and with its bindings cleared; nullptr when it cannot be
  // prepared.
  sqlite3_stmt* Get(const char* sql);

 private:
  sqlite3* db_ = nullptr;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

// What the functions of one session need to know about the server and database.
struct SessionInfo {
  std::string database_name;
  std::string product_version;  // "9.00.5000.00"
  std::string server_name;
  int major_version = 9;
  // OBJECT_SCHEMA_NAME came with 2005 Service Pack 2 (9.00.3042); older builds reject it.
  bool has_object_schema_name = true;
  std::int64_t last_identity = -1;         // @@IDENTITY of the session, -1: NULL
  std::int64_t row_count = 0;              // @@ROWCOUNT
  std::int64_t identity_insert_table = 0;  // the table under SET IDENTITY_INSERT ON, 0: none
  std::shared_ptr<StatementCache> statements = std::make_shared<StatementCache>();
};

// SQL Server's default case-insensitive collation for names and char/varchar values: ignores
// letter case (the simple case folding the program's key matching uses, so both agree on which
// texts are equal) and trailing blanks; orders by the folded characters' code points.
int CompareNames(std::string_view a, std::string_view b);

// Registers the KVN_CI collation (needed to open any table of the engine).
void RegisterCollation(sqlite3* db);

// Registers the functions; `info` must outlive the connection's use.
void RegisterFunctions(sqlite3* db, SessionInfo* info);

// The object id for a possibly qualified name ("dbo.Orders", "[dbo].[Orders]", "Orders"), looked
// up as SQL Server resolves names for the dbo user; 0 when there is none.
std::int64_t ResolveObjectId(StatementCache& statements, std::string_view qualified_name);

}  // namespace korvane::embedded
