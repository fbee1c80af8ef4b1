#include "db/embedded/batch_executor.h"

#include "base/text.h"
#include "db/embedded/module_builder.h"
#include "db/embedded/query_translator.h"
#include "db/embedded/row_writer.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/statement_end.h"
#include "db/embedded/table_builder.h"
#include "db/embedded/token_cursor.h"
#include "db/embedded/value_conversion.h"

namespace korvane::embedded {
namespace {

bool IsModuleKind(const Token& t) {
  return t.IsWord("PROCEDURE") || t.IsWord("PROC") || t.IsWord("FUNCTION") || t.IsWord("VIEW") ||
         t.IsWord("TRIGGER") || t.IsWord("RULE");
}

// CREATE DEFAULT opens a batch like a module; DROP DEFAULT and DEFAULT inside other
// statements do not.
bool IsBatchObject(const std::vector<Token>& tokens, std::size_t create) {
  const Token& kind = tokens[create + 1];
  return (tokens[create].IsWord("CREATE") || tokens[create].IsWord("ALTER")) &&
         (IsModuleKind(kind) || (kind.IsWord("DEFAULT") && tokens[create].IsWord("CREATE")));
}

// True when a string, quoted name or block comment of `text` is not closed (the tokenizer then
// fails the whole batch before any of it runs).
bool HasUnclosedSpan(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    i = LexicalSpanEnd(text, i);
    if (i == std::string_view::npos)
      return true;
  }
  return false;
}

// The end of a window of `text`: just after the first line break at or beyond `want` that lies
// outside strings, names and comments; the whole text when there is none.
std::size_t WindowEnd(std::string_view text, std::size_t want) {
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '\n' && i >= want)
      return i + 1;
    i = LexicalSpanEnd(text, i);
    if (i == std::string_view::npos)
      break;
  }
  return text.size();
}

SqlError WithLine(SqlError error, int line) {
  if (error.line() == 0)
    error.set_line(line);
  return error;
}

}  // namespace

std::vector<BatchExecutor::Range> BatchExecutor::SplitStatements(
    const std::vector<Token>& tokens) const {
  std::vector<Range> ranges;
  const std::size_t n = tokens.size() - 1;  // without the end token
  std::size_t start = 0;
  while (start < n) {
    if (tokens[start].IsPunct(";")) {
      ++start;
      continue;
    }
    // A module definition takes the rest of the batch.
    const bool module = start + 1 < n && IsBatchObject(tokens, start);
    const std::size_t end = module ? n : StatementEnd(tokens, start, n);
    ranges.push_back({start, end});
    start = end;
  }
  return ranges;
}

std::size_t BatchExecutor::UnitEnd(const std::vector<Token>& tokens,
                                   const std::vector<Range>& ranges, std::size_t k) const {
  if (k >= ranges.size())
    return k;
  const Token& first = tokens[ranges[k].begin];
  if (first.IsWord("IF") || first.IsWord("WHILE")) {
    std::size_t j = UnitEnd(tokens, ranges, k + 1);
    if (first.IsWord("IF") && j < ranges.size() && tokens[ranges[j].begin].IsWord("ELSE"))
      j = UnitEnd(tokens, ranges, j + 1);
    return j;
  }
  if (IsBlockStart(tokens, ranges[k])) {
    int depth = 1;
    std::size_t j = k + 1;
    for (; j < ranges.size() && depth > 0; ++j) {
      if (IsBlockStart(tokens, ranges[j]))
        ++depth;
      if (tokens[ranges[j].begin].IsWord("END"))
        --depth;
    }
    if (depth > 0)
      TokenCursor::FailAt(tokens.back());
    return j;
  }
  return k + 1;
}

bool BatchExecutor::IsBlockStart(const std::vector<Token>& tokens, Range range) const {
  return tokens[range.begin].IsWord("BEGIN") &&
         !(range.end - range.begin >= 2 && (tokens[range.begin + 1].IsWord("TRAN") ||
                                            tokens[range.begin + 1].IsWord("TRANSACTION")));
}

