// The rules of the two run dialogs (frmCompareAll and frmCompareAllTables): the Compare button,
// Cancel and Esc, and closing. The dialogs draw the boxes and labels and forward clicks here.
#pragma once

#include <optional>
#include <string_view>

#include "compare/database_comparison_run.h"

namespace korvane {

struct ApplicationContext;
class ComparisonProgress;
class StructureTextSource;

inline constexpr std::string_view kCompareAllCaption = "Compare All";
inline constexpr std::string_view kCompareSelectedObjectsCaption = "Compare Selected Objects";
inline constexpr std::string_view kSelectObjectTypesHeading = "Select objects to be compared:";
inline constexpr std::string_view kSelectObjectTypeMessage =
    "Please select at least one object type to be compared.";

struct ComparisonDialogState {
  bool timer_enabled = false;   // exactly while a run is in progress
  bool compare_enabled = true;  // the Compare button
};

// "Compare Selected Objects" for a selective run, else "Compare All".
std::string_view ComparisonDialogCaption(bool selective);

// Compare: with no visible type box ticked, the message above and nothing else. Otherwise the
// busy pointer, the Compare button disabled and the run; the timer runs while the run does.
std::optional<CompareAllOutcome> PressCompare(ApplicationContext& context,
                                              ComparisonDialogState& state,
                                              const CompareAllRequest& request,
                                              StructureTextSource& texts,
                                              ComparisonProgress& progress);

// Cancel and Esc: during a run they set the cancel flag and answer false; otherwise they answer
// true (close the dialog).
bool PressCancel(ApplicationContext& context, const ComparisonDialogState& state);

// The window may be closed only while no run is in progress.
bool MayCloseDialog(const ComparisonDialogState& state);

}  // namespace korvane
