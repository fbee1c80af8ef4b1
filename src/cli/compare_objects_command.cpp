#include "cli/compare_objects_command.h"

#include <optional>

#include "app/application_context.h"
#include "base/memory_list_control.h"
#include "base/memory_text_view.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/object_list.h"
#include "catalog/object_type.h"
#include "cli/cli.h"
#include "cli/cli_support.h"
#include "cli/run_saved_command.h"
#include "compare/compare_selected_in_context.h"
#include "run/saved_process_host.h"
#include "saved/ignored_columns.h"
#include "script/structure_text.h"
#include "script/table_structure.h"

namespace korvane {
namespace {

constexpr std::string_view kCompareObjectsTitle = "Compare Objects";

// A view that shows nothing readable: the object's text could not be read.
bool Unread(const TextView& view) {
  const std::string text = view.Text();
  return Trim(text).empty() || text == kNothingToShow;
}

}  // namespace

int CompareSelectedInLists(ApplicationContext& context, ObjectType type,
                           const std::array<const ListControl*, 2>& objects,
                           const std::array<std::string, 2>& databases, TextView& source_view,
                           TextView& target_view, const SavedProcessRunState& run,
                           std::ostream& out) {
  SelectionContext selection;
  selection.type_code = ObjectTypeCode(type);
  selection.type_word = ObjectTypeName(type, false);
  for (int side : {kSource, kTarget}) {
    const ListControl& list = *objects[side];
    SelectedObject& object = selection.sides[side];
    object.server_name = context.CurrentServers[side].Name;
    object.database = databases[side];
    object.object_name = list.CurrentText();
    if (list.CurrentRow() >= 0)
      object.object_id = static_cast<std::int32_t>(LeadingNumber(list.Cell(list.CurrentRow(), 2)));
  }
  const bool unread = Unread(source_view) || Unread(target_view);
  std::optional<SelectedObjectsComparison> result =
      CompareSelectedObjects(context, selection, source_view, target_view);
  if (!result)
    return kExitFailed;
  ReportWindowState window = result->window;
  window.running_saved_process = run.running_saved_process;
  window.export_path = run.export_path;
  window.print = run.print;
  ShowReportUnattended(context, window, result->report_text);
  out << result->report_text << "\n";
  if (unread)
    return kExitFailed;
  return result->identical ? kExitDone : kExitDifferent;
}

int CompareObjectsCommand(ApplicationContext& context, const std::vector<std::string>& args,
                          std::ostream& out) {
  UserInterface& ui = context.ui;
  if (args.size() != 7) {
    ui.ShowMessage("usage: compare-objects SSERVER SDB TSERVER TDB TYPE SNAME TNAME",
                   MessageIcon::kExclamation, kCompareObjectsTitle);
    return kExitFailed;
  }
  const std::optional<ObjectType> type = ObjectTypeFromName(args[4]);
  if (!type || ObjectTypeIndex(*type) < 0) {
    ui.ShowMessage("unknown object type \"" + args[4] +
                       "\"; use tables, procedures, functions, views, triggers, relationships "
                       "or constraints",
                   MessageIcon::kExclamation, kCompareObjectsTitle);
    return kExitFailed;
  }
  if (!SetSide(context, kSource, args[0]) || !SetSide(context, kTarget, args[2]))
    return kExitFailed;

  const StructureTextRenderer render = MakeStructureTextRenderer(context);
  const std::array<std::string, 2> databases = {args[1], args[3]};
  MemoryListControl lists[2];
  MemoryTextView views[2];
  for (int side : {kSource, kTarget}) {
    const std::string& database = databases[side];
    const std::string& name = args[side == kSource ? 5 : 6];
    ServerRecord& server = context.CurrentServers[side];
    LoadObjects(context, server, lists[side], nullptr, *type, database);
    const int row = SelectRowByText(lists[side], name);
    if (row < 0) {
      ui.ShowMessage(ObjectTypeName(*type, true) + " " + name + " not found in " + server.Name +
                         "." + database + ".",
                     MessageIcon::kExclamation, kCompareObjectsTitle);
      return kExitFailed;
    }
    render(server, lists[side], views[side], *type, database);
  }
  return CompareSelectedInLists(context, *type, {&lists[kSource], &lists[kTarget]}, databases,
                                views[kSource], views[kTarget], SavedProcessRunState{}, out);
}

}  // namespace korvane
