#include "compare/report_save.h"

#include "saved/saved_comparison_store.h"

namespace korvane {

SavedProcess SavedProcessOfReport(const ReportWindowState& state) {
  SavedProcess process;
  process.comp_type = state.comparison_type;
  process.comp_sub_type = state.sub_type;
  process.comp_sub_sub_type = state.sub_sub_type;
  process.enc_obj_types = state.object_types;
  process.comp_method = state.comparison_method;
  process.server_name1 = state.source_server;
  process.server_name2 = state.target_server;
  process.db_name1 = state.source_database;
  process.db_name2 = state.target_database;
  process.table_name1 = state.table_1;
  process.table_name2 = state.table_2;
  process.sel_comp_count_source = state.source_count;
  process.sel_comp_count_target = state.target_count;
  process.source_selection = state.source_selection;
  process.target_selection = state.target_selection;
  process.obj_id1 = state.object_id_1;
  process.obj_id2 = state.object_id_2;
  return process;
}

bool StoreProcessRecorder::SetExport(std::string_view process_name, std::string_view export_path,
                                     std::int32_t export_type) {
  return store_.SetExport(process_name, export_path, export_type);
}

bool StoreProcessRecorder::SetPrint(std::string_view process_name, bool print) {
  return store_.SetPrint(process_name, print);
}

}  // namespace korvane
