// Ignored-column lists: per table, the columns that a data comparison, a structure comparison
// or the data analyzer leaves out. Each use has its own INI file in the data folder:
//
//   [DEV01.Sales.Orders]        <- the table's TableSettingsKey
//   0=RowVersion                <- keys "0", "1", ... in list order, values column names
//   1=LastChanged
//
// A table without ignored columns has no section. The Source and the Target table of a
// comparison have sections of their own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/locations.h"

namespace korvane {

class UserInterface;

enum class IgnoredColumnsKind : std::int32_t {
  Data = 1,          // kvn_ignored_cols_data.ini
  Structure = 2,     // kvn_ignored_cols_struct.ini
  DataAnalysis = 3,  // kvn_ignored_cols_dataanalysis.ini
};

inline constexpr std::string_view kDeleteSectionFailedMessage =
    "Saving list of ignored columns - delete section failed.";

// The kind's file; an empty path for a value outside the three kinds.
std::filesystem::path IgnoredColumnsFile(const AppLocations& locations, IgnoredColumnsKind kind);

// The table's list: the values of its section's keys in file order (each at most 254
// characters, as INI reads are). Empty when the table has no section or the file is missing.
std::vector<std::string> GetIgnoredColumns(const AppLocations& locations, IgnoredColumnsKind kind,
                                           std::string_view table_key);

// True when the column's name equals a listed name, letter case aside.
bool IsColumnIgnored(const std::vector<std::string>& ignored, std::string_view column);

// Replaces the table's list: deletes its section (showing kDeleteSectionFailedMessage when
// that fails, and going on), then writes the keys "0" to size - 1 with the names in order. An
// empty list leaves no section. False when any of these writes failed.
bool SaveIgnoredColumns(const AppLocations& locations, IgnoredColumnsKind kind,
                        std::string_view table_key, const std::vector<std::string>& columns,
                        UserInterface& ui);

struct IgnoredColumnRecord {
  std::string server;
  std::string database;
  std::string table;
  std::string column;

  friend bool operator==(const IgnoredColumnRecord&, const IgnoredColumnRecord&) = default;
};

struct IgnoredColumnsListing {
  std::vector<IgnoredColumnRecord> records;
  // One line per record: server ", " database ", " table ", " column CR LF.
  std::string text;
};

// Every ignored column of the kind: sections in file order, keys in section order. A section
// name is split into server, database and table at its last two dots, since server names may
// hold dots (host names, addresses) while the other two seldom do; a name with fewer dots
// fills server, database and table from the left and leaves the rest empty.
IgnoredColumnsListing LoadAllIgnoredColumns(const AppLocations& locations, IgnoredColumnsKind kind);

}  // namespace korvane
