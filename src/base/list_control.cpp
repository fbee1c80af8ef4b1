#include "base/list_control.h"

namespace korvane {

int SelectRowByText(ListControl& list, std::string_view text) {
  if (text.empty())
    return -1;
  for (int row = 0; row < list.RowCount(); ++row) {
    if (list.Cell(row, 0) == text) {
      list.SetCurrentRow(row);
      return row;
    }
  }
  return -1;
}

}  // namespace korvane
