#include "script/sql_create_command.h"

#include <exception>

#include "app/application_context.h"
#include "base/error_report.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "script/create_statement.h"

namespace korvane {

std::optional<std::string> BuildSQLCreateStatement(ApplicationContext& context,
                                                   ServerRecord& server,
                                                   std::string_view shown_text,
                                                   std::string_view database, ObjectType type,
                                                   std::string_view name, std::int32_t id) {
  try {
    if (Trim(shown_text).empty()) {
      context.ui.ShowMessage(kNoStructureDisplayedMessage, MessageIcon::kExclamation,
                             kCannotContinueTitle);
      return std::nullopt;
    }
    CreateStatementRequest request;
    request.server_name = server.Name;
    request.database = std::string(database);
    request.name = std::string(name);
    request.type = type;
    request.id = id;
    request.line_suffix = ",";
    std::string script = BuildCreateStatement(context, server, request);
    if (script.empty()) {
      context.ui.ShowMessage(kCreateStatementFailedMessage, MessageIcon::kInformation);
      return std::nullopt;
    }
    return script;
  } catch (...) {
    ReportUnexpectedFailure(context.ui, std::current_exception(), "frmMain",
                            "BuildSQLCreateStatement");
    return std::nullopt;
  }
}

}  // namespace korvane
