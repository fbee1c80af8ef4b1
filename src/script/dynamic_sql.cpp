#include "script/dynamic_sql.h"

#include <cctype>
#include <exception>

#include "app/application_context.h"
#include "base/error_report.h"
#include "base/text.h"
#include "catalog/sql_names.h"
#include "db/data_access.h"
#include "script/catalog_fields.h"
#include "script/query_text.h"

namespace korvane {
namespace {

// A name inside square brackets inside an EXEC('...') literal.
std::string InExecBrackets(std::string_view name) {
  return EscapeSqlLiteral(EscapeBracketedName(name));
}

bool IsRegularIdentifier(std::string_view name) {
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name.front())))
    return false;
  for (char c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (!std::isalnum(byte) && c != '_' && c != '@' && c != '#' && c != '$')
      return false;
  }
  return true;
}

std::string StatementEnd() {
  return std::string(kCrLf) + std::string(kErrorValLine) + "\r\n\r\n";
}

void CloseIndexStatement(std::string& statement, std::string& text) {
  statement.resize(statement.size() >= 2 ? statement.size() - 2 : 0);
  text += statement + ") ON [PRIMARY] ')" + StatementEnd();
}

}  // namespace

std::string WrapInExec(std::string_view statement, std::string_view database) {
  if (statement.empty())
    return std::string();
  const std::size_t create = FindIgnoringCase(statement, "create");
  if (create != std::string_view::npos)
    statement.remove_prefix(create);
  const std::string body = ReplaceAll(statement, "'", "''''");
  if (!database.empty()) {
    // A database name that is not a plain identifier is bracketed, so it names exactly one
    // database; inside the literal its quotes are doubled.
    const std::string name =
        IsRegularIdentifier(database) ? std::string(database) : QuoteName(database);
    return "EXEC ('USE " + EscapeSqlLiteral(name) + " EXEC (''" + body + "'')')";
  }
  return "EXEC ('USE ' + @Database + ' EXEC (''" + body + "'')')" + StatementEnd();
}

std::string BuildViewIndexQuery(std::string_view view) {
  return "SELECT si.name AS [index], sk.indid, sc.[name] AS [column] FROM sysindexkeys sk "
         "INNER JOIN sysindexes si ON sk.id = si.id AND sk.indid = si.indid "
         "INNER JOIN syscolumns sc ON sk.id = sc.id AND sk.colid = sc.colid "
         "INNER JOIN sysobjects so ON so.id = sk.id "
         "WHERE so.[name] = '" +
         EscapeSqlLiteral(view) + "' ORDER BY sk.indid";
}

std::string BuildDefaultConstraintQuery(std::string_view table) {
  return "SELECT so.name AS [constraint], sc.text AS [default], sl.name as [column] "
         "FROM sysobjects so INNER JOIN syscomments sc ON so.id = sc.id "
         "INNER JOIN syscolumns sl ON so.parent_obj = sl.id AND so.id = sl.cdefault "
         "WHERE so.parent_obj IN (SELECT id FROM sysobjects WHERE name = '" +
         EscapeSqlLiteral(table) + "') ORDER BY info";
}

std::string BuildViewIndexStatements(Recordset& rows, std::string_view view) {
  std::string text;
  std::string statement;
  bool open = false;
  double current = 0;
  while (!rows.Eof()) {
    const double indid = FieldNumber(rows, "indid").value_or(0);
    if (!open || indid != current) {
      if (open)
        CloseIndexStatement(statement, text);
      current = indid;
      open = true;
      statement = indid == 1 ? "EXEC('CREATE UNIQUE CLUSTERED INDEX [" : "EXEC('CREATE INDEX [";
      statement += InExecBrackets(FieldText(rows, "index")) + "] ON ' + @Database + '.[dbo].[" +
                   InExecBrackets(view) + "]\r\n(";
    }
    statement += "[" + InExecBrackets(FieldText(rows, "column")) + "], ";
    rows.MoveNext();
  }
  if (open)
    CloseIndexStatement(statement, text);
  return text;
}

std::string BuildDefaultConstraintStatement(Recordset& rows, std::string_view table) {
  if (rows.Eof())
    return std::string();
  std::string text = "EXEC('ALTER TABLE ' + @Database + '.[dbo].[" + InExecBrackets(table) +
                     "] WITH NOCHECK ADD\r\n";
  while (!rows.Eof()) {
    // Every quote of the default's text is made four; the two commonest defaults, an empty
    // string and the string '0', are then brought back to two quotes each.
    text += "CONSTRAINT [" + InExecBrackets(FieldText(rows, "constraint")) + "] DEFAULT " +
            ReplaceAll(FieldText(rows, "default"), "'", "''''") + " FOR [" +
            InExecBrackets(FieldText(rows, "column")) + "],\r\n";
    rows.MoveNext();
  }
  text = ReplaceAll(text, "('''''''')", "('''')");
  text = ReplaceAll(text, "(''''0'''')", "(''0'')");
  text.resize(text.size() - 3);
  text += "')" + StatementEnd();
  return text;
}

std::string GetExtras(ApplicationContext& context, const ServerRecord& server,
                      std::string_view database, std::string_view name, ObjectType type) {
  if (type != ObjectType::kViews)
    return std::string();
  return BuildTextFromQuery(context, server, database, BuildViewIndexQuery(name), "mdlScript",
                            "GetExtras",
                            [&](Recordset& rows) { return BuildViewIndexStatements(rows, name); });
}

std::string GetTableConstraints(ApplicationContext& context, const ServerRecord& server,
                                std::string_view database, std::string_view table) {
  return BuildTextFromQuery(context, server, database, BuildDefaultConstraintQuery(table),
                            "mdlScript", "GetTableConstraints", [&](Recordset& rows) {
                              return BuildDefaultConstraintStatement(rows, table);
                            });
}

}  // namespace korvane
