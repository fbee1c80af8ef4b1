#include "compare/database_comparison_run.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <utility>

#include "app/application_context.h"
#include "app/logs.h"
#include "base/clock.h"
#include "base/error_report.h"
#include "base/memory_text_view.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/object_list.h"
#include "catalog/schema_names.h"
#include "compare/column_order_comparison.h"
#include "compare/comment_stripper.h"
#include "compare/comparison_progress.h"
#include "compare/comparison_report.h"
#include "compare/report_type_names.h"
#include "compare/structure_text_source.h"
#include "compare/whitespace_normaliser.h"
#include "db/data_access.h"
#include "db/server_list.h"

namespace korvane {
namespace {

bool IsModule(ObjectType type) {
  const std::int32_t code = ObjectTypeCode(type);
  return code >= 10 && code <= 40;
}

int MajorVersion(const ServerRecord& server) {
  return server.NumVersion > 0 ? server.NumVersion : ComputeNumVersion(server.Version);
}

bool Contains(const std::vector<std::string>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// A row takes part in a selective run when either selection names it.
bool Selected(const CompareAllRequest& request, std::string_view displayed_name) {
  return Contains(request.source_selection, displayed_name) ||
         Contains(request.target_selection, displayed_name);
}

// Whether the recordset holds a row whose name (column 0) equals `name`, ignoring case.
bool RecordsetHoldsName(Recordset* rows, std::string_view name) {
  if (rows == nullptr)
    return false;
  bool held = false;
  for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
    const Value& value = rows->Field(0);
    if (!value.is_null() && EqualsIgnoringCase(NullText(value), name)) {
      held = true;
      break;
    }
  }
  return held;
}

// One run: the state shared by its steps.
class Run {
 public:
  Run(ApplicationContext& context, const CompareAllRequest& request, StructureTextSource& texts,
      ComparisonProgress& progress)
      : context_(context),
        request_(request),
        texts_(texts),
        progress_(progress),
        options_(ComparisonOptionsFrom(context.settings)) {}

  CompareAllOutcome Execute() {
    ClearErrorLog(context_.locations);
    context_.cancel_requested = false;
    ServerRecord& source_server = context_.CurrentServers[kSourceSide];
    ServerRecord& target_server = context_.CurrentServers[kTargetSide];
    std::unique_ptr<DatabaseSession> source_session =
        ADO_Connection_Open(context_, source_server, request_.source_database);
    if (!source_session) {
      context_.ui.ShowMessage(kCannotConnectSourceMessage, MessageIcon::kExclamation);
      return std::move(outcome_);
    }
    std::unique_ptr<DatabaseSession> target_session =
        ADO_Connection_Open(context_, target_server, request_.target_database);
    if (!target_session) {
      context_.ui.ShowMessage(kCannotConnectTargetMessage, MessageIcon::kExclamation);
      return std::move(outcome_);
    }
    source_.emplace(
        ComparisonSide{kSourceSide, source_server, request_.source_database, *source_session});
    target_.emplace(
        ComparisonSide{kTargetSide, target_server, request_.target_database, *target_session});

    start_ = context_.clock.SteadyNow();
    progress_.SetRunning(true);
    bool completed = false;
    try {
      completed = CompareTypes();
    } catch (...) {
      // Whatever failed, the run ends as a cancelled one: no report.
      ReportUnexpectedFailure(context_.ui, std::current_exception(), "modCompareAll", "CompareAll");
    }
    progress_.SetRunning(false);
    if (completed) {
      DatabaseComparisonResult& result = outcome_.result;
      result.elapsed =
          std::chrono::duration_cast<std::chrono::seconds>(context_.clock.SteadyNow() - start_);
      context_.report_buffer = BuildComparisonReport(result);
      outcome_.object_types = EncodeObjTypes(request_.ticked);
      outcome_.completed = true;
    }
    return std::move(outcome_);
  }

