// `korvane-cli run-saved`: runs a saved comparison process unattended, as the program does when
// started with a process Id on its command line.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct ApplicationContext;
struct ReportWindowState;
class TerminalProgressLine;

// run-saved ID
//
// Puts an in-memory main window into the process's stored state (servers as listed in the
// server list, databases, objects or tables) and starts its command. Structure processes print
// their report (or verdict) to `out`; their report is exported to the stored path without a
// question, overwriting the file; a stored print request is noted on stderr as not printed (the
// command line has no printer). Data processes run through RunSavedDataProcess. Messages of a
// process that cannot run go to stderr. Exit status 0 identical, 1 different, 2 refused or failed
// (including a run during which a query failed, and a structure report whose export failed: the
// report is printed first). `progress`, when given, draws the progress of data processes on a
// terminal.
int RunSavedCommand(ApplicationContext& context, const std::vector<std::string>& args,
                    std::ostream& out, TerminalProgressLine* progress = nullptr);

// The report window's first showing with `text` in its pane: for a saved process being re-run,
// the export to its stored path and the print request; nothing for other reports. False when the
// export failed (the command line has no printer: a print request is never a failure here).
bool ShowReportUnattended(ApplicationContext& context, const ReportWindowState& window,
                          std::string_view text);

}  // namespace korvane
