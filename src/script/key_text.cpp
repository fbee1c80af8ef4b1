#include "script/key_text.h"

#include <exception>

#include "app/application_context.h"
#include "base/error_report.h"
#include "catalog/sql_names.h"
#include "db/data_access.h"
#include "script/query_text.h"
#include "script/structure_trim.h"

namespace korvane {
std::string BuildRelationshipQuery(std::string_view relationship, std::int32_t id) {
  // One row per column pair (sysforeignkeys), in key order; constid keeps same-named keys of
  // different owners apart.
  const std::string filter = id >= 1 ? "WHERE so.id = " + std::to_string(id) + " "
                                     : "WHERE so.name = '" + EscapeSqlLiteral(relationship) + "' ";
  return "SELECT so.name AS foreignkey, scf.name AS foreigncolumn, "
         "sor.name AS referencedtable, scr.name AS referencedcolumn, "
         "sof.name AS tablename, sfk.constid, sfk.keyno "
         "FROM sysforeignkeys sfk "
         "INNER JOIN sysobjects so ON sfk.constid = so.id "
         "INNER JOIN sysobjects sof ON sof.id = sfk.fkeyid "
         "INNER JOIN sysobjects sor ON sor.id = sfk.rkeyid "
         "INNER JOIN syscolumns scf ON scf.id = sof.id AND scf.colid = sfk.fkey "
         "INNER JOIN syscolumns scr ON scr.id = sor.id AND scr.colid = sfk.rkey " +
         filter + "ORDER BY sfk.constid, sfk.keyno";
}

std::string BuildConstraintQuery(std::string_view constraint, std::int32_t table_id) {
  // The table is reached through each of its child objects, so every key column comes once per
  // child object: the text takes each keyno once. A table has one clustered index: by the
  // table's id it is the key whatever the name it is listed under.
  const std::string filter = table_id >= 1 ? "so2.id = " + std::to_string(table_id)
                                           : "si.name = '" + EscapeSqlLiteral(constraint) + "'";
  return "SELECT si.name as [name], so2.refdate AS refdate, so2.id AS id, sc.name AS [column], "
         "sk.indid, so2.name as [tablename], sk.keyno "
         "FROM sysobjects so INNER JOIN sysindexkeys sk ON so.parent_obj = sk.id "
         "INNER JOIN sysindexes si ON sk.id = si.id AND sk.indid = si.indid "
         "INNER JOIN syscolumns sc ON sk.id = sc.id AND sk.colid = sc.colid "
         "INNER JOIN sysobjects so2 ON so.parent_obj = so2.id "
         "WHERE si.indid = 1 AND  " +
         filter +
         " AND "
         "INDEXPROPERTY(si.id, si.name, 'IsStatistics') = 0 AND "
         "INDEXPROPERTY(si.id, si.name, 'IsHypothetical') = 0 "
         "ORDER BY so2.id, sk.keyno";
}

std::string BuildRelationshipText(Recordset& rows, NameQuoting quoting) {
  if (!rows.HasCurrentRow())
    return std::string();
  const std::string key = FieldText(rows, "constid");
  const std::string table = FieldText(rows, "tablename");
  const std::string foreign_key = FieldText(rows, "foreignkey");
  const std::string referenced_table = FieldText(rows, "referencedtable");
  std::string foreign_columns;
  std::string referenced_columns;
  for (; !rows.Eof() && FieldText(rows, "constid") == key; rows.MoveNext()) {
    if (!foreign_columns.empty()) {
      foreign_columns += ", ";
      referenced_columns += ", ";
    }
    foreign_columns += Bracketed(FieldText(rows, "foreigncolumn"), quoting);
    referenced_columns += Bracketed(FieldText(rows, "referencedcolumn"), quoting);
  }
  const std::string text = "TABLE " + table + "\r\nCONSTRAINT " + Bracketed(foreign_key, quoting) +
                           "\r\nFOREIGN KEY " + foreign_columns + "\r\nREFERENCES " +
                           Bracketed(referenced_table, quoting) + " " + referenced_columns;
  return TrimStructureText(text);
}

std::string BuildConstraintText(Recordset& rows) {
  if (!rows.HasCurrentRow())
    return std::string();
  const std::string table_id = FieldText(rows, "id");
  const std::string name = FieldText(rows, "name");
  const std::string table = FieldText(rows, "tablename");
  std::string columns;
  std::string last_keyno;
  for (; !rows.Eof() && FieldText(rows, "id") == table_id; rows.MoveNext()) {
    const std::string keyno = FieldText(rows, "keyno");
    if (!columns.empty() && keyno == last_keyno)
      continue;  // the same key column reached through another child object
    last_keyno = keyno;
    if (!columns.empty())
      columns += ", ";
    columns += "[" + FieldText(rows, "column") + "]";
  }
  const std::string text = "CONSTRAINT [" + name + "] \r\nPRIMARY KEY CLUSTERED \r\nON COLUMN " +
                           columns + "\r\nON TABLE [" + table + "]";
  return TrimStructureText(text);
}

std::string GetRelationshipText(ApplicationContext& context, const ServerRecord& server,
                                std::string_view database, std::string_view relationship,
                                NameQuoting quoting, std::int32_t id) {
  return BuildTextFromQuery(context, server, database, BuildRelationshipQuery(relationship, id),
                            "mdlQueryCode", "GetRelationshipText",
                            [&](Recordset& rows) { return BuildRelationshipText(rows, quoting); });
}

std::string GetConstraintText(ApplicationContext& context, const ServerRecord& server,
                              std::string_view database, std::string_view constraint,
                              std::int32_t table_id) {
  return BuildTextFromQuery(context, server, database, BuildConstraintQuery(constraint, table_id),
                            "mdlQueryCode", "GetConstraintText",
                            [](Recordset& rows) { return BuildConstraintText(rows); });
}

}  // namespace korvane
