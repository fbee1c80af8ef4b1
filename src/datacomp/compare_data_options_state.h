// The rules of the data comparison options dialog (frmCompareDataOptions), kept out of the
// window: what it shows when it opens, how each choice reacts, what Continue checks, stores
// and returns. The window keeps a CompareDataOptionsState, forwards every user action to the
// function below that handles it, and then shows the state again. While it copies the state
// into its controls it must not forward the change events that causes (its busy guard).
//
// Sides are indexed 0 (Source) and 1 (Target); ranks 0 (primary), 1 (secondary), 2 (tertiary).
// A combo's items are its first item ("Default Order" for sort keys, "No Field" for key
// columns) followed by the side's columns in table order, so item n > 0 is column n - 1.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/locations.h"
#include "datacomp/data_compare_options.h"
#include "datacomp/table_comp_settings.h"

namespace korvane {

class SettingsStore;
class UserInterface;

// --- Texts of the window ---------------------------------------------------------------------

inline constexpr std::string_view kCompareDataOptionsCaption = "Data Comparison Options";
inline constexpr std::string_view kMethodTabCaption = "Comparison Method";
inline constexpr std::string_view kMethodTabText =
    "Specify the comparison method to be used by the program";
inline constexpr std::string_view kSortingTabCaption = "Sorting Data";
inline constexpr std::string_view kSortingTabText =
    "Specify sort order to be used during comparison";
inline constexpr std::string_view kOffsetTabCaption = "Comparison Offset";
inline constexpr std::string_view kOffsetTabText = "Specify the offset for comparison process";
inline constexpr std::string_view kIgnoreTabCaption = "Ignore Columns";
inline constexpr std::string_view kIgnoreTabText =
    "Specify the columns to be ignored during comparison";
inline constexpr std::string_view kReportingTabCaption = "Reporting";  // a hidden tab
inline constexpr std::string_view kContinueButton = "C&ontinue";
inline constexpr std::string_view kCancelButton = "&Cancel";
inline constexpr std::string_view kDoNotShowAgainCheckBox = "Do not show this dialog again";
inline constexpr std::string_view kRecordByRecordOption = "Recod by record comparison";
inline constexpr std::string_view kPrimaryKeyOption = "Primary Key/Index comparison";
inline constexpr std::string_view kRecordByRecordOnlyNote =
    "This option applies only to 'record by record' comparison.";
inline constexpr std::string_view kOffsetLabel = "Start comparison from record";
inline constexpr std::string_view kSelectAllButton = "&Select All";
inline constexpr std::string_view kDeselectAllButton = "&Deselect All";
inline constexpr std::string_view kDefaultOrderItem = "Default Order";
inline constexpr std::array<std::string_view, 3> kSortKeyLabels = {
    "Primary Sort Key", "Secondary Sort Key", "Tertiary Sort Key"};
inline constexpr std::array<std::string_view, 3> kKeyFieldLabels = {
    "Primary Field", "Secondary Field", "Tertiary Field"};

// --- Messages --------------------------------------------------------------------------------

inline constexpr std::string_view kUnsortableTypeMessage =
    "The text, ntext, and image data types cannot be compared or sorted.";
inline constexpr std::string_view kSelectAtLeastOneColumnMessage =
    "Please select at least one column.";
inline constexpr std::string_view kDialogHiddenMessage =
    "This dialog screen will not be shown anymore.\r\n\r\n"
    "To enable showing 'Data Comparison Options' screen please open the Options screen (by "
    "clicking menu item Tools -> Options...), select tab 'Data Comparison' and click on "
    "appropriate check box.";
inline constexpr std::string_view kAllColumnsIgnoredMessage =
    "All columns cannot be ignored.\r\n\r\n"
    "Please select at least one column to be processed during the comparison.";

// "Please specify " + predecessor + " before specifying " + label + "."
std::string SpecifyPredecessorMessage(std::string_view predecessor, std::string_view label);

// The refusal of column selections whose ticked counts differ.
std::string ColumnCountMismatchMessage(std::size_t source_count, std::size_t target_count);

// The refusal of a key column or sort key that is also an ignored column; `side` is "Source" or
// "Target".
std::string IgnoredKeyColumnMessage(std::string_view column, std::string_view label,
                                    std::string_view side);

// --- State -----------------------------------------------------------------------------------

// One column of a table as the window lists it; the data type as the column reader describes
// it (the type name, or the type with its size).
struct OptionsColumn {
  std::string name;
  std::string data_type;
};

// One row of a column list: a ticked column is compared, an unticked one ignored.
struct ColumnListRow {
  std::string name;
  std::string data_type;
  bool ticked = true;

