// The one way korvane-cli prints a grid: tab-separated cells, a header line first, one line per
// row ending in "\n". A tab, CR, LF or backslash inside a cell is written as "\t", "\r", "\n" or
// "\\", so every printed line is exactly one row and a script can split it on tabs.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The cell as the grid prints it (escapes as above; every other byte as it is).
std::string EscapeGridCell(std::string_view cell);

// Writes one grid line: the escaped cells joined by tabs, then "\n".
void WriteGridLine(std::ostream& out, const std::vector<std::string>& cells);

}  // namespace korvane
