#include "compare/database_comparison_result.h"

namespace korvane {

bool AnyDifference(const TypeComparison& type) {
  const bool one_sided = (type.source_count < 1) != (type.target_count < 1);
  return one_sided || !type.different.empty() || !type.source_only.empty() ||
         !type.target_only.empty();
}

std::string_view BareObjectName(std::string_view displayed_name) {
  const std::size_t dot = displayed_name.rfind('.');
  return dot == std::string_view::npos ? displayed_name : displayed_name.substr(dot + 1);
}

}  // namespace korvane
