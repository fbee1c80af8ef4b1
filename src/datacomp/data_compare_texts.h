// The texts a data comparison run shows, returns and logs: its outcomes, the "Note" about a
// differences table too small for all differences, the ignored-columns text and the log lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// --- Outcomes --------------------------------------------------------------------------------

inline constexpr std::string_view kCancelledOutcome = "Operation cancelled by the user.";
inline constexpr std::string_view kIdenticalOutcome = "Data stored in both tables is identical.";
inline constexpr std::string_view kCountFailedMessage =
    "Error while attempting to count records in table: ";
// A run whose records could not be read or searched ends with this text and no verdict.
inline constexpr std::string_view kCompareFailedMessage =
    "Error while attempting to compare records in tables: ";
inline constexpr std::string_view kNoteTitle = "Note";

// --- Log lines -------------------------------------------------------------------------------

inline constexpr std::string_view kStartingDataCompareLog = "Starting DataCompare";
inline constexpr std::string_view kIgnoredColumnsCountLog = "Ignored Columns Count Total: ";
inline constexpr std::string_view kTrackDifferencesLog = "Track Differences: ";
inline constexpr std::string_view kDiffRecsCountLog = "Diff Recs Count: ";
inline constexpr std::string_view kMaxRowsInDiffTableLog = "Max Rows In Diff Table: ";
inline constexpr std::string_view kExitingDataCompareLog = "Exiting DataCompare";
inline constexpr std::string_view kCompareStatusStartingLog = "CompareStatus showup starting";
inline constexpr std::string_view kCompareStatusExitingLog = "CompareStatus showup exiting";

// "llngRecsCount1 = " + Source count + ", llngRecsCount2 = " + Target count (plain digits).
std::string RecordCountsLog(std::int64_t source_count, std::int64_t target_count);

// --- Texts -----------------------------------------------------------------------------------

// The ignored columns of both sides for the outcome texts; empty when no column is ignored.
// Each side's names are joined by "," (no blank): "Columns ignored during comparison: Source - a,b
// Target - c", "Column ignored during comparison: Source - Price" for a single column.
std::string IgnoredColumnsText(const std::vector<std::string>& source_ignored,
                               const std::vector<std::string>& target_ignored);

// kIdenticalOutcome, with CR LF and the ignored-columns text when there is one.
std::string IdenticalOutcome(std::string_view ignored_columns_text);

// The three counts of an unattended run with differences ("#,##0" each), with CR LF and the
// ignored-columns text when there is one.
std::string DifferencesOutcome(std::int64_t source_count, std::int64_t target_count,
                               std::int64_t different_records,
                               std::string_view ignored_columns_text);

// The "Note" shown when more records differ (n) than the differences table shows (m).
std::string NotAllDifferencesShownMessage(std::int64_t different_records,
                                          std::int64_t max_rows_in_diff_table);

}  // namespace korvane
