// Start-up of both front ends: from the command line to a loaded application context.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvane {

struct ApplicationContext;

// The saved comparison that the argument text asks to run ("/RunSavedComp N", key matched
// without regard to case): N's leading numeric value rounded half to even; 0 when none, when
// N has no leading number, or when it does not fit.
std::int32_t ReadRunSavedCompId(std::string_view argument_text);

// The start-up sequence after the locations are known, in this order: debug mode from the
// marker, both side records reset, the settings version check, the settings and the server list
// loaded, the program folder written to "Location", the command line read.
void RunStartUp(ApplicationContext& context, std::string_view argument_text);

}  // namespace korvane
