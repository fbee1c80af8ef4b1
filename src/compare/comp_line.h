// The lines of a structure view as the comparison engines see them: each line's text, its
// character range in the view and its difference state; reading them from a view, sorting them
// and comparing two lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compare/line_state.h"

namespace korvane {

class TextView;

// One line of a text view. Positions are the view's character positions (base/text_view.h):
// the line occupies start to end - 1, and its line break is not part of it.
struct CompLine {
  std::string text;
  LineState state = LineState::kNotAssigned;
  std::int32_t start = 0;
  std::int32_t end = 0;

  friend bool operator==(const CompLine&, const CompLine&) = default;
};

// Reads every line of the view into `lines` (line i of the view at index i - 1) and returns
// their number. An empty text gives no lines. A line's end is where the next line starts minus
// one (the line break), or the length of the text for the last line. When the view answers
// with a negative line start, a range that ends before it starts, or a range beyond its text,
// `error` is set, `lines` is left empty and 0 is returned.
int TXText_ConvTextToArray(const TextView& box, std::vector<CompLine>& lines, bool& error);

// Sorts the lines by text, ignoring ASCII letter case, with an exchange sort: each record is
// compared with every record after it and the two are exchanged when the later one sorts
// first. Lines whose texts are equal apart from letter case are never exchanged with each
// other, though the sort is not stable: exchanges with other lines can reorder them.
void SortArray_CompLine(std::vector<CompLine>& lines);

// True when both lists have as many lines and the texts at every position are equal exactly
// (letter case counts).
bool AreTypeArrays_CompLine_Identical(const std::vector<CompLine>& a,
                                      const std::vector<CompLine>& b);

}  // namespace korvane
