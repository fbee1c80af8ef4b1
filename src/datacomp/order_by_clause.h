// The ORDER BY clause of one side's data query, built from its three sort keys.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

// The sort keys are trimmed of spaces. An empty primary key gives the empty text (the table's
// own order). Otherwise " ORDER BY [primary]", then ", [secondary]" when the secondary is set
// and, only after a secondary, ", [tertiary]", and one closing space:
//   (" OrderID", "", "Qty") -> " ORDER BY [OrderID] "
// Every "]" inside a name is doubled, so any column name stays one bracketed identifier.
std::string BuildOrderBy(std::string_view primary, std::string_view secondary,
                         std::string_view tertiary);

// The name in square brackets with every "]" inside it doubled: "a]b" -> "[a]]b]".
std::string BracketColumnName(std::string_view name);

}  // namespace korvane
