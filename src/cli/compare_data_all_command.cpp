#include "cli/compare_data_all_command.h"

#include <optional>

#include "app/application_context.h"
#include "base/files.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "cli/cli.h"
#include "cli/cli_support.h"
#include "cli/terminal_progress.h"
#include "datacomp/bulk_data_compare.h"
#include "saved/saved_process.h"

namespace korvane {
namespace {

constexpr std::string_view kUsage =
    "usage: compare-data-all SSERVER SDB TSERVER TDB [--source-tables A,B --target-tables C,D]";
constexpr std::string_view kTitle = "Compare Data";

std::vector<std::string> TableList(std::string_view text) {
  std::vector<std::string> names;
  for (const std::string& name : Split(text, ",")) {
    if (!Trim(name).empty())
      names.emplace_back(Trim(name));
  }
  return names;
}

}  // namespace

int RunUnattendedBulkDataCompare(ApplicationContext& context, const std::string& source_database,
                                 const std::string& target_database, bool selective,
                                 const SavedProcess* saved, std::ostream& out,
                                 TerminalProgressLine* progress) {
  BulkDataCompareHost silent;
  std::optional<TerminalBulkHost> drawn;
  if (progress)
    drawn.emplace(context.clock, *progress);
  BulkDataCompareHost& host = drawn ? static_cast<BulkDataCompareHost&>(*drawn) : silent;
  std::string report;
  const DataCompareSelectiveOutcome outcome = DataCompareSelective(
      context, 0, source_database, target_database, selective, host, {},
      [&context, &report](const ReportWindowState&) { report = context.report_buffer; }, saved);
  if (!outcome.ran || !outcome.run.completed)
    return kExitFailed;
  out << report << "\n";
  int status = outcome.run.query_failed      ? kExitFailed
               : outcome.run.some_difference ? kExitDifferent
                                             : kExitDone;
  if (saved && !saved->export_file_path.empty()) {
    if (!WriteFileAtomically(saved->export_file_path, report)) {
      context.ui.ShowMessage("Cannot write the file '" + saved->export_file_path + "'.",
                             MessageIcon::kExclamation, kTitle);
      status = kExitFailed;
    }
  }
  if (saved && saved->print)
    context.ui.PrintText(outcome.window.title, report);
  return status;
}

int CompareDataAllCommand(ApplicationContext& context, const std::vector<std::string>& args,
                          std::ostream& out, TerminalProgressLine* progress) {
  UserInterface& ui = context.ui;
  std::vector<std::string> positional;
  std::optional<std::vector<std::string>> source_tables;
  std::optional<std::vector<std::string>> target_tables;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool has_value = i + 1 < args.size();
    if (args[i] == "--source-tables" && has_value && !source_tables) {
      source_tables = TableList(args[++i]);
    } else if (args[i] == "--target-tables" && has_value && !target_tables) {
      target_tables = TableList(args[++i]);
    } else if (args[i].starts_with("--")) {
      ui.ShowMessage(kUsage, MessageIcon::kExclamation, kTitle);
      return kExitFailed;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 4) {
    ui.ShowMessage(kUsage, MessageIcon::kExclamation, kTitle);
    return kExitFailed;
  }
  if (!SetSide(context, kSource, positional[0]) || !SetSide(context, kTarget, positional[2]))
    return kExitFailed;
  // Else the report would say "There are no tables in Source database.".
  if (!DatabaseAnswers(context, context.CurrentServers[kSource], positional[1],
                       /*quietly=*/false) ||
      !DatabaseAnswers(context, context.CurrentServers[kTarget], positional[3], /*quietly=*/false))
    return kExitFailed;
  const bool selective = source_tables || target_tables;
  SavedProcess selection;
  if (selective) {
    selection.source_selection = source_tables ? *source_tables : *target_tables;
    selection.target_selection = target_tables ? *target_tables : *source_tables;
    if (selection.source_selection.empty() || selection.target_selection.empty()) {
      ui.ShowMessage("--source-tables and --target-tables name at least one table",
                     MessageIcon::kExclamation, kTitle);
      return kExitFailed;
    }
    selection.sel_comp_count_source = static_cast<std::int32_t>(selection.source_selection.size());
    selection.sel_comp_count_target = static_cast<std::int32_t>(selection.target_selection.size());
  }
  return RunUnattendedBulkDataCompare(context, positional[1], positional[3], selective,
                                      selective ? &selection : nullptr, out, progress);
}

}  // namespace korvane
