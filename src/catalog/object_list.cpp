#include "catalog/object_list.h"

#include <cmath>
#include <limits>

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/catalog_failure.h"
#include "catalog/schema_names.h"
#include "catalog/sql_names.h"
#include "db/data_access.h"
#include "db/server_list.h"

namespace korvane {
namespace {

constexpr std::string_view kRelationshipJoins =
    "INNER JOIN sysobjects so ON sr.constid = so.id "
    "INNER JOIN sysobjects sof ON sof.id = sr.fkeyid "
    "INNER JOIN sysobjects sor ON sor.id = sr.rkeyid "
    "INNER JOIN syscolumns scf ON scf.id = sof.id AND scf.colid = sr.fkey1 "
    "INNER JOIN syscolumns scr ON scr.id = sor.id AND scr.colid = sr.rkey1 ";

constexpr std::string_view kConstraintQuery =
    "SELECT DISTINCT si.name as [name], so2.refdate AS refdate, so2.id AS id  "
    "FROM sysobjects so INNER JOIN sysindexkeys sk ON so.parent_obj = sk.id "
    "INNER JOIN sysindexes si ON sk.id = si.id AND sk.indid = si.indid "
    "INNER JOIN syscolumns sc ON sk.id = sc.id AND sk.colid = sc.colid "
    "INNER JOIN sysobjects so2 ON so.parent_obj = so2.id "
    "WHERE "
    "si.indid = 1 AND "
    " si.name LIKE 'pk%' AND "
    "INDEXPROPERTY(si.id, si.name, 'IsStatistics') = 0 AND "
    "INDEXPROPERTY(si.id, si.name, 'IsHypothetical') = 0 "
    "ORDER BY si.name";

bool HasPredicate(ObjectType type) {
  return !ObjectTypePredicate(type).empty();
}

std::string FieldText(const Value& value) {
  return value.is_null() ? std::string() : NullText(value);
}

std::int64_t FieldNumber(const Value& value) {
  switch (value.type()) {
    case ValueType::kInteger:
      return value.AsInteger();
    case ValueType::kNull:
      return 0;
    default: {
      const double number = LeadingNumber(NullText(value));
      if (!std::isfinite(number))
        return 0;
      return static_cast<std::int64_t>(number);
    }
  }
}

std::int32_t ToInt32(std::int64_t number) {
  if (number < std::numeric_limits<std::int32_t>::min() ||
      number > std::numeric_limits<std::int32_t>::max()) {
    return 0;
  }
  return static_cast<std::int32_t>(number);
}

}  // namespace

std::string BuildObjSQLString(UserInterface& ui, ObjectType type, bool ignore_sys_objects,
                              std::string_view name, std::string_view filter) {
  if (HasPredicate(type)) {
    std::string where(ObjectTypePredicate(type));
    // A predicate holding an OR (functions) is put in parentheses before anything is appended:
    // otherwise "a or b and name = 'x'" lists every object for which "a" holds.
    const bool appending = ignore_sys_objects || !name.empty() || !filter.empty();
    if (appending && where.find(" or ") != std::string::npos)
      where = "(" + where + ")";
    if (ignore_sys_objects)
      where += " and xtype <> 'S' ";
    if (!name.empty())
      where += " and name = '" + EscapeSqlLiteral(name) + "' ";
    if (!filter.empty())
      where += " and [name] " + std::string(filter);
    return "select name, refdate, id from sysobjects where " + where + " order by name";
  }
  if (type == ObjectType::kRelationships) {
    return "SELECT so.name AS name, so.refdate AS refdate, so.id AS id FROM sysreferences sr " +
           std::string(kRelationshipJoins) + "ORDER BY so.name";
  }
  if (type == ObjectType::kConstraints)
    return std::string(kConstraintQuery);
  ui.ShowMessage(kWrongObjectTypeMessage);
  return {};
}

std::int64_t CountObjects(ApplicationContext& context, const ServerRecord& server,
                          std::string_view database, ObjectType type) {
  std::string query;
  if (HasPredicate(type)) {
    query = "SELECT COUNT (*) AS RecsCount FROM dbo.sysobjects where " +
            std::string(ObjectTypePredicate(type));
  } else if (type == ObjectType::kRelationships) {
    query = "SELECT COUNT (*) FROM sysreferences sr " + std::string(kRelationshipJoins);
  } else {
    context.ui.ShowMessage(kCountObjectsWrongTypeMessage);
    return -1;
  }
  RunCommandResult result = RunCommand(context, server, CommandType::kText, query, database);
  if (result.failed() || !result.recordset)
    return -1;
  const std::int64_t count = result.recordset->Eof() ? 0 : FieldNumber(result.recordset->Field(0));
  result.recordset->Close();
  return count;
}

std::vector<ObjectEntry> ReadObjectEntries(Recordset& rows) {
  std::vector<ObjectEntry> entries;
  for (; !rows.Eof(); rows.MoveNext()) {
    ObjectEntry entry;
    entry.Name = FieldText(rows.Field(0));
    entry.RefDate = FieldText(rows.Field(1));
    entry.Id = ToInt32(FieldNumber(rows.Field(2)));
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool HasNeighbouringDuplicates(const std::vector<ObjectEntry>& entries) {
  for (std::size_t i = 1; i < entries.size(); ++i) {
    if (entries[i - 1].Name == entries[i].Name)
      return true;
  }
  return false;
}

void LoadListView(UserInterface& ui, ListControl& list, const std::vector<ObjectEntry>& entries) {
  RunGuarded(ui, "mdlMain", "LoadListView", [&] {
    list.SetTag(kBusyTag);
    list.Clear(true);
    list.SetColumnCount(3);
    list.SetColumnHidden(2, true);
    list.SetColumnWidth(0, -1);
    for (const ObjectEntry& entry : entries) {
      const int row = list.AddRow(entry.Name);
      list.SetCell(row, 1, ToUpperAscii(entry.RefDate));
      list.SetCell(row, 2, std::to_string(entry.Id));
    }
    if (list.RowCount() > 0)
      list.SetCurrentRow(0);
  });
  list.SetTag("");
}

std::vector<ObjectEntry> LoadObjects(ApplicationContext& context, ServerRecord& server,
                                     ListControl& list, TextView* view, ObjectType type,
                                     std::string_view database, const StructureTextRenderer& render,
                                     std::string_view filter) {
  return RunGuarded(context.ui, "modNew", "LoadObjects", std::vector<ObjectEntry>{}, [&] {
    std::vector<ObjectEntry> entries;
    const std::string query =
        BuildObjSQLString(context.ui, type, context.settings.ignore_sys_objects, "", filter);
    if (!query.empty()) {
      RunCommandResult result = RunCommand(context, server, CommandType::kText, query, database);
      if (!result.failed() && result.recordset) {
        entries = ReadObjectEntries(*result.recordset);
        result.recordset->Close();
      }
    }
    if (entries.empty()) {
      LoadListView(context.ui, list, entries);
      return entries;
    }
    if (ComputeNumVersion(server.Version) >= 9 && HasNeighbouringDuplicates(entries))
      QualifyDuplicateNames(context, server, type, database, entries);
    LoadListView(context.ui, list, entries);
    if (render && view != nullptr)
      render(server, list, *view, type, database);
    return entries;
  });
}

std::optional<Recordset> LoadObjects_ToRecordset(ApplicationContext& context,
                                                 DatabaseSession& session, ObjectType type) {
  return RunGuarded(context.ui, "modNew", "LoadObjects_ToRecordset", std::optional<Recordset>{},
                    [&]() -> std::optional<Recordset> {
                      const std::string query = BuildObjSQLString(
                          context.ui, type, context.settings.ignore_sys_objects, "", "");
                      if (query.empty())
                        return std::nullopt;
                      RunCommandResult result =
                          RunCommandOnConnection(context, session, CommandType::kText, query);
                      if (result.failed())
                        return std::nullopt;
                      return std::move(result.recordset);
                    });
}

}  // namespace korvane
