#include "script/key_text.h"

#include <exception>

#include "app/application_context.h"
#include "catalog/sql_names.h"
#include "db/data_access.h"
#include "script/script_failure.h"
#include "script/structure_trim.h"

namespace korvane {
namespace {

// Runs `query` and builds the text of its rows; empty when it failed.
template <typename Build>
std::string ReadKeyText(ApplicationContext& context, const ServerRecord& server,
                        std::string_view database, const std::string& query,
                        std::string_view procedure, Build&& build) {
  try {
    RunCommandResult result = RunCommand(context, server, CommandType::kText, query, database);
    if (result.failed() || !result.recordset)
      return std::string();
    std::string text = build(*result.recordset);
    result.recordset->Close();
    return text;
  } catch (...) {
    ReportScriptFailure(context.ui, DescribeFailure(std::current_exception()), "mdlQueryCode",
                        procedure);
    return std::string();
  }
}

}  // namespace

std::string BuildRelationshipQuery(std::string_view relationship) {
  return "SELECT so.name AS foreignkey, scf.name AS foreigncolumn, "
         "sor.name AS referencedtable, scr.name AS referencedcolumn, "
         "sof.name AS tablename "
         "FROM sysreferences sr "
         "INNER JOIN sysobjects so ON sr.constid = so.id "
         "INNER JOIN sysobjects sof ON sof.id = sr.fkeyid "
         "INNER JOIN sysobjects sor ON sor.id = sr.rkeyid "
         "INNER JOIN syscolumns scf ON scf.id = sof.id AND scf.colid = sr.fkey1 "
         "INNER JOIN syscolumns scr ON scr.id = sor.id AND scr.colid = sr.rkey1 "
         "WHERE so.name = '" +
         EscapeSqlLiteral(relationship) +
         "' "
         "ORDER BY scf.name";
}

std::string BuildConstraintQuery(std::string_view constraint) {
  return "SELECT si.name as [name], so2.refdate AS refdate, so2.id AS id, sc.name AS [column], "
         "sk.indid, so2.name as [tablename] "
         "FROM sysobjects so INNER JOIN sysindexkeys sk ON so.parent_obj = sk.id "
         "INNER JOIN sysindexes si ON sk.id = si.id AND sk.indid = si.indid "
         "INNER JOIN syscolumns sc ON sk.id = sc.id AND sk.colid = sc.colid "
         "INNER JOIN sysobjects so2 ON so.parent_obj = so2.id "
         "WHERE si.indid = 1 AND  si.name = '" +
         EscapeSqlLiteral(constraint) +
         "' AND "
         "INDEXPROPERTY(si.id, si.name, 'IsStatistics') = 0 AND "
         "INDEXPROPERTY(si.id, si.name, 'IsHypothetical') = 0 ";
}

std::string BuildRelationshipText(const Recordset& rows, NameQuoting quoting) {
  if (!rows.HasCurrentRow())
    return std::string();
  const std::string text = "TABLE " + FieldText(rows, "tablename") + "\r\nCONSTRAINT " +
                           Bracketed(FieldText(rows, "foreignkey"), quoting) + "\r\nFOREIGN KEY " +
                           Bracketed(FieldText(rows, "foreigncolumn"), quoting) +
                           "\r\nREFERENCES " +
                           Bracketed(FieldText(rows, "referencedtable"), quoting) + " " +
                           Bracketed(FieldText(rows, "referencedcolumn"), quoting);
  return TrimStructureText(text);
}

std::string BuildConstraintText(const Recordset& rows) {
  if (!rows.HasCurrentRow())
    return std::string();
  const std::string text =
      "CONSTRAINT [" + FieldText(rows, "name") + "] \r\nPRIMARY KEY CLUSTERED \r\nON COLUMN [" +
      FieldText(rows, "column") + "]\r\nON TABLE [" + FieldText(rows, "tablename") + "]";
  return TrimStructureText(text);
}

std::string GetRelationshipText(ApplicationContext& context, const ServerRecord& server,
                                std::string_view database, std::string_view relationship,
                                NameQuoting quoting) {
  return ReadKeyText(context, server, database, BuildRelationshipQuery(relationship),
                     "GetRelationshipText",
                     [&](const Recordset& rows) { return BuildRelationshipText(rows, quoting); });
}

std::string GetConstraintText(ApplicationContext& context, const ServerRecord& server,
                              std::string_view database, std::string_view constraint) {
  return ReadKeyText(context, server, database, BuildConstraintQuery(constraint),
                     "GetConstraintText",
                     [](const Recordset& rows) { return BuildConstraintText(rows); });
}

}  // namespace korvane
