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

std::string QualifiedForCount(ApplicationContext& context, ServerRecord& server,
                              std::string_view database, std::string_view table,
                              std::int32_t object_id) {
  const bool suppressed = context.SuppressConnectionErrors;
  context.SuppressConnectionErrors = true;
  std::string qualified =
      GetExtendedObjectName(context, server, database, table, ObjectType::kTables, object_id);
  context.SuppressConnectionErrors = suppressed;
  return qualified;
}

// The count under `qualified_table`, with the one schema-qualified retry; `run` runs a query
// and gives what RunCommand gives. Failure messages are suppressed meanwhile.
template <typename Runner>
RecordCount CountWith(ApplicationContext& context, ServerRecord& server, std::string_view database,
                      std::string_view table, std::string qualified_table, Runner run) {
  const bool suppressed = context.SuppressConnectionErrors;
  context.SuppressConnectionErrors = true;
  RecordCount outcome;
  outcome.qualified_table = std::move(qualified_table);
  RunCommandResult result = run(RecordCountQuery(outcome.qualified_table));
  if (result.failed()) {
    const MissingTableRetry retry =
        QualifyTableAfterMissingTableError(context, server, table, database, result.error_number);
    if (retry.retry) {
      outcome.qualified_table = retry.name;
      result = run(RecordCountQuery(outcome.qualified_table));
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

}  // namespace

std::string RecordCountQuery(std::string_view qualified_table) {
  return "SELECT COUNT(*) AS RecsCount FROM " + std::string(qualified_table);
}

RecordCount CountRecords(ApplicationContext& context, ServerRecord& server,
                         std::string_view database, std::string_view table,
                         std::int32_t object_id) {
  return CountRecordsAs(context, server, database, table,
                        QualifiedForCount(context, server, database, table, object_id));
}

RecordCount CountRecordsAs(ApplicationContext& context, ServerRecord& server,
                           std::string_view database, std::string_view table,
                           std::string qualified_table) {
  return CountWith(context, server, database, table, std::move(qualified_table),
                   [&](std::string_view text) {
                     return RunCommand(context, server, CommandType::kText, text, database);
                   });
}

RecordCountSeries::RecordCountSeries(ApplicationContext& context, ServerRecord& server,
                                     std::string database)
    : context_(context), server_(server), database_(std::move(database)) {}

RecordCountSeries::~RecordCountSeries() = default;

RecordCount RecordCountSeries::Count(std::string_view table, std::int32_t object_id) {
  return CountWith(context_, server_, database_, table,
                   QualifiedForCount(context_, server_, database_, table, object_id),
                   [this](std::string_view text) { return Run(text); });
}

RecordCount RecordCountSeries::CountAs(std::string_view table, std::string qualified_table) {
  return CountWith(context_, server_, database_, table, std::move(qualified_table),
                   [this](std::string_view text) { return Run(text); });
}

RunCommandResult RecordCountSeries::Run(std::string_view text) {
  if (!session_ && opens_left_ > 0) {
    --opens_left_;
    session_ = ADO_Connection_Open(context_, server_, database_);
  }
  if (session_) {
    RunCommandResult result = RunCommandOnConnection(context_, *session_, CommandType::kText, text);
    // What the server said about the query stands; a lost connection is no answer.
    if (!result.failed() || result.error_number != kGeneralError)
      return result;
    session_.reset();
  }
  return RunCommand(context_, server_, CommandType::kText, text, database_);
}

}  // namespace korvane
