#include "db/embedded/table_builder.h"

#include <charconv>
#include <cstdio>
#include <set>

#include "base/text.h"
#include "db/embedded/catalog_schema.h"
#include "db/embedded/computed_column.h"
#include "db/embedded/query_translator.h"
#include "db/embedded/sql_error.h"

namespace korvane::embedded {
namespace {

constexpr int kStatusUnique = 0x2;
constexpr int kStatusClustered = 0x10;
constexpr int kStatusHypothetical = 0x20;
constexpr int kStatusStatistics = 0x40;
constexpr int kStatusPrimaryKey = 0x800;
constexpr int kStatusUniqueKey = 0x1000;

std::string Hex8(std::int64_t id) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(id));
  return buffer;
}

bool IsConstraintStart(const Token& t) {
  return t.IsWord("CONSTRAINT") || t.IsWord("PRIMARY") || t.IsWord("UNIQUE") ||
         t.IsWord("FOREIGN") || t.IsWord("CHECK");
}

void SkipFilegroup(TokenCursor& cursor) {
  while (cursor.Peek().IsWord("ON") || cursor.Peek().IsWord("TEXTIMAGE_ON")) {
    cursor.Next();
    if (cursor.Peek().IsWord("DEFAULT") || cursor.Peek().IsName())
      cursor.Next();
    else
      cursor.Fail();
  }
}

}  // namespace

std::string TableBuilder::StoredExpression(const std::vector<Token>& tokens, std::size_t begin,
                                           std::size_t end, bool /*check*/) const {
  // Outer parentheses around the whole expression are the user's; the server adds its own.
  // The rendering rules below follow observed servers (unverified as rules): 2000 keeps blanks
  // between tokens and writes constants bare; 2005 drops blanks and wraps each constant in
  // parentheses, so DEFAULT 0 is "(0)" on 2000 and "((0))" on 2005.
  for (int strip = 0; strip < 32 && end - begin >= 2 && tokens[begin].IsPunct("("); ++strip) {
    TokenCursor inner(tokens, begin, end);
    if (inner.MatchingParen() != end)
      break;
    ++begin;
    --end;
  }
  const bool v9 = db_.MajorVersion() >= 9;
  auto wordish = [](const Token& t) {
    return t.kind == TokenKind::kWord || t.kind == TokenKind::kQuotedName ||
           t.kind == TokenKind::kNumber || t.kind == TokenKind::kString;
  };
  // Operator keywords may be followed by "(" without being function calls: NOT (...), IN (...).
  auto is_call = [&](std::size_t i) {
    const Token& t = tokens[i];
    if (i + 1 >= end || !tokens[i + 1].IsPunct("("))
      return false;
    for (const char* word : {"NOT", "IN", "EXISTS", "AND", "OR", "IS", "LIKE", "BETWEEN", "ESCAPE",
                             "WHEN", "THEN", "ELSE", "CASE"})
      if (EqualsIgnoringCase(t.text, word))
        return false;
    return true;
  };
  auto keyword = [&](std::size_t i) {
    return tokens[i].kind == TokenKind::kWord && IsReservedWord(tokens[i].text) && !is_call(i);
  };
  std::string text;
  for (std::size_t i = begin; i < end; ++i) {
    const Token& t = tokens[i];
    const Token* previous = i > begin ? &tokens[i - 1] : nullptr;
    // A minus is unary at the start, after "(", "," or an operator or keyword.
    const bool unary_minus =
        t.IsPunct("-") && (!previous || previous->IsPunct("(") || previous->IsPunct(",") ||
                           (previous->kind == TokenKind::kPunct && !previous->IsPunct(")")) ||
                           (previous->kind == TokenKind::kWord && IsReservedWord(previous->text)));
    if (unary_minus && i + 1 < end && tokens[i + 1].kind == TokenKind::kNumber) {
      // "-1" is one constant: "-1" on 2000, "(-1)" on 2005.
      if (!v9 && !text.empty() && previous && !previous->IsPunct("("))
        text += " ";
      text += v9 ? "(-" + tokens[i + 1].text + ")" : "-" + tokens[i + 1].text;
      ++i;
      continue;
    }
    std::string piece;
    switch (t.kind) {
      case TokenKind::kString:
        piece = (t.unicode ? "N" : "") + QuoteLiteral(t.text);
        break;
      case TokenKind::kNumber:
        piece = v9 ? "(" + t.text + ")" : t.text;
        break;
      case TokenKind::kQuotedName:
        piece = "[" + ReplaceAll(t.text, "]", "]]") + "]";
        break;
      case TokenKind::kWord: {
        if (is_call(i))
          piece = ToLowerAscii(t.text);
        else if (IsReservedWord(t.text))
          // 2005 writes its keywords in capitals except "like" (observed, unverified as a rule).
          piece = v9 && !EqualsIgnoringCase(t.text, "LIKE") ? ToUpperAscii(t.text)
                                                            : ToLowerAscii(t.text);
        else
          piece = "[" + t.text + "]";
        break;
      }
      default:
        piece = t.text;
        break;
    }
    bool space = false;
    if (previous && !text.empty()) {
      if (v9) {
        // 2005 drops blanks around operators and punctuation but keeps them between words and
        // around keywords: "([B] IS NULL OR [B]>=[C])".
        space = (wordish(t) && wordish(*previous)) || (keyword(i) && !previous->IsPunct("(")) ||
                (keyword(i - 1) && !t.IsPunct(")") && !t.IsPunct(","));
      } else {
        space = !(t.IsPunct("(") && previous->kind == TokenKind::kWord &&
                  !IsReservedWord(previous->text)) &&
                !t.IsPunct(")") && !t.IsPunct(",") && !previous->IsPunct("(");
      }
    }
    if (space)
      text += " ";
    text += piece;
  }
  return "(" + text + ")";
}

std::vector<TableBuilder::KeyColumn> TableBuilder::ParseKeyList(TokenCursor& cursor) {
  std::vector<KeyColumn> keys;
  cursor.ExpectPunct("(");
  do {
    KeyColumn key;
    key.name = cursor.ExpectName();
    if (cursor.AcceptWord("DESC"))
      key.descending = true;
    else
      cursor.AcceptWord("ASC");
    keys.push_back(key);
  } while (cursor.AcceptPunct(","));
  cursor.ExpectPunct(")");
  if (keys.size() > 16)
    throw SqlError(1904, "The index has " + std::to_string(keys.size()) +
                             " column names in index key list. The maximum limit for index key "
                             "column list is 16.");
  return keys;
}

void TableBuilder::SkipIndexOptions(TokenCursor& cursor, int* fill_factor, bool* hypothetical) {
  for (;;) {
    if (cursor.AcceptWord("WITH")) {
      auto option = [&]() {
        if (cursor.AcceptWord("FILLFACTOR")) {
          cursor.ExpectPunct("=");
          const Token& n = cursor.Next();
          if (n.kind != TokenKind::kNumber)
            cursor.FailAt(n);
          if (fill_factor)
            *fill_factor = static_cast<int>(std::min(LeadingNumber(n.text), 100.0));
          return;
        }
        // STATISTICS_ONLY is what index tuning uses to make hypothetical indexes.
        if (cursor.AcceptWord("STATISTICS_ONLY")) {
          if (hypothetical)
            *hypothetical = true;
          if (cursor.AcceptPunct("=")) {
            cursor.AcceptPunct("-");
            cursor.Next();
          }
          return;
        }
        if (!cursor.Peek().IsName())
          cursor.Fail();
        cursor.Next();
        if (cursor.AcceptPunct("=")) {
          cursor.AcceptPunct("-");
          cursor.Next();
        }
      };
      if (cursor.AcceptPunct("(")) {
        do
          option();
        while (cursor.AcceptPunct(","));
        cursor.ExpectPunct(")");
      } else {
        do
          option();
        while (cursor.AcceptPunct(","));
      }
      continue;
    }
    if (cursor.Peek().IsWord("ON") && !cursor.Peek(1).IsWord("DELETE") &&
        !cursor.Peek(1).IsWord("UPDATE")) {
      SkipFilegroup(cursor);
      continue;
    }
    break;
  }
}

