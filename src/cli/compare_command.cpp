#include "cli/compare_command.h"

#include <algorithm>
#include <array>
#include <optional>

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/object_type.h"
#include "cli/cli.h"
#include "cli/cli_support.h"
#include "compare/comparison_commands.h"
#include "compare/comparison_progress.h"
#include "compare/object_selection.h"
#include "compare/report_save.h"
#include "compare/script_text_source.h"
#include "db/data_access.h"
#include "db/server_list.h"
#include "saved/comparison_codes.h"
#include "saved/save_comparison_dialog.h"
#include "saved/saved_comparison_store.h"

namespace korvane {
namespace {

constexpr std::string_view kCompareTitle = "Compare";

struct CompareOptions {
  std::vector<std::string> positional;
  std::vector<std::string> type_names;
  bool details = false;
  std::optional<std::vector<std::string>> source_objects;
  std::optional<std::vector<std::string>> target_objects;
  std::optional<std::string> save_name;
};

// Names joined by "," as the selection dialog would have picked them; empty parts are dropped.
std::vector<std::string> ObjectNames(std::string_view joined) {
  std::vector<std::string> names;
  for (const std::string& part : Split(joined, ",")) {
    if (!part.empty())
      names.push_back(part);
  }
  return names;
}

// The picked objects as the selection dialog hands them over: each side's names in list order,
// and "all selected" when both sides picked every listed object. Nothing, after a message, when
// a name is not listed or a side picked nothing.
std::optional<ObjectSelection> PickObjects(ApplicationContext& context, std::string_view source_db,
                                           std::string_view target_db, ObjectType type,
                                           const std::vector<std::string>& source_names,
                                           const std::vector<std::string>& target_names) {
  const ObjectSelectionLists lists =
      ObjectSelectionLists::Load(context, source_db, target_db, type);
  ObjectSelection selection;
  const std::array<const std::vector<std::string>*, 2> wanted = {&source_names, &target_names};
  const std::array<std::vector<std::string>*, 2> picked = {&selection.source, &selection.target};
  for (int side : {kSource, kTarget}) {
    const auto& rows = lists.rows(side);
    for (const std::string& name : *wanted[side]) {
      const bool listed =
          std::any_of(rows.begin(), rows.end(),
                      [&](const ObjectSelectionLists::Row& r) { return r.name == name; });
      if (!listed) {
        context.ui.ShowMessage("\"" + name + "\" is not among the " + ObjectTypeName(type, false) +
                                   " of the " + (side == kSource ? "Source" : "Target") +
                                   " database",
                               MessageIcon::kExclamation, kCompareTitle);
        return std::nullopt;
      }
    }
    for (const auto& row : rows) {
      if (std::find(wanted[side]->begin(), wanted[side]->end(), row.name) != wanted[side]->end())
        picked[side]->push_back(row.name);
    }
  }
  selection.source_count = static_cast<int>(selection.source.size());
  selection.target_count = static_cast<int>(selection.target.size());
  if (selection.source_count == 0 && selection.target_count == 0) {
    context.ui.ShowMessage(kSelectAtLeastOneObjectMessage, MessageIcon::kInformation);
    return std::nullopt;
  }
  if (selection.source_count == 0) {
    context.ui.ShowMessage(kSelectSourceObjectMessage, MessageIcon::kInformation);
    return std::nullopt;
  }
  if (selection.target_count == 0) {
    context.ui.ShowMessage(kSelectTargetObjectMessage, MessageIcon::kInformation);
    return std::nullopt;
  }
  selection.all_selected = selection.source_count == static_cast<int>(lists.rows(kSource).size()) &&
                           selection.target_count == static_cast<int>(lists.rows(kTarget).size());
  return selection;
}

// Adds an embedded server named on the command line to the server list when it is not listed:
// a saved process names its servers as the list does.
bool ListEmbeddedServer(ApplicationContext& context, const std::string& name) {
  LoadServerList(context);
  const bool listed = std::any_of(context.servers.begin(), context.servers.end(),
                                  [&](const ServerRecord& s) { return s.Name == name; });
  if (listed || !IsEmbeddedServerName(name))
    return true;
  ServerRecord record;
  record.Name = name;
  record.MRUDb = "master";
  if (!TestNewServerConnection(context, record)) {
    context.ui.ShowMessage(
        "Cannot connect to the server - server does not exist or access denied.\r\n\r\n"
        "Please enter correct server data.",
        MessageIcon::kExclamation, "Cannot Connect To The Server");
    return false;
  }
  // Another run may list the same server at the same moment: listed either way is fine.
  if (AppendServer(context, record) == AppendServerOutcome::kNotSaved) {
    context.ui.ShowMessage(context.settings_store.last_error(), MessageIcon::kExclamation,
                           kServerListNotSavedTitle);
    return false;
  }
  return true;
}

// Saves the comparison the report window would show under `name`. False after a message.
bool SaveRun(ApplicationContext& context, const ReportWindowState& window, const std::string& name,
             std::ostream& err) {
  SavedProcess comparison = SavedProcessOfReport(window);
  if (comparison.comp_sub_type == kCompSubTypeStructureSelective &&
      comparison.sel_comp_count_source == 0 && comparison.sel_comp_count_target == 0) {
    // Every object was picked, so the run was an ordinary one; saved as selective without
    // selections its re-run would compare nothing.
    comparison.comp_sub_type = kCompSubTypeStructureBulk;
    comparison.comp_sub_sub_type = comparison.comp_sub_sub_type == kCompSubSubTypeSelectiveDetails
                                       ? kCompSubSubTypeBulkDetails
                                       : kCompSubSubTypeBulkSimple;
  }
  if (!ListEmbeddedServer(context, window.source_server) ||
      !ListEmbeddedServer(context, window.target_server)) {
    return false;
  }
  SavedComparisonStore store(context.locations, context.ui);
  SaveComparisonDialog dialog(store, context.ui, context.clock, std::move(comparison));
  if (dialog.Ok(name, /*print=*/false) != SaveComparisonDialog::OkOutcome::kClosed ||
      !dialog.result().saved) {
    return false;
  }
  err << "Saved as process " << store.ProcessId(dialog.result().name) << "\n";
  return true;
}

}  // namespace

int CompareCommand(ApplicationContext& context, const std::vector<std::string>& args,
                   std::ostream& out, std::ostream& err) {
  UserInterface& ui = context.ui;
  const std::string usage =
      "usage: compare SSERVER SDB TSERVER TDB [--types tables,procedures,...] [--details] "
      "[--source-objects A,B --target-objects C,D] [--save NAME]";
  CompareOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool has_value = i + 1 < args.size();
    if (args[i] == "--types" && has_value) {
      options.type_names = Split(args[++i], ",");
    } else if (args[i] == "--details") {
      options.details = true;
    } else if (args[i] == "--source-objects" && has_value) {
      options.source_objects = ObjectNames(args[++i]);
    } else if (args[i] == "--target-objects" && has_value) {
      options.target_objects = ObjectNames(args[++i]);
    } else if (args[i] == "--save" && has_value) {
      options.save_name = args[++i];
    } else if (args[i].starts_with("--")) {
      ui.ShowMessage(usage, MessageIcon::kExclamation, kCompareTitle);
      return kExitFailed;
    } else {
      options.positional.push_back(args[i]);
    }
  }
  const std::vector<std::string>& positional = options.positional;
  if (positional.size() != 4 ||
      options.source_objects.has_value() != options.target_objects.has_value()) {
    ui.ShowMessage(usage, MessageIcon::kExclamation, kCompareTitle);
    return kExitFailed;
  }
  std::array<bool, kObjTypeCount> ticked{};
  if (options.type_names.empty()) {
    ticked = AllVisibleTypes(context.settings.analyze_constraints);
  } else {
    for (const std::string& name : options.type_names) {
      const auto type = ObjectTypeFromName(Trim(name));
      const int index = type ? ObjectTypeIndex(*type) : -1;
      if (index < 0) {
        ui.ShowMessage("unknown object type \"" + name + "\"", MessageIcon::kExclamation,
                       kCompareTitle);
        return kExitFailed;
      }
      ticked[static_cast<std::size_t>(index)] = true;
    }
  }
  const int ticked_count = static_cast<int>(std::count(ticked.begin(), ticked.end(), true));
  const bool selective = options.source_objects.has_value();
  if ((options.details || selective) && ticked_count != 1) {
    ui.ShowMessage(std::string(selective ? "--source-objects" : "--details") +
                       " compares one object type: name it with --types",
                   MessageIcon::kExclamation, kCompareTitle);
    return kExitFailed;
  }
  if (!SetSide(context, kSource, positional[0]) || !SetSide(context, kTarget, positional[2])) {
    return kExitFailed;
  }
  const int index =
      static_cast<int>(std::find(ticked.begin(), ticked.end(), true) - ticked.begin());
  ScriptTextSource texts(context);
  SilentComparisonProgress progress;
  const ReportPresenter no_window = [](const ReportWindowState&) {};
  ComparisonCommandOutcome outcome;
  if (selective) {
    const ObjectChooser choose = [&](ObjectType type) {
      return PickObjects(context, positional[1], positional[3], type, *options.source_objects,
                         *options.target_objects);
    };
    outcome = CompareSelectedObjectsOfType(context, positional[1], positional[3], index,
                                           options.details, texts, progress, no_window, choose);
  } else if (ticked_count == 1 && !options.type_names.empty()) {
    outcome = CompareAllObjectsOfType(context, positional[1], positional[3], index, options.details,
                                      texts, progress, no_window);
  } else {
    outcome = CompareAllObjects(context, positional[1], positional[3], ticked, texts, progress,
                                no_window);
  }
  if (!outcome.ran || !outcome.run.completed)
    return kExitFailed;
  out << outcome.report;
  if (options.save_name && !SaveRun(context, outcome.window, *options.save_name, err))
    return kExitFailed;
  if (outcome.run.query_failed)
    return kExitFailed;
  return HasDifferences(outcome.run.result) ? kExitDifferent : kExitDone;
}

}  // namespace korvane
