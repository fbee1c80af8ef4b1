#include "script/table_structure.h"

#include <array>
#include <exception>

#include "app/application_context.h"
#include "base/error_report.h"
#include "base/text.h"
#include "catalog/schema_names.h"
#include "catalog/sql_names.h"
#include "catalog/suppressed_connection_errors.h"
#include "db/data_access.h"
#include "script/listed_name.h"
#include "script/table_indexes.h"

namespace korvane {
namespace {

constexpr std::array<std::string_view, 6> kSizedTypes = {"nvarchar", "varchar", "binary",
                                                         "char",     "nchar",   "varbinary"};
constexpr std::array<std::string_view, 2> kScaledTypes = {"decimal", "numeric"};

std::string TableStructureErrorMessage(std::string_view table, const ServerRecord& server,
                                       std::string_view database,
                                       const FailureDescription& failure) {
  std::string message(kTableStructureErrorIntro);
  message += "\r\n\r\n'" + std::string(table) + "'\r\n\r\nin SQL Server database\r\n\r\n'" +
             server.Name + "." + std::string(database) + "'\r\n\r\nError " +
             std::to_string(failure.number) + " (" + failure.description + ").";
  return message;
}

// Adds one row's line and description unless the column is in the ignored list.
void AddColumn(const Recordset& rows, const std::vector<std::string>& ignored,
               std::string_view line_suffix, NameQuoting quoting, TableStructure& structure) {
  TableColumn column;
  column.Name = FieldText(rows, "column");
  column.DataType = FieldText(rows, "datatype");
  if (!ignored.empty() && IsColumnIgnored(ignored, column.Name))
    return;
  std::string line =
      Bracketed(column.Name, quoting) + " " + Bracketed(column.DataType, quoting) + " ";
  column.TypeWithSize = column.DataType;
  if (IsSizedType(column.DataType)) {
    const std::string prec = FieldText(rows, "prec");
    column.Size = prec;
    column.TypeWithSize = column.DataType + " (" + prec + ")";
    // The catalogue gives -1 for a (max) column; a script that is run must say max.
    line += "(" + (quoting == NameQuoting::kEscaped && prec == "-1" ? "max" : prec) + ") ";
  } else if (IsScaledType(column.DataType)) {
    const std::string prec = FieldText(rows, "prec");
    const std::string scale = FieldText(rows, "scale");
    column.Size = prec;
    column.TypeWithSize = column.DataType + " (" + prec + "," + scale + ") ";
    line.pop_back();
    line += "(" + prec + "," + scale + ") ";
  }
  if (FieldText(rows, "isID") == "Y") {
    const Value& seed = rows.Field("identityseed");
    if (seed.is_null())
      line += "IDENTITY ";
    else
      line += "IDENTITY(" + JoinText(seed) + "," + FieldText(rows, "identityincrement") + ") ";
  }
  const std::optional<double> nullable = FieldNumber(rows, "isnullable");
  if (nullable && *nullable == 0)
    line += "NOT ";
  line += "NULL";
  structure.text += line;
  structure.text += line_suffix;
  structure.text += kCrLf;
  structure.columns.push_back(std::move(column));
  structure.last_column_index = static_cast<int>(structure.columns.size()) - 1;
}

// True when an identity column came back without its seed; the rows are left at the first.
bool HasUnresolvedIdentity(Recordset& rows) {
  bool unresolved = false;
  while (!rows.Eof()) {
    if (FieldText(rows, "isID") == "Y" && rows.Field("identityseed").is_null())
      unresolved = true;
    rows.MoveNext();
  }
  rows.MoveFirst();
  return unresolved;
}

void FinishText(std::string& text) {
  if (text.empty())
    return;
  text.resize(text.size() >= 2 ? text.size() - 2 : 0);
  text = std::string(Trim(text));
}

}  // namespace

std::string IdentityTableName(std::string_view schema, std::string_view name) {
  if (schema.empty() || schema == "dbo")
    return std::string(name);
  return QuoteName(schema) + "." + QuoteName(name);
}

std::string BuildColumnQuery(std::string_view table, std::int32_t object_id,
                             std::string_view schema, std::string_view filter_name,
                             std::string_view identity_name) {
  const std::string literal = EscapeSqlLiteral(table);
  const std::string identity = EscapeSqlLiteral(identity_name.empty() ? table : identity_name);
  std::string query =
      "SELECT sco.[name] AS [column], sco.autoval, sco.isnullable, "
      "sco.length, sco.prec, sco.scale, sty.[name] AS datatype, "
      "ident_seed('" +
      identity + "') AS identityseed, ident_incr('" + identity +
      "') AS identityincrement, "
      "isID=case when sco.status&128=0 then '' else 'Y' end "
      "FROM sysobjects sob INNER JOIN syscolumns sco ON sob.id = sco.id "
      "INNER JOIN systypes sty ON sco.xtype = sty.xtype AND sco.xusertype = sty.xusertype ";
  if (object_id >= 1)
    query += "WHERE sco.id = " + std::to_string(object_id) + " ";
  else if (!schema.empty())
    query += "WHERE sob.name = '" + EscapeSqlLiteral(filter_name) + "'" +
             SchemaCondition("sob.id", schema) + " ";
  else
    query += "WHERE sob.name = '" + literal + "' ";
  query += "ORDER BY sco.colorder";
  return query;
}

bool IsSizedType(std::string_view type_name) {
  const std::string lower = ToLowerAscii(type_name);
  for (std::string_view sized : kSizedTypes)
    if (lower == sized)
      return true;
  return false;
}

bool IsScaledType(std::string_view type_name) {
  const std::string lower = ToLowerAscii(type_name);
  for (std::string_view scaled : kScaledTypes)
    if (lower == scaled)
      return true;
  return false;
}

TableStructure GetTableStructure(ApplicationContext& context, const ServerRecord& server,
                                 std::string_view database, std::string_view table,
                                 bool ignore_columns, IgnoredColumnsKind kind,
                                 std::int32_t object_id, std::string_view line_suffix,
                                 NameQuoting quoting) {
  TableStructure structure;
  try {
    std::vector<std::string> ignored;
    if (ignore_columns) {
      const std::string key = server.Name + "." + std::string(database) + "." + std::string(table);
      ignored = GetIgnoredColumns(context.locations, kind, key);
      structure.ignored_count = static_cast<int>(ignored.size());
    }
    RunCommandResult result;
    {
      SuppressedConnectionErrors quiet(context);
      const std::optional<ListedSchemaName> listed = SplitListedName(table);
      // The column query as last run: by id, by name, or by the listed name within its schema.
      std::string schema_filter;
      std::string filter_name;
      std::string identity;
      auto read = [&](const std::string& identity_name) {
        identity = identity_name;
        result = RunCommand(
            context, server, CommandType::kText,
            BuildColumnQuery(table, object_id, schema_filter, filter_name, identity), database);
      };
      if (object_id >= 1) {
        // Read by id, the listed "schema.name" tells the identity functions which table it is.
        read(listed ? IdentityTableName(listed->schema, listed->name) : std::string(table));
      } else {
        read(std::string(table));
        if (listed && !result.failed() && result.recordset && result.recordset->Eof()) {
          schema_filter = listed->schema;
          filter_name = listed->name;
          read(IdentityTableName(listed->schema, listed->name));
        }
      }
      if (!result.failed() && result.recordset && HasUnresolvedIdentity(*result.recordset)) {
        // A bare name resolves to the table of the default schema or dbo: a table in another
        // schema gets no seed (or another table's). Ask for it by its schema-qualified name,
        // whichever way the table was read.
        ServerRecord record = server;
        std::string schema;
        if (object_id >= 1) {
          schema =
              Db_GetObjSchemaById(context, record, database, object_id).value_or(std::string());
        } else if (!schema_filter.empty()) {
          schema = schema_filter;
        } else {
          schema = GetSchemaForObject(context, record, database, table, ObjectType::kTables);
        }
        // The listed name is "schema.name" only when its qualifier is the table's schema; a
        // name holding a dot is otherwise the table's own.
        const std::string bare =
            listed && listed->schema == schema ? listed->name : std::string(table);
        const std::string qualified = IdentityTableName(schema, bare);
        if (qualified != identity)
          read(qualified);
      }
    }
    if (!result.failed() && result.recordset) {
      Recordset& rows = *result.recordset;
      while (!rows.Eof()) {
        AddColumn(rows, ignored, line_suffix, quoting, structure);
        rows.MoveNext();
      }
      rows.Close();
    }
    FinishText(structure.text);
    structure.completed = true;
  } catch (...) {
    const FailureDescription failure = DescribeFailure(std::current_exception());
    ReportUnexpectedFailure(context.ui, std::current_exception(), "mdlQueryCode",
                            "GetTableStructure",
                            TableStructureErrorMessage(table, server, database, failure));
    FinishText(structure.text);
  }
  return structure;
}

std::string GetTableText(ApplicationContext& context, const ServerRecord& server,
                         std::string_view database, std::string_view table, bool ignore_columns,
                         std::int32_t object_id, std::string_view line_suffix, bool clustered_only,
                         std::string_view clustered_name_suffix, int* ignored_count,
                         NameQuoting quoting) {
  TableStructure structure =
      GetTableStructure(context, server, database, table, ignore_columns,
                        IgnoredColumnsKind::Structure, object_id, line_suffix, quoting);
  if (ignored_count != nullptr)
    *ignored_count = structure.ignored_count;
  std::string text = std::move(structure.text);
  if (clustered_only || !context.settings.ignore_indexes) {
    const std::string indexes = GetTableIndexes(context, server, database, table, clustered_only,
                                                clustered_name_suffix, quoting, object_id);
    if (!indexes.empty())
      text += "\r\n\r\n" + indexes;
  }
  return text;
}

}  // namespace korvane