 private:
  // Header fields and every ticked type; false when the run ended early.
  bool CompareTypes() {
    DatabaseComparisonResult& result = outcome_.result;
    for (int side : {kSourceSide, kTargetSide})
      result.server_names[side] = context_.CurrentServers[side].Name;
    result.database_names = {request_.source_database, request_.target_database};
    result.selective = request_.selective;
    result.source_selected_count = request_.source_selected_count;
    result.target_selected_count = request_.target_selected_count;
    result.details = request_.details;
    result.options = options_;

    for (int index = 0; index < kObjTypeCount; ++index) {
      if (!TypeIndexVisible(index, context_.settings.analyze_constraints) ||
          !request_.ticked[index]) {
        continue;
      }
      if (context_.cancel_requested)
        return false;
      const ObjectType type = kObjectTypeOrder[index];
      if (!CompareType(type))
        return false;
    }
    return true;
  }

  void RefreshElapsed() {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::seconds>(context_.clock.SteadyNow() - start_);
    progress_.ShowElapsed(FormatElapsed(elapsed.count()));
    progress_.ProcessPendingEvents();
  }

  void ShowObject(std::string_view name) {
    progress_.ShowCurrentObject(name);
    progress_.ProcessPendingEvents();
    RefreshElapsed();
  }

  std::optional<std::vector<ObjectEntry>> LoadSide(int side, ObjectType type) {
    const std::string_view database =
        side == kSourceSide ? request_.source_database : request_.target_database;
    auto entries = LoadComparisonObjects(context_, context_.CurrentServers[side], database, type);
    if (!entries)
      outcome_.query_failed = true;
    return entries;
  }

  bool CompareType(ObjectType type) {
    TypeComparison comparison;
    comparison.type_code = ObjectTypeCode(type);
    const std::string status = ComparingStatusText(type);
    progress_.ShowStatus(status);
    progress_.ProcessPendingEvents();

    const std::vector<ObjectEntry> source_rows =
        LoadSide(kSourceSide, type).value_or(std::vector<ObjectEntry>{});
    if (context_.cancel_requested)
      return false;
    const std::vector<ObjectEntry> target_rows =
        LoadSide(kTargetSide, type).value_or(std::vector<ObjectEntry>{});
    if (context_.cancel_requested)
      return false;
    comparison.source_count = static_cast<int>(source_rows.size());
    comparison.target_count = static_cast<int>(target_rows.size());

    if (!source_rows.empty() && !target_rows.empty()) {
      if (!SourcePass(type, source_rows, comparison))
        return false;
      ShowObject("");
      if (!TargetPass(type, target_rows, comparison))
        return false;
      ShowObject("");
    }
    outcome_.result.types.push_back(std::move(comparison));
    progress_.ShowStatus(status + std::string(kFinishedSuffix));
    progress_.ProcessPendingEvents();
    return true;
  }

  StructureText Fetch(const ComparisonSide& side, ObjectType type, std::string_view bare_name,
                      std::int32_t id) {
    StructureText text;
    if (IsModule(type))
      text = texts_.ModuleText(side, type, bare_name, id);
    else if (type == ObjectType::kTables)
      text = texts_.TableText(side, bare_name, id, !context_.settings.ignore_indexes);
    else
      text = texts_.KeyText(side, type, bare_name, id);
    if (text.failed)
      outcome_.query_failed = true;
    return text;
  }

  bool SourcePass(ObjectType type, const std::vector<ObjectEntry>& rows,
                  TypeComparison& comparison) {
    for (const ObjectEntry& row : rows) {
      if (context_.cancel_requested)
        return false;
      const std::string_view bare_name = CatalogueName(row);
      if (bare_name.empty() || (request_.selective && !Selected(request_, row.Name)))
        continue;
      ShowObject(row.Name);
      const PartnerMatch match = FindPartner(context_, type, source_->server, source_->database,
                                             row.Id, target_->server, target_->database, bare_name);
      if (match.query_failed)
        outcome_.query_failed = true;
      if (!match.success)
        return false;
      StructureText source_text;
      StructureText target_text;
      if (match.found) {
        source_text = Fetch(*source_, type, bare_name, row.Id);
        target_text = Fetch(*target_, type, bare_name, match.partner_id);
      }
      const bool columns_ignored =
          source_text.ignored_columns > 0 || target_text.ignored_columns > 0;
      Classify(type, row, match.partner_id, std::move(source_text.text),
               std::move(target_text.text), columns_ignored, comparison);
    }
    return true;
  }

