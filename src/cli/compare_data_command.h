// `korvane-cli compare-data`: one unattended data comparison of two tables, optionally exported
// and saved as a data comparison process.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "datacomp/data_compare.h"
#include "datacomp/data_compare_options.h"

namespace korvane {

struct ApplicationContext;
class TerminalProgressLine;

// Where an unattended single-pair run writes its differences grid: nowhere when `file` is
// empty; else `export_type` 1 HTML or 2 CSV.
struct DataCompareExportRequest {
  std::filesystem::path file;
  std::int32_t export_type = 0;
};

// The unattended single-pair run between context.CurrentServers[0] and [1]: compares the
// tables with `options`, tracking differences when an export is asked for and then writing the
// differences grid to the file in its type. Identical data writes the empty grid (its header
// and counts), so that no older export stays in place, and says so on the user interface. Prints
// the outcome text and a line end to `out`. Returns the korvane-cli exit status: 0 identical, 1
// different, 2 cancelled, failed or export failed (the message goes to the user interface).
// `result`, when given, receives the run's result. `progress`, when given, draws the run's
// progress on a terminal and is erased before the outcome is printed.
int RunUnattendedDataCompare(ApplicationContext& context,
                             const std::array<DataCompareTable, 2>& tables,
                             const DataCompareOptions& options,
                             const DataCompareExportRequest& export_request, std::ostream& out,
                             DataCompareResult* result = nullptr,
                             TerminalProgressLine* progress = nullptr);

// compare-data SSERVER SDB TSERVER TDB STABLE [TTABLE] [--key S1[:T1][,S2[:T2][,S3[:T3]]] |
// --by-record] [--csv FILE | --html FILE] [--save NAME]
//
// Compares the rows of STABLE with those of TTABLE (STABLE when not given) with the options
// stored for both tables. A table named without its schema is the dbo table of that name, or
// else the one table of that name in another schema (noted on the user interface); several
// tables of that name and none in dbo refuse the command, naming them. `--key` (the key method with
// these key columns) and `--by-record` choose the method for this run and store it for both tables
// as the data comparison options dialog does. `--csv` / `--html` track the differences and write
// the differences grid to FILE (the empty grid when the data is identical, noted on the user
// interface).
// `--save` saves the completed run as a data comparison process (sub type 40, with the method
// and the export), overwriting a process of that name, adds an `embedded:` server that is not
// yet listed to the server list (a saved process names its servers by their listed names) and
// writes "Saved as process N" and a line end to `err`. Prints the outcome text of the unattended
// run. Exit status 0 when the data is identical, 1 when it differs, 2 when the command was refused,
// the run failed or the export or the save failed (its message goes to the user interface, nothing
// to `out` unless the run itself completed). `progress`: the terminal line of the run, if any.
int CompareDataCommand(ApplicationContext& context, const std::vector<std::string>& args,
                       std::ostream& out, std::ostream& err,
                       TerminalProgressLine* progress = nullptr);

// Lists `server` (an `embedded:` name that no listed server has, in any letter case) in the
// server list with `database` as its most recently used database. Other names are left alone.
// False, after a message, when the server list could not be written.
bool ListEmbeddedServer(ApplicationContext& context, const std::string& server,
                        const std::string& database);

}  // namespace korvane
