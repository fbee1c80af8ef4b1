#include "cli/compare_command.h"

#include <algorithm>
#include <array>

#include "app/application_context.h"
#include "app/text.h"
#include "app/user_interface.h"
#include "catalog/object_type.h"
#include "cli/cli.h"
#include "cli/cli_support.h"
#include "compare/comparison_commands.h"
#include "compare/comparison_progress.h"
#include "compare/script_text_source.h"

namespace korvane {

int CompareCommand(ApplicationContext& context, const std::vector<std::string>& args,
                   std::ostream& out) {
  UserInterface& ui = context.ui;
  const std::string usage =
      "usage: compare SSERVER SDB TSERVER TDB [--types tables,procedures,...] [--details]";
  std::vector<std::string> positional;
  std::vector<std::string> type_names;
  bool details = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--types" && i + 1 < args.size()) {
      type_names = Split(args[++i], ",");
    } else if (args[i] == "--details") {
      details = true;
    } else if (args[i].starts_with("--")) {
      ui.ShowMessage(usage, MessageIcon::kExclamation, "Compare");
      return kExitFailed;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 4) {
    ui.ShowMessage(usage, MessageIcon::kExclamation, "Compare");
    return kExitFailed;
  }
  std::array<bool, kObjTypeCount> ticked{};
  if (type_names.empty()) {
    ticked = AllVisibleTypes(context.settings.analyze_constraints);
  } else {
    for (const std::string& name : type_names) {
      const auto type = ObjectTypeFromName(Trim(name));
      const int index = type ? ObjectTypeIndex(*type) : -1;
      if (index < 0) {
        ui.ShowMessage("unknown object type \"" + name + "\"", MessageIcon::kExclamation,
                       "Compare");
        return kExitFailed;
      }
      ticked[static_cast<std::size_t>(index)] = true;
    }
  }
  const int ticked_count = static_cast<int>(std::count(ticked.begin(), ticked.end(), true));
  if (details && ticked_count != 1) {
    ui.ShowMessage("--details compares one object type: name it with --types",
                   MessageIcon::kExclamation, "Compare");
    return kExitFailed;
  }
  if (!SetSide(context, kSource, positional[0]) || !SetSide(context, kTarget, positional[2])) {
    return kExitFailed;
  }
  ScriptTextSource texts(context);
  SilentComparisonProgress progress;
  const ReportPresenter no_window = [](const ReportWindowState&) {};
  ComparisonCommandOutcome outcome;
  if (details) {
    const int index =
        static_cast<int>(std::find(ticked.begin(), ticked.end(), true) - ticked.begin());
    outcome = CompareAllObjectsOfType(context, positional[1], positional[3], index, true, texts,
                                      progress, no_window);
  } else {
    outcome = CompareAllObjects(context, positional[1], positional[3], ticked, texts, progress,
                                no_window);
  }
  if (!outcome.ran || !outcome.run.completed)
    return kExitFailed;
  out << outcome.report;
  if (outcome.run.query_failed)
    return kExitFailed;
  return HasDifferences(outcome.run.result) ? kExitDifferent : kExitDone;
}

}  // namespace korvane
