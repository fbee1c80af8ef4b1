#include "compare/color_legend.h"

namespace korvane {
namespace {

ColorLegendEntry Entry(LineState state, std::string_view caption) {
  return {state, caption, GetStateColor(state)};
}

}  // namespace

std::array<ColorLegendEntry, 5> ColorLegendEntries() {
  return {
      Entry(LineState::kOnlyInTarget, "Inserted (exists only in target)"),
      Entry(LineState::kOnlyInSource, "Deleted (exists only in source)"),
      Entry(LineState::kChanged, "Changed"),
      Entry(LineState::kNotChanged, "Not Changed"),
      Entry(LineState::kNotAssigned, "Not Assigned"),
  };
}

}  // namespace korvane
