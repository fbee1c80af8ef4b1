#include "compare/difference_marker.h"

#include <algorithm>
#include <cstddef>

#include "base/error_report.h"
#include "base/text_view.h"
#include "base/user_interface.h"

namespace korvane {
namespace {

void SetStates(std::vector<CompLine>& lines, std::size_t from, std::size_t to, LineState state) {
  for (std::size_t k = from; k < to; ++k)
    lines[k].state = state;
}

// Index of the first line in [from, from + kMarkLookAhead] (within the list) whose text is
// `text`; lines.size() when there is none.
std::size_t FindAhead(const std::vector<CompLine>& lines, std::size_t from,
                      const std::string& text) {
  const std::size_t last = std::min(lines.size(), from + kMarkLookAhead + 1);
  for (std::size_t m = from; m < last; ++m) {
    if (lines[m].text == text)
      return m;
  }
  return lines.size();
}

void AssignStates(std::vector<CompLine>& source, std::vector<CompLine>& target) {
  if (source.empty()) {
    SetStates(target, 0, target.size(), LineState::kOnlyInTarget);
    return;
  }
  if (target.empty()) {
    SetStates(source, 0, source.size(), LineState::kOnlyInSource);
    return;
  }

  std::size_t i = 0;
  std::size_t j = 0;
  bool source_exhausted = false;
  bool target_exhausted = false;
  for (std::size_t step = 0; step < source.size(); ++step) {
    if (i >= source.size()) {
      source_exhausted = true;
      break;
    }
    if (j >= target.size()) {
      target_exhausted = true;
      break;
    }
    if (source[i].text == target[j].text) {
      source[i].state = LineState::kNotChanged;
      target[j].state = LineState::kNotChanged;
    } else if (const std::size_t m = FindAhead(target, j, source[i].text); m < target.size()) {
      SetStates(target, j, m, LineState::kOnlyInTarget);
      source[i].state = LineState::kNotChanged;
      j = m;
      target[j].state = LineState::kNotChanged;
    } else if (const std::size_t n = FindAhead(source, i, target[j].text); n < source.size()) {
      SetStates(source, i, n, LineState::kOnlyInSource);
      target[j].state = LineState::kNotChanged;
      i = n;
      source[i].state = LineState::kNotChanged;
    } else {
      source[i].state = LineState::kChanged;
      target[j].state = LineState::kChanged;
    }
    ++i;
    ++j;
  }
  if (source_exhausted)
    SetStates(target, j, target.size(), LineState::kOnlyInTarget);
  if (target_exhausted)
    SetStates(source, i, source.size(), LineState::kOnlyInSource);

  // Trailing lines the walk did not reach.
  for (auto line = source.rbegin(); line != source.rend(); ++line) {
    if (line->state != LineState::kNotAssigned)
      break;
    line->state = LineState::kOnlyInSource;
  }
  for (auto line = target.rbegin(); line != target.rend(); ++line) {
    if (line->state != LineState::kNotAssigned)
      break;
    line->state = LineState::kOnlyInTarget;
  }
}

void Paint(TextView& box, const std::vector<CompLine>& lines) {
  for (const CompLine& line : lines)
    box.SetBackground(line.start, line.end - line.start, GetStateColor(line.state));
}

}  // namespace

void Mark_Differences(TextView& source_box, TextView& target_box,
                      std::vector<CompLine>& source_lines, std::vector<CompLine>& target_lines,
                      bool& error, UserInterface& ui) {
  error = false;
  source_lines.clear();
  target_lines.clear();
  try {
    if (source_box.Text() == target_box.Text())
      return;
    bool source_error = false;
    bool target_error = false;
    TXText_ConvTextToArray(source_box, source_lines, source_error);
    TXText_ConvTextToArray(target_box, target_lines, target_error);
    if (source_error || target_error) {
      error = true;
      source_lines.clear();
      target_lines.clear();
      ui.ShowMessage(kMarkDifferencesErrorMessage, MessageIcon::kCritical);
      return;
    }
    if (source_lines.empty() && target_lines.empty())
      return;
    AssignStates(source_lines, target_lines);
    Paint(source_box, source_lines);
    Paint(target_box, target_lines);
  } catch (...) {
    error = true;
    ReportUnexpectedFailure(ui, std::current_exception(), "modMarkDifferences", "Mark_Differences");
  }
}

}  // namespace korvane
