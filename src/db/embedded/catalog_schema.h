// The SQLite shape of a database of the embedded server: SQL Server's system tables with their
// columns in SQL Server's order and types, the engine's private bookkeeping tables (kvn_*), and
// the per-connection views (INFORMATION_SCHEMA, sys.*).
#pragma once

#include "db/embedded/sqlite_database.h"

namespace korvane::embedded {

inline constexpr const char* kNameCollation = "KVN_CI";

// Fills a new, empty database file. `version` is the server's major version (8 or 9+).
void CreateSystemTables(SqliteDatabase& db, int version, bool is_master);

// Creates the TEMP views a session sees. `master_schema` is the SQLite schema holding master's
// sysdatabases ("main" in master, "master" elsewhere).
void CreateSessionViews(SqliteDatabase& db, int version, const char* master_schema);

// "YYYY-MM-DD HH:MM:SS.mmm" of the present moment, the form datetime values are stored in.
std::string NowText();

}  // namespace korvane::embedded