std::size_t BatchExecutor::RunUnit(const std::vector<Token>& tokens,
                                   const std::vector<Range>& ranges, std::size_t k,
                                   std::string_view batch, std::vector<ResultSet>* results) {
  const Range range = ranges[k];
  const Token& first = tokens[range.begin];
  try {
    if (first.IsWord("WHILE"))
      ThrowUnsupported("WHILE loops");
    if (first.IsWord("ELSE"))
      TokenCursor::FailAt(first);
    if (first.IsWord("IF")) {
      bool negate = false;
      std::size_t begin = range.begin + 1;
      if (tokens[begin].IsWord("NOT") && tokens[begin + 1].IsWord("EXISTS")) {
        negate = true;
        ++begin;
      }
      if (begin >= range.end || k + 1 >= ranges.size())
        TokenCursor::FailAt(tokens[range.end]);
      const bool result = Condition(tokens, begin, range.end) != negate;
      const std::size_t then_end = UnitEnd(tokens, ranges, k + 1);
      if (result)
        RunUnit(tokens, ranges, k + 1, batch, results);
      if (then_end < ranges.size() && tokens[ranges[then_end].begin].IsWord("ELSE")) {
        const std::size_t else_end = UnitEnd(tokens, ranges, then_end + 1);
        if (!result && then_end + 1 < ranges.size())
          RunUnit(tokens, ranges, then_end + 1, batch, results);
        return else_end;
      }
      return then_end;
    }
    if (IsBlockStart(tokens, range)) {
      const std::size_t end = UnitEnd(tokens, ranges, k);
      for (std::size_t j = k + 1; j + 1 < end;)
        j = RunUnit(tokens, ranges, j, batch, results);
      return end;
    }
    RunStatement(tokens, range, batch, k == 0 && !continuing_, results);
  } catch (SqlError& error) {
    throw WithLine(error, first.line);
  }
  return k + 1;
}

std::vector<ResultSet> BatchExecutor::Run(std::string_view batch) {
  if (batch.size() > window_bytes_ && !HasUnclosedSpan(batch))
    return RunInWindows(batch);
  // The token storage of the previous batch is reused (a loader runs thousands of batches).
  std::vector<Token> tokens = std::move(spare_tokens_);
  Tokenize(batch, &tokens);
  std::vector<ResultSet> results;
  const std::vector<Range> ranges = SplitStatements(tokens);
  for (std::size_t k = 0; k < ranges.size();)
    k = RunUnit(tokens, ranges, k, batch, &results);
  spare_tokens_ = std::move(tokens);
  return results;
}

std::vector<ResultSet> BatchExecutor::RunInWindows(std::string_view batch) {
  std::vector<ResultSet> results;
  std::vector<Token> tokens = std::move(spare_tokens_);
  std::size_t offset = 0;  // where the window starts in the batch
  int line = 1;            // the batch's line at that point
  std::size_t want = window_bytes_;
  continuing_ = false;
  try {
    for (;;) {
      const std::string_view rest = batch.substr(offset);
      const std::size_t cut = WindowEnd(rest, want);
      const std::string_view window = rest.substr(0, cut);
      Tokenize(window, &tokens);
      const std::vector<Range> ranges = SplitStatements(tokens);
      if (cut == rest.size()) {
        for (std::size_t k = 0; k < ranges.size();)
          k = RunUnit(tokens, ranges, k, window, &results);
        break;
      }
      // The last statement may go on in the next window: units ending before it run now. The
      // boundary before it is sure, as a statement's end is found from the tokens up to the next
      // statement's first word, except that ALTER TABLE looks one word further (ALTER COLUMN).
      std::size_t k = 0;
      while (k + 1 < ranges.size()) {
        std::size_t end = 0;
        try {
          end = UnitEnd(tokens, ranges, k);
        } catch (const SqlError&) {
          break;  // a block whose END is in a later window
        }
        if (end >= ranges.size() ||
            (end + 1 == ranges.size() && tokens[ranges[end - 1].begin].IsWord("ALTER")))
          break;
        RunUnit(tokens, ranges, k, window, &results);
        k = end;
      }
      if (k == 0) {
        want *= 2;  // not one whole unit yet: a larger window
        continue;
      }
      const Token& next = tokens[ranges[k].begin];
      offset += next.offset;
      line += next.line - 1;
      want = window_bytes_;
      continuing_ = true;
    }
  } catch (SqlError& error) {
    continuing_ = false;
    if (error.line() > 0)
      error.set_line(error.line() + line - 1);
    throw;
  }
  continuing_ = false;
  spare_tokens_ = std::move(tokens);
  return results;
}

