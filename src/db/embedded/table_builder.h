// Table-level DDL of the embedded server: CREATE TABLE, ALTER TABLE ADD, CREATE INDEX,
// CREATE STATISTICS, CREATE SCHEMA and the DROPs of tables, indexes and statistics. Each
// statement creates the SQLite storage and fills the catalogue exactly as SQL Server would:
// sysobjects rows for the table and its constraints, syscolumns, sysindexes with indid 0/1/2..,
// sysindexkeys, sysreferences/sysforeignkeys, defaults with cdefault and syscomments text.
#pragma once

#include "db/embedded/embedded_database.h"
#include "db/embedded/token_cursor.h"

namespace korvane::embedded {

class TableBuilder {
 public:
  explicit TableBuilder(EmbeddedDatabase& database) : db_(database) {}

  // Each takes the cursor just after the statement's leading keywords.
  void CreateTable(TokenCursor& cursor);
  void AlterTable(TokenCursor& cursor);
  void CreateIndex(TokenCursor& cursor, bool unique, int clustered);  // clustered: -1 unsaid
  void CreateStatistics(TokenCursor& cursor);
  void CreateSchema(TokenCursor& cursor);
  // A schema, and with `with_user` a database user of the same name and id (an owner in 2000;
  // sp_adduser in both versions).
  void AddSchema(const std::string& name, bool with_user);
  void DropTable(TokenCursor& cursor);
  void DropIndex(TokenCursor& cursor, bool statistics);
  void DropSchema(TokenCursor& cursor);

  // The stored form of a DEFAULT or CHECK expression (tokens [begin, end)), as the server
  // renders it: 2000 "(0)", 2005 "((0))".
  std::string StoredExpression(const std::vector<Token>& tokens, std::size_t begin, std::size_t end,
                               bool check) const;

 private:
  struct KeyColumn {
    std::string name;
    bool descending = false;
  };
  struct Constraint {
    std::string name;  // empty: generated
    enum class Kind { kPrimaryKey, kUnique, kForeignKey, kCheck, kDefault } kind;
    int clustered = -1;  // -1 not said, 0 nonclustered, 1 clustered
    std::vector<KeyColumn> columns;
    std::vector<std::string> referenced_table;
    std::vector<std::string> referenced_columns;
    bool delete_cascade = false;
    bool update_cascade = false;
    bool not_for_replication = false;
    std::size_t expr_begin = 0;  // CHECK / DEFAULT expression tokens
    std::size_t expr_end = 0;
    std::string column;  // column-level constraint / DEFAULT ... FOR column
    int fill_factor = 0;
  };
  struct ColumnDefinition {
    std::string name;
    DeclaredType type;
    bool nullable = true;
    bool explicit_null = false;
    bool identity = false;
    std::string seed = "1";
    std::string increment = "1";
    // name AS expression [PERSISTED [NOT NULL]]: tokens [expr_begin, expr_end), and once the
    // table's columns are known, the SQLite text that computes it.
    bool computed = false;
    bool persisted = false;
    std::size_t expr_begin = 0;
    std::size_t expr_end = 0;
    std::string computed_sql;
    std::string computed_text;  // as syscomments keeps it
  };

  ColumnDefinition ParseColumn(TokenCursor& cursor, std::vector<Constraint>* constraints);
  // `column_level`: inside a column definition, where FOREIGN KEY needs no column list.
  Constraint ParseTableConstraint(TokenCursor& cursor, std::string name, bool column_level = false);
  std::vector<KeyColumn> ParseKeyList(TokenCursor& cursor);
  void SkipIndexOptions(TokenCursor& cursor, int* fill_factor, bool* hypothetical);
  void AddColumn(const ObjectRow& table, ColumnDefinition column, int colid, int* offset,
                 int* variable_offset);
  void AddConstraint(const ObjectRow& table, Constraint constraint,
                     const std::vector<Token>& tokens);
  int AddIndexRow(const ObjectRow& table, const std::string& name, int status,
                  const std::vector<KeyColumn>& columns, bool clustered, int fill_factor);
  std::string GeneratedName(const std::string& prefix, const ObjectRow& table,
                            const std::string& column, std::int64_t id) const;
  int ColumnId(std::int64_t table_id, const std::string& column);
  void CreateStorage(const ObjectRow& table, const std::vector<ColumnDefinition>& columns);
  // Gives each computed column its type and SQLite text from the table's other columns and
  // proves that SQLite can compute it; refuses the column, naming it, otherwise.
  void PrepareComputedColumns(const std::string& table_name, std::vector<ColumnDefinition>* columns,
                              const std::vector<TableColumn>& existing,
                              const std::vector<Token>& tokens);
  // The SQLite declaration of a storage column.
  static std::string StorageColumn(const ColumnDefinition& column);
  void RebuildUniqueIndex(const ObjectRow& table, int indid, const std::vector<KeyColumn>& columns);
  void DropObjectRows(std::int64_t id);

  EmbeddedDatabase& db_;
};

}  // namespace korvane::embedded
