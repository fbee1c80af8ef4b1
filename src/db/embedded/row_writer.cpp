#include "db/embedded/row_writer.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "base/text.h"
#include "db/embedded/constraint_checker.h"
#include "db/embedded/query_translator.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/value_conversion.h"

namespace korvane::embedded {
namespace {

// A single literal token (or a negated number) without SQLite's help; nullopt otherwise.
std::optional<StoredValue> LiteralValue(const std::vector<Token>& tokens, std::size_t begin,
                                        std::size_t end) {
  StoredValue value;
  // Parentheses around a whole literal, as stored defaults have them: ((0)). A literal is one
  // token (two with a minus), so only n "(", the literal and n ")" can be one: a single pass.
  std::size_t layers = 0;
  while (begin + layers < end && tokens[begin + layers].IsPunct("("))
    ++layers;
  const std::size_t inner = end - begin - std::min(end - begin, 2 * layers);
  if (layers > 0 && (inner == 1 || inner == 2)) {
    bool closed = true;
    for (std::size_t i = end - layers; i < end && closed; ++i)
      closed = tokens[i].IsPunct(")");
    if (closed) {
      begin += layers;
      end -= layers;
    }
  }
  bool negative = false;
  if (end - begin == 2 && tokens[begin].IsPunct("-")) {
    negative = true;
    ++begin;
  }
  if (end - begin != 1)
    return std::nullopt;
  const Token& t = tokens[begin];
  if (t.kind == TokenKind::kString && !negative) {
    value.kind = StoredValue::Kind::kText;
    value.text = t.text;
    return value;
  }
  if (t.IsWord("NULL") && !negative)
    return value;
  if (t.kind == TokenKind::kNumber && t.text.find_first_not_of("0123456789") == std::string::npos) {
    // Whole numbers are read exactly; one beyond bigint is a decimal of its digits, which a
    // column of an integer type refuses with an overflow rather than storing another value.
    if (auto whole = ParseWholeNumber(t.text, negative)) {
      value.kind = StoredValue::Kind::kInteger;
      value.integer = *whole;
      return value;
    }
  }
  if (t.kind == TokenKind::kNumber && t.text.find_first_of("xX") == std::string::npos) {
    value.kind = StoredValue::Kind::kReal;
    value.real = std::strtod(t.text.c_str(), nullptr) * (negative ? -1 : 1);
    value.text = (negative ? "-" : "") + t.text;  // the digits as written, for text columns
    return value;
  }
  return std::nullopt;
}

[[noreturn]] void ThrowComputedColumn(const std::string& name) {
  throw SqlError(271, "The column \"" + name +
                          "\" cannot be modified because it is either a computed column or is "
                          "the result of a UNION operator.");
}

// `in_place`: the value outlives the statement's next step, so SQLite reads its text without
// a copy.
void BindStored(SqliteStatement& stmt, int index, const StoredValue& value, bool in_place = false) {
  switch (value.kind) {
    case StoredValue::Kind::kNull:
      stmt.BindNull(index);
      break;
    case StoredValue::Kind::kInteger:
      stmt.Bind(index, value.integer);
      break;
    case StoredValue::Kind::kReal:
      stmt.BindDouble(index, value.real);
      break;
    case StoredValue::Kind::kText:
      if (in_place)
        sqlite3_bind_text(stmt.handle(), index, value.text.data(),
                          static_cast<int>(value.text.size()), SQLITE_STATIC);
      else
        stmt.Bind(index, std::string_view(value.text));
      break;
    case StoredValue::Kind::kBlob:
      stmt.BindBlob(index, value.blob);
      break;
  }
}

}  // namespace

void RowWriter::AdjustRowCount(EmbeddedDatabase& db, const ObjectRow& table, std::int64_t delta) {
  // sysindexes keeps the table's row count on its own row and repeats it on its indexes.
  if (delta == 0)
    return;
  db.db().Exec("UPDATE sysindexes SET rows = max(0, rows + " + std::to_string(delta) +
               "), rowcnt = max(0, rowcnt + " + std::to_string(delta) +
               ") WHERE id = " + std::to_string(table.id) + " AND indid < 255 AND status & 96 = 0");
}

void RowWriter::ThrowConstraintError(EmbeddedDatabase& db, const ObjectRow& table,
                                     const std::string& message, const std::string& statement) {
  const std::string storage = EmbeddedDatabase::StorageName(table.id, false) + ".";
  const auto columns = db.Columns(table.id);
  auto column_ids = [&](const std::string& list) {
    std::set<int> ids;
    for (const auto& piece : Split(list, ", ")) {
      std::string name = piece.rfind(storage, 0) == 0 ? piece.substr(storage.size()) : piece;
      for (const auto& column : columns)
        if (column.name == name)
          ids.insert(column.colid);
    }
    return ids;
  };
  const std::string object = db.MajorVersion() >= 9 ? db.MessageName(table) : table.name;
  if (message.rfind("NOT NULL constraint failed: ", 0) == 0) {
    std::string column = message.substr(28);
    if (column.rfind(storage, 0) == 0)
      column = column.substr(storage.size());
    throw SqlError(515, "Cannot insert the value NULL into column '" + column + "', table '" +
                            db.info().database_name + "." + db.SchemaName(table.uid) + "." +
                            table.name + "'; column does not allow nulls. " + statement +
                            " fails.");
  }
  const std::string unique_prefix = "UNIQUE constraint failed: ";
  if (message.rfind(unique_prefix, 0) == 0) {
    const std::set<int> ids = column_ids(message.substr(unique_prefix.size()));
    for (const auto& index : db.Indexes(table.id)) {
      if (!(index.status & 2) || std::set<int>(index.colids.begin(), index.colids.end()) != ids)
        continue;
      if (index.status & (0x800 | 0x1000))
        throw SqlError(2627, std::string("Violation of ") +
                                 ((index.status & 0x800) ? "PRIMARY KEY" : "UNIQUE KEY") +
                                 " constraint '" + index.name +
                                 "'. Cannot insert duplicate key in object '" + object + "'.");
      throw SqlError(2601, "Cannot insert duplicate key row in object '" + object +
                               "' with unique index '" + index.name + "'.");
    }
  }
  throw SqlError(50000, "The embedded server could not store the row: " + message);
}

std::int64_t RowWriter::Insert(TokenCursor& cursor) {
  const auto parts = cursor.ExpectMultiPartName();
  auto object = db_.FindObject(parts);
  if (object && object->xtype == "V")
    ThrowUnsupported("INSERT into a view");
  const ObjectRow table = db_.RequireTable(parts);
  const auto columns = db_.Columns(table.id);
  const int major = db_.MajorVersion();
  // Target columns: the list as written, or every column the server fills from values.
  std::vector<std::size_t> targets;
  bool column_list = false;
  if (cursor.Peek().IsPunct("(") && !cursor.Peek(1).IsWord("SELECT")) {
    column_list = true;
    cursor.Next();
    do {
      const std::string name = cursor.ExpectName();
      std::size_t found = columns.size();
      for (std::size_t i = 0; i < columns.size(); ++i)
        if (CompareNames(columns[i].name, name) == 0)
          found = i;
      if (found == columns.size())
        ThrowInvalidColumn(name);
      if (columns[found].computed)
        ThrowComputedColumn(columns[found].name);
      for (auto t : targets)
        if (t == found)
          throw SqlError(264, "The column name '" + name +
                                  "' is specified more than once in the SET clause or column list "
                                  "of an INSERT. A column cannot be assigned more than one value "
                                  "in the same clause. Modify the clause to make sure that a "
                                  "column is updated only once. If the SET clause updates columns "
                                  "of a view, then the column name '" +
                                  name + "' may appear twice in the view definition.");
      targets.push_back(found);
    } while (cursor.AcceptPunct(","));
    cursor.ExpectPunct(")");
  } else {
    for (std::size_t i = 0; i < columns.size(); ++i)
      if (!columns[i].identity && !columns[i].computed && columns[i].type.name != "timestamp")
        targets.push_back(i);
  }
  const bool identity_insert = db_.info().identity_insert_table == table.id;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (!columns[i].identity)
      continue;
    const bool listed = std::find(targets.begin(), targets.end(), i) != targets.end();
    if (listed && !identity_insert)
      throw SqlError(544, "Cannot insert explicit value for identity column in table '" +
                              table.name + "' when IDENTITY_INSERT is set to OFF.");
    if (identity_insert && (!listed || !column_list))
      throw SqlError(545, "Explicit value must be specified for identity column in table '" +
                              table.name +
                              "' either when IDENTITY_INSERT is set to ON or when "
                              "a replication user is inserting into a NOT FOR REPLICATION "
                              "identity column.");
  }
  for (auto t : targets)
    if (columns[t].type.name == "timestamp")
      throw SqlError(273,
                     "Cannot insert an explicit value into a timestamp column. Use INSERT "
                     "with a column list to exclude the timestamp column, or insert a "
                     "DEFAULT into the timestamp column.");