  friend bool operator==(const ColumnListRow&, const ColumnListRow&) = default;
};

struct CompareDataOptionsState {
  std::array<std::vector<ColumnListRow>, 2> columns;
  // Selected item of each sort-key combo, [side][rank]; 0 is "Default Order".
  std::array<std::array<int, 3>, 2> sort_key_items{};
  // Selected item of each key-column combo, [side][rank]; 0 is "No Field".
  std::array<std::array<int, 3>, 2> key_field_items{};
  std::int32_t CompMethod = kCompMethodRecordByRecord;
  std::array<std::string, 2> offset_texts;  // digits only
  bool do_not_show_again = false;
  bool ignore_selection_changed = false;  // the column lists changed since they were loaded

  friend bool operator==(const CompareDataOptionsState&, const CompareDataOptionsState&) = default;
};

// The window's control numbers: cmbGen 0-2 hold the Source sort keys and 3-5 the Target's;
// cmbPK 0, 2, 4 the Source key columns and 1, 3, 5 the Target's.
constexpr int SortKeyComboIndex(int side, int rank) {
  return side * 3 + rank;
}
constexpr int KeyFieldComboIndex(int side, int rank) {
  return rank * 2 + side;
}

// The combo item showing the named column: the same spelling first, else the first name equal
// letter case aside; 0 when the table has no such column.
int ColumnItem(const std::vector<ColumnListRow>& columns, std::string_view name);

// The items of the side's sort-key combos and of its key-column combos.
std::vector<std::string> SortKeyItems(const CompareDataOptionsState& state, int side);
std::vector<std::string> KeyFieldItems(const CompareDataOptionsState& state, int side);

// The key-column combos, their frames and labels are enabled only under the key method.
bool KeyFieldsEnabled(const CompareDataOptionsState& state);

// --- Loading ---------------------------------------------------------------------------------

// What the window opens with, per side: the table's columns (ignored ones included), its Data
// ignored-column list, its stored settings; and the "ShowDataCompOpt" setting.
struct CompareDataOptionsInput {
  std::array<std::vector<OptionsColumn>, 2> columns;
  std::array<std::vector<std::string>, 2> ignored;
  std::array<TableCompSettings, 2> stored;
  bool show_data_comp_opt = true;
};

// Every column listed and ticked except the ignored ones (letter case aside); the stored sort
// keys and key columns selected where the table still has such a column (same spelling first,
// else letter case aside), the first item otherwise; the stored offsets; the method of the
// Target section (the one a run uses); "Do not show this dialog again" ticked exactly when
// "ShowDataCompOpt" is off.
CompareDataOptionsState LoadCompareDataOptions(const CompareDataOptionsInput& input);

// The same, reading the two Data ignored-column lists, both sections of kvn_tables_comps.ini
// (Source first) and "ShowDataCompOpt". The columns come from the table column reader.
CompareDataOptionsState OpenCompareDataOptions(const AppLocations& locations,
                                               const SettingsStore& store,
                                               std::string_view source_key,
                                               std::string_view target_key,
                                               std::vector<OptionsColumn> source_columns,
                                               std::vector<OptionsColumn> target_columns);

// --- Reactions -------------------------------------------------------------------------------

// Selects the method option (kCompMethodRecordByRecord or kCompMethodPrimaryKey; any other
// value is taken as record by record).
void SelectCompMethod(CompareDataOptionsState& state, std::int32_t comp_method);

// The user chose `item` in a sort-key combo. "Default Order" resets the later sort keys of the
// side. A text, ntext or image column, or a secondary or tertiary key while its predecessor is
// "Default Order", is refused with a message (exclamation) and the combo returns to its first
// item; the later keys are left as they are. True when the choice was kept. Indexes out of
// range change nothing (false).
bool ChooseSortKey(CompareDataOptionsState& state, int side, int rank, int item, UserInterface& ui);

// The same for a key-column combo, with "No Field" and the field labels. After a column kept in
// a Source combo, the Target combo of the same rank selects the Target column of the same name
// when there is one and the same rules would let it be chosen there. Nothing happens (false)
// while the key-column combos are disabled.
bool ChooseKeyField(CompareDataOptionsState& state, int side, int rank, int item,
                    UserInterface& ui);

// The offset box's new text, with everything but digits removed.
void SetOffsetText(CompareDataOptionsState& state, int side, std::string_view text);

// Ticks or unticks one row of a column list. Unticking the last ticked column of the side shows
// kSelectAtLeastOneColumnMessage (information); the row stays unticked.
void SetColumnTicked(CompareDataOptionsState& state, int side, std::size_t row, bool ticked,
                     UserInterface& ui);
void SelectAllColumns(CompareDataOptionsState& state, int side);
// Unticks every row, then shows kSelectAtLeastOneColumnMessage (information).
void DeselectAllColumns(CompareDataOptionsState& state, int side, UserInterface& ui);

// The "Do not show this dialog again" box: ticking writes "ShowDataCompOpt" off at once and
// shows kDialogHiddenMessage (information); unticking writes it on.
void SetDoNotShowAgain(CompareDataOptionsState& state, bool ticked, SettingsStore& store,
                       UserInterface& ui);

// --- Continue --------------------------------------------------------------------------------

// The sort keys of the side a run uses: the chosen columns in rank order up to the first
// "Default Order"; none when all six combos show "Default Order".
std::vector<std::string> UsedSortKeys(const CompareDataOptionsState& state, int side);

// The checks of the column lists, showing the first refusal (exclamation): a side without a
// ticked column; different ticked counts while some column is unticked.
bool ValidateColumnSelection(const CompareDataOptionsState& state, UserInterface& ui);

// No column a run uses to pair or order records may be an unticked column of its side (letter
// case aside): under the key method the side's key columns (primary, then secondary and
// tertiary while set), under record by record its used sort keys; Source first. Shows the first
// conflict (exclamation).
bool ValidateKeysNotIgnored(const CompareDataOptionsState& state, UserInterface& ui);

// The options the dialog returns: sort keys as UsedSortKeys gives them (use_default_order when
// all six are "Default Order"), the offsets' values (beyond 2147483647 taken as 2147483647),
// the method, and the six key-column texts ("No Field" included).
DataCompareOptions CollectDataCompareOptions(const CompareDataOptionsState& state);

struct CompareDataOptionsResult {
  bool accepted = false;  // false: a check refused; the dialog stays open
  DataCompareOptions options;
  bool stored = false;  // kvn_tables_comps.ini and the ignore lists were written
};

// Continue. Checks the column lists when they changed and, always, the key columns against
// them; on a refusal nothing is written. Then writes each side's unticked columns as its Data
// ignored-column list when the lists changed (Source first), writes both sections of
// kvn_tables_comps.ini and returns the options. A write that fails does not stop the run.
CompareDataOptionsResult AcceptCompareDataOptions(CompareDataOptionsState& state,
                                                  const AppLocations& locations,
                                                  std::string_view source_key,
                                                  std::string_view target_key, UserInterface& ui);

}  // namespace korvane
