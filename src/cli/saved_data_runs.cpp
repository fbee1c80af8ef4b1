#include "cli/saved_data_runs.h"

#include <array>

#include "app/application_context.h"
#include "base/user_interface.h"
#include "cli/cli.h"
#include "cli/compare_data_all_command.h"
#include "cli/compare_data_command.h"
#include "datacomp/table_comp_settings.h"
#include "datacomp/table_settings_key.h"
#include "saved/comparison_codes.h"
#include "saved/saved_process.h"

namespace korvane {
namespace {

constexpr std::string_view kDataSubTypeNotDefined =
    "Cannot run saved process - comparison sub type not defined.";

// Sub type 40: the stored pair of tables with the options stored for both tables, the method
// the process holds, and its export.
int RunSinglePair(ApplicationContext& context, const SavedProcess& process, std::ostream& out,
                  TerminalProgressLine* progress) {
  const std::array<DataCompareTable, 2> tables = {
      DataCompareTable{process.db_name1, process.table_name1, process.obj_id1},
      DataCompareTable{process.db_name2, process.table_name2, process.obj_id2}};
  DataCompareOptions options = ReadStoredDataCompareOptions(
      context.locations.tables_comps_ini,
      TableSettingsKey(context.CurrentServers[0].Name, tables[0].database, tables[0].table),
      TableSettingsKey(context.CurrentServers[1].Name, tables[1].database, tables[1].table));
  options.CompMethod = process.comp_method == kCompMethodPrimaryKey ? kCompMethodPrimaryKey
                                                                    : kCompMethodRecordByRecord;
  DataCompareExportRequest export_request;
  if (!process.export_file_path.empty()) {
    export_request.file = process.export_file_path;
    export_request.export_type = process.export_type;
  }
  return RunUnattendedDataCompare(context, tables, options, export_request, out, nullptr, progress);
}

}  // namespace

int RunSavedDataProcess(ApplicationContext& context, const SavedProcess& process, std::ostream& out,
                        TerminalProgressLine* progress) {
  switch (process.comp_sub_type) {
    case kCompSubTypeDataSingleTable:
      return RunSinglePair(context, process, out, progress);
    case kCompSubTypeDataSelective:
      return RunUnattendedBulkDataCompare(context, process.db_name1, process.db_name2, true,
                                          &process, out, progress);
    case kCompSubTypeDataAll:
      return RunUnattendedBulkDataCompare(context, process.db_name1, process.db_name2, false,
                                          &process, out, progress);
    default:
      context.ui.ShowMessage(kDataSubTypeNotDefined, MessageIcon::kExclamation);
      return kExitFailed;
  }
}

}  // namespace korvane
