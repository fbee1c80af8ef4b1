#include "compare/database_comparison_result.h"

namespace korvane {

std::string_view BareObjectName(std::string_view displayed_name) {
  const std::size_t dot = displayed_name.rfind('.');
  return dot == std::string_view::npos ? displayed_name : displayed_name.substr(dot + 1);
}

}  // namespace korvane
