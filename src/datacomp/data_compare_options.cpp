#include "datacomp/data_compare_options.h"

namespace korvane {

bool IsKeyColumnSet(std::string_view key_column) {
  return !key_column.empty() && key_column != kNoField;
}

}  // namespace korvane
