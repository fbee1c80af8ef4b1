// `korvane-cli compare`: the database comparison report of two databases.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace korvane {

struct ApplicationContext;

// compare SSERVER SDB TSERVER TDB [--types LIST] [--details]
//         [--source-objects A,B --target-objects C,D] [--save NAME]
//
// Without --types: Compare All Objects with every visible type ticked. Several types: Compare
// All Objects with those ticked; exactly one: that type's bulk run (Details with --details).
// With --source-objects and --target-objects (displayed names joined by ",", one type named by
// --types): that type's selective run over these objects, as picked in the selection dialog.
// The report goes to `out`; exit status 0 identical, 1 different, 2 refused or failed
// (including a run during which a query failed: its report is still printed).
//
// --save NAME: a completed run is saved as a comparison process under NAME (an existing process
// of that name is overwritten, the question answered Yes), "Saved as process N" goes to `err`,
// and an embedded server named on the command line that the server list lacks is added to it, so
// that `run-saved N` finds both servers. A selective run over every object of both lists is an
// ordinary one and is saved as such, so that its re-run gives the same report.
int CompareCommand(ApplicationContext& context, const std::vector<std::string>& args,
                   std::ostream& out, std::ostream& err);

}  // namespace korvane
