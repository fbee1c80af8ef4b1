#include "compare/line_state.h"

namespace korvane {

RgbColor GetStateColor(LineState state) {
  switch (state) {
    case LineState::kNotAssigned:
      return {255, 255, 0};
    case LineState::kNotChanged:
      return {255, 255, 255};
    case LineState::kChanged:
      return {192, 255, 192};
    case LineState::kOnlyInTarget:
      return {122, 195, 217};
    case LineState::kOnlyInSource:
      return {255, 192, 192};
  }
  return {0, 0, 0};
}

}  // namespace korvane
