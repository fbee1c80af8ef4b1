#include "script/structure_trim.h"

#include "base/text.h"

namespace korvane {

std::string TrimStructureText(std::string_view text) {
  if (Utf8Length(text) <= 1)
    return std::string(text);
  constexpr std::string_view kBlanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos)
    return std::string();
  const std::size_t last = text.find_last_not_of(kBlanks);
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace korvane
