#include "compare/report_type_names.h"

namespace korvane {

std::size_t ReportTypeOrderIndex(std::int32_t type_code) {
  for (std::size_t i = 0; i < kReportTypeOrder.size(); ++i) {
    if (kReportTypeOrder[i] == type_code)
      return i;
  }
  return kReportTypeOrder.size();
}

std::string_view ReportTypePlural(std::int32_t type_code) {
  switch (type_code) {
    case 10:
      return "procedures";
    case 20:
      return "functions";
    case 30:
      return "views";
    case 40:
      return "triggers";
    case 50:
      return "tables";
    case 60:
      return "relationships";
    case 80:
      return "constraints";
    default:
      return "objects";
  }
}

std::string ReportTypeSingular(std::int32_t type_code) {
  const std::string_view plural = ReportTypePlural(type_code);
  return std::string(plural.substr(0, plural.size() - 1));
}

}  // namespace korvane
