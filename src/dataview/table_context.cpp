#include "dataview/table_context.h"

#include "app/application_context.h"
#include "base/user_interface.h"
#include "datacomp/record_count.h"

namespace korvane {

std::string TableLabel(std::string_view table, std::string_view database, std::string_view server) {
  return "Table: " + std::string(table) + " (Database: " + std::string(database) +
         ", Server: " + std::string(server) + ")";
}

std::string ReadErrorMessage(std::string_view table) {
  return "Error while reading data from table " + std::string(table) + ".";
}

std::string EmptyTableMessage(std::string_view table) {
  return "Table " + std::string(table) + " doesn't contain any data.";
}

CountedTable CountViewedTable(ApplicationContext& context, const ViewedTable& table) {
  CountedTable counted;
  counted.server = context.CurrentServers[table.side == kTarget ? kTarget : kSource];
  counted.label = TableLabel(table.table, table.database, counted.server.Name);
  const RecordCount count =
      CountRecords(context, counted.server, table.database, table.table, table.object_id);
  counted.qualified_table = count.qualified_table;
  if (!count.count) {
    context.ui.ShowMessage(ReadErrorMessage(table.table), MessageIcon::kExclamation,
                           kViewDataTitle);
    return counted;
  }
  if (*count.count <= 0) {
    context.ui.ShowMessage(EmptyTableMessage(table.table), MessageIcon::kInformation,
                           kViewDataTitle);
    return counted;
  }
  counted.count = *count.count;
  counted.opened = true;
  return counted;
}

}  // namespace korvane
