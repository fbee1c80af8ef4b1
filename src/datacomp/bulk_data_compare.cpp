#include "datacomp/bulk_data_compare.h"

#include <algorithm>

#include "app/application_context.h"
#include "app/logs.h"
#include "base/text.h"
#include "base/unicode_case.h"
#include "base/user_interface.h"
#include "catalog/object_type.h"
#include "compare/comparison_commands.h"
#include "compare/comparison_report.h"
#include "compare/database_comparison_run.h"
#include "datacomp/compare_status.h"
#include "datacomp/data_compare.h"
#include "datacomp/data_compare_run_options.h"
#include "datacomp/table_comp_settings.h"
#include "datacomp/table_settings_key.h"
#include "saved/comparison_codes.h"
#include "saved/enc_obj_types.h"
#include "saved/saved_process.h"
#include "script/table_structure.h"

namespace korvane {
namespace {

constexpr std::string_view kCrLfText = "\r\n";
constexpr std::string_view kTypeWord = "tables";
constexpr ObjectType kTables = ObjectType::kTables;

// "\t(1 table)" or "\t(n tables)".
std::string CountLine(int tally) {
  if (tally == 1)
    return "\t(1 " + std::string(kTypeWord.substr(0, kTypeWord.size() - 1)) + ")";
  return "\t(" + std::to_string(tally) + " " + std::string(kTypeWord) + ")";
}

// Whether `names` holds `name`, compared as the server compares names (ignoring case).
bool Contains(const std::vector<std::string>& names, std::string_view name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& entry) { return EqualsFoldingCase(entry, name); });
}

// The selected names that no table of the list has, in selection order.
std::vector<std::string> MissingTables(const std::vector<std::string>& selection,
                                       const std::vector<ObjectEntry>& tables) {
  std::vector<std::string> missing;
  for (const std::string& name : selection) {
    const bool found = std::any_of(tables.begin(), tables.end(), [&](const ObjectEntry& table) {
      return EqualsFoldingCase(table.Name, name);
    });
    if (!found)
      missing.push_back(name);
  }
  return missing;
}

// "Cannot compare - the selected table 'X' was not found in the Source database DB." (or the
// tables 'X', 'Y' ... were); empty when none is missing.
std::string MissingTablesSentence(const std::vector<std::string>& missing, std::string_view side,
                                  std::string_view database) {
  if (missing.empty())
    return {};
  std::string names;
  for (const std::string& name : missing)
    names += (names.empty() ? "'" : ", '") + name + "'";
  return std::string(missing.size() == 1 ? "Cannot compare - the selected table "
                                         : "Cannot compare - the selected tables ") +
         names + (missing.size() == 1 ? " was" : " were") + " not found in the " +
         std::string(side) + " database " + std::string(database) + ".";
}

void RemoveLastLineBreak(std::string& text) {
  if (text.ends_with(kCrLfText))
    text.resize(text.size() - kCrLfText.size());
}

class BulkRun {
 public:
  BulkRun(ApplicationContext& context, const BulkDataCompareRequest& request,
          BulkDataCompareHost& host)
      : context_(context), request_(request), host_(host) {}

  BulkDataCompareOutcome Run() {
    const bool completed = RunSteps();
    host_.ShowCurrentObject("");
    if (completed) {
      host_.ShowStatus(std::string(kComparingDataInTablesStatus) + std::string(kFinishedSuffix));
      outcome_.report = report_;
      context_.report_buffer = report_;
    } else {
      outcome_.report.clear();
    }
    outcome_.completed = completed;
    context_.ui.SetBusy(false);
    host_.Ended(completed);
    return std::move(outcome_);
  }

 private:
  bool Cancelled() const { return context_.cancel_requested; }
  ServerRecord& Server(int side) { return context_.CurrentServers[static_cast<std::size_t>(side)]; }
  const std::string& Database(int side) const {
    return side == kSource ? request_.source_database : request_.target_database;
  }

  std::vector<ObjectEntry> LoadTables(int side) {
    auto entries = LoadComparisonObjects(context_, Server(side), Database(side), kTables);
    if (!entries) {
      outcome_.query_failed = true;
      return {};
    }
    return std::move(*entries);
  }