bool BatchExecutor::Condition(const std::vector<Token>& tokens, std::size_t begin,
                              std::size_t end) {
  const std::string sql =
      "SELECT CASE WHEN " + TranslateSql(tokens, begin, end, db_) + " THEN 1 ELSE 0 END";
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db_.db().handle(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
    throw SqlError(TranslateSqliteError(sqlite3_errmsg(db_.db().handle()), db_.MajorVersion()));
  SqliteStatement stmt(db_.db().handle(), raw);
  return stmt.Step() && stmt.Int(0) == 1;
}

void BatchExecutor::RunStatement(const std::vector<Token>& tokens, Range range,
                                 std::string_view batch, bool first_in_batch,
                                 std::vector<ResultSet>* results) {
  TokenCursor cursor(tokens, range.begin, range.end);
  const Token& first = cursor.Peek();
  if (first.IsWord("SELECT") || first.IsPunct("(")) {
    results->push_back(Select(tokens, range));
    return;
  }
  if (cursor.AcceptWord("INSERT")) {
    cursor.AcceptWord("INTO");
    db_.info().row_count = RowWriter(db_).Insert(cursor);
    if (!cursor.AtEnd())
      cursor.Fail();
    return;
  }
  if (cursor.AcceptWord("UPDATE")) {
    db_.info().row_count = RowWriter(db_).Update(cursor);
    return;
  }
  if (cursor.AcceptWord("DELETE")) {
    db_.info().row_count = RowWriter(db_).Delete(cursor);
    return;
  }
  const bool create = first.IsWord("CREATE");
  const bool alter = first.IsWord("ALTER");
  if (create || alter) {
    cursor.Next();
    const Token& kind = cursor.Peek();
    if (IsBatchObject(tokens, range.begin)) {
      if (!first_in_batch)
        throw SqlError(
            111, "'" + ToUpperAscii(first.text) + " " +
                     ToUpperAscii(kind.IsWord("PROC") ? std::string("PROCEDURE") : kind.text) +
                     "' must be the first statement in a query batch.");
      cursor.Next();
      ModuleBuilder(db_).Create(cursor, kind.text, batch, alter);
      return;
    }
    TableBuilder tables(db_);
    if (create && cursor.AcceptWord("TABLE")) {
      tables.CreateTable(cursor);
    } else if (alter && cursor.AcceptWord("TABLE")) {
      tables.AlterTable(cursor);
    } else if (create && cursor.AcceptWord("SCHEMA")) {
      tables.CreateSchema(cursor);
    } else if (create && db_.MajorVersion() >= 9 && cursor.AcceptWord("TYPE")) {
      // CREATE TYPE [schema.]name FROM base [NULL | NOT NULL]
      const auto parts = cursor.ExpectMultiPartName();
      const int schema_id =
          db_.SchemaId(parts.size() >= 2 ? parts[parts.size() - 2] : std::string());
      cursor.ExpectWord("FROM");
      const std::size_t begin = cursor.Peek().offset;
      cursor.ExpectName();
      if (cursor.Peek().IsPunct("("))
        cursor.set_pos(cursor.MatchingParen());
      const std::size_t end = tokens[cursor.pos() - 1].end;
      bool allow_nulls = true;
      if (cursor.AcceptWord("NOT")) {
        cursor.ExpectWord("NULL");
        allow_nulls = false;
      } else {
        cursor.AcceptWord("NULL");
      }
      db_.AddUserType(parts.back(), std::string(batch.substr(begin, end - begin)), allow_nulls,
                      schema_id);
    } else if (create && cursor.AcceptWord("STATISTICS")) {
      tables.CreateStatistics(cursor);
    } else if (create) {
      const bool unique = cursor.AcceptWord("UNIQUE");
      int clustered = -1;
      if (cursor.AcceptWord("CLUSTERED"))
        clustered = 1;
      else if (cursor.AcceptWord("NONCLUSTERED"))
        clustered = 0;
      if (!cursor.AcceptWord("INDEX")) {
        if (cursor.Peek().IsName())
          ThrowUnsupported("CREATE " + ToUpperAscii(cursor.Peek().text));
        cursor.Fail();
      }
      tables.CreateIndex(cursor, unique, clustered);
    } else {
      if (cursor.Peek().IsName())
        ThrowUnsupported("ALTER " + ToUpperAscii(cursor.Peek().text));
      cursor.Fail();
    }
    if (!cursor.AtEnd())
      cursor.Fail();
    return;
  }
  if (cursor.AcceptWord("DROP")) {
    TableBuilder tables(db_);
    const Token& kind = cursor.Peek();
    if (IsModuleKind(kind) || kind.IsWord("DEFAULT")) {
      cursor.Next();
      ModuleBuilder(db_).Drop(cursor, kind.text);
    } else if (cursor.AcceptWord("TABLE")) {
      tables.DropTable(cursor);
    } else if (cursor.AcceptWord("INDEX")) {
      tables.DropIndex(cursor, false);
    } else if (cursor.AcceptWord("STATISTICS")) {
      tables.DropIndex(cursor, true);
    } else if (cursor.AcceptWord("SCHEMA")) {
      tables.DropSchema(cursor);
    } else if (kind.IsName()) {
      ThrowUnsupported("DROP " + ToUpperAscii(kind.text));
    } else {
      cursor.Fail();
    }
    if (!cursor.AtEnd())
      cursor.Fail();
    return;
  }
  if (cursor.AcceptWord("SET")) {
    if (cursor.AcceptWord("IDENTITY_INSERT")) {
      const ObjectRow table = db_.RequireTable(cursor.ExpectMultiPartName());
      if (cursor.AcceptWord("ON")) {
        const std::int64_t current = db_.info().identity_insert_table;
        if (current != 0 && current != table.id) {
          auto other = db_.FindObjectById(current);
          throw SqlError(
              8107, "IDENTITY_INSERT is already ON for table '" + db_.info().database_name + "." +
                        (other ? db_.SchemaName(other->uid) + "." + other->name : "") +
                        "'. Cannot perform SET operation for table '" + table.name + "'.");
        }
        if (!QueryInt(db_.db(),
                      "SELECT 1 FROM kvn_identity WHERE id = " + std::to_string(table.id)))
          throw SqlError(
              8106, "Table '" + table.name +
                        "' does not have the identity property. Cannot perform SET operation.");
        db_.info().identity_insert_table = table.id;
      } else {
        cursor.ExpectWord("OFF");
        if (db_.info().identity_insert_table == table.id)
          db_.info().identity_insert_table = 0;
      }
      return;
    }
    if (cursor.Peek().kind == TokenKind::kVariable)
      ThrowUnsupported("variables");
    // Session options (ANSI_NULLS, QUOTED_IDENTIFIER, NOCOUNT, ...) do not change what the
    // engine stores.
    return;
  }
  if (cursor.AcceptWord("USE")) {
    const std::string name = cursor.ExpectName();
    if (CompareNames(name, db_.info().database_name) != 0)
      ThrowUnsupported("USE of another database in a batch ('" + name + "')");
    return;
  }
  if (first.IsWord("PRINT") || first.IsWord("GRANT") || first.IsWord("DENY") ||
      first.IsWord("REVOKE") || first.IsWord("COMMIT") || first.IsWord("CHECKPOINT") ||
      first.IsWord("BEGIN") || first.IsWord("END") || first.IsWord("SAVE")) {
    // Permissions are not modelled; a batch is one transaction already.
    return;
  }
  if (first.IsWord("TRUNCATE")) {
    cursor.Next();
    cursor.ExpectWord("TABLE");
    const ObjectRow table = db_.RequireTable(cursor.ExpectMultiPartName());
    db_.db().Exec(
        "DELETE FROM " + EmbeddedDatabase::StorageName(table.id, false) +
        "; UPDATE kvn_identity SET last_value = NULL WHERE id = " + std::to_string(table.id) +
        "; UPDATE sysindexes SET rows = 0, rowcnt = 0 WHERE id = " + std::to_string(table.id));
    return;
  }
  if (first.IsWord("EXEC") || first.IsWord("EXECUTE")) {
    Execute(tokens, range);
    return;
  }
  if (first.kind == TokenKind::kWord)
    ThrowUnsupported("the statement " + ToUpperAscii(first.text));
  cursor.Fail();
}

void BatchExecutor::Execute(const std::vector<Token>& tokens, Range range) {
  TokenCursor cursor(tokens, range.begin + 1, range.end);
  const auto parts = cursor.ExpectMultiPartName();
  const std::string& name = parts.back();
  const bool attach = EqualsIgnoringCase(name, "sp_attach_db");
  const bool attach_single = EqualsIgnoringCase(name, "sp_attach_single_file_db");
  const bool add_type = EqualsIgnoringCase(name, "sp_addtype");
  const bool bind_default = EqualsIgnoringCase(name, "sp_bindefault");
  const bool bind_rule = EqualsIgnoringCase(name, "sp_bindrule");
  if (EqualsIgnoringCase(name, "sp_addextendedproperty") ||
      EqualsIgnoringCase(name, "sp_updateextendedproperty") ||
      EqualsIgnoringCase(name, "sp_dropextendedproperty"))
    return;  // descriptions and other extended properties are not kept
  if (EqualsIgnoringCase(name, "sp_adduser") || EqualsIgnoringCase(name, "sp_grantdbaccess")) {
    TokenCursor names(tokens, range.begin + 1, range.end);
    names.ExpectMultiPartName();
    const Token& user = names.Next();
    if (user.kind != TokenKind::kString && !user.IsName())
      names.FailAt(user);
    TableBuilder(db_).AddSchema(user.text, true);
    return;
  }
  if (!attach && !attach_single && !add_type && !bind_default && !bind_rule)
    ThrowUnsupported("EXECUTE of '" + name + "'");
  std::vector<std::string> args;
  do {
    if (cursor.Peek().kind == TokenKind::kVariable) {
      cursor.Next();
      cursor.ExpectPunct("=");
    }
    const Token& value = cursor.Next();
    if (value.kind != TokenKind::kString && !value.IsName())
      cursor.FailAt(value);
    args.push_back(value.text);
  } while (cursor.AcceptPunct(","));
  if (!cursor.AtEnd())
    cursor.Fail();
  if (bind_default || bind_rule) {
    // sp_bindefault 'default', 'table.column' (binding to alias types is not supported).
    if (args.size() < 2)
      throw SqlError(201, "Procedure or function '" + name +
                              "' expects parameter '@objname', which was not supplied.");
    auto object = db_.FindObject(std::vector<std::string>{args[0]});
    if (!object || object->xtype != (bind_default ? "D" : "R") || object->parent != 0)
      throw SqlError(15016, std::string("Cannot bind ") + (bind_default ? "default" : "rule") +
                                " '" + args[0] + "'. The " + (bind_default ? "default" : "rule") +
                                " must be created using the CREATE " +
                                (bind_default ? "DEFAULT" : "RULE") + " statement.");
    const std::size_t dot = args[1].rfind('.');
    if (dot == std::string::npos)
      ThrowUnsupported("binding defaults and rules to alias types");
    const auto table = db_.RequireTable(Split(args[1].substr(0, dot), "."));
    const std::string column = args[1].substr(dot + 1);
    auto current =
        QueryInt(db_.db(),
                 std::string("SELECT ") + (bind_default ? "cdefault" : "domain") +
                     " FROM syscolumns WHERE number = 0 AND id = " + std::to_string(table.id) +
                     " AND name = ?",
                 {column});
    if (!current)
      ThrowInvalidColumn(column);
    if (bind_default && *current != 0) {
      auto existing = db_.FindObjectById(*current);
      if (existing && existing->parent != 0)
        throw SqlError(15137,
                       "Cannot bind a default to a column created with or altered to "
                       "have a default value.");
    }
    auto update = db_.db().Prepare(std::string("UPDATE syscolumns SET ") +
                                   (bind_default ? "cdefault" : "domain") +
                                   " = ? WHERE number = 0 AND id = ? AND name = ?");
    update.Bind(1, object->id).Bind(2, table.id).Bind(3, std::string_view(column));
    update.Step();
    return;
  }
  if (add_type) {
    // sp_addtype name, 'base type', ['NULL' | 'NOT NULL']: an alias type owned by dbo.
    if (args.size() < 2)
      throw SqlError(201,
                     "Procedure or function 'sp_addtype' expects parameter '@phystype', "
                     "which was not supplied.");
    const bool allow_nulls = args.size() < 3 || !EqualsIgnoringCase(Trim(args[2]), "NOT NULL");
    db_.AddUserType(args[0], args[1], allow_nulls, 1);
    return;
  }
  if (args.size() < 2)
    throw SqlError(201, "Procedure or function '" + name +
                            "' expects parameter '@filename1', which was not supplied.");
  if (!attach_)
    ThrowUnsupported("attaching databases from this connection");
  attach_(args[0], std::vector<std::string>(args.begin() + 1, args.end()));
}

PreparedSelect BatchExecutor::PrepareSelect(const std::vector<Token>& tokens, Range range) {
  std::vector<std::string> conversions;
  const std::string sql = TranslateSql(tokens, range.begin, range.end, db_, &conversions);
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db_.db().handle(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
    SqlError error(TranslateSqliteError(sqlite3_errmsg(db_.db().handle()), db_.MajorVersion()));
    error.set_line(tokens[range.begin].line);
    throw error;
  }
  PreparedSelect prepared{SqliteStatement(db_.db().handle(), raw), {}, {}};
  const int count = prepared.statement.ColumnCount();
  prepared.types.resize(static_cast<std::size_t>(count));
  for (int c = 0; c < count; ++c) {
    auto& type = prepared.types[static_cast<std::size_t>(c)];
    ColumnInfo column;
    const char* name = sqlite3_column_name(raw, c);
    column.name = name ? name : "";
    const char* declaration = sqlite3_column_decltype(raw, c);
    if (declaration)
      type = ResultTypeFromDeclaration(declaration);
    else if (conversions.size() == static_cast<std::size_t>(count))
      type = ResultTypeFromDeclaration(conversions[static_cast<std::size_t>(c)]);
    if (type) {
      column.type = type->type;
      column.type_name = type->type_name;
    }
    prepared.columns.push_back(std::move(column));
  }
  return prepared;
}

std::optional<PreparedSelect> BatchExecutor::PrepareSingleSelect(std::string_view batch) {
  const std::vector<Token> tokens = Tokenize(batch);
  const std::vector<Range> ranges = SplitStatements(tokens);
  if (ranges.size() != 1)
    return std::nullopt;
  const Token& first = tokens[ranges[0].begin];
  if (!first.IsWord("SELECT") && !first.IsPunct("("))
    return std::nullopt;
  std::optional<PreparedSelect> prepared;
  try {
    prepared.emplace(PrepareSelect(tokens, ranges[0]));
  } catch (SqlError& error) {
    throw WithLine(error, first.line);
  }
  for (const auto& type : prepared->types) {
    if (!type)
      return std::nullopt;
  }
  return prepared;
}

ResultSet BatchExecutor::Select(const std::vector<Token>& tokens, Range range) {
  PreparedSelect prepared = PrepareSelect(tokens, range);
  sqlite3_stmt* raw = prepared.statement.handle();
  ResultSet result;
  result.columns = std::move(prepared.columns);
  std::vector<std::optional<ResultType>>& types = prepared.types;
  const int count = static_cast<int>(result.columns.size());
  for (;;) {
    const int code = sqlite3_step(raw);
    if (code == SQLITE_DONE)
      break;
    if (code != SQLITE_ROW)
      throw SqlError(TranslateSqliteError(sqlite3_errmsg(db_.db().handle()), db_.MajorVersion()));
    std::vector<Value> row;
    row.reserve(static_cast<std::size_t>(count));
    for (int c = 0; c < count; ++c) {
      auto& type = types[static_cast<std::size_t>(c)];
      row.push_back(ReadValue(raw, c, type ? &*type : nullptr));
      // An expression column takes the type of its first non-NULL value.
      ColumnInfo& column = result.columns[static_cast<std::size_t>(c)];
      if (!type && column.type_name.empty() && !row.back().is_null()) {
        switch (row.back().type()) {
          case ValueType::kInteger:
            column.type = ValueType::kInteger;
            column.type_name = "int";
            break;
          case ValueType::kFloat:
            column.type = ValueType::kFloat;
            column.type_name = "float";
            break;
          case ValueType::kBinary:
            column.type = ValueType::kBinary;
            column.type_name = "varbinary";
            break;
          default:
            column.type = ValueType::kText;
            column.type_name = "nvarchar";
            break;
        }
      }
    }
    result.rows.push_back(std::move(row));
  }
  for (auto& column : result.columns)
    if (column.type_name.empty()) {
      column.type = ValueType::kText;
      column.type_name = "nvarchar";
    }
  db_.info().row_count = static_cast<std::int64_t>(result.rows.size());
  return result;
}

}  // namespace korvane::embedded