  // Evaluates an expression of the script with SQLite (after translation).
  std::map<std::string, SqliteStatement> prepared;
  auto evaluate_sql = [&](const std::string& sql) {
    auto it = prepared.find(sql);
    if (it == prepared.end()) {
      sqlite3_stmt* raw = nullptr;
      if (sqlite3_prepare_v2(db_.db().handle(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        throw SqlError(TranslateSqliteError(sqlite3_errmsg(db_.db().handle()), major));
      it = prepared.emplace(sql, SqliteStatement(db_.db().handle(), raw)).first;
    }
    SqliteStatement& stmt = it->second;
    stmt.Reset();
    StoredValue value;
    if (stmt.Step())
      value = StoredFromSqlite(sqlite3_column_value(stmt.handle(), 0));
    stmt.Reset();
    return value;
  };
  auto evaluate = [&](const std::vector<Token>& tokens, std::size_t begin, std::size_t end) {
    if (auto literal = LiteralValue(tokens, begin, end))
      return *literal;
    return evaluate_sql("SELECT " + TranslateSql(tokens, begin, end, db_));
  };

  // Defaults: the stored expression of each column's default, as a constant or as SQL to
  // evaluate for each row (NEWID() differs from row to row).
  struct Default {
    std::optional<StoredValue> constant;
    std::string sql;
  };
  std::map<std::size_t, Default> defaults;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].default_id == 0)
      continue;
    std::vector<Token> tokens = Tokenize(db_.CommentText(columns[i].default_id));
    auto object = db_.FindObjectById(columns[i].default_id);
    if (object && object->parent == 0) {
      // A bound default keeps its CREATE DEFAULT text: the expression follows AS.
      auto as =
          std::find_if(tokens.begin(), tokens.end(), [](const Token& t) { return t.IsWord("AS"); });
      if (as != tokens.end())
        tokens.erase(tokens.begin(), as + 1);
    }
    Default value;
    value.constant = LiteralValue(tokens, 0, tokens.size() - 1);
    if (!value.constant)
      value.sql = "SELECT " + TranslateSql(tokens, 0, tokens.size() - 1, db_);
    defaults[i] = std::move(value);
  }

