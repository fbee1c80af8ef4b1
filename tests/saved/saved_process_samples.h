// Comparisons as the report windows describe them, for the saved-process tests.
#pragma once

#include <string>

#include "saved/saved_process.h"

namespace korvane::testing {

// A selective structure comparison of procedures in Details mode with two and one selected
// objects.
inline SavedProcess SelectiveProcedures(std::string name = "Nightly check") {
  SavedProcess process;
  process.name = std::move(name);
  process.comp_type = 1;
  process.comp_sub_type = 30;
  process.comp_sub_sub_type = 40;
  process.enc_obj_types = "0,1,0,0,0,0,0";
  process.comp_method = -1;
  process.server_name1 = "DEV01";
  process.server_name2 = "PROD01";
  process.db_name1 = "Sales";
  process.db_name2 = "Sales";
  process.sel_comp_count_source = 2;
  process.sel_comp_count_target = 1;
  process.source_selection = {"[dbo].[usp_GetOrders]", "[dbo].[usp_PutOrder]"};
  process.target_selection = {"[dbo].[usp_GetOrders]"};
  return process;
}

// A data comparison of one pair of tables by key, exported as CSV and printed.
inline SavedProcess SingleTableByKey(std::string name = "Orders data") {
  SavedProcess process;
  process.name = std::move(name);
  process.comp_type = 0;
  process.comp_sub_type = 40;
  process.comp_sub_sub_type = 0;
  process.enc_obj_types = "";
  process.comp_method = 1;
  process.server_name1 = "DEV01";
  process.server_name2 = "PROD01";
  process.db_name1 = "Sales";
  process.db_name2 = "SalesCopy";
  process.table_name1 = "Orders";
  process.table_name2 = "Orders2";
  process.export_file_path = "/tmp/orders.csv";
  process.export_type = 2;
  process.print = true;
  process.obj_id1 = 1977058079;
  process.obj_id2 = 12;
  return process;
}

}  // namespace korvane::testing
