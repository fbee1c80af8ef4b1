#include "compare/comparison_commands.h"

#include <string>
#include <utility>

#include "app/application_context.h"
#include "base/user_interface.h"
#include "compare/comparison_progress.h"
#include "compare/comparison_run_dialog.h"
#include "saved/comparison_codes.h"
#include "saved/enc_obj_types.h"
#include "saved/saved_process.h"

namespace korvane {
namespace {

bool DatabasesChosen(ApplicationContext& context, std::string_view source_database,
                     std::string_view target_database) {
  if (source_database.empty() || target_database.empty()) {
    context.ui.ShowMessage(kEmptyDatabaseListMessage, MessageIcon::kInformation,
                           kCannotCompareTitle);
    return false;
  }
  return true;
}

ReportWindowState BaseWindowState(const ApplicationContext& context,
                                  std::string_view source_database,
                                  std::string_view target_database, const SavedProcess* saved) {
  ReportWindowState window;
  window.title = std::string(kComparisonReportTitle);
  window.source_server = context.CurrentServers[kSource].Name;
  window.target_server = context.CurrentServers[kTarget].Name;
  window.source_database = std::string(source_database);
  window.target_database = std::string(target_database);
  window.comparison_type = kCompTypeStructure;
  window.comparison_method = kCompMethodNone;
  if (saved != nullptr) {
    window.running_saved_process = true;
    window.export_path = saved->export_file_path;
    window.print = saved->print;
  }
  return window;
}

// Runs the request in the dialog and, when a report came out, shows it and empties the buffer.
ComparisonCommandOutcome RunAndPresent(ApplicationContext& context,
                                       const CompareAllRequest& request, StructureTextSource& texts,
                                       ComparisonProgress& progress, const ReportPresenter& present,
                                       ReportWindowState window, bool object_types_from_run) {
  ComparisonCommandOutcome outcome;
  ComparisonDialogState dialog;
  std::optional<CompareAllOutcome> run = PressCompare(context, dialog, request, texts, progress);
  if (!run)
    return outcome;
  outcome.ran = true;
  outcome.run = std::move(*run);
  if (object_types_from_run)
    window.object_types = outcome.run.object_types;
  outcome.window = std::move(window);
  if (outcome.run.completed && !context.report_buffer.empty()) {
    outcome.report = context.report_buffer;
    if (present)
      present(outcome.window);
    context.report_buffer.clear();
  }
  return outcome;
}

std::optional<ObjectType> TypeOfIndex(ApplicationContext& context, int type_index) {
  std::optional<ObjectType> type = ObjectTypeFromIndex(type_index);
  if (!type)
    context.ui.ShowMessage(std::string(kWrongTypeIndexMessage) + std::to_string(type_index));
  return type;
}

std::array<bool, kObjTypeCount> SingleTypeTicked(ObjectType type) {
  std::array<bool, kObjTypeCount> ticked{};
  ticked[ObjectTypeIndex(type)] = true;
  return ticked;
}

std::int32_t OneTypeSubSubType(bool selective, bool details) {
  if (selective)
    return details ? kCompSubSubTypeSelectiveDetails : kCompSubSubTypeSelectiveSimple;
  return details ? kCompSubSubTypeBulkDetails : kCompSubSubTypeBulkSimple;
}

}  // namespace

std::array<bool, kObjTypeCount> AllVisibleTypes(bool analyze_constraints) {
  std::array<bool, kObjTypeCount> ticked{};
  for (int index = 0; index < kObjTypeCount; ++index)
    ticked[index] = TypeIndexVisible(index, analyze_constraints);
  return ticked;
}

ComparisonCommandOutcome CompareAllObjects(
    ApplicationContext& context, std::string_view source_database, std::string_view target_database,
    const std::array<bool, kObjTypeCount>& ticked, StructureTextSource& texts,
    ComparisonProgress& progress, const ReportPresenter& present, const SavedProcess* saved) {
  if (!DatabasesChosen(context, source_database, target_database))
    return {};
  context.report_buffer.clear();
  CompareAllRequest request;
  request.source_database = std::string(source_database);
  request.target_database = std::string(target_database);
  request.ticked = ticked;
  if (saved != nullptr) {
    request.ticked = {};
    if (std::optional<std::array<int, kObjTypeCount>> boxes =
            DecodeObjTypes(saved->enc_obj_types)) {
      for (int index = 0; index < kObjTypeCount; ++index)
        request.ticked[index] = (*boxes)[index] == 1;
    }
  }
  ReportWindowState window = BaseWindowState(context, source_database, target_database, saved);
  window.sub_type = kCompSubTypeStructureAll;
  window.sub_sub_type = 0;
  return RunAndPresent(context, request, texts, progress, present, std::move(window),
                       saved == nullptr);
}

ComparisonCommandOutcome CompareAllObjectsOfType(
    ApplicationContext& context, std::string_view source_database, std::string_view target_database,
    int type_index, bool details, StructureTextSource& texts, ComparisonProgress& progress,
    const ReportPresenter& present, const SavedProcess* saved) {
  if (!DatabasesChosen(context, source_database, target_database))
    return {};
  context.report_buffer.clear();
  const std::optional<ObjectType> type = TypeOfIndex(context, type_index);
  if (!type)
    return {};
  CompareAllRequest request;
  request.source_database = std::string(source_database);
  request.target_database = std::string(target_database);
  request.ticked = SingleTypeTicked(*type);
  request.details = details;
  ReportWindowState window = BaseWindowState(context, source_database, target_database, saved);
  window.sub_type = kCompSubTypeStructureBulk;
  window.sub_sub_type = OneTypeSubSubType(false, details);
  window.object_types = SingleObjTypes(ObjectTypeCode(*type));
  return RunAndPresent(context, request, texts, progress, present, std::move(window), false);
}

ComparisonCommandOutcome CompareSelectedObjectsOfType(
    ApplicationContext& context, std::string_view source_database, std::string_view target_database,
    int type_index, bool details, StructureTextSource& texts, ComparisonProgress& progress,
    const ReportPresenter& present, const ObjectChooser& choose, const SavedProcess* saved) {
  if (!DatabasesChosen(context, source_database, target_database))
    return {};
  context.report_buffer.clear();
  const std::optional<ObjectType> type = TypeOfIndex(context, type_index);
  if (!type)
    return {};
  CompareAllRequest request;
  request.source_database = std::string(source_database);
  request.target_database = std::string(target_database);
  request.ticked = SingleTypeTicked(*type);
  request.details = details;
  if (saved != nullptr) {
    request.selective = true;
    request.source_selected_count = saved->sel_comp_count_source;
    request.target_selected_count = saved->sel_comp_count_target;
    request.source_selection = saved->source_selection;
    request.target_selection = saved->target_selection;
  } else {
    std::optional<ObjectSelection> selection = choose ? choose(*type) : std::nullopt;
    if (!selection)
      return {};
    if (!selection->all_selected) {
      request.selective = true;
      request.source_selected_count = selection->source_count;
      request.target_selected_count = selection->target_count;
      request.source_selection = std::move(selection->source);
      request.target_selection = std::move(selection->target);
    }
  }
  ReportWindowState window = BaseWindowState(context, source_database, target_database, saved);
  window.sub_type = kCompSubTypeStructureSelective;
  window.sub_sub_type = OneTypeSubSubType(true, details);
  window.object_types = SingleObjTypes(ObjectTypeCode(*type));
  window.source_count = request.source_selected_count;
  window.target_count = request.target_selected_count;
  window.source_selection = request.source_selection;
  window.target_selection = request.target_selection;
  return RunAndPresent(context, request, texts, progress, present, std::move(window), false);
}

}  // namespace korvane
