#include "compare/database_comparison_result.h"

namespace korvane {

bool AnyDifference(const TypeComparison& type) {
  const bool one_sided = (type.source_count < 1) != (type.target_count < 1);
  return one_sided || !type.different.empty() || !type.source_only.empty() ||
         !type.target_only.empty();
}

}  // namespace korvane
