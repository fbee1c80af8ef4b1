#include "script/module_text_by_id.h"

#include <exception>

#include "app/application_context.h"
#include "db/data_access.h"
#include "script/module_text.h"
#include "script/script_failure.h"

namespace korvane {
namespace {

template <typename Run>
std::string ReadModuleTextById(ApplicationContext& context, std::int32_t id, Run&& run) {
  try {
    RunCommandResult result = run(BuildModuleTextByIdQuery(id));
    if (result.failed() || !result.recordset)
      return std::string();
    return JoinModuleText(*result.recordset);
  } catch (...) {
    ReportScriptFailure(context.ui, DescribeFailure(std::current_exception()), "mdlQueryCode",
                        "GetProcedureTextById");
    return std::string();
  }
}

}  // namespace

std::string BuildModuleTextByIdQuery(std::int32_t id) {
  return "SELECT text FROM syscomments sc WHERE sc.id = " + std::to_string(id) +
         " ORDER BY sc.colid";
}

std::string GetProcedureTextById(ApplicationContext& context, DatabaseSession& session,
                                 std::int32_t id) {
  return ReadModuleTextById(context, id, [&](const std::string& query) {
    return RunCommandOnConnection(context, session, CommandType::kText, query);
  });
}

std::string GetProcedureTextById(ApplicationContext& context, const ServerRecord& server,
                                 std::string_view database, std::int32_t id) {
  return ReadModuleTextById(context, id, [&](const std::string& query) {
    return RunCommand(context, server, CommandType::kText, query, database);
  });
}

}  // namespace korvane
