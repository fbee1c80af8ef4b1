#include "script/module_text.h"

#include <exception>

#include "app/application_context.h"
#include "base/error_report.h"
#include "catalog/sql_names.h"
#include "db/data_access.h"
#include "script/catalog_fields.h"
#include "script/listed_name.h"
#include "script/structure_trim.h"

namespace korvane {
namespace {

// Runs the query by name and, when a listed "schema.name" found nothing, the one within the
// schema.
template <typename Run>
std::string ReadModuleText(ApplicationContext& context, std::string_view name,
                           std::int32_t object_id, Run&& run) {
  try {
    RunCommandResult result = run(BuildModuleTextQuery(name, {}, object_id));
    if (result.failed() || !result.recordset)
      return std::string();
    if (object_id < 1 && result.recordset->Eof()) {
      if (const std::optional<ListedSchemaName> listed = SplitListedName(name)) {
        result = run(BuildModuleTextQuery(listed->name, listed->schema));
        if (result.failed() || !result.recordset)
          return std::string();
      }
    }
    return JoinModuleText(*result.recordset);
  } catch (...) {
    ReportUnexpectedFailure(context.ui, std::current_exception(), "mdlQueryCode",
                            "GetProcedureText");
    return std::string();
  }
}

}  // namespace

std::string BuildModuleTextQuery(std::string_view name, std::string_view schema,
                                 std::int32_t object_id) {
  std::string query =
      "SELECT text FROM syscomments sc INNER JOIN sysobjects so ON sc.id = so.id WHERE ";
  if (object_id >= 1)
    return query + "so.id = " + std::to_string(object_id) + " ORDER BY sc.colid";
  query += "so.name = '" + EscapeSqlLiteral(name) + "'";
  if (!schema.empty())
    query += SchemaCondition("so.id", schema);
  return query + " ORDER BY sc.colid";
}

std::string JoinModuleText(Recordset& rows) {
  std::string text;
  while (!rows.Eof()) {
    text += FieldText(rows, "text");
    rows.MoveNext();
  }
  rows.Close();
  return TrimStructureText(text);
}

std::string GetProcedureText(ApplicationContext& context, const ServerRecord& server,
                             std::string_view database, std::string_view name, ObjectType,
                             std::int32_t object_id) {
  return ReadModuleText(context, name, object_id, [&](const std::string& query) {
    return RunCommand(context, server, CommandType::kText, query, database);
  });
}

std::string GetProcedureText(ApplicationContext& context, DatabaseSession& session,
                             std::string_view name, ObjectType, std::int32_t object_id) {
  return ReadModuleText(context, name, object_id, [&](const std::string& query) {
    return RunCommandOnConnection(context, session, CommandType::kText, query);
  });
}

ModuleTextReader MakeModuleTextReader(ApplicationContext& context) {
  return [&context](ServerRecord& server, std::string_view database, std::string_view name,
                    ObjectType type) {
    return GetProcedureText(context, server, database, name, type);
  };
}

}  // namespace korvane
