// TableSettingsKey: the name under which the program keeps settings of one table: the server
// name as the server list spells it, the database and the table name (no owner, no brackets),
// joined by "." (DEV01.Sales.Orders). It names the table's section in kvn_tables_comps.ini
// and in the ignored-column files, and names the table in comparison logs and messages.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

inline std::string TableSettingsKey(std::string_view server, std::string_view database,
                                    std::string_view table) {
  std::string key;
  key.reserve(server.size() + database.size() + table.size() + 2);
  key.append(server).append(".").append(database).append(".").append(table);
  return key;
}

}  // namespace korvane
