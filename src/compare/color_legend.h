// The colour legend of the structure views: which background colour marks which kind of line.
// The legend window draws these entries in order, one swatch each.
#pragma once

#include <array>
#include <string_view>

#include "base/text_view.h"
#include "compare/line_state.h"

namespace korvane {

inline constexpr std::string_view kColorLegendTitle = "Color Schema";
inline constexpr std::string_view kColorLegendIntroduction =
    "Following colors are used to mark differences in structure of compared objects.";
inline constexpr std::string_view kColorLegendCloseCaption = "&Close";

struct ColorLegendEntry {
  LineState state;
  std::string_view caption;
  RgbColor color;  // GetStateColor(state)
};

// Inserted (30), deleted (40), changed (20), not changed (10), and the colour of a line that
// has no state (0), in this order.
std::array<ColorLegendEntry, 5> ColorLegendEntries();

}  // namespace korvane
