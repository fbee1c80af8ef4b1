// One column of a table as the structure reader describes it; the data comparison, data view
// and ignored-column tools reuse these descriptions.
#pragma once

#include <string>

namespace korvane {

struct TableColumn {
  std::string Name;      // as the catalogue stores it
  std::string DataType;  // the type name from systypes (a user-defined type shows its own name)
  // Sized and scaled types: the catalogue's prec (characters for Unicode types, -1 for the
  // (max) types, shown as the server reports it); empty for any other type.
  std::string Size;
  // "nvarchar (50)", "decimal (18,2) " (with its trailing space), or the type name alone.
  std::string TypeWithSize;

  friend bool operator==(const TableColumn&, const TableColumn&) = default;
};

}  // namespace korvane
