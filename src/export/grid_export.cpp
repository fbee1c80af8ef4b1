#include "export/grid_export.h"

#include "app/application_context.h"
#include "base/user_interface.h"
#include "saved/comparison_codes.h"
#include "saved/saved_comparison_store.h"

namespace korvane {

ExportOutcome ExportFromDialog(ApplicationContext& context, std::int32_t mode, int option,
                               const DiffGrid& grid, const HtmlExportPage& page,
                               ExportProgress* progress) {
  if (mode < static_cast<std::int32_t>(ExportSourceMode::kDifferencesWindow) ||
      mode > static_cast<std::int32_t>(ExportSourceMode::kDataAnalyzer)) {
    context.ui.ShowMessage(kWrongExportModeMessage);
    ExportOutcome refused;
    refused.error = std::string(kWrongExportModeMessage);
    return refused;
  }
  HtmlExportPage mode_page = page;
  mode_page.mode = static_cast<ExportSourceMode>(mode);
  if (option == kExportOptionHtml)
    return ExportGridToHtml(context, grid, mode_page, {}, progress);
  return ExportGridToCsv(context, grid, {}, progress);
}

ExportOutcome ExportGridAs(ApplicationContext& context, std::int32_t export_type,
                           const DiffGrid& grid, const HtmlExportPage& page,
                           const std::filesystem::path& path, ExportProgress* progress) {
  if (path.empty() || (export_type != kExportTypeHtml && export_type != kExportTypeCsv)) {
    ExportOutcome refused;
    refused.file = path;
    refused.export_type = export_type;
    refused.error = path.empty() ? "No export file given."
                                 : "Export type " + std::to_string(export_type) +
                                       " is neither HTML (1) nor CSV (2).";
    return refused;
  }
  if (export_type == kExportTypeHtml)
    return ExportGridToHtml(context, grid, page, path, progress);
  return ExportGridToCsv(context, grid, path, progress);
}

bool AttachExportToSavedProcess(ApplicationContext& context, SavedComparisonStore& store,
                                std::string_view process_name, const ExportOutcome& outcome) {
  if (!outcome.written() || process_name.empty())
    return false;
  if (!store.SetExport(process_name, outcome.file.string(), outcome.export_type))
    return false;
  context.ui.ShowMessage(
      ExportAttachedText(outcome.file.string(), outcome.export_type, process_name),
      MessageIcon::kInformation);
  return true;
}

}  // namespace korvane
