// `korvane-cli compare-objects`: Compare Selected Objects on one pair of objects, as the main
// window's Compare command does with the two objects selected in its lists.
#pragma once

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "catalog/object_type.h"

namespace korvane {

struct ApplicationContext;
struct SavedProcessRunState;
class ListControl;
class TextView;

// compare-objects SSERVER SDB TSERVER TDB TYPE SNAME TNAME
//
// Lists the objects of TYPE on both sides, selects SNAME and TNAME by their displayed names
// (exact, letter case counts), shows their structure texts and compares them (tables without
// the columns of their structure ignored-column lists, kvn_ignored_cols_struct.ini). Prints the
// verdict text (the two keys, an empty line, the verdict and its notes) followed by a line
// break. Exit status 0 identical, 1 different, 2 refused or failed (an object not listed, or a
// listed object whose structure text could not be read: its verdict is still printed).
int CompareObjectsCommand(ApplicationContext& context, const std::vector<std::string>& args,
                          std::ostream& out);

// Compare Selected Objects on the objects selected in the two object lists (name in column 0,
// id in column 2) of `type`, whose structure texts the two views show; the servers are
// context.CurrentServers. The verdict goes to the report window: printed to `out`, and for a
// saved process being re-run (`run`) exported and printed as the window's first showing does.
// The exit status as above.
int CompareSelectedInLists(ApplicationContext& context, ObjectType type,
                           const std::array<const ListControl*, 2>& objects,
                           const std::array<std::string, 2>& databases, TextView& source_view,
                           TextView& target_view, const SavedProcessRunState& run,
                           std::ostream& out);

}  // namespace korvane
