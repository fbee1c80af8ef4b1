#include "script/create_statement.h"

#include <exception>

#include "app/application_context.h"
#include "base/error_report.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/schema_names.h"
#include "script/catalog_fields.h"
#include "script/dynamic_sql.h"
#include "script/key_text.h"
#include "script/module_text.h"
#include "script/script_header.h"
#include "script/table_structure.h"

namespace korvane {
namespace {

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string Body(ApplicationContext& context, ServerRecord& server,
                 const CreateStatementRequest& request) {
  switch (request.type) {
    case ObjectType::kProcedures:
    case ObjectType::kFunctions:
    case ObjectType::kViews:
    case ObjectType::kTriggers: {
      std::string text = GetProcedureText(context, server, request.database, request.name,
                                          request.type, request.id);
      if (!request.new_name.empty())
        text = ReplaceAll(text, request.name, request.new_name);
      return text;
    }
    case ObjectType::kTables:
      return GetTableText(context, server, request.database, request.name, false, request.id,
                          request.line_suffix, true, request.clustered_name_suffix, nullptr,
                          NameQuoting::kEscaped);
    case ObjectType::kRelationships:
      return GetRelationshipText(context, server, request.database, request.name,
                                 NameQuoting::kEscaped, request.id);
    default:
      return std::string();
  }
}

}  // namespace

std::string BuildCreateStatement(ApplicationContext& context, ServerRecord& server,
                                 const CreateStatementRequest& request,
                                 std::string* drop_statement) {
  if (request.server_name.empty() || request.database.empty() || request.name.empty() ||
      ObjectTypeCode(request.type) == 0) {
    context.ui.ShowMessage(kWrongCreateParametersMessage, MessageIcon::kExclamation,
                           kWrongCreateParametersTitle);
    return std::string();
  }
  try {
    std::string qualified =
        GetExtendedObjectName(context, server, request.database, request.name, request.type,
                              request.id, MakeModuleTextReader(context));
    if (!request.new_name.empty())
      qualified = ReplaceAll(qualified, request.name, request.new_name);
    const std::string header =
        BuildScriptHeader(context.clock, request.database, request.type, qualified, drop_statement);

    std::string opening;
    std::string closing;
    if (request.type == ObjectType::kTables) {
      opening =
          "CREATE " + ToUpperAscii(ObjectTypeName(request.type, true)) + " " + qualified + " (";
      closing = ")";
    }
    std::string body = Body(context, server, request);
    std::string extras = GetExtras(context, server, request.database, request.name, request.type);
    const std::string& suffix = request.line_suffix;
    if (!suffix.empty()) {
      if (!extras.empty() && EndsWith(extras, suffix))
        extras.resize(extras.size() - suffix.size());
      else if (EndsWith(body, suffix))
        body.resize(body.size() - suffix.size());
    }
    const std::string statement = opening + "\r\n" + body + " " + extras + "\r\n" + closing;
    if (request.statement_only)
      return statement;
    return header + "\r\n" + statement;
  } catch (...) {
    ReportUnexpectedFailure(context.ui, std::current_exception(), "mdlScript",
                            "BuildCreateStatement");
    return std::string();
  }
}

}  // namespace korvane
