// `korvane-cli compare-data`: one unattended data comparison of two tables.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace korvane {

struct ApplicationContext;

// compare-data SSERVER SDB TSERVER TDB STABLE [TTABLE] [--key S1[:T1][,S2[:T2][,S3[:T3]]] |
// --by-record]
//
// Compares the rows of STABLE with those of TTABLE (STABLE when not given) with the options
// stored for both tables. `--key` (the key method with these key columns) and `--by-record`
// choose the method for this run and store it for both tables as the data comparison options
// dialog does. Prints the outcome text of the unattended run. Exit status 0 when the data is
// identical, 1 when it differs, 2 when the command was refused or the run failed (its message
// goes to the user interface, nothing to `out`).
int CompareDataCommand(ApplicationContext& context, const std::vector<std::string>& args,
                       std::ostream& out);

}  // namespace korvane