  void Classify(ObjectType type, const ObjectEntry& row, std::int32_t target_id,
                std::string source_text, std::string target_text, bool columns_ignored,
                TypeComparison& comparison) {
    if (target_text.empty()) {
      comparison.source_only.push_back(row.Name);
      return;
    }
    // Comments are stripped from module texts only; table and key texts hold none, and a "--"
    // inside a default value or a key name must not cut them.
    if (context_.settings.ignore_comments && IsModule(type) && source_text != target_text) {
      source_text = StripCommentsFromProc(source_text);
      target_text = StripCommentsFromProc(target_text);
    }
    bool identical = options_.ignore_whitespace
                         ? CompareIgnoringWhitespace(source_text, target_text, options_)
                         : source_text == target_text;
    // The column-order test is for tables: the lines of a module in another order are another
    // module. When columns were left out, the test reads the compared texts, as Compare
    // Selected does, so that an ignored column cannot turn the verdict.
    if (!identical && context_.settings.ignore_col_seq && type == ObjectType::kTables) {
      if (columns_ignored) {
        identical = CompareProcs_IgnoreColumnsOrder(MemoryTextView(source_text),
                                                    MemoryTextView(target_text), context_.ui);
      } else if (row.Id > 0 && target_id > 0) {
        MemoryTextView source_view;
        MemoryTextView target_view;
        const std::string_view bare_name = CatalogueName(row);
        texts_.ShowInView(*source_, type, bare_name, row.Id, source_view);
        texts_.ShowInView(*target_, type, bare_name, target_id, target_view);
        identical = CompareProcs_IgnoreColumnsOrder(source_view, target_view, context_.ui);
      }
    }
    if (identical) {
      comparison.identical.push_back({row.Name, columns_ignored});
      return;
    }
    if (target_text.empty()) {
      comparison.source_only.push_back(row.Name);
      return;
    }
    DifferentObject different{row.Name, columns_ignored, {}, {}, std::string(CatalogueName(row))};
    if (request_.details) {
      different.source_text = std::move(source_text);
      different.target_text = std::move(target_text);
    }
    comparison.different.push_back(std::move(different));
  }

  bool TargetPass(ObjectType type, const std::vector<ObjectEntry>& rows,
                  TypeComparison& comparison) {
    std::optional<Recordset> source_names =
        LoadObjects_ToRecordset(context_, source_->session, type);
    if (!source_names)
      outcome_.query_failed = true;
    Recordset* names = source_names ? &*source_names : nullptr;
    bool completed = true;
    for (const ObjectEntry& row : rows) {
      if (context_.cancel_requested) {
        completed = false;
        break;
      }
      if (row.Name.empty() || (request_.selective && !Selected(request_, row.Name)))
        continue;
      ShowObject(row.Name);
      const PartnerMatch match =
          FindPartner(context_, type, target_->server, target_->database, row.Id, source_->server,
                      source_->database, CatalogueName(row));
      if (match.query_failed)
        outcome_.query_failed = true;
      if (!match.success) {
        completed = false;
        break;
      }
      if (!ExistsInSource(type, row, match, names))
        comparison.target_only.push_back(row.Name);
    }
    if (names != nullptr)
      names->Close();
    return completed;
  }

  bool ExistsInSource(ObjectType type, const ObjectEntry& row, const PartnerMatch& match,
                      Recordset* source_names) {
    if (!match.found)
      return false;
    if (IsModule(type) || type == ObjectType::kTables)
      return match.partner_id > 0 || RecordsetHoldsName(source_names, row.Name);
    // A key of the same schema and name, or on older servers of the same name.
    StructureText text = texts_.KeyText(*source_, type, CatalogueName(row), match.partner_id);
    if (text.failed)
      outcome_.query_failed = true;
    return !text.text.empty();
  }

