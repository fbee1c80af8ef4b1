#include "datacomp/record_count.h"

#include <cmath>
#include <utility>

#include "app/application_context.h"
#include "base/text.h"
#include "catalog/object_type.h"
#include "catalog/schema_names.h"
#include "db/data_access.h"

namespace korvane {
namespace {

std::int64_t CountValue(const Value& value) {
  if (value.type() == ValueType::kInteger)
    return value.AsInteger();
  if (value.is_null())
    return 0;
  return static_cast<std::int64_t>(std::llround(LeadingNumber(NullText(value))));
}

}  // namespace

std::string RecordCountQuery(std::string_view qualified_table) {
  return "SELECT COUNT(*) AS RecsCount FROM " + std::string(qualified_table);
}

RecordCount CountRecords(ApplicationContext& context, ServerRecord& server,
                         std::string_view database, std::string_view table,
                         std::int32_t object_id) {
  const bool suppressed = context.SuppressConnectionErrors;
  context.SuppressConnectionErrors = true;
  std::string qualified =
      GetExtendedObjectName(context, server, database, table, ObjectType::kTables, object_id);
  context.SuppressConnectionErrors = suppressed;
  return CountRecordsAs(context, server, database, table, std::move(qualified));
}

RecordCount CountRecordsAs(ApplicationContext& context, ServerRecord& server,
                           std::string_view database, std::string_view table,
                           std::string qualified_table) {
  const bool suppressed = context.SuppressConnectionErrors;
  context.SuppressConnectionErrors = true;
  RecordCount outcome;
  outcome.qualified_table = std::move(qualified_table);
  RunCommandResult result = RunCommand(context, server, CommandType::kText,
                                       RecordCountQuery(outcome.qualified_table), database);
  if (result.failed()) {
    const MissingTableRetry retry =
        QualifyTableAfterMissingTableError(context, server, table, database, result.error_number);
    if (retry.retry) {
      outcome.qualified_table = retry.name;
      result = RunCommand(context, server, CommandType::kText,
                          RecordCountQuery(outcome.qualified_table), database);
    }
  }
  context.SuppressConnectionErrors = suppressed;
  if (result.failed())
    return outcome;
  if (!result.recordset || result.recordset->Eof()) {
    outcome.count = 0;
    return outcome;
  }
  outcome.count = CountValue(result.recordset->Field("RecsCount"));
  result.recordset->Close();
  return outcome;
}

}  // namespace korvane
