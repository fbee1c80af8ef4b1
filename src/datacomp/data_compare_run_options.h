// Which options a data comparison run uses: those the options dialog returns, or those stored
// for the two tables, with the ORDER BY clause of each side.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "datacomp/data_compare_options.h"

namespace korvane {

class SettingsStore;

struct DataCompareRunOptions {
  DataCompareOptions options;
  std::string source_order_by;  // empty: the table's own order
  std::string target_order_by;

  friend bool operator==(const DataCompareRunOptions&, const DataCompareRunOptions&) = default;
};

// Unattended runs (bulk runs, saved comparisons) never show the dialog; other runs show it when
// "ShowDataCompOpt" is on or the caller asked for it.
bool ShouldShowDataCompareOptions(bool unattended, bool show_data_comp_opt, bool requested);

// The ORDER BY of each side from its sort keys; none at all when use_default_order is set.
DataCompareRunOptions WithOrderBy(const DataCompareOptions& options);

// What the dialog shows: given nothing, it returns the options on Continue and nothing on
// Cancel.
using ShowDataCompareOptionsDialog = std::function<std::optional<DataCompareOptions>()>;

// Chooses the run's options. With the dialog (ShouldShowDataCompareOptions, "ShowDataCompOpt"
// read from the store) its result is used; nothing when it was cancelled, and the caller
// abandons the comparison. Without it both tables' sections are read from `tables_comps_ini`.
// `show_requested` is the caller's one-shot request to show the dialog; it is cleared here.
std::optional<DataCompareRunOptions> ChooseDataCompareOptions(
    const SettingsStore& store, const std::filesystem::path& tables_comps_ini,
    std::string_view source_key, std::string_view target_key, bool unattended, bool& show_requested,
    const ShowDataCompareOptionsDialog& show_dialog);

}  // namespace korvane