  auto identity_row =
      db_.db().Prepare("SELECT seed, increment, last_value FROM kvn_identity WHERE id = ?");
  identity_row.Bind(1, table.id);
  bool has_identity = identity_row.Step();
  std::int64_t seed = has_identity ? std::strtoll(identity_row.Text(0).c_str(), nullptr, 10) : 0;
  std::int64_t increment =
      has_identity ? std::strtoll(identity_row.Text(1).c_str(), nullptr, 10) : 1;
  std::optional<std::int64_t> last_identity;
  if (has_identity && !identity_row.IsNull(2))
    last_identity = identity_row.Int(2);

  // Computed columns are left to the storage, which computes them.
  std::string sql = "INSERT INTO " + EmbeddedDatabase::StorageName(table.id, false) + " (";
  std::string marks;
  std::vector<int> bind_index(columns.size(), 0);
  int stored_columns = 0;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].computed)
      continue;
    sql += (stored_columns ? ", " : "") + QuoteName(columns[i].name);
    marks += stored_columns ? ", ?" : "?";
    bind_index[i] = ++stored_columns;
  }
  // The converted values of the row being stored: the insert reads their text in place, so they
  // outlive it.
  std::vector<StoredValue> row_values(columns.size());
  SqliteStatement insert = db_.db().Prepare(sql + ") VALUES (" + marks + ")");
  std::int64_t inserted = 0;
  ConstraintChecker checker(db_, table, "INSERT");

  auto store_row = [&](const std::vector<std::optional<StoredValue>>& given) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const TableColumn& column = columns[i];
      if (column.computed)
        continue;
      StoredValue& value = row_values[i];
      value.kind = StoredValue::Kind::kNull;
      if (given[i]) {
        value = ConvertForColumn(*given[i], column.type, major);
        if (column.identity && value.kind == StoredValue::Kind::kInteger) {
          if (!last_identity ||
              (increment > 0 ? value.integer > *last_identity : value.integer < *last_identity))
            last_identity = value.integer;
          db_.info().last_identity = value.integer;
        }
      } else if (column.identity) {
        last_identity = last_identity ? *last_identity + increment : seed;
        value.kind = StoredValue::Kind::kInteger;
        value.integer = *last_identity;
        db_.info().last_identity = value.integer;
      } else if (column.type.name == "timestamp") {
        const std::int64_t next =
            QueryInt(db_.db(), "SELECT CAST(value AS INTEGER) FROM kvn_meta WHERE key = 'dbts'")
                .value_or(2000) +
            1;
        db_.db().Exec("INSERT OR REPLACE INTO kvn_meta VALUES ('dbts', '" + std::to_string(next) +
                      "')");
        value.kind = StoredValue::Kind::kBlob;
        value.blob.clear();
        for (int shift = 56; shift >= 0; shift -= 8)
          value.blob.push_back(static_cast<std::uint8_t>((next >> shift) & 0xFF));
      } else if (auto it = defaults.find(i); it != defaults.end()) {
        value = ConvertForColumn(
            it->second.constant ? *it->second.constant : evaluate_sql(it->second.sql), column.type,
            major);
      }
      if (value.kind == StoredValue::Kind::kNull && !column.nullable)
        throw SqlError(515, "Cannot insert the value NULL into column '" + column.name +
                                "', table '" + db_.info().database_name + "." +
                                db_.SchemaName(table.uid) + "." + table.name +
                                "'; column does not allow nulls. INSERT fails.");
      BindStored(insert, bind_index[i], value, /*in_place=*/true);
    }
    const int code = sqlite3_step(insert.handle());
    if (code != SQLITE_DONE) {
      const std::string message = sqlite3_errmsg(db_.db().handle());
      sqlite3_reset(insert.handle());
      ThrowConstraintError(db_, table, message, "INSERT");
    }
    sqlite3_reset(insert.handle());
    checker.CheckRow(sqlite3_last_insert_rowid(db_.db().handle()));
    ++inserted;
  };

  if (cursor.AcceptWord("DEFAULT")) {
    cursor.ExpectWord("VALUES");
    store_row(std::vector<std::optional<StoredValue>>(columns.size()));
  } else if (cursor.AcceptWord("VALUES")) {
    const auto& tokens = cursor.tokens();
    std::vector<std::optional<StoredValue>> given(columns.size());  // reused row after row
    do {
      cursor.ExpectPunct("(");
      for (auto& value : given)
        value.reset();
      std::size_t count = 0;
      if (!cursor.Peek().IsPunct(")")) {
        do {
          const std::size_t begin = cursor.pos();
          const std::size_t end = cursor.ExpressionEnd();
          if (end == begin)
            cursor.Fail();
          if (count < targets.size()) {
            if (end - begin == 1 && tokens[begin].IsWord("DEFAULT"))
              given[targets[count]].reset();
            else
              given[targets[count]] = evaluate(tokens, begin, end);
          }
          ++count;
          cursor.set_pos(end);
        } while (cursor.AcceptPunct(","));
      }
      cursor.ExpectPunct(")");
      if (count > targets.size())
        throw SqlError(110,
                       "There are fewer columns in the INSERT statement than values specified "
                       "in the VALUES clause. The number of values in the VALUES clause must "
                       "match the number of columns specified in the INSERT statement.");
      if (count < targets.size())
        throw SqlError(109,
                       "There are more columns in the INSERT statement than values specified "
                       "in the VALUES clause. The number of values in the VALUES clause must "
                       "match the number of columns specified in the INSERT statement.");
      store_row(given);
    } while (cursor.AcceptPunct(","));
  } else if (cursor.Peek().IsWord("SELECT") ||
             (cursor.Peek().IsPunct("(") && cursor.Peek(1).IsWord("SELECT"))) {
    const std::string select = TranslateSql(cursor.tokens(), cursor.pos(), cursor.end(), db_);
    cursor.set_pos(cursor.end());
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_.db().handle(), select.c_str(), -1, &raw, nullptr) != SQLITE_OK)
      throw SqlError(TranslateSqliteError(sqlite3_errmsg(db_.db().handle()), major));
    SqliteStatement source(db_.db().handle(), raw);
    if (static_cast<std::size_t>(source.ColumnCount()) > targets.size())
      throw SqlError(121,
                     "The select list for the INSERT statement contains more items than the "
                     "insert list. The number of SELECT values must match the number of "
                     "INSERT columns.");
    if (static_cast<std::size_t>(source.ColumnCount()) < targets.size())
      throw SqlError(120,
                     "The select list for the INSERT statement contains fewer items than the "
                     "insert list. The number of SELECT values must match the number of "
                     "INSERT columns.");
    // Read all source rows first: the target may be the source.
    std::vector<std::vector<std::optional<StoredValue>>> rows;
    while (source.Step()) {
      std::vector<std::optional<StoredValue>> given(columns.size());
      for (std::size_t k = 0; k < targets.size(); ++k)
        given[targets[k]] =
            StoredFromSqlite(sqlite3_column_value(source.handle(), static_cast<int>(k)));
      rows.push_back(std::move(given));
    }
    for (const auto& row : rows)
      store_row(row);
  } else if (cursor.Peek().IsWord("EXEC") || cursor.Peek().IsWord("EXECUTE")) {
    ThrowUnsupported("INSERT ... EXECUTE");
  } else {
    cursor.Fail();
  }
  AdjustRowCount(db_, table, inserted);
  if (has_identity && last_identity) {
    auto update = db_.db().Prepare("UPDATE kvn_identity SET last_value = ? WHERE id = ?");
    update.Bind(1, *last_identity).Bind(2, table.id);
    update.Step();
  }
  return inserted;
}

