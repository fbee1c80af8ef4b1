#include "db/embedded/constraint_checker.h"

#include <algorithm>

#include "base/text.h"
#include "db/embedded/query_translator.h"
#include "db/embedded/sql_error.h"

namespace korvane::embedded {
namespace {

std::string ColumnName(const std::vector<TableColumn>& columns, int colid) {
  for (const auto& column : columns)
    if (column.colid == colid)
      return column.name;
  return {};
}

struct ForeignKey {
  std::int64_t id = 0;
  std::string name;
  std::int64_t fkeyid = 0;
  std::int64_t rkeyid = 0;
  std::vector<int> fkeys;
  std::vector<int> rkeys;
  bool cascade = false;
};

std::vector<ForeignKey> ForeignKeys(EmbeddedDatabase& db, const char* column, std::int64_t table) {
  std::vector<ForeignKey> keys;
  auto stmt = db.db().Prepare(std::string("SELECT r.constid, o.name, r.fkeyid, r.rkeyid, "
                                          "coalesce((SELECT value FROM kvn_objprops p WHERE p.id = "
                                          "r.constid AND p.property = 'cnstisdeletecascade'), 0) "
                                          "FROM sysreferences r JOIN sysobjects o ON o.id = "
                                          "r.constid WHERE r.") +
                              column + " = ? ORDER BY o.name");
  stmt.Bind(1, table);
  while (stmt.Step()) {
    ForeignKey key;
    key.id = stmt.Int(0);
    key.name = stmt.Text(1);
    key.fkeyid = stmt.Int(2);
    key.rkeyid = stmt.Int(3);
    key.cascade = stmt.Int(4) != 0;
    keys.push_back(key);
  }
  auto pairs =
      db.db().Prepare("SELECT fkey, rkey FROM sysforeignkeys WHERE constid = ? ORDER BY keyno");
  for (auto& key : keys) {
    pairs.Bind(1, key.id);
    while (pairs.Step()) {
      key.fkeys.push_back(static_cast<int>(pairs.Int(0)));
      key.rkeys.push_back(static_cast<int>(pairs.Int(1)));
    }
    pairs.Reset();
  }
  return keys;
}

std::string Conflict(EmbeddedDatabase& db, const std::string& statement, const char* kind,
                     const std::string& name, const ObjectRow& table, const std::string& column) {
  // 2005 wording; 2000 worded these differently (its exact text is unverified), so 2000 servers
  // get the form seen in its documentation.
  if (db.MajorVersion() >= 9)
    return "The " + statement + " statement conflicted with the " + kind + " constraint \"" + name +
           "\". The conflict occurred in database \"" + db.info().database_name + "\", table \"" +
           db.MessageName(table) + "\"" +
           (column.empty() ? std::string() : ", column '" + column + "'") + ".";
  return statement + " statement conflicted with " + (column.empty() ? "TABLE " : "COLUMN ") +
         kind + " constraint '" + name + "'. The conflict occurred in database '" +
         db.info().database_name + "', table '" + table.name + "'" +
         (column.empty() ? std::string() : ", column '" + column + "'") + ".";
}

}  // namespace

ConstraintChecker::ConstraintChecker(EmbeddedDatabase& database, const ObjectRow& table,
                                     std::string statement)
    : db_(database), table_(table), statement_(std::move(statement)) {
  const std::string storage = EmbeddedDatabase::StorageName(table.id, false);
  const auto columns = db_.Columns(table.id);
  auto stmt = db_.db().Prepare(
      "SELECT id, name, info FROM sysobjects WHERE parent_obj = ? AND xtype = 'C ' ORDER BY id");
  stmt.Bind(1, table.id);
  while (stmt.Step()) {
    Check check;
    check.name = stmt.Text(1);
    const std::string column =
        stmt.Int(2) > 0 ? ColumnName(columns, static_cast<int>(stmt.Int(2))) : std::string();
    const std::string text = db_.CommentText(stmt.Int(0));
    const auto tokens = Tokenize(text);
    // A CHECK passes unless its condition is false (NULL passes).
    check.sql = "SELECT 1 FROM " + storage + " AS " + QuoteName(table.name) +
                " WHERE rowid = ? AND NOT coalesce(" +
                TranslateSql(tokens, 0, tokens.size() - 1, db_) + ", 1)";
    check.detail = Conflict(db_, statement_, "CHECK", check.name, table_, column);
    checks_.push_back(check);
  }
  // Unique keys: SQLite lets NULLs repeat, SQL Server counts NULL as one value.
  const std::string object = db_.MessageName(table);
  for (const auto& index : db_.Indexes(table.id)) {
    if (!(index.status & 2) || (index.status & 96))
      continue;
    bool nullable = false;
    for (int colid : index.colids)
      for (const auto& column : columns)
        nullable = nullable || (column.colid == colid && column.nullable);
    if (!nullable)
      continue;  // no NULL can occur in the key
    std::string any_null;
    std::string same;
    for (std::size_t i = 0; i < index.colids.size(); ++i) {
      const std::string column = QuoteName(ColumnName(columns, index.colids[i]));
      any_null += std::string(i ? " OR " : "") + "n." + column + " IS NULL";
      same += " AND o." + column + " IS n." + column;
    }
    Check check;
    check.name = index.name;
    check.sql = "SELECT 1 FROM " + storage + " AS n JOIN " + storage +
                " AS o ON o.rowid <> n.rowid WHERE n.rowid = ? AND (" + any_null + ")" + same;
    if (index.status & (0x800 | 0x1000)) {
      check.error = 2627;
      check.detail = std::string("Violation of ") +
                     ((index.status & 0x800) ? "PRIMARY KEY" : "UNIQUE KEY") + " constraint '" +
                     index.name + "'. Cannot insert duplicate key in object '" + object + "'.";
    } else {
      check.error = 2601;
      check.detail = "Cannot insert duplicate key row in object '" + object +
                     "' with unique index '" + index.name + "'.";
    }
    checks_.push_back(check);
  }
  for (const auto& key : ForeignKeys(db_, "fkeyid", table.id)) {
    auto referenced = db_.FindObjectById(key.rkeyid);
    if (!referenced)
      continue;
    const auto referenced_columns = db_.Columns(key.rkeyid);
    Check check;
    check.name = key.name;
    check.foreign_key = true;
    std::string present;
    std::string match;
    for (std::size_t i = 0; i < key.fkeys.size(); ++i) {
      const std::string f = "c." + QuoteName(ColumnName(columns, key.fkeys[i]));
      const std::string r = "p." + QuoteName(ColumnName(referenced_columns, key.rkeys[i]));
      present += " AND " + f + " IS NOT NULL";
      match += std::string(i ? " AND " : "") + r + " = " + f;
    }
    check.sql = "SELECT 1 FROM " + storage + " AS c WHERE c.rowid = ?" + present +
                " AND NOT EXISTS (SELECT 1 FROM " +
                EmbeddedDatabase::StorageName(key.rkeyid, false) + " AS p WHERE " + match + ")";
    check.detail = Conflict(db_, statement_, "FOREIGN KEY", key.name, *referenced,
                            ColumnName(referenced_columns, key.rkeys.empty() ? 0 : key.rkeys[0]));
    checks_.push_back(check);
  }
}

void ConstraintChecker::CheckRow(std::int64_t rowid) {
  for (auto& check : checks_) {
    if (!check.statement)
      check.statement = std::make_shared<SqliteStatement>(db_.db().Prepare(check.sql));
    SqliteStatement& stmt = *check.statement;
    stmt.Reset();
    stmt.Bind(1, rowid);
    const bool violated = stmt.Step();
    stmt.Reset();
    if (violated)
      throw SqlError(check.error, check.detail);
  }
}

void ConstraintChecker::BeforeDelete(EmbeddedDatabase& db, const ObjectRow& table,
                                     const std::vector<std::int64_t>& rowids, int depth) {
  if (rowids.empty())
    return;
  if (depth > 32)
    throw SqlError(217,
                   "Maximum stored procedure, function, trigger, or view nesting level "
                   "exceeded (limit 32).");
  const auto columns = db.Columns(table.id);
  std::string list;
  for (std::size_t i = 0; i < rowids.size(); ++i) {
    list += i ? "," : "";
    list += std::to_string(rowids[i]);
  }
  for (const auto& key : ForeignKeys(db, "rkeyid", table.id)) {
    auto child = db.FindObjectById(key.fkeyid);
    if (!child)
      continue;
    const auto child_columns = db.Columns(key.fkeyid);
    std::string match;
    for (std::size_t i = 0; i < key.fkeys.size(); ++i)
      match += std::string(i ? " AND " : "") + "c." +
               QuoteName(ColumnName(child_columns, key.fkeys[i])) + " = p." +
               QuoteName(ColumnName(columns, key.rkeys[i]));
    const std::string sql =
        "SELECT c.rowid FROM " + EmbeddedDatabase::StorageName(key.fkeyid, false) +
        " AS c WHERE EXISTS (SELECT 1 FROM " + EmbeddedDatabase::StorageName(table.id, false) +
        " AS p WHERE p.rowid IN (" + list + ") AND " + match + ")";
    std::vector<std::int64_t> referring;
    auto stmt = db.db().Prepare(sql);
    while (stmt.Step())
      referring.push_back(stmt.Int(0));
    if (referring.empty())
      continue;
    if (key.fkeyid == table.id) {
      // A row may refer to itself or to rows deleted with it.
      std::vector<std::int64_t> others;
      for (auto r : referring)
        if (std::find(rowids.begin(), rowids.end(), r) == rowids.end())
          others.push_back(r);
      referring = others;
      if (referring.empty())
        continue;
    }
    if (!key.cascade) {
      const std::string column = ColumnName(child_columns, key.fkeys.empty() ? 0 : key.fkeys[0]);
      if (db.MajorVersion() >= 9)
        throw SqlError(547, "The DELETE statement conflicted with the REFERENCE constraint \"" +
                                key.name + "\". The conflict occurred in database \"" +
                                db.info().database_name + "\", table \"" + db.MessageName(*child) +
                                "\", column '" + column + "'.");
      throw SqlError(547, "DELETE statement conflicted with COLUMN REFERENCE constraint '" +
                              key.name + "'. The conflict occurred in database '" +
                              db.info().database_name + "', table '" + child->name + "', column '" +
                              column + "'.");
    }
    BeforeDelete(db, *child, referring, depth + 1);
    std::string children;
    for (std::size_t i = 0; i < referring.size(); ++i) {
      children += i ? "," : "";
      children += std::to_string(referring[i]);
    }
    db.db().Exec("DELETE FROM " + EmbeddedDatabase::StorageName(key.fkeyid, false) +
                 " WHERE rowid IN (" + children + ")");
  }
}

}  // namespace korvane::embedded
