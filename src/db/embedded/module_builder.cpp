#include "db/embedded/module_builder.h"

#include <algorithm>

#include "base/text.h"
#include "db/embedded/query_translator.h"
#include "db/embedded/sql_error.h"

namespace korvane::embedded {
namespace {

std::string KindXtype(std::string_view kind) {
  if (EqualsIgnoringCase(kind, "PROCEDURE") || EqualsIgnoringCase(kind, "PROC"))
    return "P";
  if (EqualsIgnoringCase(kind, "VIEW"))
    return "V";
  if (EqualsIgnoringCase(kind, "TRIGGER"))
    return "TR";
  if (EqualsIgnoringCase(kind, "DEFAULT"))
    return "D";
  if (EqualsIgnoringCase(kind, "RULE"))
    return "R";
  return "FN";
}

void InsertColumnRow(EmbeddedDatabase& db, std::int64_t id, int number, const std::string& name,
                     int colid, const DeclaredType& type, bool output, bool nullable) {
  auto stmt = db.db().Prepare(
      "INSERT INTO syscolumns (name, id, xtype, xusertype, length, xprec, xscale, colid, colorder, "
      "status, type, usertype, prec, scale, isnullable, isoutparam, collation, collationid, "
      "number) "
      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  stmt.Bind(1, std::string_view(name))
      .Bind(2, id)
      .Bind(3, static_cast<std::int64_t>(type.xtype))
      .Bind(4, static_cast<std::int64_t>(type.xusertype))
      .Bind(5, static_cast<std::int64_t>(type.length))
      .Bind(6, static_cast<std::int64_t>(type.xprec))
      .Bind(7, static_cast<std::int64_t>(type.xscale))
      .Bind(8, static_cast<std::int64_t>(colid))
      .Bind(9, static_cast<std::int64_t>(colid))
      .Bind(10, static_cast<std::int64_t>((nullable ? 0x08 : 0) | (output ? 0x40 : 0)))
      .Bind(11, static_cast<std::int64_t>(type.xtype))
      .Bind(12, static_cast<std::int64_t>(type.xusertype))
      .Bind(13, static_cast<std::int64_t>(type.prec));
  if (type.scale < 0)
    stmt.BindNull(14);
  else
    stmt.Bind(14, static_cast<std::int64_t>(type.scale));
  stmt.Bind(15, static_cast<std::int64_t>(nullable ? 1 : 0))
      .Bind(16, static_cast<std::int64_t>(output ? 1 : 0));
  if (type.is_character) {
    stmt.Bind(17, std::string_view("SQL_Latin1_General_CP1_CI_AS"));
    stmt.Bind(18, static_cast<std::int64_t>(872468488));
  } else {
    stmt.BindNull(17).BindNull(18);
  }
  stmt.Bind(19, static_cast<std::int64_t>(number));
  stmt.Step();
}

DeclaredType ParseType(TokenCursor& cursor, EmbeddedDatabase& db) {
  const Token& name = cursor.Next();
  if (!name.IsName())
    cursor.FailAt(name);
  const std::vector<std::string> args = cursor.AcceptTypeArguments();
  auto type = db.ResolveType(name.text, args);
  if (!type)
    throw SqlError(2715,
                   "Column, parameter, or variable #1: Cannot find data type " + name.text + ".");
  return *type;
}

}  // namespace

void ModuleBuilder::AddParameters(TokenCursor& cursor, std::int64_t id, int number,
                                  bool parenthesised) {
  if (parenthesised)
    cursor.ExpectPunct("(");
  int colid = 0;
  while (cursor.Peek().kind == TokenKind::kVariable) {
    const std::string name = cursor.Next().text;
    cursor.AcceptWord("AS");
    DeclaredType type = ParseType(cursor, db_);
    cursor.AcceptWord("VARYING");
    if (cursor.AcceptPunct("=")) {
      cursor.AcceptPunct("-");
      cursor.Next();
    }
    bool output = false;
    if (cursor.AcceptWord("OUTPUT") || cursor.AcceptWord("OUT"))
      output = true;
    cursor.AcceptWord("READONLY");
    InsertColumnRow(db_, id, number, name, ++colid, type, output, true);
    if (!cursor.AcceptPunct(","))
      break;
  }
  if (parenthesised)
    cursor.ExpectPunct(")");
}

void ModuleBuilder::AddViewColumns(std::int64_t id) {
  auto info = db_.db().Prepare("SELECT name, type FROM pragma_table_info(?)");
  info.Bind(1, std::string_view(EmbeddedDatabase::StorageName(id, true)));
  int colid = 0;
  while (info.Step()) {
    auto result = ResultTypeFromDeclaration(info.Text(1));
    const std::string declaration = info.Text(1);
    std::vector<std::string> args;
    const std::size_t open = declaration.find('(');
    if (open != std::string::npos)
      for (const auto& piece :
           Split(declaration.substr(open + 1, declaration.find(')') - open - 1), ","))
        args.push_back(std::string(Trim(piece)) == "-1" ? "max" : std::string(Trim(piece)));
    std::optional<DeclaredType> type;
    if (result)
      type = MakeDeclaredType(result->type_name, args, db_.MajorVersion());
    // An expression column has no declared type here; it is listed as sql_variant.
    if (!type)
      type = MakeDeclaredType("sql_variant", {}, db_.MajorVersion());
    InsertColumnRow(db_, id, 0, info.Text(0), ++colid, *type, false, true);
  }
}

void ModuleBuilder::Create(TokenCursor& cursor, std::string_view kind, std::string_view batch,
                           bool alter) {
  const auto parts = cursor.ExpectMultiPartName();
  const std::string& name = parts.back();
  if (!name.empty() && name[0] == '#')
    ThrowUnsupported("temporary procedures");
  const int schema_id = db_.SchemaId(parts.size() >= 2 ? parts[parts.size() - 2] : std::string());
  std::string xtype = KindXtype(kind);
  const bool procedure = xtype == "P";
  int number = procedure ? 1 : 0;  // ordinary procedures are group number 1 (observed)
  if (procedure && cursor.AcceptPunct(";")) {
    const Token& n = cursor.Next();
    if (n.kind != TokenKind::kNumber)
      cursor.FailAt(n);
    number = static_cast<int>(std::min(LeadingNumber(n.text), 32767.0));
    if (number != 1)
      ThrowUnsupported("numbered procedures");
  }
  std::optional<ObjectRow> existing = db_.FindObject(schema_id, name);
  if (alter) {
    if (!existing || (existing->xtype != xtype &&
                      !(xtype == "FN" && (existing->xtype == "IF" || existing->xtype == "TF"))))
      throw SqlError(208, "Invalid object name '" + name + "'.");
  }
  std::int64_t parent = 0;
  std::vector<std::pair<std::string, int>> properties;
  std::size_t view_select = 0;
  if (xtype == "TR") {
    cursor.ExpectWord("ON");
    const auto table_parts = cursor.ExpectMultiPartName();
    auto table = db_.FindObject(table_parts);
    if (!table || (table->xtype != "U" && table->xtype != "V"))
      ThrowInvalidObject(table_parts.back());
    parent = table->id;
    if (cursor.AcceptWord("WITH"))
      while (cursor.AcceptWord("ENCRYPTION") || cursor.AcceptWord("APPEND") ||
             cursor.AcceptPunct(","))
        ;
    bool instead = false;
    if (cursor.AcceptWord("INSTEAD")) {
      cursor.ExpectWord("OF");
      instead = true;
    } else if (!cursor.AcceptWord("FOR")) {
      cursor.ExpectWord("AFTER");
    }
    if (!instead && table->xtype == "V")
      throw SqlError(8197, "The object '" + table->name +
                               "' does not exist or is invalid for this operation.");
    properties.push_back({"ExecIsInsteadOfTrigger", instead ? 1 : 0});
    properties.push_back({"ExecIsAfterTrigger", instead ? 0 : 1});
    do {
      if (cursor.AcceptWord("INSERT"))
        properties.push_back({"ExecIsInsertTrigger", 1});
      else if (cursor.AcceptWord("UPDATE"))
        properties.push_back({"ExecIsUpdateTrigger", 1});
      else if (cursor.AcceptWord("DELETE"))
        properties.push_back({"ExecIsDeleteTrigger", 1});
      else
        cursor.Fail();
    } while (cursor.AcceptPunct(","));
    if (cursor.AcceptWord("NOT")) {
      cursor.ExpectWord("FOR");
      cursor.ExpectWord("REPLICATION");
      properties.push_back({"ExecIsTriggerNotForRepl", 1});
    }
    cursor.ExpectWord("AS");
  }
  // Parameters and the function kind come before the body; they fill syscolumns below.
  const std::size_t header = cursor.pos();
  if (xtype == "FN") {
    TokenCursor probe(cursor.tokens(), cursor.pos(), cursor.end());
    probe.set_pos(probe.MatchingParen());
    probe.ExpectWord("RETURNS");
    if (probe.Peek().kind == TokenKind::kVariable)
      xtype = "TF";
    else if (probe.Peek().IsWord("TABLE"))
      xtype = "IF";
  }
  if (xtype == "V") {
    if (cursor.Peek().IsPunct("("))
      cursor.set_pos(cursor.MatchingParen());
    if (cursor.AcceptWord("WITH")) {
      do {
        if (cursor.AcceptWord("SCHEMABINDING"))
          properties.push_back({"IsSchemaBound", 1});
        else if (cursor.AcceptWord("ENCRYPTION"))
          properties.push_back({"IsEncrypted", 1});
        else if (!cursor.AcceptWord("VIEW_METADATA"))
          cursor.Fail();
      } while (cursor.AcceptPunct(","));
    }
    cursor.ExpectWord("AS");
    view_select = cursor.pos();
    if (!cursor.Peek().IsWord("SELECT") && !cursor.Peek().IsPunct("("))
      cursor.Fail();
  }

  if (xtype == "D" || xtype == "R") {
    // CREATE DEFAULT name AS expression / CREATE RULE name AS condition: stand-alone objects
    // bound to columns with sp_bindefault / sp_bindrule.
    cursor.ExpectWord("AS");
    if (cursor.AtEnd())
      cursor.Fail();
  }
  std::int64_t id = 0;
  if (alter) {
    id = existing->id;
    const std::string key = std::to_string(id);
    db_.db().Exec("DELETE FROM syscomments WHERE id = " + key +
                  "; DELETE FROM syscolumns WHERE id = " + key +
                  "; DELETE FROM kvn_objprops WHERE id = " + key + "; DROP VIEW IF EXISTS v" + key);
    db_.db().Exec("UPDATE sysobjects SET xtype = '" + (xtype.size() == 1 ? xtype + " " : xtype) +
                  "', type = '" + (xtype.size() == 1 ? xtype + " " : xtype) +
                  "', schema_ver = schema_ver + 16 WHERE id = " + key);
  } else {
    id = db_.AddObject(name, xtype, schema_id, parent);
  }
  for (const auto& [property, value] : properties)
    db_.SetProperty(id, property, value);
  if (xtype == "TR") {
    // 2000 records a table's first trigger of each kind in its sysobjects row.
    for (const auto& [property, value] : properties) {
      const char* column = property == "ExecIsInsertTrigger"   ? "instrig"
                           : property == "ExecIsUpdateTrigger" ? "updtrig"
                           : property == "ExecIsDeleteTrigger" ? "deltrig"
                                                               : nullptr;
      if (column)
        db_.db().Exec(std::string("UPDATE sysobjects SET ") + column + " = " + std::to_string(id) +
                      " WHERE id = " + std::to_string(parent) + " AND " + column + " = 0");
    }
  }
  // The batch as sent is the stored text.
  db_.AddComment(id, number, batch);
  if (properties.end() != std::find_if(properties.begin(), properties.end(),
                                       [](const auto& p) { return p.first == "IsEncrypted"; }))
    db_.db().Exec("UPDATE syscomments SET encrypted = 1, texttype = 6 WHERE id = " +
                  std::to_string(id));

  cursor.set_pos(header);
  if (procedure) {
    AddParameters(cursor, id, number, cursor.Peek().IsPunct("("));
  } else if (xtype == "FN" || xtype == "IF" || xtype == "TF") {
    AddParameters(cursor, id, 0, true);
    cursor.ExpectWord("RETURNS");
    if (xtype == "FN") {
      // A scalar function's return value is syscolumns row 0 with an empty name.
      InsertColumnRow(db_, id, 0, "", 0, ParseType(cursor, db_), false, true);
    }
  } else if (xtype == "V") {
    std::string view_columns;
    TokenCursor columns(cursor.tokens(), cursor.pos(), cursor.end());
    if (columns.AcceptPunct("(")) {
      view_columns = " (";
      do
        view_columns += (view_columns.size() > 2 ? ", " : "") + QuoteName(columns.ExpectName());
      while (columns.AcceptPunct(","));
      view_columns += ")";
    }
    std::string select;
    try {
      select = TranslateSql(cursor.tokens(), view_select, cursor.end(), db_);
    } catch (const SqlError& error) {
      // A missing object fails the CREATE VIEW as on a server; T-SQL the engine cannot
      // translate leaves a view that is listed and scripted but cannot be read.
      if (error.message().number == 208)
        throw;
    }
    if (!select.empty()) {
      const std::string sql =
          "CREATE VIEW " + EmbeddedDatabase::StorageName(id, true) + view_columns + " AS" + select;
      char* message = nullptr;
      if (sqlite3_exec(db_.db().handle(), sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) {
        AddViewColumns(id);
      } else {
        const ServerMessage translated =
            TranslateSqliteError(message ? message : "", db_.MajorVersion());
        sqlite3_free(message);
        if (translated.number == 207 || translated.number == 208 || translated.number == 4104 ||
            translated.number == 209)
          throw SqlError(translated);
      }
    }
  }
}

void ModuleBuilder::Drop(TokenCursor& cursor, std::string_view kind) {
  const std::string xtype = KindXtype(kind);
  const char* word = xtype == "P"    ? "procedure"
                     : xtype == "V"  ? "view"
                     : xtype == "TR" ? "trigger"
                     : xtype == "D"  ? "default"
                     : xtype == "R"  ? "rule"
                                     : "function";
  do {
    const auto parts = cursor.ExpectMultiPartName();
    auto object = db_.FindObject(parts);
    if (object && (xtype == "D" || xtype == "R") && object->parent != 0)
      object.reset();  // a DEFAULT constraint is dropped with ALTER TABLE
    if (object && (xtype == "D" || xtype == "R") &&
        QueryInt(db_.db(),
                 "SELECT 1 FROM syscolumns WHERE cdefault = " + std::to_string(object->id) +
                     " OR domain = " + std::to_string(object->id)))
      throw SqlError(3716, std::string("The ") + word + " '" + parts.back() +
                               "' cannot be dropped because it is bound to one or more column.");
    const bool matches =
        object && (object->xtype == xtype ||
                   (xtype == "FN" && (object->xtype == "IF" || object->xtype == "TF")));
    if (!matches)
      throw SqlError(3701, std::string("Cannot drop the ") + word + " '" + parts.back() +
                               "', because it does not exist or you do not have permission.");
    const std::string key = std::to_string(object->id);
    db_.db().Exec("DELETE FROM sysobjects WHERE id = " + key +
                  "; DELETE FROM syscomments WHERE id = " + key +
                  "; DELETE FROM syscolumns WHERE id = " + key +
                  "; DELETE FROM kvn_objprops WHERE id = " + key +
                  "; DELETE FROM sysindexes WHERE id = " + key +
                  "; DELETE FROM sysindexkeys WHERE id = " + key + "; DROP VIEW IF EXISTS v" + key +
                  "; UPDATE sysobjects SET instrig = 0 WHERE instrig = " + key +
                  "; UPDATE sysobjects SET updtrig = 0 WHERE updtrig = " + key +
                  "; UPDATE sysobjects SET deltrig = 0 WHERE deltrig = " + key);
  } while (cursor.AcceptPunct(","));
}

}  // namespace korvane::embedded
