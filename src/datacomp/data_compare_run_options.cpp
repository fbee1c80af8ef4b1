#include "datacomp/data_compare_run_options.h"

#include "app/settings.h"
#include "datacomp/order_by_clause.h"
#include "datacomp/table_comp_settings.h"

namespace korvane {

namespace {

std::string SideOrderBy(const DataCompareSide& side) {
  return BuildOrderBy(side.sort_keys[kPrimary], side.sort_keys[kSecondary],
                      side.sort_keys[kTertiary]);
}

}  // namespace

bool ShouldShowDataCompareOptions(bool unattended, bool show_data_comp_opt, bool requested) {
  return !unattended && (show_data_comp_opt || requested);
}

DataCompareRunOptions WithOrderBy(const DataCompareOptions& options) {
  DataCompareRunOptions run{options, {}, {}};
  if (!options.use_default_order) {
    run.source_order_by = SideOrderBy(options.sides[0]);
    run.target_order_by = SideOrderBy(options.sides[1]);
  }
  return run;
}

std::optional<DataCompareRunOptions> ChooseDataCompareOptions(
    const SettingsStore& store, const std::filesystem::path& tables_comps_ini,
    std::string_view source_key, std::string_view target_key, bool unattended, bool& show_requested,
    const ShowDataCompareOptionsDialog& show_dialog) {
  const bool requested = show_requested;
  show_requested = false;
  if (ShouldShowDataCompareOptions(unattended, ReadBoolean(store, Setting::kShowDataCompOpt),
                                   requested)) {
    const std::optional<DataCompareOptions> chosen = show_dialog ? show_dialog() : std::nullopt;
    if (!chosen)
      return std::nullopt;
    return WithOrderBy(*chosen);
  }
  return WithOrderBy(ReadStoredDataCompareOptions(tables_comps_ini, source_key, target_key));
}

}  // namespace korvane
