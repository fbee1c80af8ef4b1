#include "script/table_indexes.h"

#include <exception>

#include "app/application_context.h"
#include "base/error_report.h"
#include "base/text.h"
#include "catalog/sql_names.h"
#include "db/data_access.h"
#include "script/listed_name.h"

namespace korvane {
namespace {

double IndexId(const Recordset& rows) {
  return FieldNumber(rows, "indid").value_or(0);
}

void CloseLine(std::string& line, std::string& text) {
  line.resize(line.size() >= 2 ? line.size() - 2 : 0);
  line += ")";
  text += line;
}

}  // namespace

std::string BuildIndexQuery(std::string_view table, bool clustered_only, std::string_view schema,
                            std::int32_t object_id) {
  std::string query =
      "SELECT DISTINCT sc.name AS [column], si.name as [index], sk.indid, sk.keyno "
      "FROM sysindexkeys sk "
      "INNER JOIN sysindexes si ON sk.id = si.id AND sk.indid = si.indid "
      "INNER JOIN syscolumns sc ON sk.id = sc.id AND sk.colid = sc.colid "
      "INNER JOIN sysobjects so2 ON sk.id = so2.id ";
  if (object_id >= 1) {
    query += "WHERE so2.id = " + std::to_string(object_id);
  } else {
    query += "WHERE so2.name = '" + EscapeSqlLiteral(table) + "'";
    if (!schema.empty())
      query += SchemaCondition("so2.id", schema);
  }
  query += " AND ";
  query += clustered_only ? "si.indid = 1 AND " : "si.indid BETWEEN 1 AND 254 AND ";
  query +=
      "INDEXPROPERTY(si.id, si.name, 'IsStatistics') = 0 AND "
      "INDEXPROPERTY(si.id, si.name, 'IsHypothetical') = 0 "
      "ORDER BY sk.indid, sk.keyno";
  return query;
}

std::string BuildIndexText(Recordset& rows, std::string_view clustered_name_suffix,
                           NameQuoting quoting) {
  std::string text;
  if (rows.Eof())
    return text;
  double current = IndexId(rows);
  const std::string first_name = FieldText(rows, "index");
  std::string line;
  if (current == 1) {
    const std::string name = first_name + std::string(clustered_name_suffix);
    if (ToLowerAscii(Utf8Left(first_name, 2)) == "pk")
      line = "CONSTRAINT " + Bracketed(name, quoting) + " PRIMARY KEY CLUSTERED (";
    else
      line = "CLUSTERED INDEX " + Bracketed(name, quoting) + " (";
  } else {
    line = "INDEX " + Bracketed(first_name, quoting) + " (";
  }
  while (true) {
    line += Bracketed(FieldText(rows, "column"), quoting) + ", ";
    rows.MoveNext();
    if (rows.Eof()) {
      CloseLine(line, text);
      text += kCrLf;
      return text;
    }
    if (IndexId(rows) > current) {
      current = IndexId(rows);
      CloseLine(line, text);
      line = "\r\nINDEX " + Bracketed(FieldText(rows, "index"), quoting) + " (";
    }
  }
}

std::string GetTableIndexes(ApplicationContext& context, const ServerRecord& server,
                            std::string_view database, std::string_view table, bool clustered_only,
                            std::string_view clustered_name_suffix, NameQuoting quoting,
                            std::int32_t object_id) {
  try {
    RunCommandResult result =
        RunCommand(context, server, CommandType::kText,
                   BuildIndexQuery(table, clustered_only, {}, object_id), database);
    const std::optional<ListedSchemaName> listed =
        object_id < 1 ? SplitListedName(table) : std::nullopt;
    if (listed && !result.failed() && result.recordset && result.recordset->Eof()) {
      result = RunCommand(context, server, CommandType::kText,
                          BuildIndexQuery(listed->name, clustered_only, listed->schema), database);
    }
    if (result.failed() || !result.recordset)
      return std::string();
    std::string text = BuildIndexText(*result.recordset, clustered_name_suffix, quoting);
    result.recordset->Close();
    return text;
  } catch (...) {
    ReportUnexpectedFailure(context.ui, std::current_exception(), "mdlQueryCode",
                            "GetTableIndexes");
    return std::string();
  }
}

}  // namespace korvane