std::int64_t RowWriter::Update(TokenCursor& cursor) {
  const auto parts = cursor.ExpectMultiPartName();
  auto object = db_.FindObject(parts);
  if (object && object->xtype == "V")
    ThrowUnsupported("UPDATE of a view");
  const ObjectRow table = db_.RequireTable(parts);
  const auto columns = db_.Columns(table.id);
  const int major = db_.MajorVersion();
  cursor.ExpectWord("SET");
  struct Assignment {
    std::size_t column;
    std::size_t begin;
    std::size_t end;
  };
  std::vector<Assignment> assignments;
  do {
    const auto target = cursor.ExpectMultiPartName();
    const std::string& name = target.back();
    std::size_t found = columns.size();
    for (std::size_t i = 0; i < columns.size(); ++i)
      if (CompareNames(columns[i].name, name) == 0)
        found = i;
    if (found == columns.size())
      ThrowInvalidColumn(name);
    if (columns[found].identity)
      throw SqlError(8102, "Cannot update identity column '" + columns[found].name + "'.");
    if (columns[found].computed)
      ThrowComputedColumn(columns[found].name);
    for (const auto& a : assignments)
      if (a.column == found)
        throw SqlError(264, "The column name '" + name +
                                "' is specified more than once in the SET clause. A column cannot "
                                "be assigned more than one value in the same SET clause. Modify "
                                "the SET clause to make sure that a column is updated only once. "
                                "If the SET clause updates columns of a view, then the column "
                                "name '" +
                                name + "' may appear twice in the view definition.");
    cursor.ExpectPunct("=");
    const std::size_t begin = cursor.pos();
    const std::size_t end = cursor.ExpressionEnd({"WHERE", "FROM", "OPTION"});
    if (end == begin)
      cursor.Fail();
    assignments.push_back({found, begin, end});
    cursor.set_pos(end);
  } while (cursor.AcceptPunct(","));
  if (cursor.Peek().IsWord("FROM"))
    ThrowUnsupported("UPDATE ... FROM");
  const ResolvedTable resolved = db_.ResolveTable(parts);
  std::string select = "SELECT " + QuoteName(resolved.default_alias) + ".rowid";
  for (const auto& a : assignments) {
    select += ',';
    select += TranslateSql(cursor.tokens(), a.begin, a.end, db_);
  }
  select += " FROM " + resolved.sqlite_name + " AS " + QuoteName(resolved.default_alias);
  if (cursor.AcceptWord("WHERE"))
    select += " WHERE" + TranslateSql(cursor.tokens(), cursor.pos(), cursor.end(), db_);
  else if (!cursor.AtEnd())
    cursor.Fail();
  cursor.set_pos(cursor.end());
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db_.db().handle(), select.c_str(), -1, &raw, nullptr) != SQLITE_OK)
    throw SqlError(TranslateSqliteError(sqlite3_errmsg(db_.db().handle()), major));
  SqliteStatement source(db_.db().handle(), raw);
  // All new values are computed from the rows as they were before the statement.
  std::vector<std::pair<std::int64_t, std::vector<StoredValue>>> rows;
  while (source.Step()) {
    std::vector<StoredValue> values;
    for (std::size_t k = 0; k < assignments.size(); ++k)
      values.push_back(StoredFromSqlite(sqlite3_column_value(raw, static_cast<int>(k + 1))));
    rows.emplace_back(source.Int(0), std::move(values));
  }
  std::string sql = "UPDATE " + EmbeddedDatabase::StorageName(table.id, false) + " SET ";
  for (std::size_t k = 0; k < assignments.size(); ++k)
    sql += (k ? ", " : "") + QuoteName(columns[assignments[k].column].name) + " = ?";
  SqliteStatement update = db_.db().Prepare(sql + " WHERE rowid = ?");
  ConstraintChecker checker(db_, table, "UPDATE");
  for (auto& [rowid, values] : rows) {
    for (std::size_t k = 0; k < assignments.size(); ++k) {
      const TableColumn& column = columns[assignments[k].column];
      const StoredValue value = ConvertForColumn(values[k], column.type, major);
      if (value.kind == StoredValue::Kind::kNull && !column.nullable)
        throw SqlError(515, "Cannot insert the value NULL into column '" + column.name +
                                "', table '" + db_.info().database_name + "." +
                                db_.SchemaName(table.uid) + "." + table.name +
                                "'; column does not allow nulls. UPDATE fails.");
      BindStored(update, static_cast<int>(k + 1), value);
    }
    update.Bind(static_cast<int>(assignments.size() + 1), rowid);
    if (sqlite3_step(update.handle()) != SQLITE_DONE) {
      const std::string message = sqlite3_errmsg(db_.db().handle());
      sqlite3_reset(update.handle());
      ThrowConstraintError(db_, table, message, "UPDATE");
    }
    sqlite3_reset(update.handle());
    checker.CheckRow(rowid);
  }
  return static_cast<std::int64_t>(rows.size());
}

