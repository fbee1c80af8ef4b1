// The difference state of one line of a structure view, and the background colour that shows
// it.
#pragma once

#include <cstdint>

#include "base/text_view.h"

namespace korvane {

enum class LineState : std::int32_t {
  kNotAssigned = 0,
  kNotChanged = 10,
  kChanged = 20,
  kOnlyInTarget = 30,  // inserted: exists only in the Target
  kOnlyInSource = 40,  // deleted: exists only in the Source
};

// Yellow for kNotAssigned, white for kNotChanged, light green for kChanged, light blue for
// kOnlyInTarget, light red for kOnlyInSource; black for any other value.
RgbColor GetStateColor(LineState state);

}  // namespace korvane