  ApplicationContext& context_;
  const CompareAllRequest& request_;
  StructureTextSource& texts_;
  ComparisonProgress& progress_;
  const ComparisonOptions options_;
  std::optional<ComparisonSide> source_;
  std::optional<ComparisonSide> target_;
  std::chrono::steady_clock::time_point start_{};
  CompareAllOutcome outcome_;
};

}  // namespace

std::string ComparingStatusText(ObjectType type) {
  return "Comparing " + std::string(ReportTypePlural(ObjectTypeCode(type))) + "...";
}

bool TypeIndexVisible(int type_index, bool analyze_constraints) {
  if (type_index < 0 || type_index >= kObjTypeCount)
    return false;
  return type_index < kObjTypeCount - 1 || analyze_constraints;
}

std::optional<std::vector<ObjectEntry>> LoadComparisonObjects(ApplicationContext& context,
                                                              ServerRecord& server,
                                                              std::string_view database,
                                                              ObjectType type) {
  const std::string query =
      BuildObjSQLString(context.ui, type, context.settings.ignore_sys_objects, "", "");
  if (query.empty())
    return std::nullopt;
  RunCommandResult result = RunCommand(context, server, CommandType::kText, query, database);
  if (result.failed() || !result.recordset)
    return std::nullopt;
  std::vector<ObjectEntry> entries = ReadObjectEntries(*result.recordset);
  result.recordset->Close();
  if (ComputeNumVersion(server.Version) >= 9 && HasNeighbouringDuplicates(entries))
    QualifyDuplicateNames(context, server, type, database, entries);
  return entries;
}

PartnerMatch FindPartner(ApplicationContext& context, ObjectType type, ServerRecord& own_server,
                         std::string_view own_database, std::int32_t own_id,
                         ServerRecord& other_server, std::string_view other_database,
                         std::string_view bare_name) {
  PartnerMatch match;
  const bool is_key = type == ObjectType::kRelationships || type == ObjectType::kConstraints;
  if (type != ObjectType::kTables && !IsModule(type) && !is_key)
    return match;
  if (MajorVersion(own_server) < 9 || MajorVersion(other_server) < 9)
    return match;
  const std::optional<std::string> schema =
      Db_GetObjSchemaById(context, own_server, own_database, own_id);
  if (!schema) {
    match.success = false;
    return match;
  }
  // The key lists take no name filter: their rows are narrowed here, names compared as the
  // server compares them.
  const std::string query = BuildObjSQLString(context.ui, type, context.settings.ignore_sys_objects,
                                              is_key ? std::string_view() : bare_name, "");
  RunCommandResult result =
      RunCommand(context, other_server, CommandType::kText, query, other_database);
  if (result.failed() || !result.recordset) {
    match.query_failed = result.failed();
    match.found = false;
    return match;
  }
  std::vector<ObjectEntry> candidates = ReadObjectEntries(*result.recordset);
  result.recordset->Close();
  if (is_key) {
    std::erase_if(candidates, [&](const ObjectEntry& candidate) {
      return !EqualsIgnoringCase(candidate.Name, bare_name);
    });
  }
  match.found = false;
  for (const ObjectEntry& candidate : candidates) {
    const std::optional<std::string> candidate_schema =
        Db_GetObjSchemaById(context, other_server, other_database, candidate.Id);
    if (!candidate_schema) {
      match.success = false;
      return match;
    }
    if (*candidate_schema == *schema) {
      match.found = true;
      match.partner_id = candidate.Id;
      break;
    }
  }
  return match;
}

CompareAllOutcome CompareAll(ApplicationContext& context, const CompareAllRequest& request,
                             StructureTextSource& texts, ComparisonProgress& progress) {
  return Run(context, request, texts, progress).Execute();
}

}  // namespace korvane
