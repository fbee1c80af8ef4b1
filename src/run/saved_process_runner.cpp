#include "run/saved_process_runner.h"

#include <optional>

#include "app/application_context.h"
#include "base/user_interface.h"
#include "compare/comparison_commands.h"
#include "run/saved_process_host.h"
#include "saved/comparison_codes.h"
#include "saved/enc_obj_types.h"
#include "saved/saved_comparison_store.h"
#include "saved/saved_process.h"

namespace korvane {
namespace {

void Refuse(ApplicationContext& context, std::string_view message) {
  context.ui.ShowMessage(message, MessageIcon::kExclamation);
}

// Sets the run state for the command and, on leaving, restores the busy flag the run found and
// clears the run state.
class RunStateScope {
 public:
  RunStateScope(SavedProcessHost& host, const SavedProcess& process)
      : host_(host), was_busy_(host.IsBusy()) {
    host_.SetRunState(MakeRunState(process));
  }
  ~RunStateScope() {
    host_.SetBusy(was_busy_);
    host_.SetRunState({});
  }
  RunStateScope(const RunStateScope&) = delete;
  RunStateScope& operator=(const RunStateScope&) = delete;

 private:
  SavedProcessHost& host_;
  bool was_busy_;
};

// Makes `type` the window's object type. The busy flag is cleared for the change, so that both
// object lists are reloaded for the type, and set again for the selections that follow.
void MakeCurrentType(SavedProcessHost& host, ObjectType type) {
  if (host.CurrentObjectType() == type)
    return;
  const bool busy = host.IsBusy();
  host.SetBusy(false);
  host.SelectObjectType(type);
  host.SetBusy(busy);
}

// Selects the Source and then the Target name; the first one missing is refused with the
// message `not_found` builds.
bool SelectPair(ApplicationContext& context, SavedProcessHost& host, const SavedProcess& process,
                std::string (*not_found)(std::string_view)) {
  if (!host.SelectObject(kSource, process.table_name1)) {
    Refuse(context, not_found(process.table_name1));
    return false;
  }
  if (!host.SelectObject(kTarget, process.table_name2)) {
    Refuse(context, not_found(process.table_name2));
    return false;
  }
  return true;
}

// Puts the stored servers and databases into the window (steps with the busy flag as the run
// prescribes). False after the refusal.
bool PrepareWindow(ApplicationContext& context, SavedProcessHost& host,
                   const SavedProcess& process) {
  host.SetBusy(false);
  if (!host.SelectServer(kSource, process.server_name1)) {
    Refuse(context, SourceServerNotFoundMessage(process.server_name1));
    return false;
  }
  if (!host.SelectServer(kTarget, process.server_name2)) {
    Refuse(context, TargetServerNotFoundMessage(process.server_name2));
    return false;
  }
  host.SetBusy(true);
  // The most recently used databases are not reopened: the stored ones are selected next.
  host.InitializeDisplay(false);
  if (!host.SelectDatabase(kSource, process.db_name1)) {
    Refuse(context, DatabaseNotFoundMessage(process.db_name1));
    return false;
  }
  if (!host.SelectDatabase(kTarget, process.db_name2)) {
    Refuse(context, DatabaseNotFoundMessage(process.db_name2));
    return false;
  }
  return true;
}

}  // namespace

SavedProcessRunState MakeRunState(const SavedProcess& process) {
  SavedProcessRunState state;
  state.running_saved_process = true;
  state.sub_type = process.comp_sub_type;
  state.sub_sub_type = process.comp_sub_sub_type;
  state.object_types = process.enc_obj_types;
  state.export_path = process.export_file_path;
  state.print = process.print;
  return state;
}

std::string SourceServerNotFoundMessage(std::string_view name) {
  return "Cannot run saved process - path " + std::string(name) + " not found.";
}

std::string TargetServerNotFoundMessage(std::string_view name) {
  return "Cannot run saved process - server " + std::string(name) + " not found.";
}

std::string DatabaseNotFoundMessage(std::string_view name) {
  return "Cannot run saved process - SQL Server database " + std::string(name) + " not found.";
}

std::string ObjectNotFoundMessage(std::string_view name) {
  return "Cannot run saved process - object " + std::string(name) + " not found.";
}

std::string TableNotFoundMessage(std::string_view name) {
  return "Cannot run saved process - table " + std::string(name) + " not found.";
}

SavedProcessRunOutcome RunSavedProcess(ApplicationContext& context, SavedProcessHost& host,
                                       std::int32_t id) {
  SavedComparisonStore store(context.locations, context.ui);
  if (store.ProcessCount() == 0) {
    context.ui.ShowMessage(kNoSavedProcessesMessage, MessageIcon::kInformation);
    return SavedProcessRunOutcome::kNotRun;
  }
  host.SetBusy(true);
  const std::string name = id < 1 ? host.PickProcess() : store.ProcessName(id);
  host.SetBusyCursor(true);

  SavedProcessRunOutcome outcome = SavedProcessRunOutcome::kNotRun;
  if (!name.empty()) {
    const SavedProcess process = store.LoadProcess(name);
    outcome = SavedProcessRunOutcome::kRefused;
    if (process.server_name1.empty() || process.db_name1.empty() || process.server_name2.empty() ||
        process.db_name2.empty()) {
      Refuse(context, kProcessDetailsMissingMessage);
    } else if (process.id < 1) {
      Refuse(context, kProcessIdMissingMessage);
    } else if (PrepareWindow(context, host, process)) {
      switch (process.comp_type) {
        case kCompTypeData:
          outcome = RunDataProcess(context, host, process);
          break;
        case kCompTypeStructure:
          outcome = RunStructureProcess(context, host, process);
          break;
        default:
          Refuse(context, kCompTypeNotDefinedMessage);
          break;
      }
    }
  }
  host.SetBusyCursor(false);
  host.SetBusy(false);
  return outcome;
}

SavedProcessRunOutcome RunStructureProcess(ApplicationContext& context, SavedProcessHost& host,
                                           const SavedProcess& process) {
  const RunStateScope scope(host, process);
  const int type_index = ObjTypesTypeIndex(process.enc_obj_types);
  switch (process.comp_sub_type) {
    case kCompSubTypeStructureAll:
      host.CompareAllObjects(process);
      return SavedProcessRunOutcome::kStarted;
    case kCompSubTypeStructureBulk:
      host.CompareObjectsOfType(type_index, process.comp_sub_sub_type == kCompSubSubTypeBulkDetails,
                                /*selective=*/false, process);
      return SavedProcessRunOutcome::kStarted;
    case kCompSubTypeStructureSelective:
      host.CompareObjectsOfType(type_index,
                                process.comp_sub_sub_type == kCompSubSubTypeSelectiveDetails,
                                /*selective=*/true, process);
      return SavedProcessRunOutcome::kStarted;
    case kCompSubTypeStructureIndividual: {
      const std::optional<ObjectType> type = ObjectTypeFromIndex(type_index);
      if (!type) {
        // The same refusal the one-type command gives a type index outside 0 to 6.
        context.ui.ShowMessage(std::string(kWrongTypeIndexMessage) + std::to_string(type_index));
        return SavedProcessRunOutcome::kRefused;
      }
      MakeCurrentType(host, *type);
      if (!SelectPair(context, host, process, &ObjectNotFoundMessage))
        return SavedProcessRunOutcome::kRefused;
      host.CompareSelectedObjects();
      return SavedProcessRunOutcome::kStarted;
    }
    default:
      Refuse(context, kStructureSubTypeNotDefinedMessage);
      return SavedProcessRunOutcome::kRefused;
  }
}

SavedProcessRunOutcome RunDataProcess(ApplicationContext& context, SavedProcessHost& host,
                                      const SavedProcess& process) {
  const RunStateScope scope(host, process);
  switch (process.comp_sub_type) {
    case kCompSubTypeDataSingleTable:
      // The stored names are tables: the object lists must list tables to find them, whatever
      // type the window showed before.
      MakeCurrentType(host, ObjectType::kTables);
      if (!SelectPair(context, host, process, &TableNotFoundMessage))
        return SavedProcessRunOutcome::kRefused;
      {
        // The names were found in the object lists; the ids are the lists' as well, so that the
        // queries name the listed tables whatever ids the process file holds.
        SavedProcess listed = process;
        listed.obj_id1 = host.SelectedObjectId(kSource);
        listed.obj_id2 = host.SelectedObjectId(kTarget);
        host.CompareTablePair(listed);
      }
      return SavedProcessRunOutcome::kStarted;
    case kCompSubTypeDataSelective:
      host.CompareSelectedTables(process);
      return SavedProcessRunOutcome::kStarted;
    case kCompSubTypeDataAll:
      host.CompareAllTables(process);
      return SavedProcessRunOutcome::kStarted;
    default:
      Refuse(context, kDataSubTypeNotDefinedMessage);
      return SavedProcessRunOutcome::kRefused;
  }
}

}  // namespace korvane
