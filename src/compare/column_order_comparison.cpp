#include "compare/column_order_comparison.h"

#include <vector>

#include "app/error_report.h"
#include "app/user_interface.h"
#include "compare/comp_line.h"

namespace korvane {

bool CompareProcs_IgnoreColumnsOrder(const TextView& source_box, const TextView& target_box,
                                     UserInterface& ui) {
  try {
    std::vector<CompLine> source_lines;
    std::vector<CompLine> target_lines;
    bool error = false;
    TXText_ConvTextToArray(source_box, source_lines, error);
    if (error) {
      ui.ShowMessage(kColumnsOrderSourceErrorMessage, MessageIcon::kCritical);
      return false;
    }
    TXText_ConvTextToArray(target_box, target_lines, error);
    if (error) {
      ui.ShowMessage(kColumnsOrderTargetErrorMessage, MessageIcon::kCritical);
      return false;
    }
    SortArray_CompLine(source_lines);
    SortArray_CompLine(target_lines);
    return AreTypeArrays_CompLine_Identical(source_lines, target_lines);
  } catch (...) {
    ReportUnexpectedFailure(ui, std::current_exception(), "modIgnoreColumnsOrder",
                            "CompareProcs_IgnoreColumnsOrder");
    return false;
  }
}

}  // namespace korvane
