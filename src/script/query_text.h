// Texts built from the rows of one catalogue query, the common shape of the scripting readers.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "app/application_context.h"
#include "base/error_report.h"
#include "db/data_access.h"

namespace korvane {

// Runs `query` on `database` and returns build(rows); empty when the query failed. A failure
// nobody expected is reported under `module_name` and `procedure_name` and gives an empty text.
template <typename Build>
std::string BuildTextFromQuery(ApplicationContext& context, const ServerRecord& server,
                               std::string_view database, const std::string& query,
                               std::string_view module_name, std::string_view procedure_name,
                               Build&& build) {
  try {
    RunCommandResult result = RunCommand(context, server, CommandType::kText, query, database);
    if (result.failed() || !result.recordset)
      return std::string();
    std::string text = build(*result.recordset);
    result.recordset->Close();
    return text;
  } catch (...) {
    ReportUnexpectedFailure(context.ui, std::current_exception(), module_name, procedure_name);
    return std::string();
  }
}

}  // namespace korvane
