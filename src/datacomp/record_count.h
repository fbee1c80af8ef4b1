// The record count of one table before a data comparison, with the one schema-qualified retry
// for a table the server did not find under its owner-qualified name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

}  // namespace korvane
