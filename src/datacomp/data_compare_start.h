// How an interactive data comparison starts: the checks of the main window's compare-data
// command, the columns the options dialog lists, and the run start that chooses the options
// (dialog or stored) and runs DataCompare.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "datacomp/compare_data_options_state.h"
#include "datacomp/data_compare.h"
#include "datacomp/data_compare_run_options.h"
#include "saved/saved_process.h"

namespace korvane {

struct ApplicationContext;
class UserInterface;

// The refusal of every table-only command while another object type is active.
inline constexpr std::string_view kTablesOnlyMessage =
    "This functionality is enabled only when Tables are selected as active objects.\r\n\r\n"
    "To set Tables as active objects set focus to Objects Type combo box "
    "(using mouse or by pressing key F6) and select first item from the list.";
inline constexpr std::string_view kDifferentStructuresQuestion =
    "Compared tables have different structures.\r\n\r\nDo you still want to compare them?";
inline constexpr std::string_view kDifferentStructuresTitle = "Different Structures";

// The checks before the main window's compare-data command starts a run, on the structure
// texts the two views show (trimmed here): two empty texts are refused with "Cannot compare -
// the list of objects is empty." (information, "Cannot Compare"); another object type than
// tables with kTablesOnlyMessage (information); texts that differ ask
// kDifferentStructuresQuestion, and anything but Yes stops. True when the run may start.
bool ConfirmCompareData(std::string_view source_text, std::string_view target_text,
                        bool tables_active, UserInterface& ui);

// Every column of one side's table as the options dialog lists it (ignored columns included),
// with its type as the table's column description gives it, trimmed.
std::vector<OptionsColumn> OptionsColumnsOfTable(ApplicationContext& context, int side,
                                                 const DataCompareTable& table);

// The settings keys of the two tables (server of the side record, database, table).
std::array<std::string, 2> DataCompareTableKeys(const ApplicationContext& context,
                                                const std::array<DataCompareTable, 2>& tables);

// Shows the options dialog for the two tables; nothing when it was cancelled.
using ShowOptionsDialogFor = std::function<std::optional<DataCompareOptions>(
    const std::array<DataCompareTable, 2>& tables, const std::array<std::string, 2>& keys)>;

// Shows the differences window of an interactive run, with the options the run used.
using ShowDifferencesWindowFor =
    std::function<void(const DataDifferencesWindow& window, const DataCompareOptions& options)>;

// The comparison the differences window offers to save: "Data Comparison" of a "Single Table"
// (no object types), with the run's method, both sides' servers (as the server list names
// them), databases, tables and object ids.
SavedProcess SingleTableComparison(const ApplicationContext& context,
                                   const std::array<DataCompareTable, 2>& tables,
                                   std::int32_t comp_method);

// The run start: chooses the options (ChooseDataCompareOptions: the dialog when the run is
// interactive and "ShowDataCompOpt" is on or `show_requested` was set, which is cleared; else
// the stored settings of both tables) and runs DataCompare. Nothing when the dialog was
// cancelled: the run ends silently.
std::optional<DataCompareResult> StartDataCompare(
    ApplicationContext& context, const std::array<DataCompareTable, 2>& tables, bool unattended,
    bool track_differences, bool& show_requested, const ShowOptionsDialogFor& show_dialog,
    CompareStatus& status, const ShowDifferencesWindowFor& show_window);

}  // namespace korvane