  bool RunSteps();
  // A selective run names only tables that exist: any other is refused, naming it.
  bool SelectionFound(const std::vector<ObjectEntry>& source_tables,
                      const std::vector<ObjectEntry>& target_tables);
  bool SourcePass(const std::vector<ObjectEntry>& source_tables);
  bool TargetPass(const std::vector<ObjectEntry>& source_tables,
                  const std::vector<ObjectEntry>& target_tables);
  // The single-pair comparison of one table with its counterpart.
  DataCompareResult ComparePair(const std::string& bare_name, std::int32_t source_id,
                                std::int32_t target_id);

  ApplicationContext& context_;
  const BulkDataCompareRequest& request_;
  BulkDataCompareHost& host_;
  BulkDataCompareOutcome outcome_;
  std::string report_;
  std::string source_only_list_;
  std::string target_only_list_;
  std::string identical_list_;
  std::string last_identical_;
};

DataCompareResult BulkRun::ComparePair(const std::string& bare_name, std::int32_t source_id,
                                       std::int32_t target_id) {
  DataCompareRequest request;
  request.tables = {DataCompareTable{request_.source_database, bare_name, source_id},
                    DataCompareTable{request_.target_database, bare_name, target_id}};
  const std::string source_key =
      TableSettingsKey(Server(kSource).Name, Database(kSource), bare_name);
  const std::string target_key =
      TableSettingsKey(Server(kTarget).Name, Database(kTarget), bare_name);
  request.options = WithOrderBy(
      ReadStoredDataCompareOptions(context_.locations.tables_comps_ini, source_key, target_key));
  request.unattended = true;
  request.track_differences = false;
  CompareStatus silent(context_.clock);
  CompareStatus* status = host_.PairStatus();
  return DataCompare(context_, request, status ? *status : silent, {});
}

bool BulkRun::SourcePass(const std::vector<ObjectEntry>& source_tables) {
  bool differ_header_written = false;
  for (const ObjectEntry& table : source_tables) {
    if (Cancelled())
      return false;
    if (request_.selective && !Contains(request_.source_selection, table.Name))
      continue;
    host_.ShowCurrentObject(table.Name);
    context_.ui.ProcessPendingEvents();
    const std::string bare_name(CatalogueName(table));
    const PartnerMatch partner =
        FindPartner(context_, kTables, Server(kSource), request_.source_database, table.Id,
                    Server(kTarget), request_.target_database, bare_name);
    if (!partner.success || Cancelled())
      return false;
    if (partner.query_failed)
      outcome_.query_failed = true;
    bool has_counterpart = partner.found;
    if (has_counterpart) {
      // A counterpart without a structure text does not exist: on servers before version 9
      // every name counts as found and only the empty text tells a missing table.
      const std::string target_text =
          GetTableText(context_, Server(kTarget), request_.target_database, bare_name, true,
                       partner.partner_id, "", false, "");
      has_counterpart = !Trim(target_text).empty();
    }
    if (Cancelled())
      return false;
    if (!has_counterpart) {
      if (source_only_list_.empty()) {
        source_only_list_ = "List of " + std::string(kTypeWord) +
                            " which exist in Source database but not in Target database:\r\n";
      }
      source_only_list_ += "\t" + table.Name + "\r\n";
      ++outcome_.source_only;
      outcome_.some_difference = true;
      continue;
    }
    const DataCompareResult pair = ComparePair(bare_name, table.Id, partner.partner_id);
    const bool failed = pair.status == DataCompareStatus::kFailed;
    if (failed)
      outcome_.query_failed = true;
    // The pair's run clears the shared cancel flag when it ends cancelled: a Stop or Cancel
    // during a pair ends the whole bulk run, never just that pair.
    if (pair.status == DataCompareStatus::kCancelled || Cancelled())
      return false;
    if (pair.status == DataCompareStatus::kIdentical) {
      ++outcome_.identical;
      identical_list_ += "\t" + table.Name + "\r\n";
      last_identical_ = table.Name;
      continue;
    }
    if (!differ_header_written) {
      report_ += "List of " + std::string(kTypeWord) + " which differ:\r\n";
      differ_header_written = true;
    }
    report_ += "\t" + table.Name + " - " +
               (failed ? std::string(kPairFailedText)
                       : std::to_string(pair.different_records) + " different record(s)") +
               "\r\n";
    ++outcome_.different;
    outcome_.some_difference = true;
  }
  return true;
}