TableBuilder::Constraint TableBuilder::ParseTableConstraint(TokenCursor& cursor, std::string name,
                                                            bool column_level) {
  Constraint c;
  c.name = std::move(name);
  if (cursor.AcceptWord("PRIMARY")) {
    cursor.ExpectWord("KEY");
    c.kind = Constraint::Kind::kPrimaryKey;
  } else if (cursor.AcceptWord("UNIQUE")) {
    c.kind = Constraint::Kind::kUnique;
  } else if (cursor.AcceptWord("FOREIGN")) {
    cursor.ExpectWord("KEY");
    c.kind = Constraint::Kind::kForeignKey;
    // A column constraint may say FOREIGN KEY REFERENCES ...: the key is the column itself.
    if (!column_level || cursor.Peek().IsPunct("("))
      c.columns = ParseKeyList(cursor);
  } else if (cursor.AcceptWord("CHECK")) {
    c.kind = Constraint::Kind::kCheck;
    if (cursor.AcceptWord("NOT")) {
      cursor.ExpectWord("FOR");
      cursor.ExpectWord("REPLICATION");
      c.not_for_replication = true;
    }
    if (!cursor.Peek().IsPunct("("))
      cursor.Fail();
    const std::size_t close = cursor.MatchingParen();
    c.expr_begin = cursor.pos();
    c.expr_end = close;
    cursor.set_pos(close);
    return c;
  } else if (cursor.AcceptWord("DEFAULT")) {
    c.kind = Constraint::Kind::kDefault;
    c.expr_begin = cursor.pos();
    c.expr_end = cursor.ExpressionEnd({"FOR"});
    if (c.expr_end == c.expr_begin)
      cursor.Fail();
    cursor.set_pos(c.expr_end);
    cursor.ExpectWord("FOR");
    c.column = cursor.ExpectName();
    if (cursor.AcceptWord("WITH"))
      cursor.ExpectWord("VALUES");
    return c;
  } else {
    cursor.Fail();
  }
  if (c.kind == Constraint::Kind::kPrimaryKey || c.kind == Constraint::Kind::kUnique) {
    if (cursor.AcceptWord("CLUSTERED"))
      c.clustered = 1;
    else if (cursor.AcceptWord("NONCLUSTERED"))
      c.clustered = 0;
    if (cursor.Peek().IsPunct("("))
      c.columns = ParseKeyList(cursor);
    SkipIndexOptions(cursor, &c.fill_factor, nullptr);
    return c;
  }
  // FOREIGN KEY (...) REFERENCES table [(cols)] [ON DELETE ...] [ON UPDATE ...]
  cursor.ExpectWord("REFERENCES");
  c.referenced_table = cursor.ExpectMultiPartName();
  if (cursor.Peek().IsPunct("(")) {
    for (const auto& key : ParseKeyList(cursor))
      c.referenced_columns.push_back(key.name);
  }
  for (;;) {
    if (cursor.Peek().IsWord("ON") &&
        (cursor.Peek(1).IsWord("DELETE") || cursor.Peek(1).IsWord("UPDATE"))) {
      cursor.Next();
      const bool on_delete = cursor.Next().IsWord("DELETE");
      bool cascade = false;
      if (cursor.AcceptWord("CASCADE")) {
        cascade = true;
      } else if (cursor.AcceptWord("NO")) {
        cursor.ExpectWord("ACTION");
      } else if (cursor.Peek().IsWord("SET") && db_.MajorVersion() >= 9) {
        cursor.Next();
        if (!cursor.AcceptWord("NULL"))
          cursor.ExpectWord("DEFAULT");
        ThrowUnsupported("ON DELETE/UPDATE SET NULL and SET DEFAULT");
      } else {
        cursor.Fail();
      }
      (on_delete ? c.delete_cascade : c.update_cascade) = cascade;
      continue;
    }
    if (cursor.AcceptWord("NOT")) {
      cursor.ExpectWord("FOR");
      cursor.ExpectWord("REPLICATION");
      c.not_for_replication = true;
      continue;
    }
    break;
  }
  return c;
}

