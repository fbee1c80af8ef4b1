#include "tools/database_info.h"

#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/application_context.h"
#include "base/busy_pointer.h"
#include "base/clock.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/catalog_failure.h"
#include "catalog/object_list.h"
#include "catalog/sql_names.h"
#include "catalog/suppressed_connection_errors.h"
#include "datacomp/record_count.h"
#include "db/data_access.h"
#include "db/server_list.h"

namespace korvane {
namespace {

// The schema of every user table by object id, read in one query, so that counting a table
// needs no look-up of its owner. Nothing when the server cannot answer it (before version 9,
// or without OBJECT_SCHEMA_NAME): then each table's owner is looked up as it is counted.
using TableSchemas = std::unordered_map<std::int32_t, std::string>;

std::optional<TableSchemas> ReadTableSchemas(ApplicationContext& context, ServerRecord& server,
                                             std::string_view database) {
  if (ComputeNumVersion(server.Version) < 9 || server.NumVersion < 9)
    return std::nullopt;
  SuppressedConnectionErrors quiet(context);
  RunCommandResult result =
      RunCommand(context, server, CommandType::kText,
                 "SELECT [object_id], OBJECT_SCHEMA_NAME([object_id]) FROM sys.objects "
                 "WHERE [type] = 'U'",
                 database);
  if (result.failed() || !result.recordset)
    return std::nullopt;
  TableSchemas schemas;
  for (Recordset& rows = *result.recordset; !rows.Eof(); rows.MoveNext()) {
    const Value& id = rows.Field(0);
    const Value& schema = rows.Field(1);
    if (id.type() == ValueType::kInteger && !schema.is_null())
      schemas.emplace(static_cast<std::int32_t>(id.AsInteger()), NullText(schema));
  }
  result.recordset->Close();
  return schemas;
}

// The name a listed table is counted under when its schema is known: "[name]" in dbo,
// "[schema].[name]" elsewhere. Empty when the owner must be looked up instead (schema unknown,
// or a dotted name whose part before the dot may be a schema).
std::string KnownQualifiedTable(const std::optional<TableSchemas>& schemas,
                                const ObjectEntry& row) {
  if (!schemas || row.Id < 1 || !SplitQualifiedName(row.Name).qualifier.empty())
    return std::string();
  const auto found = schemas->find(row.Id);
  if (found == schemas->end() || found->second.empty())
    return std::string();
  if (found->second == "dbo")
    return QuoteName(row.Name);
  return QuoteName(found->second) + "." + QuoteName(row.Name);
}

struct Listing {
  std::string text;
  bool failed = false;
};

// The listing of one kind's rows. Stops (keeping what it built) when the cancel flag is set.
Listing ListRows(ApplicationContext& context, ServerRecord& server, std::string_view database,
                 ObjectType type, const std::vector<ObjectEntry>& rows, int status_index,
                 DatabaseInfoProgress& progress) {
  std::optional<TableSchemas> schemas;
  // Every table of the run is counted on one connection, returned when the listing ends.
  std::optional<RecordCountSeries> counts;
  if (type == ObjectType::kTables && !rows.empty()) {
    schemas = ReadTableSchemas(context, server, database);
    counts.emplace(context, server, std::string(database));
  }
  Listing listing;
  int number = 0;
  const bool completed = RunGuarded(context.ui, "frmGetDbInfo", "GetObjList", false, [&] {
    for (const ObjectEntry& row : rows) {
      progress.RefreshTime();
      if (context.cancel_requested)
        return true;
      progress.ShowStatus(status_index, row.Name);
      context.ui.ProcessPendingEvents();
      std::string shown = row.Name;
      if (type == ObjectType::kTables) {
        const std::int64_t count = CountTableRecords(context, *counts, row.Name, row.Id,
                                                     KnownQualifiedTable(schemas, row));
        if (count < 0) {
          listing.text.append(kCrLf).append(kOperationAbortedLine).append(kCrLf);
          listing.failed = true;
          return true;
        }
        shown = TableWithRecords(row.Name, count);
      }
      listing.text += DatabaseInfoLine(++number, shown);
    }
    return true;
  });
  if (!completed) {
    // The error report has been shown and closed: the listing ends here.
    listing.text.append(kCrLf).append(kOperationAbortedLine).append(kCrLf);
    listing.failed = true;
  }
  return listing;
}

}  // namespace

std::string AnalyzingStatus(ObjectType type) {
  return "Analyzing " + ObjectTypeName(type, false) + "...";
}

std::string DatabaseInfoHeading(ObjectType type, bool listing_empty) {
  if (listing_empty)
    return "There are no " + ObjectTypeName(type, false) + " in this database.";
  return "List of " + ObjectTypeName(type, false);
}

std::string TableWithRecords(std::string_view name, std::int64_t count) {
  return std::string(name) + " (" + FormatNumber(count) + " " +
         (count == 1 ? "record" : "records") + ")";
}

std::string DatabaseInfoLine(int number, std::string_view text) {
  const std::string digits = std::to_string(number);
  std::string line(digits.size() < 4 ? 4 - digits.size() : 0, ' ');
  line.append(digits).append("  ").append(text).append(kCrLf);
  return line;
}

std::string DatabaseInfoHeader(std::string_view date, std::string_view database) {
  std::string header(date);
  header.append(kCrLf).append(kCrLf).append("Database: ").append(database);
  header.append(kCrLf).append(kCrLf);
  return header;
}

std::int64_t CountTableRecords(ApplicationContext& context, RecordCountSeries& series,
                               std::string_view name, std::int32_t id,
                               std::string qualified_table) {
  const RecordCount counted = qualified_table.empty()
                                  ? series.Count(name, id)
                                  : series.CountAs(name, std::move(qualified_table));
  if (counted.count)
    return *counted.count;
  context.ui.ShowMessage(std::string(kCountRecordsFailedMessage) + std::string(name),
                         MessageIcon::kExclamation);
  return -1;
}

DatabaseInfoOutcome BuildDatabaseInfo(ApplicationContext& context, ServerRecord& server,
                                      std::string_view database, DatabaseInfoProgress& progress) {
  DatabaseInfoOutcome outcome;
  context.cancel_requested = false;
  BusyPointer busy(context.ui);
  std::string report = DatabaseInfoHeader(FormatShortDate(context.clock.LocalNow()), database);
  int status_index = 0;
  for (const ObjectType type : kDatabaseInfoKinds) {
    progress.RefreshTime();
    if (context.cancel_requested)
      return outcome;
    const std::string status = AnalyzingStatus(type);
    progress.ShowStatus(status_index, status);
    context.ui.ProcessPendingEvents();
    std::vector<ObjectEntry> rows;
    const std::string query =
        BuildObjSQLString(context.ui, type, context.settings.ignore_sys_objects, "", "");
    if (!query.empty()) {
      RunCommandResult result = RunCommand(context, server, CommandType::kText, query, database);
      if (result.failed())
        outcome.failed = true;
      else if (result.recordset)
        rows = ReadObjectEntries(*result.recordset);
    }
    progress.RefreshTime();
    if (context.cancel_requested)
      return outcome;
    const Listing listing = ListRows(context, server, database, type, rows, status_index, progress);
    outcome.failed = outcome.failed || listing.failed;
    report.append(DatabaseInfoHeading(type, listing.text.empty())).append(kCrLf);
    report.append(listing.text).append(kCrLf);
    progress.ShowStatus(status_index, status + " Finished");
    ++status_index;
  }
  // A cancel seen while the last kind was listed leaves that listing cut short: no report.
  if (context.cancel_requested)
    return outcome;
  outcome.completed = true;
  outcome.report = std::move(report);
  return outcome;
}

}  // namespace korvane
