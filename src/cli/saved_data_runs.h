// Unattended runs of saved data comparison processes (sub types 40, 50 and 60) for
// `korvane-cli run-saved`.
#pragma once

#include <ostream>

namespace korvane {

struct ApplicationContext;
struct SavedProcess;
class TerminalProgressLine;

// Runs a saved data process whose servers are already in context.CurrentServers and whose
// databases are process.db_name1 / db_name2: 40 the single pair of tables (with the stored
// method, export path and export type), 50 the stored table selections, 60 all tables. Exports to
// the stored path without asking and writes the outcome text (40) or the bulk report (50, 60)
// to `out`. Returns the korvane-cli exit status: 0 identical, 1 different, 2 failed.
// `progress`, when given, draws the comparisons' progress on a terminal.
int RunSavedDataProcess(ApplicationContext& context, const SavedProcess& process, std::ostream& out,
                        TerminalProgressLine* progress = nullptr);

}  // namespace korvane
