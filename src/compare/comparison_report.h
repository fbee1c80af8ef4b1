// The report text of a database comparison: a header naming the two databases, one block per
// compared object type, and the elapsed time. Lines are separated by CR LF; the text does not
// end with a line break.
//
// A type block opens with "Comparison of " + plural and the two count lines ("There are no
// tables in Source database." / "There is 1 table in ..." / "There are 3 tables in ..."), or in
// a selective run with "Selective comparison of " + plural and the numbers of selected objects.
// When both lists are empty the block ends there without its last line break; when one is
// empty it ends after the opening. Otherwise it lists the differing objects, the objects only
// in the Source and only in the Target database (each list followed by a count line such as
// "\t(1 table)" or "\t(2 tables)"), then either the identical summary or, when nothing was
// listed, the all-identical sentence, neither ending with a line break; in Details mode the
// listing of the differing lines of each differing object follows.
#pragma once

#include <string>
#include <string_view>

#include "compare/database_comparison_result.h"

namespace korvane {

inline constexpr std::string_view kReportHeading = "Comparison of databases";
inline constexpr std::string_view kColumnsIgnoredNote = " (some columns ignored during comparison)";
inline constexpr std::string_view kAllColumnsIgnoredNote =
    " (Some columns were ignored during comparison.)";
inline constexpr std::string_view kTimeElapsedLabel = "Time Elapsed: ";

// The whole report of the run, types in kReportTypeOrder (types of other codes after them, in
// the order given). The elapsed time reads "hh:mm:ss"; hours go on counting past 23, so a
// run longer than a day is not shown as a short one.
std::string BuildComparisonReport(const DatabaseComparisonResult& result);

// "There are no tables in Source database." (n = 0), "There is 1 table in Source database."
// (n = 1), "There are 5 tables in Source database." (n >= 2), without line break; side_word is
// "Source" or "Target".
std::string ReportCountLine(std::int32_t type_code, int count, std::string_view side_word);

}  // namespace korvane
