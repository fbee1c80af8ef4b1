#include "cli/grid_output.h"

namespace korvane {

std::string EscapeGridCell(std::string_view cell) {
  std::string escaped;
  escaped.reserve(cell.size());
  for (const char c : cell) {
    switch (c) {
      case '\t':
        escaped += "\\t";
        break;
      case '\r':
        escaped += "\\r";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\\':
        escaped += "\\\\";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

void WriteGridLine(std::ostream& out, const std::vector<std::string>& cells) {
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0)
      out << '\t';
    out << EscapeGridCell(cells[i]);
  }
  out << '\n';
}

}  // namespace korvane
