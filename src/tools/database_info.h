// Database information: the plain-text inventory of one database (every table with its number
// of records, then the procedures, functions, views, triggers and relationships), built step by
// step under a progress dialog that can cancel it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalog/object_type.h"
#include "datacomp/record_count.h"
#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kDatabaseInformationTitle = "Database Information";
inline constexpr std::string_view kCannotDisplayInfoTitle = "Cannot Display Info";
inline constexpr std::string_view kDatabaseInfoNoDatabaseMessage =
    "Cannot display database info - the list of databases is empty.";
inline constexpr std::string_view kOperationAbortedLine =
    "*** OPERATION ABORTED - ERROR OCCURRED.***";
inline constexpr std::string_view kCountRecordsFailedMessage =
    "Error while attempting to count records in table: ";

// The kinds the inventory lists, in its order (constraints are not listed).
inline constexpr ObjectType kDatabaseInfoKinds[] = {
    ObjectType::kTables, ObjectType::kProcedures, ObjectType::kFunctions,
    ObjectType::kViews,  ObjectType::kTriggers,   ObjectType::kRelationships};

// What the progress dialog shows while the inventory is built.
class DatabaseInfoProgress {
 public:
  virtual ~DatabaseInfoProgress() = default;
  // Writes the elapsed time into the time label and lets pending events run. Called right before
  // every test of the cancel flag, so a Cancel click is seen there.
  virtual void RefreshTime() = 0;
  // Shows `text` in status label `index` (0 to 5, one per kind) and makes the label visible.
  virtual void ShowStatus(int index, std::string_view text) = 0;
};

// "Analyzing " + plural + "...".
std::string AnalyzingStatus(ObjectType type);

// The heading of a kind: "List of " + plural, or "There are no " + plural + " in this
// database." when the kind has no listing.
std::string DatabaseInfoHeading(ObjectType type, bool listing_empty);

// A table's shown text: name + " (" + count "#,##0" + " record)" or " records)".
std::string TableWithRecords(std::string_view name, std::int64_t count);

// One listing line: the number right-aligned in four characters, two spaces, the text, CR LF.
std::string DatabaseInfoLine(int number, std::string_view text);

// The report's opening: date "MMM dd, yyyy", CR LF CR LF, "Database: " + name, CR LF CR LF.
std::string DatabaseInfoHeader(std::string_view date, std::string_view database);

// The records of a table counted for the inventory, through the record counter (catalogue names
// quoted whole, the schema retry on servers of version 9 and later) on the connection `series`
// holds for the run. On failure shows kCountRecordsFailedMessage + name (exclamation icon) and
// gives -1. A non-empty `qualified_table` is the name to count under, its owner already known.
std::int64_t CountTableRecords(ApplicationContext& context, RecordCountSeries& series,
                               std::string_view name, std::int32_t id,
                               std::string qualified_table = {});

struct DatabaseInfoOutcome {
  // False when the person cancelled: there is no report to show, not even a part of one.
  bool completed = false;
  // A list query or a record count failed (its message has been shown); the report says where.
  bool failed = false;
  std::string report;
};

// Builds the inventory of `database`. Clears context.cancel_requested first and polls it at
// every step; a run-time failure inside a listing goes to the error report and ends that
// listing with the abort line, as a failed count does.
DatabaseInfoOutcome BuildDatabaseInfo(ApplicationContext& context, ServerRecord& server,
                                      std::string_view database, DatabaseInfoProgress& progress);

}  // namespace korvane