bool BulkRun::TargetPass(const std::vector<ObjectEntry>& source_tables,
                         const std::vector<ObjectEntry>& target_tables) {
  for (const ObjectEntry& table : target_tables) {
    if (Cancelled())
      return false;
    if (request_.selective && !Contains(request_.target_selection, table.Name))
      continue;
    const PartnerMatch partner =
        FindPartner(context_, kTables, Server(kTarget), request_.target_database, table.Id,
                    Server(kSource), request_.source_database, CatalogueName(table));
    if (!partner.success || Cancelled())
      return false;
    // A positive partner id is a schema-matched table; otherwise (servers before version 9)
    // the Source list must hold the name.
    const bool exists =
        partner.found &&
        (partner.partner_id > 0 ||
         std::any_of(source_tables.begin(), source_tables.end(), [&](const ObjectEntry& entry) {
           return EqualsFoldingCase(entry.Name, table.Name);
         }));
    if (exists)
      continue;
    if (target_only_list_.empty()) {
      target_only_list_ = "List of " + std::string(kTypeWord) +
                          " which exist in Target database but not in Source database:\r\n";
    }
    target_only_list_ += "\t" + table.Name + "\r\n";
    ++outcome_.target_only;
    outcome_.some_difference = true;
  }
  return true;
}

bool BulkRun::SelectionFound(const std::vector<ObjectEntry>& source_tables,
                             const std::vector<ObjectEntry>& target_tables) {
  const std::string source = MissingTablesSentence(
      MissingTables(request_.source_selection, source_tables), "Source", Database(kSource));
  const std::string target = MissingTablesSentence(
      MissingTables(request_.target_selection, target_tables), "Target", Database(kTarget));
  if (source.empty() && target.empty())
    return true;
  outcome_.refused = true;
  context_.ui.ShowMessage(source + (source.empty() || target.empty() ? "" : "\r\n") + target,
                          MessageIcon::kExclamation, kCannotCompareTitle);
  return false;
}

bool BulkRun::RunSteps() {
  ClearErrorLog(context_.locations);
  context_.ui.SetBusy(true);
  host_.Started();
  host_.ShowCurrentObject("");
  report_ = std::string(kReportHeading) + "\r\n\r\n";
  report_ += "Source database " + Server(kSource).Name + "." + request_.source_database + "\r\n";
  report_ += "Target database " + Server(kTarget).Name + "." + request_.target_database + "\r\n";
  host_.ShowStatus(kComparingDataInTablesStatus);
  if (request_.selective) {
    report_ += "\r\n\r\nSelective comparison of " + std::string(kTypeWord) + "\r\n\r\n";
    report_ +=
        std::to_string(request_.source_selected_count) + " objects selected in Source database\r\n";
    report_ += std::to_string(request_.target_selected_count) +
               " objects selected in Target database\r\n\r\n";
  } else {
    report_ += "\r\nComparison of data in " + std::string(kTypeWord) + "\r\n";
  }

  const std::vector<ObjectEntry> source_tables = LoadTables(kSource);
  if (Cancelled())
    return false;
  const std::vector<ObjectEntry> target_tables = LoadTables(kTarget);
  if (Cancelled())
    return false;
  if (request_.selective && !SelectionFound(source_tables, target_tables))
    return false;
  const int type_code = ObjectTypeCode(kTables);
  if (!request_.selective) {
    report_ +=
        "\r\n" + ReportCountLine(type_code, static_cast<int>(source_tables.size()), "Source") +
        "\r\n" + ReportCountLine(type_code, static_cast<int>(target_tables.size()), "Target") +
        "\r\n\r\n";
  }
  if (source_tables.empty() && target_tables.empty()) {
    RemoveLastLineBreak(report_);
    return true;
  }
  if (source_tables.empty() || target_tables.empty()) {
    outcome_.some_difference = true;
    return true;
  }

  if (!SourcePass(source_tables))
    return false;
  host_.ShowCurrentObject("");
  if (outcome_.different > 0)
    report_ += CountLine(outcome_.different) + "\r\n";
  if (!source_only_list_.empty())
    report_ += source_only_list_ + CountLine(outcome_.source_only) + "\r\n";

  if (!TargetPass(source_tables, target_tables))
    return false;
  host_.ShowCurrentObject("");
  if (!target_only_list_.empty())
    report_ += target_only_list_ + CountLine(outcome_.target_only) + "\r\n";

  if (outcome_.some_difference) {
    if (outcome_.identical >= 2) {
      std::string list = identical_list_;
      RemoveLastLineBreak(list);
      report_ += "All " + std::to_string(outcome_.identical) +
                 " remaining tables have identical data:\r\n" + list;
    } else if (outcome_.identical == 1) {
      report_ += "One table [" + last_identical_ + "] has identical data in both databases.";
    } else {
      report_ += "There are no tables which have identical data in both databases.";
    }
  } else {
    report_ += request_.selective ? "Data in all selected tables in both databases is identical."
                                  : "Data in all tables in both databases is identical.";
  }
  return true;
}

}  // namespace