TableBuilder::ColumnDefinition TableBuilder::ParseColumn(TokenCursor& cursor,
                                                         std::vector<Constraint>* constraints) {
  ColumnDefinition column;
  column.name = cursor.ExpectName();
  if (cursor.AcceptWord("AS")) {
    column.computed = true;
    column.expr_begin = cursor.pos();
    column.expr_end = cursor.ExpressionEnd(
        {"PERSISTED", "CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "REFERENCES", "FOREIGN"});
    if (column.expr_end == column.expr_begin)
      cursor.Fail();
    cursor.set_pos(column.expr_end);
    if (db_.MajorVersion() >= 9 && cursor.AcceptWord("PERSISTED")) {
      column.persisted = true;
      if (cursor.AcceptWord("NOT")) {
        cursor.ExpectWord("NULL");
        column.nullable = false;
        column.explicit_null = false;
      }
    }
    std::string pending_name;
    for (;;) {
      const Token& t = cursor.Peek();
      if (t.IsPunct(",") || t.IsPunct(")") || t.kind == TokenKind::kEnd)
        break;
      if (cursor.AcceptWord("CONSTRAINT")) {
        pending_name = cursor.ExpectName();
        continue;
      }
      if (!IsConstraintStart(t) || t.IsWord("FOREIGN"))
        cursor.Fail();
      Constraint c = ParseTableConstraint(cursor, pending_name, /*column_level=*/true);
      pending_name.clear();
      if (c.columns.empty() && c.kind != Constraint::Kind::kCheck)
        c.columns = {{column.name, false}};
      c.column = column.name;
      constraints->push_back(c);
    }
    return column;
  }
  const Token& type_token = cursor.Next();
  if (!type_token.IsName())
    cursor.FailAt(type_token);
  const std::vector<std::string> args = cursor.AcceptTypeArguments();
  bool type_allows_nulls = true;
  auto type = db_.ResolveType(type_token.text, args, &type_allows_nulls);
  if (!type)
    throw SqlError(2715, "Column, parameter, or variable #" + std::to_string(1) +
                             ": Cannot find data type " + type_token.text + ".");
  column.type = *type;
  if (column.type.name == "timestamp" || !type_allows_nulls)
    column.nullable = false;
  std::string pending_name;
  for (;;) {
    const Token& t = cursor.Peek();
    if (t.IsPunct(",") || t.IsPunct(")") || t.kind == TokenKind::kEnd)
      break;
    if (cursor.AcceptWord("COLLATE")) {
      cursor.ExpectName();
      continue;
    }
    if (cursor.AcceptWord("IDENTITY")) {
      column.identity = true;
      if (cursor.AcceptPunct("(")) {
        std::string seed = cursor.AcceptPunct("-") ? "-" : "";
        const Token& s = cursor.Next();
        if (s.kind != TokenKind::kNumber)
          cursor.FailAt(s);
        column.seed = seed + s.text;
        cursor.ExpectPunct(",");
        std::string inc = cursor.AcceptPunct("-") ? "-" : "";
        const Token& n = cursor.Next();
        if (n.kind != TokenKind::kNumber)
          cursor.FailAt(n);
        column.increment = inc + n.text;
        cursor.ExpectPunct(")");
      }
      continue;
    }
    if (cursor.AcceptWord("ROWGUIDCOL"))
      continue;
    if (cursor.Peek().IsWord("NOT") && cursor.Peek(1).IsWord("FOR")) {
      cursor.Next();
      cursor.Next();
      cursor.ExpectWord("REPLICATION");
      continue;
    }
    if (cursor.AcceptWord("NOT")) {
      cursor.ExpectWord("NULL");
      column.nullable = false;
      continue;
    }
    if (cursor.AcceptWord("NULL")) {
      column.nullable = true;
      column.explicit_null = true;
      continue;
    }
    if (cursor.AcceptWord("CONSTRAINT")) {
      pending_name = cursor.ExpectName();
      continue;
    }
    if (cursor.AcceptWord("DEFAULT")) {
      Constraint c;
      c.kind = Constraint::Kind::kDefault;
      c.name = pending_name;
      pending_name.clear();
      c.column = column.name;
      c.expr_begin = cursor.pos();
      c.expr_end = cursor.ExpressionEnd({"CONSTRAINT", "NOT", "NULL", "PRIMARY", "UNIQUE",
                                         "REFERENCES", "CHECK", "FOREIGN", "IDENTITY", "COLLATE"});
      if (c.expr_end == c.expr_begin)
        cursor.Fail();
      cursor.set_pos(c.expr_end);
      constraints->push_back(c);
      continue;
    }
    if (t.IsWord("REFERENCES")) {
      Constraint c;
      c.kind = Constraint::Kind::kForeignKey;
      c.name = pending_name;
      pending_name.clear();
      cursor.Next();
      c.referenced_table = cursor.ExpectMultiPartName();
      if (cursor.Peek().IsPunct("(")) {
        for (const auto& key : ParseKeyList(cursor))
          c.referenced_columns.push_back(key.name);
      }
      // Reuse the table-level parser for the ON DELETE / ON UPDATE tail.
      while (cursor.Peek().IsWord("ON") &&
             (cursor.Peek(1).IsWord("DELETE") || cursor.Peek(1).IsWord("UPDATE"))) {
        cursor.Next();
        const bool on_delete = cursor.Next().IsWord("DELETE");
        bool cascade = false;
        if (cursor.AcceptWord("CASCADE"))
          cascade = true;
        else if (cursor.AcceptWord("NO"))
          cursor.ExpectWord("ACTION");
        else
          cursor.Fail();
        (on_delete ? c.delete_cascade : c.update_cascade) = cascade;
      }
      c.columns = {{column.name, false}};
      c.column = column.name;
      constraints->push_back(c);
      continue;
    }
    if (IsConstraintStart(t)) {
      Constraint c = ParseTableConstraint(cursor, pending_name, /*column_level=*/true);
      pending_name.clear();
      if (c.columns.empty() && c.kind != Constraint::Kind::kCheck)
        c.columns = {{column.name, false}};
      c.column = column.name;
      constraints->push_back(c);
      continue;
    }
    cursor.Fail();
  }
  if (column.identity) {
    // Seed and increment must be whole numbers the engine can count with.
    for (const std::string* number : {&column.seed, &column.increment}) {
      std::int64_t value = 0;
      const char* begin = number->data();
      const auto [end, error] = std::from_chars(begin, begin + number->size(), value);
      if (error != std::errc() || end != begin + number->size() ||
          (number == &column.increment && value == 0))
        throw SqlError(2750, "Column or parameter #1: Identity seed or increment '" + *number +
                                 "' is not a valid whole number.");
    }
    const auto& n = column.type.name;
    const bool integral = n == "int" || n == "bigint" || n == "smallint" || n == "tinyint" ||
                          ((n == "decimal" || n == "numeric") && column.type.scale == 0);
    if (!integral || column.explicit_null)
      throw SqlError(2749, "Identity column '" + column.name +
                               "' must be of data type int, bigint, smallint, tinyint, or decimal "
                               "or numeric with a scale of 0, and constrained to be nonnullable.");
    column.nullable = false;
  }
  return column;
}

std::string TableBuilder::GeneratedName(const std::string& prefix, const ObjectRow& table,
                                        const std::string& column, std::int64_t id) const {
  // System-generated names: prefix, "__", the table name cut short, "__", for column-level
  // defaults, foreign keys and checks the column name cut short, "__", the id in hex. The cut
  // lengths follow names seen on servers (DF__titles__pubdat__1BFD2C07,
  // PK__jobs__117F9D94); the exact rule is unverified.
  std::string name =
      prefix + "__" + std::string(Utf8Left(table.name, prefix == "PK" || prefix == "UQ" ? 8 : 9));
  if (!column.empty()) {
    const std::size_t table_part = Utf8Length(Utf8Left(table.name, 9));
    const std::size_t limit = std::max<std::size_t>(5, 12 > table_part ? 12 - table_part : 0);
    name += "__" + std::string(Utf8Left(column, limit));
  }
  return name + "__" + Hex8(id);
}

int TableBuilder::ColumnId(std::int64_t table_id, const std::string& column) {
  auto id = QueryInt(db_.db(),
                     "SELECT colid FROM syscolumns WHERE id = " + std::to_string(table_id) +
                         " AND number = 0 AND name = ?",
                     {column});
  if (!id)
    ThrowInvalidColumn(column);
  return static_cast<int>(*id);
}

void TableBuilder::AddColumn(const ObjectRow& table, ColumnDefinition column, int colid,
                             int* offset, int* variable_offset) {
  const DeclaredType& t = column.type;
  int status = column.nullable ? 0x08 : 0;
  if (column.identity)
    status |= 0x80;
  if (t.name == "varchar" || t.name == "varbinary")
    status |= 0x10;
  int row_offset = 0;
  if (t.length > 0 && !t.is_max && t.name != "varchar" && t.name != "nvarchar" &&
      t.name != "varbinary" && t.name != "text" && t.name != "ntext" && t.name != "image") {
    row_offset = *offset;
    *offset += t.length;
  } else {
    row_offset = --*variable_offset;
  }
  auto stmt = db_.db().Prepare(
      "INSERT INTO syscolumns (name, id, xtype, xusertype, length, xprec, xscale, colid, colorder, "
      "status, type, usertype, prec, scale, isnullable, collation, collationid, colstat, offset, "
      "number) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)");
  stmt.Bind(1, std::string_view(column.name))
      .Bind(2, table.id)
      .Bind(3, static_cast<std::int64_t>(t.xtype))
      .Bind(4, static_cast<std::int64_t>(t.xusertype))
      .Bind(5, static_cast<std::int64_t>(t.length))
      .Bind(6, static_cast<std::int64_t>(t.xprec))
      .Bind(7, static_cast<std::int64_t>(t.xscale))
      .Bind(8, static_cast<std::int64_t>(colid))
      .Bind(9, static_cast<std::int64_t>(colid))
      .Bind(10, static_cast<std::int64_t>(status))
      .Bind(11, static_cast<std::int64_t>(t.xtype))
      .Bind(12, static_cast<std::int64_t>(t.xusertype))
      .Bind(13, static_cast<std::int64_t>(t.prec));
  if (t.scale < 0)
    stmt.BindNull(14);
  else
    stmt.Bind(14, static_cast<std::int64_t>(t.scale));
  stmt.Bind(15, static_cast<std::int64_t>(column.nullable ? 1 : 0));
  if (t.is_character) {
    stmt.Bind(16, std::string_view("SQL_Latin1_General_CP1_CI_AS"));
    stmt.Bind(17, static_cast<std::int64_t>(872468488));
  } else {
    stmt.BindNull(16).BindNull(17);
  }
  stmt.Bind(18, static_cast<std::int64_t>(column.identity ? 1 : 0));
  stmt.Bind(19, static_cast<std::int64_t>(row_offset));
  stmt.Step();
  if (column.computed) {
    // The expression is kept in syscomments under the table's id, numbered by the column.
    db_.db().Exec("UPDATE syscolumns SET iscomputed = 1 WHERE number = 0 AND id = " +
                  std::to_string(table.id) + " AND colid = " + std::to_string(colid));
    db_.AddComment(table.id, colid, column.computed_text);
    if (column.persisted)
      db_.SetProperty(table.id, "persisted column " + std::to_string(colid), 1);
  }
  if (column.identity) {
    auto identity = db_.db().Prepare(
        "INSERT INTO kvn_identity (id, colid, seed, increment, last_value) VALUES (?, ?, ?, ?, "
        "NULL)");
    identity.Bind(1, table.id)
        .Bind(2, static_cast<std::int64_t>(colid))
        .Bind(3, std::string_view(column.seed))
        .Bind(4, std::string_view(column.increment));
    identity.Step();
  }
}

std::string TableBuilder::StorageColumn(const ColumnDefinition& column) {
  std::string sql = QuoteName(column.name) + " " + column.type.StorageDeclaration();
  if (column.type.is_character)
    sql += std::string(" COLLATE ") + kNameCollation;
  if (column.computed)
    return sql + " GENERATED ALWAYS AS (" + column.computed_sql + ") VIRTUAL";
  if (!column.nullable)
    sql += " NOT NULL";
  return sql;
}

void TableBuilder::CreateStorage(const ObjectRow& table,
                                 const std::vector<ColumnDefinition>& columns) {
  std::string sql = "CREATE TABLE " + EmbeddedDatabase::StorageName(table.id, false) + " (";
  for (std::size_t i = 0; i < columns.size(); ++i)
    sql += (i ? ", " : "") + StorageColumn(columns[i]);
  sql += ")";
  db_.db().Exec(sql);
}

void TableBuilder::PrepareComputedColumns(const std::string& table_name,
                                          std::vector<ColumnDefinition>* columns,
                                          const std::vector<TableColumn>& existing,
                                          const std::vector<Token>& tokens) {
  std::string plain_columns;
  for (const auto& column : existing)
    if (!column.computed)
      plain_columns += QuoteName(column.name) + " " + column.type.StorageDeclaration() + ", ";
  for (const auto& column : *columns)
    if (!column.computed)
      plain_columns += StorageColumn(column) + ", ";
  for (auto& column : *columns) {
    if (!column.computed)
      continue;
    auto column_type = [&](const std::string& name) -> std::optional<DeclaredType> {
      for (const auto& other : existing)
        if (CompareNames(other.name, name) == 0) {
          if (other.computed)
            break;
          return other.type;
        }
      for (const auto& other : *columns)
        if (CompareNames(other.name, name) == 0) {
          if (other.computed)
            break;
          return other.type;
        }
      for (const auto& other : existing)
        if (other.computed && CompareNames(other.name, name) == 0)
          throw SqlError(1759, "Computed column '" + column.name + "' in table '" + table_name +
                                   "' is not allowed to be used in another computed-column "
                                   "definition.");
      for (const auto& other : *columns)
        if (other.computed && CompareNames(other.name, name) == 0)
          throw SqlError(1759, "Computed column '" + column.name + "' in table '" + table_name +
                                   "' is not allowed to be used in another computed-column "
                                   "definition.");
      return std::nullopt;
    };
    const ComputedColumnType derived = DeriveComputedColumnType(
        tokens, column.expr_begin, column.expr_end, column_type, db_.MajorVersion(), column.name);
    column.type = derived.type;
    if (!column.persisted || column.nullable)
      column.nullable = derived.nullable;
    // The translator writes || for the + that join strings, which it cannot tell by itself.
    std::vector<Token> expression(tokens.begin() + static_cast<std::ptrdiff_t>(column.expr_begin),
                                  tokens.begin() + static_cast<std::ptrdiff_t>(column.expr_end));
    for (std::size_t index : derived.concatenations)
      expression[index - column.expr_begin].joins_strings = true;
    Token end;
    end.line = expression.empty() ? 1 : expression.back().line;
    expression.push_back(end);
    column.computed_sql = TranslateSql(expression, 0, expression.size() - 1, db_);
    column.computed_text = StoredExpression(tokens, column.expr_begin, column.expr_end, false);
    // SQLite checks a generated column's names and functions when its table is created: a probe
    // table in the session's temporary schema finds out without touching the database.
    const std::string probe =
        "CREATE TEMP TABLE kvn_computed_probe (" + plain_columns + StorageColumn(column) + ")";
    char* message = nullptr;
    const int code = sqlite3_exec(db_.db().handle(), probe.c_str(), nullptr, nullptr, &message);
    const std::string text = message ? message : "";
    sqlite3_free(message);
    if (code != SQLITE_OK) {
      const ServerMessage translated = TranslateSqliteError(text, db_.MajorVersion());
      if (translated.number == 207 || translated.number == 195)
        throw SqlError(translated);
      std::string written;
      for (std::size_t i = column.expr_begin; i < column.expr_end; ++i)
        written += (i > column.expr_begin ? " " : "") +
                   (tokens[i].kind == TokenKind::kString       ? QuoteLiteral(tokens[i].text)
                    : tokens[i].kind == TokenKind::kQuotedName ? "[" + tokens[i].text + "]"
                                                               : tokens[i].text);
      throw SqlError(50000, "The embedded server cannot compute column '" + column.name + "' AS " +
                                written + ": " + text + ".");
    }
    db_.db().Exec("DROP TABLE temp.kvn_computed_probe");
  }
}

void TableBuilder::RebuildUniqueIndex(const ObjectRow& table, int indid,
                                      const std::vector<KeyColumn>& columns) {
  std::string sql = "CREATE UNIQUE INDEX kx_" + std::to_string(table.id) + "_" +
                    std::to_string(indid) + " ON " +
                    EmbeddedDatabase::StorageName(table.id, false) + " (";
  for (std::size_t i = 0; i < columns.size(); ++i)
    sql += (i ? ", " : "") + QuoteName(columns[i].name);
  try {
    db_.db().Exec(sql + ")");
  } catch (const SqlError&) {
    // Rows already in the table hold a duplicate key.
    auto index = db_.db().Prepare("SELECT name FROM sysindexes WHERE id = ? AND indid = ?");
    index.Bind(1, table.id).Bind(2, static_cast<std::int64_t>(indid));
    const std::string index_name = index.Step() ? index.Text(0) : std::string();
    throw SqlError(1505,
                   "CREATE UNIQUE INDEX terminated because a duplicate key was found for "
                   "object name '" +
                       db_.MessageName(table) + "' and index name '" + index_name + "'.");
  }
}

int TableBuilder::AddIndexRow(const ObjectRow& table, const std::string& name, int status,
                              const std::vector<KeyColumn>& columns, bool clustered,
                              int fill_factor) {
  for (const auto& index : db_.Indexes(table.id)) {
    if (CompareNames(index.name, name) == 0)
      throw SqlError(1913, "The operation failed because an index or statistics with name '" +
                               name + "' already exists on table '" + db_.MessageName(table) +
                               "'.");
    if (clustered && index.indid == 1)
      throw SqlError(1902, "Cannot create more than one clustered index on table '" +
                               db_.MessageName(table) + "'. Drop the existing clustered index '" +
                               index.name + "' before creating another.");
  }
  std::vector<int> colids;
  std::set<int> seen;
  for (const auto& key : columns) {
    const int colid = ColumnId(table.id, key.name);
    if (!seen.insert(colid).second)
      throw SqlError(1909, "Cannot use duplicate column names in index. Column name '" + key.name +
                               "' listed more than once.");
    colids.push_back(colid);
  }
  int indid = 1;
  if (clustered) {
    // The clustered index takes over the table's row (indid 0 becomes 1).
    db_.db().Exec("DELETE FROM sysindexes WHERE indid = 0 AND id = " + std::to_string(table.id));
    status |= kStatusClustered;
  } else {
    indid = static_cast<int>(QueryInt(db_.db(), "SELECT max(indid) FROM sysindexes WHERE id = " +
                                                    std::to_string(table.id) +
                                                    " AND indid BETWEEN 2 AND 250")
                                 .value_or(1)) +
            1;
    if (indid > 250)
      throw SqlError(1910,
                     "Could not create nonclustered index '" + name +
                         "' because it exceeds the maximum of 249 allowed per table or view.");
  }
  auto stmt = db_.db().Prepare(
      "INSERT INTO sysindexes (id, status, indid, keycnt, name, OrigFillFactor, groupid, rowcnt, "
      "rows) VALUES (?, ?, ?, ?, ?, ?, 1, 0, 0)");
  stmt.Bind(1, table.id)
      .Bind(2, static_cast<std::int64_t>(status))
      .Bind(3, static_cast<std::int64_t>(indid))
      .Bind(4, static_cast<std::int64_t>(colids.size()))
      .Bind(5, std::string_view(name))
      .Bind(6, static_cast<std::int64_t>(fill_factor));
  stmt.Step();
  auto key =
      db_.db().Prepare("INSERT INTO sysindexkeys (id, indid, colid, keyno) VALUES (?, ?, ?, ?)");
  for (std::size_t i = 0; i < colids.size(); ++i) {
    key.Bind(1, table.id)
        .Bind(2, static_cast<std::int64_t>(indid))
        .Bind(3, static_cast<std::int64_t>(colids[i]))
        .Bind(4, static_cast<std::int64_t>(i + 1));
    key.Step();
    key.Reset();
    if (columns[i].descending)
      db_.SetProperty(table.id, "desc_" + std::to_string(indid) + "_" + std::to_string(i + 1), 1);
  }
  if (table.xtype == "U" && (status & (kStatusStatistics | kStatusHypothetical)) == 0) {
    if (status & kStatusUnique) {
      RebuildUniqueIndex(table, indid, columns);
    } else {
      std::string sql = "CREATE INDEX kx_" + std::to_string(table.id) + "_" +
                        std::to_string(indid) + " ON " +
                        EmbeddedDatabase::StorageName(table.id, false) + " (";
      for (std::size_t i = 0; i < columns.size(); ++i)
        sql += (i ? ", " : "") + QuoteName(columns[i].name);
      db_.db().Exec(sql + ")");
    }
  }
  return indid;
}

void TableBuilder::AddConstraint(const ObjectRow& table, Constraint c,
                                 const std::vector<Token>& tokens) {
  using Kind = Constraint::Kind;
  const std::string prefix = c.kind == Kind::kPrimaryKey   ? "PK"
                             : c.kind == Kind::kUnique     ? "UQ"
                             : c.kind == Kind::kForeignKey ? "FK"
                             : c.kind == Kind::kCheck      ? "CK"
                                                           : "DF";
  const std::string xtype = c.kind == Kind::kPrimaryKey   ? "PK"
                            : c.kind == Kind::kUnique     ? "UQ"
                            : c.kind == Kind::kForeignKey ? "F"
                            : c.kind == Kind::kCheck      ? "C"
                                                          : "D";
  int info = 0;
  if (!c.column.empty() && (c.kind == Kind::kCheck || c.kind == Kind::kDefault))
    info = ColumnId(table.id, c.column);
  std::string name = c.name;
  const bool generated = name.empty();
  if (generated)
    name = "~pending";
  const std::int64_t id = db_.AddObject(name, xtype, table.uid, table.id, info);
  if (generated) {
    const bool with_column =
        (c.kind == Kind::kDefault || c.kind == Kind::kForeignKey || c.kind == Kind::kCheck) &&
        !c.column.empty();
    std::string column = with_column ? c.column : std::string();
    if (c.kind == Kind::kForeignKey && column.empty() && !c.columns.empty())
      column = c.columns[0].name;
    name = GeneratedName(prefix, table, column, id);
    auto rename = db_.db().Prepare("UPDATE sysobjects SET name = ? WHERE id = ?");
    rename.Bind(1, std::string_view(name)).Bind(2, id);
    rename.Step();
  }
  if (c.not_for_replication)
    db_.SetProperty(id, "CnstIsNotRepl", 1);
  switch (c.kind) {
    case Kind::kPrimaryKey:
    case Kind::kUnique: {
      const bool primary = c.kind == Kind::kPrimaryKey;
      if (primary) {
        auto existing =
            QueryInt(db_.db(), "SELECT 1 FROM sysobjects WHERE xtype = 'PK' AND parent_obj = " +
                                   std::to_string(table.id) + " AND id <> " + std::to_string(id));
        if (existing)
          throw SqlError(1779,
                         "Table '" + table.name + "' already has a primary key defined on it.");
        for (const auto& key : c.columns) {
          for (const auto& column : db_.Columns(table.id))
            if (CompareNames(column.name, key.name) == 0 && column.nullable)
              throw SqlError(8111,
                             "Cannot define PRIMARY KEY constraint on nullable column in "
                             "table '" +
                                 table.name + "'.");
        }
      }
      const bool has_clustered =
          QueryInt(db_.db(),
                   "SELECT 1 FROM sysindexes WHERE indid = 1 AND id = " + std::to_string(table.id))
              .has_value();
      const bool clustered = c.clustered == 1 || (c.clustered == -1 && primary && !has_clustered);
      int status = kStatusUnique | (primary ? kStatusPrimaryKey : kStatusUniqueKey);
      AddIndexRow(table, name, status, c.columns, clustered, c.fill_factor);
      break;
    }
    case Kind::kForeignKey: {
      auto referenced = db_.FindObject(c.referenced_table);
      if (!referenced || referenced->xtype != "U")
        throw SqlError(1767, "Foreign key '" + name + "' references invalid table '" +
                                 c.referenced_table.back() + "'.");
      std::vector<int> fkeys;
      for (const auto& key : c.columns)
        fkeys.push_back(ColumnId(table.id, key.name));
      std::vector<int> rkeys;
      int rkeyindid = 0;
      const auto indexes = db_.Indexes(referenced->id);
      if (c.referenced_columns.empty()) {
        for (const auto& index : indexes)
          if (index.status & kStatusPrimaryKey) {
            rkeys = index.colids;
            rkeyindid = index.indid;
          }
      } else {
        for (const auto& column : c.referenced_columns)
          rkeys.push_back(ColumnId(referenced->id, column));
        for (const auto& index : indexes) {
          if (!(index.status & kStatusUnique) ||
              (index.status & (kStatusStatistics | kStatusHypothetical)))
            continue;
          if (std::set<int>(index.colids.begin(), index.colids.end()) ==
                  std::set<int>(rkeys.begin(), rkeys.end()) &&
              index.colids.size() == rkeys.size()) {
            rkeyindid = index.indid;
            break;
          }
        }
      }
      if (rkeyindid == 0 || rkeys.size() != fkeys.size())
        throw SqlError(1776, "There are no primary or candidate keys in the referenced table '" +
                                 db_.MessageName(*referenced) +
                                 "' that match the referencing column list in the foreign key '" +
                                 name + "'.");
      std::string sql = "INSERT INTO sysreferences (constid, fkeyid, rkeyid, rkeyindid, keycnt";
      std::string values = ") VALUES (" + std::to_string(id) + ", " + std::to_string(table.id) +
                           ", " + std::to_string(referenced->id) + ", " +
                           std::to_string(rkeyindid) + ", " + std::to_string(fkeys.size());
      for (std::size_t i = 0; i < fkeys.size(); ++i) {
        sql += ", fkey" + std::to_string(i + 1) + ", rkey" + std::to_string(i + 1);
        values += ", " + std::to_string(fkeys[i]) + ", " + std::to_string(rkeys[i]);
        db_.db().Exec("INSERT INTO sysforeignkeys VALUES (" + std::to_string(id) + ", " +
                      std::to_string(table.id) + ", " + std::to_string(referenced->id) + ", " +
                      std::to_string(fkeys[i]) + ", " + std::to_string(rkeys[i]) + ", " +
                      std::to_string(i + 1) + ")");
      }
      db_.db().Exec(sql + values + ")");
      if (c.delete_cascade)
        db_.SetProperty(id, "CnstIsDeleteCascade", 1);
      if (c.update_cascade)
        db_.SetProperty(id, "CnstIsUpdateCascade", 1);
      break;
    }
    case Kind::kCheck:
      db_.AddComment(id, 0, StoredExpression(tokens, c.expr_begin, c.expr_end, true));
      break;
    case Kind::kDefault: {
      const int colid = ColumnId(table.id, c.column);
      auto current = QueryInt(
          db_.db(), "SELECT cdefault FROM syscolumns WHERE number = 0 AND id = " +
                        std::to_string(table.id) + " AND colid = " + std::to_string(colid));
      if (current.value_or(0) != 0)
        throw SqlError(1781, "Column already has a DEFAULT bound to it.");
      db_.AddComment(id, 0, StoredExpression(tokens, c.expr_begin, c.expr_end, false));
      db_.db().Exec("UPDATE syscolumns SET cdefault = " + std::to_string(id) +
                    " WHERE number = 0 AND id = " + std::to_string(table.id) +
                    " AND colid = " + std::to_string(colid));
      break;
    }
  }
}

void TableBuilder::CreateTable(TokenCursor& cursor) {
  const auto parts = cursor.ExpectMultiPartName();
  if (parts.size() >= 3 && !parts[parts.size() - 3].empty() &&
      CompareNames(parts[parts.size() - 3], db_.info().database_name) != 0)
    ThrowUnsupported("creating tables in another database");
  const std::string& name = parts.back();
  if (!name.empty() && name[0] == '#')
    ThrowUnsupported("temporary tables");
  const int schema_id = db_.SchemaId(parts.size() >= 2 ? parts[parts.size() - 2] : std::string());
  cursor.ExpectPunct("(");
  std::vector<ColumnDefinition> columns;
  std::vector<Constraint> constraints;
  do {
    if (IsConstraintStart(cursor.Peek())) {
      std::string constraint_name;
      if (cursor.AcceptWord("CONSTRAINT"))
        constraint_name = cursor.ExpectName();
      constraints.push_back(ParseTableConstraint(cursor, constraint_name));
    } else {
      columns.push_back(ParseColumn(cursor, &constraints));
    }
  } while (cursor.AcceptPunct(","));
  cursor.ExpectPunct(")");
  SkipFilegroup(cursor);
  if (columns.empty())
    cursor.Fail();
  std::set<std::string, bool (*)(const std::string&, const std::string&)> seen(
      [](const std::string& a, const std::string& b) { return CompareNames(a, b) < 0; });
  int identities = 0;
  for (const auto& column : columns) {
    if (!seen.insert(column.name).second)
      throw SqlError(2705, "Column names in each table must be unique. Column name '" +
                               column.name + "' in table '" + name +
                               "' is specified more than once.");
    identities += column.identity ? 1 : 0;
  }
  if (identities > 1)
    throw SqlError(2744, "Multiple identity columns specified for table '" + name +
                             "'. Only one identity column per table is allowed.");
  // Primary key columns are NOT NULL unless the script says NULL.
  for (const auto& c : constraints) {
    if (c.kind != Constraint::Kind::kPrimaryKey)
      continue;
    for (const auto& key : c.columns)
      for (auto& column : columns)
        if (CompareNames(column.name, key.name) == 0 && !column.explicit_null)
          column.nullable = false;
  }
  PrepareComputedColumns(name, &columns, {}, cursor.tokens());
  const std::int64_t id = db_.AddObject(name, "U", schema_id, 0);
  const ObjectRow table{id, name, "U", schema_id, 0};
  int offset = 4;
  int variable_offset = 0;
  bool has_lob = false;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    AddColumn(table, columns[i], static_cast<int>(i + 1), &offset, &variable_offset);
    const auto& n = columns[i].type.name;
    has_lob = has_lob || n == "text" || n == "ntext" || n == "image";
  }
  // The table's own row: a heap (indid 0) until a clustered index replaces it. Its name is the
  // table's in 2000 and NULL in 2005.
  db_.db().Exec("INSERT INTO sysindexes (id, indid, name, status, groupid) VALUES (" +
                std::to_string(id) + ", 0, " +
                (db_.MajorVersion() >= 9 ? std::string("NULL") : QuoteLiteral(name)) + ", 0, 1)");
  if (has_lob && db_.MajorVersion() < 9) {
    // 2000 keeps text/image data under indid 255, named "t" + table (unverified).
    db_.db().Exec("INSERT INTO sysindexes (id, indid, name, status, groupid) VALUES (" +
                  std::to_string(id) + ", 255, " + QuoteLiteral("t" + name) + ", 0, 1)");
  }
  CreateStorage(table, columns);
  // Keys first (foreign keys of this very table may reference them), then the rest.
  for (int pass = 0; pass < 2; ++pass)
    for (const auto& c : constraints) {
      const bool key =
          c.kind == Constraint::Kind::kPrimaryKey || c.kind == Constraint::Kind::kUnique;
      if (key == (pass == 0))
        AddConstraint(table, c, cursor.tokens());
    }
}

void TableBuilder::AlterTable(TokenCursor& cursor) {
  const auto parts = cursor.ExpectMultiPartName();
  const ObjectRow table = db_.RequireTable(parts);
  if (cursor.AcceptWord("WITH")) {
    if (!cursor.AcceptWord("NOCHECK"))
      cursor.ExpectWord("CHECK");
  }
  if (cursor.AcceptWord("DROP")) {
    if (cursor.AcceptWord("COLUMN"))
      ThrowUnsupported("ALTER TABLE ... DROP COLUMN");
    cursor.AcceptWord("CONSTRAINT");
    do {
      const std::string name = cursor.ExpectName();
      auto constraint = db_.FindObject(table.uid, name);
      if (!constraint || constraint->parent != table.id)
        throw SqlError(3728, "'" + name + "' is not a constraint.");
      if (constraint->xtype == "PK" || constraint->xtype == "UQ") {
        auto refs = QueryInt(db_.db(),
                             "SELECT 1 FROM sysreferences r JOIN sysindexes i ON i.id = r.rkeyid "
                             "AND i.indid = r.rkeyindid WHERE r.rkeyid = " +
                                 std::to_string(table.id) + " AND i.name = ?",
                             {name});
        if (refs)
          throw SqlError(3725, "The constraint '" + name +
                                   "' is being referenced by table, foreign key constraint.");
        auto indid = QueryInt(
            db_.db(),
            "SELECT indid FROM sysindexes WHERE id = " + std::to_string(table.id) + " AND name = ?",
            {name});
        if (indid) {
          db_.db().Exec("DROP INDEX IF EXISTS kx_" + std::to_string(table.id) + "_" +
                        std::to_string(*indid));
          db_.db().Exec("DELETE FROM sysindexkeys WHERE id = " + std::to_string(table.id) +
                        " AND indid = " + std::to_string(*indid));
          db_.db().Exec("DELETE FROM sysindexes WHERE id = " + std::to_string(table.id) +
                        " AND indid = " + std::to_string(*indid));
          if (*indid == 1)
            db_.db().Exec(
                "INSERT INTO sysindexes (id, indid, name, status, groupid) VALUES (" +
                std::to_string(table.id) + ", 0, " +
                (db_.MajorVersion() >= 9 ? std::string("NULL") : QuoteLiteral(table.name)) +
                ", 0, 1)");
        }
      }
      if (constraint->xtype == "D")
        db_.db().Exec("UPDATE syscolumns SET cdefault = 0 WHERE cdefault = " +
                      std::to_string(constraint->id));
      DropObjectRows(constraint->id);
    } while (cursor.AcceptPunct(","));
    return;
  }
  if (cursor.AcceptWord("NOCHECK") || cursor.AcceptWord("CHECK")) {
    // Enabling or disabling constraints: CONSTRAINT ALL | names.
    cursor.ExpectWord("CONSTRAINT");
    while (!cursor.AtEnd())
      cursor.Next();
    return;
  }
  cursor.ExpectWord("ADD");
  std::vector<Constraint> constraints;
  do {
    if (IsConstraintStart(cursor.Peek()) || cursor.Peek().IsWord("DEFAULT")) {
      std::string name;
      if (cursor.AcceptWord("CONSTRAINT"))
        name = cursor.ExpectName();
      constraints.push_back(ParseTableConstraint(cursor, name));
    } else {
      // ADD column: new columns go at the end, nullable (or with a default) as the server demands.
      ColumnDefinition column = ParseColumn(cursor, &constraints);
      const auto existing = db_.Columns(table.id);
      if (column.computed) {
        std::vector<ColumnDefinition> added = {column};
        PrepareComputedColumns(table.name, &added, existing, cursor.tokens());
        column = added[0];
      }
      for (const auto& e : existing)
        if (CompareNames(e.name, column.name) == 0)
          throw SqlError(2705, "Column names in each table must be unique. Column name '" +
                                   column.name + "' in table '" + table.name +
                                   "' is specified more than once.");
      const bool has_rows =
          QueryInt(db_.db(),
                   "SELECT 1 FROM " + EmbeddedDatabase::StorageName(table.id, false) + " LIMIT 1")
              .has_value();
      bool has_default = false;
      for (const auto& c : constraints)
        has_default = has_default || (c.kind == Constraint::Kind::kDefault &&
                                      CompareNames(c.column, column.name) == 0);
      if (column.identity && has_rows)
        ThrowUnsupported("adding an identity column to a table that holds rows");
      if (!column.nullable && !column.computed && has_rows && !has_default)
        throw SqlError(4901,
                       "ALTER TABLE only allows columns to be added that can contain nulls, "
                       "or have a DEFAULT definition specified, or the column being added is "
                       "an identity or timestamp column, or alternatively if none of the "
                       "previous conditions are satisfied the table must be empty to allow "
                       "addition of this column. Column '" +
                           column.name + "' cannot be added to non-empty table '" + table.name +
                           "' because it does not satisfy these conditions.");
      int colid =
          static_cast<int>(
              QueryInt(db_.db(), "SELECT max(colid) FROM syscolumns WHERE number = 0 AND id = " +
                                     std::to_string(table.id))
                  .value_or(0)) +
          1;
      int offset = 4;
      int variable_offset = -100;
      AddColumn(table, column, colid, &offset, &variable_offset);
      std::string sql = "ALTER TABLE " + EmbeddedDatabase::StorageName(table.id, false) +
                        " ADD COLUMN " + QuoteName(column.name) + " " +
                        column.type.StorageDeclaration();
      if (column.type.is_character)
        sql += std::string(" COLLATE ") + kNameCollation;
      if (column.computed)
        sql = "ALTER TABLE " + EmbeddedDatabase::StorageName(table.id, false) + " ADD COLUMN " +
              StorageColumn(column);
      db_.db().Exec(sql);
    }
  } while (cursor.AcceptPunct(","));
  for (int pass = 0; pass < 2; ++pass)
    for (const auto& c : constraints) {
      const bool key =
          c.kind == Constraint::Kind::kPrimaryKey || c.kind == Constraint::Kind::kUnique;
      if (key == (pass == 0))
        AddConstraint(table, c, cursor.tokens());
    }
}

void TableBuilder::CreateIndex(TokenCursor& cursor, bool unique, int clustered) {
  const std::string name = cursor.ExpectName();
  cursor.ExpectWord("ON");
  const auto parts = cursor.ExpectMultiPartName();
  auto object = db_.FindObject(parts);
  if (!object || (object->xtype != "U" && object->xtype != "V")) {
    std::string written;
    for (std::size_t i = 0; i < parts.size(); ++i)
      written += (i ? "." : "") + parts[i];
    ThrowInvalidObject(written);
  }
  if (object->xtype == "V" && clustered != 1 &&
      !QueryInt(db_.db(),
                "SELECT 1 FROM sysindexes WHERE indid = 1 AND id = " + std::to_string(object->id)))
    throw SqlError(1940, "Cannot create index on view '" + object->name +
                             "'. It does not have a unique clustered index.");
  const auto keys = ParseKeyList(cursor);
  if (cursor.AcceptWord("INCLUDE")) {
    if (db_.MajorVersion() < 9)
      cursor.Fail();
    ParseKeyList(cursor);
  }
  int fill_factor = 0;
  bool hypothetical = false;
  SkipIndexOptions(cursor, &fill_factor, &hypothetical);
  int status = unique ? kStatusUnique : 0;
  if (hypothetical)
    status |= kStatusHypothetical;
  AddIndexRow(*object, name, status, keys, clustered == 1 && !hypothetical, fill_factor);
}

void TableBuilder::CreateStatistics(TokenCursor& cursor) {
  const std::string name = cursor.ExpectName();
  cursor.ExpectWord("ON");
  const auto parts = cursor.ExpectMultiPartName();
  auto object = db_.FindObject(parts);
  if (!object || (object->xtype != "U" && object->xtype != "V"))
    ThrowInvalidObject(parts.back());
  const auto keys = ParseKeyList(cursor);
  int status = kStatusStatistics;
  while (cursor.AcceptWord("WITH") || cursor.AcceptPunct(",")) {
    if (cursor.AcceptWord("NORECOMPUTE")) {
      status |= 0x1000000;
      continue;
    }
    if (cursor.AcceptWord("FULLSCAN"))
      continue;
    if (cursor.AcceptWord("SAMPLE")) {
      cursor.Next();
      cursor.Next();
      continue;
    }
    cursor.Fail();
  }
  AddIndexRow(*object, name, status, keys, false, 0);
}

void TableBuilder::CreateSchema(TokenCursor& cursor) {
  if (db_.MajorVersion() < 9 && cursor.Peek().IsWord("AUTHORIZATION"))
    ThrowUnsupported("CREATE SCHEMA AUTHORIZATION with schema elements");
  const std::string name = cursor.ExpectName();
  if (cursor.AcceptWord("AUTHORIZATION"))
    cursor.ExpectName();
  // On 2000 an owner is a user: the schema name becomes a user of the database.
  AddSchema(name, db_.MajorVersion() < 9);
}

void TableBuilder::AddSchema(const std::string& name, bool with_user) {
  if (QueryInt(db_.db(), "SELECT 1 FROM kvn_schemas WHERE name = ?", {name}) ||
      QueryInt(db_.db(), "SELECT 1 FROM sysusers WHERE name = ?", {name}))
    throw SqlError(2714, "There is already an object named '" + name + "' in the database.");
  const std::int64_t id =
      std::max<std::int64_t>(5, QueryInt(db_.db(),
                                         "SELECT max(schema_id) + 1 FROM kvn_schemas "
                                         "WHERE schema_id < 16384")
                                    .value_or(5));
  auto stmt =
      db_.db().Prepare("INSERT INTO kvn_schemas (schema_id, name, principal_id) VALUES (?, ?, 1)");
  stmt.Bind(1, id).Bind(2, std::string_view(name));
  stmt.Step();
  if (with_user) {
    auto user = db_.db().Prepare(
        "INSERT INTO sysusers (uid, name, status, hasdbaccess, issqluser, createdate, updatedate) "
        "VALUES (?, ?, 2, 1, 1, ?, ?)");
    const std::string now = NowText();
    user.Bind(1, id)
        .Bind(2, std::string_view(name))
        .Bind(3, std::string_view(now))
        .Bind(4, std::string_view(now));
    user.Step();
  }
}

void TableBuilder::DropObjectRows(std::int64_t id) {
  const std::string key = std::to_string(id);
  db_.db().Exec("DELETE FROM sysobjects WHERE id = " + key +
                "; DELETE FROM syscomments WHERE id = " + key +
                "; DELETE FROM kvn_objprops WHERE id = " + key +
                "; DELETE FROM sysreferences WHERE constid = " + key +
                "; DELETE FROM sysforeignkeys WHERE constid = " + key);
}

void TableBuilder::DropTable(TokenCursor& cursor) {
  do {
    const auto parts = cursor.ExpectMultiPartName();
    auto object = db_.FindObject(parts);
    if (!object || object->xtype != "U")
      throw SqlError(3701, "Cannot drop the table '" + parts.back() +
                               "', because it does not exist or you do not have permission.");
    auto referencing = QueryInt(
        db_.db(), "SELECT constid FROM sysreferences WHERE rkeyid = " + std::to_string(object->id) +
                      " AND fkeyid <> " + std::to_string(object->id));
    if (referencing)
      throw SqlError(3726, "Could not drop object '" + db_.MessageName(*object) +
                               "' because it is referenced by a FOREIGN KEY constraint.");
    const std::string key = std::to_string(object->id);
    auto children = db_.db().Prepare("SELECT id FROM sysobjects WHERE parent_obj = ?");
    children.Bind(1, object->id);
    std::vector<std::int64_t> ids;
    while (children.Step())
      ids.push_back(children.Int(0));
    for (auto child : ids)
      DropObjectRows(child);
    db_.db().Exec("DELETE FROM syscolumns WHERE id = " + key +
                  "; DELETE FROM sysindexes WHERE id = " + key +
                  "; DELETE FROM sysindexkeys WHERE id = " + key +
                  "; DELETE FROM kvn_identity WHERE id = " + key + "; DROP TABLE " +
                  EmbeddedDatabase::StorageName(object->id, false));
    DropObjectRows(object->id);
  } while (cursor.AcceptPunct(","));
}

void TableBuilder::DropIndex(TokenCursor& cursor, bool statistics) {
  do {
    // table.index (2000 form) or index ON table (2005 form).
    auto parts = cursor.ExpectMultiPartName();
    std::string index;
    std::vector<std::string> table_parts;
    if (cursor.AcceptWord("ON")) {
      index = parts.back();
      table_parts = cursor.ExpectMultiPartName();
    } else {
      if (parts.size() < 2)
        cursor.Fail();
      index = parts.back();
      table_parts.assign(parts.begin(), parts.end() - 1);
    }
    auto object = db_.FindObject(table_parts);
    std::optional<std::int64_t> indid;
    if (object)
      indid = QueryInt(db_.db(),
                       "SELECT indid FROM sysindexes WHERE id = " + std::to_string(object->id) +
                           " AND indid BETWEEN 1 AND 250 AND name = ?",
                       {index});
    if (!indid)
      throw SqlError(3701, "Cannot drop the " + std::string(statistics ? "statistics" : "index") +
                               " '" + table_parts.back() + "." + index +
                               "', because it does not exist or you do not have permission.");
    if (QueryInt(db_.db(),
                 "SELECT 1 FROM sysobjects WHERE parent_obj = " + std::to_string(object->id) +
                     " AND xtype IN ('PK', 'UQ') AND name = ?",
                 {index}))
      throw SqlError(3723, "An explicit DROP INDEX is not allowed on index '" + table_parts.back() +
                               "." + index +
                               "'. It is being used for PRIMARY KEY constraint enforcement.");
    const std::string key = std::to_string(object->id);
    db_.db().Exec(
        "DROP INDEX IF EXISTS kx_" + key + "_" + std::to_string(*indid) +
        "; DELETE FROM sysindexkeys WHERE id = " + key + " AND indid = " + std::to_string(*indid) +
        "; DELETE FROM sysindexes WHERE id = " + key + " AND indid = " + std::to_string(*indid));
    if (*indid == 1)
      db_.db().Exec(
          "INSERT INTO sysindexes (id, indid, name, status, groupid) VALUES (" + key + ", 0, " +
          (db_.MajorVersion() >= 9 ? std::string("NULL") : QuoteLiteral(object->name)) + ", 0, 1)");
  } while (cursor.AcceptPunct(","));
}

void TableBuilder::DropSchema(TokenCursor& cursor) {
  const std::string name = cursor.ExpectName();
  auto id = QueryInt(db_.db(), "SELECT schema_id FROM kvn_schemas WHERE name = ?", {name});
  if (!id || *id < 5 || *id >= 16384)
    throw SqlError(15151, "Cannot drop the schema '" + name +
                              "', because it does not exist or you do not have permission.");
  if (QueryInt(db_.db(), "SELECT 1 FROM sysobjects WHERE uid = " + std::to_string(*id)))
    throw SqlError(3729,
                   "Cannot drop schema '" + name + "' because it is being referenced by objects.");
  db_.db().Exec("DELETE FROM kvn_schemas WHERE schema_id = " + std::to_string(*id) +
                "; DELETE FROM sysusers WHERE uid = " + std::to_string(*id));
}

}  // namespace korvane::embedded
