// The title of the messages that refuse a comparison, shared by every comparison command.
#pragma once

#include <string_view>

namespace korvane {

inline constexpr std::string_view kCannotCompareTitle = "Cannot Compare";

}  // namespace korvane
