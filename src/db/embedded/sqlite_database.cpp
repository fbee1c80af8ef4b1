#include "db/embedded/sqlite_database.h"

#include "db/embedded/sql_error.h"

namespace korvane::embedded {
namespace {

[[noreturn]] void ThrowSqlite(sqlite3* db, std::string_view what) {
  throw SqlError(50000, std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "no database"));
}

}  // namespace

SqliteDatabase::~SqliteDatabase() {
  Close();
}

bool SqliteDatabase::Open(const std::filesystem::path& file, bool create, std::string* error) {
  Close();
  // A connection is used by one thread at a time (a session belongs to the caller that opened or
  // took it from the pool), so SQLite's own per-call locking is not needed: "multi-thread" mode.
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(file.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    if (error)
      *error = db_ ? sqlite3_errmsg(db_) : "cannot open";
    Close();
    return false;
  }
  sqlite3_extended_result_codes(db_, 1);
  // SQLite reads an unknown double-quoted name as a string literal; SQL Server raises 207
  // "Invalid column name". Translated names are double-quoted, so the fallback must be off.
  sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  sqlite3_busy_timeout(db_, 5000);
  return true;
}

void SqliteDatabase::Close() {
  for (auto& [sql, cached] : cached_)
    sqlite3_finalize(cached.stmt);
  cached_.clear();
  if (db_) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
}

void SqliteDatabase::Exec(std::string_view sql) {
  char* message = nullptr;
  const std::string text(sql);
  if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string error = message ? message : "error";
    sqlite3_free(message);
    throw SqlError(50000, "Internal storage error: " + error);
  }
}

SqliteStatement SqliteDatabase::Prepare(std::string_view sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr) !=
      SQLITE_OK)
    ThrowSqlite(db_, "Internal storage error");
  return SqliteStatement(db_, stmt);
}

SqliteStatement SqliteDatabase::PrepareCached(std::string_view sql) {
  const auto found = cached_.find(std::string(sql));
  if (found != cached_.end()) {
    if (found->second.in_use)
      return Prepare(sql);
    found->second.in_use = true;
    return SqliteStatement(db_, found->second.stmt, &found->second.in_use);
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr) !=
      SQLITE_OK) {
    sqlite3_finalize(stmt);
    ThrowSqlite(db_, "Internal storage error");
  }
  Cached& entry = cached_[std::string(sql)];
  entry.stmt = stmt;
  entry.in_use = true;
  return SqliteStatement(db_, stmt, &entry.in_use);
}

SqliteStatement::~SqliteStatement() {
  if (!stmt_)
    return;
  if (in_use_) {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    *in_use_ = false;
  } else {
    sqlite3_finalize(stmt_);
  }
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : db_(other.db_), stmt_(other.stmt_), in_use_(other.in_use_), last_code_(other.last_code_) {
  other.stmt_ = nullptr;
  other.in_use_ = nullptr;
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value) {
  sqlite3_bind_int64(stmt_, index, value);
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view value) {
  sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
  return *this;
}

SqliteStatement& SqliteStatement::BindDouble(int index, double value) {
  sqlite3_bind_double(stmt_, index, value);
  return *this;
}

SqliteStatement& SqliteStatement::BindBlob(int index, const std::vector<std::uint8_t>& value) {
  // An empty vector may have no data pointer, which SQLite binds as NULL: an empty binary value
  // (0x) is not NULL.
  if (value.empty()) {
    sqlite3_bind_zeroblob(stmt_, index, 0);
    return *this;
  }
  sqlite3_bind_blob(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
  return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index) {
  sqlite3_bind_null(stmt_, index);
  return *this;
}

SqliteStatement& SqliteStatement::BindValue(int index, sqlite3_value* value) {
  sqlite3_bind_value(stmt_, index, value);
  return *this;
}

bool SqliteStatement::Step() {
  last_code_ = sqlite3_step(stmt_);
  if (last_code_ == SQLITE_ROW)
    return true;
  if (last_code_ == SQLITE_DONE)
    return false;
  ThrowSqlite(db_, "Storage error");
}

void SqliteStatement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::string SqliteStatement::Text(int column) const {
  const auto* text = sqlite3_column_text(stmt_, column);
  if (!text)
    return {};
  return std::string(reinterpret_cast<const char*>(text),
                     static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

std::optional<std::int64_t> QueryInt(SqliteDatabase& db, std::string_view sql,
                                     const std::vector<std::string>& text_args) {
  auto stmt = db.Prepare(sql);
  for (std::size_t i = 0; i < text_args.size(); ++i)
    stmt.Bind(static_cast<int>(i + 1), std::string_view(text_args[i]));
  if (!stmt.Step() || stmt.IsNull(0))
    return std::nullopt;
  return stmt.Int(0);
}

}  // namespace korvane::embedded
