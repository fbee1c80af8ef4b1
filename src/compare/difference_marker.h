// The marker: aligns the lines of the Source and Target structure views with a short
// look-ahead, gives every line a difference state and paints each line's background in the
// colour of its state. Lines are compared exactly (letter case and white space count),
// whatever the comparison options say.
#pragma once

#include <string_view>
#include <vector>

#include "compare/comp_line.h"

namespace korvane {

class TextView;
class UserInterface;

inline constexpr std::string_view kMarkDifferencesErrorMessage = "Error occurred.";

// How many lines past the current one the alignment looks for a match.
inline constexpr int kMarkLookAhead = 20;

// Does nothing when both views hold the same text (earlier painting stays). Otherwise reads
// both views' lines into `source_lines` and `target_lines`, gives each line a state and paints
// the characters of every line (never its line break) with GetStateColor of its state.
//
// Alignment: Source line i and Target line j are compared; equal lines are kNotChanged. Else
// Source line i is looked for among Target lines j to j + 20: found at m, Target lines j to
// m - 1 are kOnlyInTarget and the walk goes on from m. Else Target line j is looked for among
// Source lines i to i + 20 in the same way (kOnlyInSource). Else both are kChanged. The walk
// takes at most as many steps as the Source has lines; lines left over at the end of either
// side are kOnlyInSource or kOnlyInTarget. When one view is empty, every line of the other is
// kOnlyInTarget or kOnlyInSource.
//
// When a view cannot be read, shows "Error occurred." (critical icon), sets `error` and paints
// nothing; any other failure goes to the error report (module modMarkDifferences) and sets
// `error`.
void Mark_Differences(TextView& source_box, TextView& target_box,
                      std::vector<CompLine>& source_lines, std::vector<CompLine>& target_lines,
                      bool& error, UserInterface& ui);

}  // namespace korvane
