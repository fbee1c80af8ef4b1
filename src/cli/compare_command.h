// `korvane-cli compare`: the database comparison report of two databases.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace korvane {

struct ApplicationContext;

// compare SSERVER SDB TSERVER TDB [--types LIST] [--details]
//
// Without --types: Compare All Objects with every visible type ticked. Several types: Compare
// All Objects with those ticked; exactly one: that type's bulk run (Details with --details).
// The report goes to `out`; exit status 0 identical, 1 different, 2 refused or failed
// (including a run during which a query failed: its report is still printed).
int CompareCommand(ApplicationContext& context, const std::vector<std::string>& args,
                   std::ostream& out);

}  // namespace korvane
