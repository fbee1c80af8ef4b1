// `korvane-cli compare-data-all`: the bulk data comparison of all tables, or of the named
// tables, of two databases.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace korvane {

struct ApplicationContext;
struct SavedProcess;
class TerminalProgressLine;

// The bulk run through DataCompareSelective between context.CurrentServers[0] and [1]: all
// tables, or (selective) the tables of `saved`'s selections. Prints the report followed by a
// line end to `out`. A saved process's export path receives the report text, replaced without
// asking; its print flag sends the report to the printer. Returns the korvane-cli exit status:
// 0 when all data is identical, 1 when something differs, 2 when the run was refused, did not
// complete, a query failed (the report is still printed) or the export failed. `progress`, when
// given, draws each table pair's progress on a terminal.
int RunUnattendedBulkDataCompare(ApplicationContext& context, const std::string& source_database,
                                 const std::string& target_database, bool selective,
                                 const SavedProcess* saved, std::ostream& out,
                                 TerminalProgressLine* progress = nullptr);

// compare-data-all SSERVER SDB TSERVER TDB [--source-tables A,B --target-tables C,D]
//
// With table lists the run is selective (a list given for one side only is used for both);
// names are the displayed table names. Exit status as RunUnattendedBulkDataCompare.
int CompareDataAllCommand(ApplicationContext& context, const std::vector<std::string>& args,
                          std::ostream& out, TerminalProgressLine* progress = nullptr);

}  // namespace korvane
