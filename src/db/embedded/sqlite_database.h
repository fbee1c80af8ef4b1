// A thin owner of one SQLite connection and its prepared statements. Failures of SQLite itself
// (a corrupt file, a full disk) are raised as SqlError so the engine reports them like any other
// server error.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvane::embedded {

class SqliteStatement;

class SqliteDatabase {
 public:
  SqliteDatabase() = default;
  ~SqliteDatabase();
  SqliteDatabase(const SqliteDatabase&) = delete;
  SqliteDatabase& operator=(const SqliteDatabase&) = delete;

  // Opens (and with `create`, creates) the file; false with `error` filled on failure.
  bool Open(const std::filesystem::path& file, bool create, std::string* error);
  void Close();
  sqlite3* handle() const { return db_; }

  // Runs statements without results; throws SqlError on failure.
  void Exec(std::string_view sql);
  SqliteStatement Prepare(std::string_view sql);
  // The same, prepared once per connection and kept: the statement is reset and its bindings
  // cleared when the returned object ends. For the fixed catalogue look-ups every query makes.
  // A statement still in use by an outer caller is not shared: the inner caller gets its own.
  SqliteStatement PrepareCached(std::string_view sql);

 private:
  struct Cached {
    sqlite3_stmt* stmt = nullptr;
    bool in_use = false;
  };
  sqlite3* db_ = nullptr;
  std::unordered_map<std::string, Cached> cached_;
};

class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
  // A kept statement: reset instead of finalized at the end, `in_use` cleared.
  SqliteStatement(sqlite3* db, sqlite3_stmt* stmt, bool* in_use)
      : db_(db), stmt_(stmt), in_use_(in_use) {}
  ~SqliteStatement();
  SqliteStatement(SqliteStatement&& other) noexcept;
  SqliteStatement& operator=(SqliteStatement&&) = delete;
  SqliteStatement(const SqliteStatement&) = delete;

  SqliteStatement& Bind(int index, std::int64_t value);
  SqliteStatement& Bind(int index, std::string_view value);
  SqliteStatement& BindDouble(int index, double value);
  SqliteStatement& BindBlob(int index, const std::vector<std::uint8_t>& value);
  SqliteStatement& BindNull(int index);
  SqliteStatement& BindValue(int index, sqlite3_value* value);

  // True when a row is ready; false when done. Throws SqlError on failure.
  bool Step();
  void Reset();
  // The raw SQLite result code of the last Step (for constraint failures).
  int last_code() const { return last_code_; }

  int ColumnCount() const { return sqlite3_column_count(stmt_); }
  bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
  std::string Text(int column) const;
  sqlite3_stmt* handle() const { return stmt_; }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_;
  bool* in_use_ = nullptr;
  int last_code_ = SQLITE_OK;
};

// Single-value helpers for catalogue lookups.
std::optional<std::int64_t> QueryInt(SqliteDatabase& db, std::string_view sql,
                                     const std::vector<std::string>& text_args = {});

}  // namespace korvane::embedded
