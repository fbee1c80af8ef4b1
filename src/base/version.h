// The program's version as the settings store, the error report and the scripts show it.
#pragma once

#include <string_view>

namespace korvane {

inline constexpr std::string_view kApplicationTitle = "Korvane";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 3;
// Major ".", minor: the text kept in "VerNum" and sent with error reports.
inline constexpr std::string_view kProgramVersion = "1.3";
inline constexpr int kBuildNumber = 172;

}  // namespace korvane
