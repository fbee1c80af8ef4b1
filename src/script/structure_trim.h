// The trimming of module, relationship and constraint texts.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

// A text of more than one character loses every leading, then every trailing space, tab, CR
// and LF; a text of one character (counted in characters, not bytes) is kept as it is, so a
// definition of a single space stays one space.
std::string TrimStructureText(std::string_view text);

}  // namespace korvane
