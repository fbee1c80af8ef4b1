// The object-type words of comparison reports: the lower-case plural that every report sentence
// uses ("tables", "procedures", ...) and the report's singular, which is that plural without its
// last letter ("table", "procedure", ...), plus the fixed order in which a database comparison
// visits the types.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

// Type codes in visiting order: tables 50, procedures 10, functions 20, views 30, triggers 40,
// relationships 60, constraints 80.
inline constexpr std::array<std::int32_t, 7> kReportTypeOrder = {50, 10, 20, 30, 40, 60, 80};

// Position of the code in kReportTypeOrder; kReportTypeOrder.size() for any other code.
std::size_t ReportTypeOrderIndex(std::int32_t type_code);

// "tables", "procedures", "functions", "views", "triggers", "relationships", "constraints";
// "objects" for any other code.
std::string_view ReportTypePlural(std::int32_t type_code);

// The plural without its last letter: "table" ... "constraint", "object".
std::string ReportTypeSingular(std::int32_t type_code);

}  // namespace korvane
