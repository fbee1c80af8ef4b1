// The Compare command of the main window: decides whether the objects shown in the Source and
// Target structure views are identical, paints the differing lines, and gives the verdict that
// the comparison report window shows. Also the comparison of the highlighted parts of the two
// views.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/settings.h"
#include "compare/cannot_compare_title.h"
#include "compare/report_window.h"

namespace korvane {

class TextView;
class UserInterface;

inline constexpr std::string_view kNothingToCompareMessage =
    "Cannot compare - the list of objects is empty.";
inline constexpr std::string_view kColumnsIgnoredVerdictNote =
    "Please note that some columns were ignored during comparison.";
inline constexpr std::string_view kColumnsOrderVerdictNote =
    "Please note that option 'Ignore Columns Order' is set ON.";

inline constexpr std::string_view kCompareHighlightedTitle = "Compare Highlighted Sections";
inline constexpr std::string_view kNoStructureDisplayedMessage =
    "Cannot continue - there is no structure displayed for selected object.";
inline constexpr std::string_view kNoSourceHighlightMessage =
    "Cannot continue - there is no highlighted section in Source object.";
inline constexpr std::string_view kNoTargetHighlightMessage =
    "Cannot continue - there is no highlighted section in Target object.";
inline constexpr std::string_view kHighlightHint =
    "Please select some section in Source text first, then some section in Target, and then "
    "(immediately after highlighting Target) right click and select 'Compare Highlighted "
    "Sections'.";

// Comparison type codes the report window and saved processes give the comparison of two
// selected objects ("Meta-Data Comparison", "Individual").
inline constexpr std::int32_t kStructureComparisonType = 1;
inline constexpr std::int32_t kIndividualSubType = 35;

// The object selected on one side of the main window.
struct SelectedObject {
  std::string server_name;  // the Name of the side's server record
  std::string database;
  std::string object_name;  // as the side's object list shows it
  std::int32_t object_id = 0;

  friend bool operator==(const SelectedObject&, const SelectedObject&) = default;
};

// What the main window's selection says about the two objects.
struct SelectionContext {
  std::int32_t type_code = 0;           // 10 procedures ... 50 tables ... 80 constraints
  std::string type_word;                // the type's plural name, such as "procedures"
  std::array<SelectedObject, 2> sides;  // Source, Target

  friend bool operator==(const SelectionContext&, const SelectionContext&) = default;
};

// server name + "." + database + "." + object name; for tables this is the key of the table's
// settings and ignored-column lists.
std::string SelectionKey(const SelectedObject& object);

// Rebuilds a table's structure text without the columns of its structure ignored-column list.
class IgnoredColumnsTableText {
 public:
  virtual ~IgnoredColumnsTableText() = default;
  // The table text of `object` (side 0 Source, 1 Target) built with its ignored columns left
  // out, looked up by name; nothing when the list for `key` names no column.
  virtual std::optional<std::string> TextWithoutIgnoredColumns(int side,
                                                               const SelectedObject& object,
                                                               std::string_view key) = 0;
};

struct SelectedObjectsComparison {
  bool identical = false;
  // "Source: " + key, "Target: " + key, an empty line, then the verdict and its notes.
  std::string report_text;
  // The report window to open with report_text, titled "Comparison Report".
  ReportWindowState window;
};

// CompareSelProcs. With `use_given_texts` false the texts are the views' texts trimmed of
// spaces; otherwise `source_text` and `target_text`. Two empty texts are refused with "Cannot
// compare - the list of objects is empty." (title "Cannot Compare") and give nothing.
//
// For tables, a side whose ignored-column list names a column is compared in its rebuilt text
// (the views keep what they show). The texts are equal by CompareIgnoringWhitespace when
// "IgnoreWhitespace" is on, else exactly; texts that differ may still be identical by
// CompareProcs_IgnoreColumnsOrder when "IgnoreColSeq" is on, which reads the two views, or the
// compared texts themselves when these are given or rebuilt. Texts that still differ get the
// whole views painted by Mark_Differences; identical ones leave the views as they are. The verdict
// reads "The selected " + type word + " are identical." or "... different.", an identical verdict
// followed by the ignored-columns and the 'Ignore Columns Order' notes where they apply. The busy
// pointer is switched off before the result is returned. Comments are never stripped here.
std::optional<SelectedObjectsComparison> CompareSelProcs(
    bool use_given_texts, std::string_view source_text, std::string_view target_text,
    const SelectionContext& context, TextView& source_box, TextView& target_box,
    const LoadedSettings& settings, UserInterface& ui,
    IgnoredColumnsTableText* ignored_columns = nullptr);

// Compare Highlighted Sections: compares the selected parts of the two views with
// CompareSelProcs (the painting still covers the whole views). Refuses,
// titled "Compare Highlighted Sections", when either view is empty, or when a view has no
// selection (that view then gets the focus). The window runs it only after the data-access
// check passed.
std::optional<SelectedObjectsComparison> CompareHighlightedSections(
    const SelectionContext& context, TextView& source_box, TextView& target_box,
    const LoadedSettings& settings, UserInterface& ui,
    IgnoredColumnsTableText* ignored_columns = nullptr);

}  // namespace korvane
