// What the data view and the data analyzer know of their table before they open: the side's
// server, the table label, and the record count under the name the rows are then read by.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "db/server_record.h"

namespace korvane {

struct ApplicationContext;

// The title of the count messages of both windows.
inline constexpr std::string_view kViewDataTitle = "View Data";

// One table of one side, as the main window's selection names it.
struct ViewedTable {
  int side = 0;  // 0 Source, 1 Target
  std::string database;
  std::string table;
  std::int32_t object_id = 0;
};

// "Table: " + table + " (Database: " + database + ", Server: " + server + ")".
std::string TableLabel(std::string_view table, std::string_view database, std::string_view server);

// "Error while reading data from table " + table + ".".
std::string ReadErrorMessage(std::string_view table);
// "Table " + table + " doesn't contain any data.".
std::string EmptyTableMessage(std::string_view table);

struct CountedTable {
  ServerRecord server;          // the side's connection record
  std::string label;            // TableLabel
  std::int64_t count = 0;       // more than 0 when `opened`
  std::string qualified_table;  // the name the table was counted under
  bool opened = false;
};

// Counts the table's records for a window that is opening. A failed count shows
// ReadErrorMessage (exclamation) and an empty table EmptyTableMessage (information), both
// titled kViewDataTitle; either leaves `opened` false.
CountedTable CountViewedTable(ApplicationContext& context, const ViewedTable& table);

}  // namespace korvane
