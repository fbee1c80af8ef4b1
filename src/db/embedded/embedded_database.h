// One open database of the embedded server: its SQLite connection (with master attached as
// "master" when it is another database), the session's functions and views, and the catalogue
// look-ups the statement executors share.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "db/embedded/query_translator.h"
#include "db/embedded/sql_functions.h"
#include "db/embedded/sql_types.h"
#include "db/embedded/sqlite_database.h"

namespace korvane::embedded {

struct ObjectRow {
  std::int64_t id = 0;
  std::string name;
  std::string xtype;  // trimmed: "U", "PK", ...
  int uid = 1;
  std::int64_t parent = 0;
};

struct TableColumn {
  std::string name;
  int colid = 0;
  DeclaredType type;
  bool nullable = true;
  bool identity = false;
  bool computed = false;  // computed from other columns; never written
  std::int64_t default_id = 0;
};

struct IndexRow {
  int indid = 0;
  std::string name;
  int status = 0;
  std::vector<int> colids;
};

class EmbeddedDatabase : public NameResolver {
 public:
  // Opens the database file; `master_file` is attached unless this is master itself.
  bool Open(const std::filesystem::path& file, const std::filesystem::path& master_file,
            SessionInfo info, std::string* error);

  SqliteDatabase& db() { return db_; }
  SessionInfo& info() { return info_; }
  int MajorVersion() const override { return info_.major_version; }
  bool is_master() const { return is_master_; }

  ResolvedTable ResolveTable(const std::vector<std::string>& parts) override;

  // --- catalogue look-ups ---
  // The schema id of a name as written (empty: dbo). Throws SQL Server's error when unknown.
  int SchemaId(const std::string& schema);
  std::string SchemaName(int schema_id);
  std::optional<ObjectRow> FindObject(int schema_id, const std::string& name);
  std::optional<ObjectRow> FindObjectById(std::int64_t id);
  // A schema-scoped object named by parts ([schema.]name, db part must be this database).
  std::optional<ObjectRow> FindObject(const std::vector<std::string>& parts);
  // The user table named by parts; 208 when there is none.
  ObjectRow RequireTable(const std::vector<std::string>& parts);
  std::vector<TableColumn> Columns(std::int64_t table_id);
  std::vector<IndexRow> Indexes(std::int64_t table_id);
  // The text of an object in syscomments, chunks joined.
  std::string CommentText(std::int64_t id);

  // A built-in type with its arguments, or an alias type of this database (then `allow_nulls`
  // tells its default nullability). nullopt when there is no such type.
  std::optional<DeclaredType> ResolveType(const std::string& name,
                                          const std::vector<std::string>& args,
                                          bool* allow_nulls = nullptr);
  // sp_addtype / CREATE TYPE ... FROM: a new alias type over a built-in type.
  void AddUserType(const std::string& name, const std::string& base_text, bool allow_nulls,
                   int schema_id);

  // --- catalogue writing ---
  std::int64_t NewObjectId();
  // Adds a sysobjects row; raises 2714 when the name is taken in the schema.
  std::int64_t AddObject(const std::string& name, const std::string& xtype, int uid,
                         std::int64_t parent, int info = 0);
  void AddComment(std::int64_t id, int number, std::string_view text);
  void SetProperty(std::int64_t id, const std::string& property, int value);
  // "db.schema.name" as SQL Server's messages name a table (2005), "name" for 2000.
  std::string MessageName(const ObjectRow& object);

  static std::string StorageName(std::int64_t id, bool view) {
    std::string name(1, view ? 'v' : 't');
    name += std::to_string(id);
    return name;
  }

 private:
  SqliteDatabase db_;
  SessionInfo info_;
  bool is_master_ = false;
};

}  // namespace korvane::embedded