std::int64_t RowWriter::Delete(TokenCursor& cursor) {
  cursor.AcceptWord("FROM");
  const auto parts = cursor.ExpectMultiPartName();
  auto object = db_.FindObject(parts);
  if (object && object->xtype == "V")
    ThrowUnsupported("DELETE from a view");
  const ObjectRow table = db_.RequireTable(parts);
  if (cursor.Peek().IsWord("FROM"))
    ThrowUnsupported("DELETE ... FROM");
  const ResolvedTable resolved = db_.ResolveTable(parts);
  std::string select = "SELECT " + QuoteName(resolved.default_alias) + ".rowid FROM " +
                       resolved.sqlite_name + " AS " + QuoteName(resolved.default_alias);
  if (cursor.AcceptWord("WHERE"))
    select += " WHERE" + TranslateSql(cursor.tokens(), cursor.pos(), cursor.end(), db_);
  else if (!cursor.AtEnd())
    cursor.Fail();
  cursor.set_pos(cursor.end());
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db_.db().handle(), select.c_str(), -1, &raw, nullptr) != SQLITE_OK)
    throw SqlError(TranslateSqliteError(sqlite3_errmsg(db_.db().handle()), db_.MajorVersion()));
  std::vector<std::int64_t> rowids;
  {
    SqliteStatement source(db_.db().handle(), raw);
    while (source.Step())
      rowids.push_back(source.Int(0));
  }
  ConstraintChecker::BeforeDelete(db_, table, rowids);
  SqliteStatement remove = db_.db().Prepare(
      "DELETE FROM " + EmbeddedDatabase::StorageName(table.id, false) + " WHERE rowid = ?");
  for (auto rowid : rowids) {
    remove.Bind(1, rowid);
    remove.Step();
    remove.Reset();
  }
  AdjustRowCount(db_, table, -static_cast<std::int64_t>(rowids.size()));
  return static_cast<std::int64_t>(rowids.size());
}

}  // namespace korvane::embedded
