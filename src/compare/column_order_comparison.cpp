#include "compare/column_order_comparison.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/error_report.h"
#include "base/text.h"
#include "base/unicode_case.h"
#include "base/user_interface.h"
#include "compare/comp_line.h"

namespace korvane {
namespace {

// The line texts in the order SortArray_CompLine leaves them, in O(n log n) where that order is
// certain. The exchange sort orders by the upper-cased text; lines with equal keys end in an
// order that depends on the whole input. When every such group holds one text only (no two
// lines equal apart from letter case), any order by key gives the same sequence of texts, so a
// sort by (key, text) gives it. Otherwise the exchange sort itself is run.
std::vector<std::string> SortedLineTexts(std::vector<CompLine>& lines) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(lines.size());
  for (const CompLine& line : lines)
    keyed.emplace_back(SimpleUpperCase(line.text), line.text);
  std::sort(keyed.begin(), keyed.end());
  bool case_only_twins = false;
  for (std::size_t i = 1; i < keyed.size() && !case_only_twins; ++i)
    case_only_twins =
        keyed[i].first == keyed[i - 1].first && keyed[i].second != keyed[i - 1].second;
  std::vector<std::string> texts;
  texts.reserve(lines.size());
  if (!case_only_twins) {
    for (auto& [key, text] : keyed)
      texts.push_back(std::move(text));
    return texts;
  }
  SortArray_CompLine(lines);
  for (const CompLine& line : lines)
    texts.push_back(line.text);
  return texts;
}

}  // namespace

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
    return SortedLineTexts(source_lines) == SortedLineTexts(target_lines);
  } catch (...) {
    ReportUnexpectedFailure(ui, std::current_exception(), "modIgnoreColumnsOrder",
                            "CompareProcs_IgnoreColumnsOrder");
    return false;
  }
}

}  // namespace korvane
