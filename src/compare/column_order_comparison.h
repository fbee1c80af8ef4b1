// The column-order-insensitive comparison ("IgnoreColSeq"): two structure views hold the same
// text apart from the order of its lines.
#pragma once

#include <string_view>

namespace korvane {

class TextView;
class UserInterface;

inline constexpr std::string_view kColumnsOrderSourceErrorMessage =
    "Ignore Columns Order option (Source) - error occurred.";
inline constexpr std::string_view kColumnsOrderTargetErrorMessage =
    "Ignore Columns Order option (Target) - error occurred.";

// True when the views' lines, each sorted with SortArray_CompLine, are equal position by
// position: the same lines, each as often, in any order. Lines count as the views show them,
// whatever the object type. Because the sort ignores letter case and the comparison does not,
// two lines that differ only in letter case and stand in different orders on the two sides make
// the views differ.
//
// A view that cannot be read shows the Source or Target message above (critical icon) and
// answers false; any other failure goes to the error report (module modIgnoreColumnsOrder) and
// answers false.
bool CompareProcs_IgnoreColumnsOrder(const TextView& source_box, const TextView& target_box,
                                     UserInterface& ui);

}  // namespace korvane
