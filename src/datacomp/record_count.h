// The record count of one table before a data comparison, with the one schema-qualified retry
// for a table the server did not find under its owner-qualified name.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "db/data_access.h"
#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;

// "SELECT COUNT(*) AS RecsCount FROM " + the owner-qualified table.
std::string RecordCountQuery(std::string_view qualified_table);

struct RecordCount {
  std::optional<std::int64_t> count;  // nothing when the count could not be made
  // The name the table was counted under (owner- or schema-qualified, bracketed); the records
  // are read under the same name.
  std::string qualified_table;
};

// Counts the rows of `table` (0 when the query returns no row). The table is qualified with
// its owner (looked up by `object_id`, by name when it is below 1). Failure messages of the
// connection layer are suppressed meanwhile. When the count fails because the server does not
// know the table and the server is of version 9 or later, the table's schema is looked up and
// the count is tried once more with "[schema].[table]". Shows nothing itself.
RecordCount CountRecords(ApplicationContext& context, ServerRecord& server,
                         std::string_view database, std::string_view table, std::int32_t object_id);

// The same count for a caller that already knows the qualified name to count under (its owner
// read in bulk beforehand): no owner look-up, the same schema-qualified retry.
RecordCount CountRecordsAs(ApplicationContext& context, ServerRecord& server,
                           std::string_view database, std::string_view table,
                           std::string qualified_table);

// One connection to a database held for a series of counts (the database information counts
// every table of a database), so that a count does not take a connection from the pool each
// time. Counts made through it behave as CountRecords and CountRecordsAs do: the same queries,
// the same quoting, the same schema retry (whose schema look-up takes its own connection).
// When the held connection is lost (a general or connection error), the count in hand is made
// again as CountRecordsAs makes it, and the next count opens a new held connection, once per
// series; after that every count goes through the pool. Must not outlive `context` or `server`.
class RecordCountSeries {
 public:
  RecordCountSeries(ApplicationContext& context, ServerRecord& server, std::string database);
  ~RecordCountSeries();
  RecordCountSeries(const RecordCountSeries&) = delete;
  RecordCountSeries& operator=(const RecordCountSeries&) = delete;

  RecordCount Count(std::string_view table, std::int32_t object_id);
  RecordCount CountAs(std::string_view table, std::string qualified_table);

  // Whether a connection is held right now (it is opened by the first count).
  bool holding() const { return session_ != nullptr; }

 private:
  RunCommandResult Run(std::string_view text);

  ApplicationContext& context_;
  ServerRecord& server_;
  std::string database_;
  std::unique_ptr<DatabaseSession> session_;
  int opens_left_ = 2;  // the first open and the one reopen
};

}  // namespace korvane
