// The three ways the main window (and the command line) start a database comparison: Compare
// All Objects with the ticked types, the comparison of all objects of one type, and the
// selective comparison of the picked objects of one type. Each also runs for a saved process
// being re-run, with the types and selections the process holds.
//
// A run that completes with a report opens the report window through `present` with the state
// the window needs; the report buffer is cleared afterwards. The report text is also returned,
// for front ends without a window.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "catalog/object_type.h"
#include "compare/cannot_compare_title.h"
#include "compare/database_comparison_run.h"
#include "compare/object_selection.h"
#include "compare/report_window.h"

namespace korvane {

struct ApplicationContext;
struct SavedProcess;
class ComparisonProgress;
class StructureTextSource;

inline constexpr std::string_view kEmptyDatabaseListMessage =
    "Cannot compare - the list of databases is empty.";
inline constexpr std::string_view kWrongTypeIndexMessage =
    "Wrong index value in Sub mnuComparisonAllObjects_Click, Index = ";

// Opens the report window with the report buffer as its text.
using ReportPresenter = std::function<void(const ReportWindowState&)>;
// Asks the person to pick objects of a type on both sides (frmListObjects); nothing when they
// cancelled.
using ObjectChooser = std::function<std::optional<ObjectSelection>(ObjectType)>;

struct ComparisonCommandOutcome {
  bool ran = false;  // a run was started (the checks before it passed)
  CompareAllOutcome run;
  std::string report;        // the report text; empty unless the run completed
  ReportWindowState window;  // what the report window was opened with
};

// Every type box that takes part in runs ticked: 0 to 5, and 6 while "AnalyzeConstraints" is on.
std::array<bool, kObjTypeCount> AllVisibleTypes(bool analyze_constraints);

// Compare All Objects with the ticked boxes, or with the boxes of `saved`'s EncObjTypes when a
// saved process is re-run (the window then gets no EncObjTypes, and the process's export path
// and print request).
ComparisonCommandOutcome CompareAllObjects(ApplicationContext& context,
                                           std::string_view source_database,
                                           std::string_view target_database,
                                           const std::array<bool, kObjTypeCount>& ticked,
                                           StructureTextSource& texts, ComparisonProgress& progress,
                                           const ReportPresenter& present,
                                           const SavedProcess* saved = nullptr);

// All objects of the type with menu index `type_index` (0 tables ... 6 constraints), Simple or
// Details. An index outside 0 to 6 shows kWrongTypeIndexMessage with the index and runs nothing.
ComparisonCommandOutcome CompareAllObjectsOfType(
    ApplicationContext& context, std::string_view source_database, std::string_view target_database,
    int type_index, bool details, StructureTextSource& texts, ComparisonProgress& progress,
    const ReportPresenter& present, const SavedProcess* saved = nullptr);

// The picked objects of one type. The objects come from `choose` or, for a saved process, from
// its selections. When every object of both lists was picked the run is an ordinary one (and
// the window still records the selective sub type).
ComparisonCommandOutcome CompareSelectedObjectsOfType(
    ApplicationContext& context, std::string_view source_database, std::string_view target_database,
    int type_index, bool details, StructureTextSource& texts, ComparisonProgress& progress,
    const ReportPresenter& present, const ObjectChooser& choose,
    const SavedProcess* saved = nullptr);

}  // namespace korvane