BulkDataCompareOutcome BulkDataCompare(ApplicationContext& context,
                                       const BulkDataCompareRequest& request,
                                       BulkDataCompareHost& host) {
  BulkRun run(context, request, host);
  return run.Run();
}

DataCompareSelectiveOutcome DataCompareSelective(
    ApplicationContext& context, int index, std::string_view source_database,
    std::string_view target_database, bool selective, BulkDataCompareHost& host,
    const TableChooser& choose, const DataReportPresenter& present, const SavedProcess* saved) {
  DataCompareSelectiveOutcome outcome;
  if (index != 0) {
    context.ui.ShowMessage(std::string(kWrongDataCompareIndexMessage) + std::to_string(index));
    return outcome;
  }
  if (source_database.empty() || target_database.empty()) {
    context.ui.ShowMessage(kEmptyDatabaseListMessage, MessageIcon::kInformation,
                           kCannotCompareTitle);
    return outcome;
  }
  context.report_buffer.clear();
  BulkDataCompareRequest request;
  request.source_database = source_database;
  request.target_database = target_database;
  if (selective) {
    if (saved) {
      request.selective = true;
      request.source_selected_count = saved->sel_comp_count_source;
      request.target_selected_count = saved->sel_comp_count_target;
      request.source_selection = saved->source_selection;
      request.target_selection = saved->target_selection;
    } else {
      const std::optional<ObjectSelection> chosen = choose ? choose() : std::nullopt;
      if (!chosen)
        return outcome;
      request.selective = true;
      request.source_selected_count = chosen->source_count;
      request.target_selected_count = chosen->target_count;
      request.source_selection = chosen->source;
      request.target_selection = chosen->target;
    }
  }
  outcome.ran = true;
  outcome.run = BulkDataCompare(context, request, host);

  ReportWindowState& window = outcome.window;
  window.title = std::string(kComparisonReportTitle);
  window.source_server = context.CurrentServers[0].Name;
  window.target_server = context.CurrentServers[1].Name;
  window.source_database = source_database;
  window.target_database = target_database;
  window.comparison_type = kCompTypeData;
  window.sub_type = selective ? kCompSubTypeDataSelective : kCompSubTypeDataAll;
  window.sub_sub_type = 0;
  window.object_types = selective ? SingleObjTypes(ObjectTypeCode(ObjectType::kTables)) : "";
  window.source_count = request.source_selected_count;
  window.target_count = request.target_selected_count;
  window.source_selection = request.source_selection;
  window.target_selection = request.target_selection;
  if (saved) {
    window.running_saved_process = true;
    window.export_path = saved->export_file_path;
    window.print = saved->print;
  }
  if (outcome.run.completed && !context.report_buffer.empty()) {
    if (present)
      present(window);
    context.report_buffer.clear();
  }
  return outcome;
}

}  // namespace korvane
