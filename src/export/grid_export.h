// The export dialog (frmExport) without its window, and the unattended export of saved
// comparison processes: which export a mode and an option start, exports by stored type, and
// attaching an export to a saved comparison process.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "export/csv_export.h"
#include "export/html_export.h"

namespace korvane {

class SavedComparisonStore;

// The dialog's OK: `mode` is the exporting window (1 to 3); `option` kExportOptionHtml or
// kExportOptionCsv. A mode other than 1, 2 or 3 shows kWrongExportModeMessage and exports
// nothing (kFailed). Otherwise the interactive export of the chosen kind.
ExportOutcome ExportFromDialog(ApplicationContext& context, std::int32_t mode, int option,
                               const DiffGrid& grid, const HtmlExportPage& page,
                               ExportProgress* progress = nullptr);

// Unattended export in a stored export type (1 HTML, 2 CSV) to `path`, without any question.
// Another type exports nothing (kFailed, with the error text).
ExportOutcome ExportGridAs(ApplicationContext& context, std::int32_t export_type,
                           const DiffGrid& grid, const HtmlExportPage& page,
                           const std::filesystem::path& path, ExportProgress* progress = nullptr);

// After an interactive export of a comparison that is a saved process: stores the export's
// file and type with the process and reports ExportAttachedText (information). False, without
// the report, when the export was not written or the store refused it.
bool AttachExportToSavedProcess(ApplicationContext& context, SavedComparisonStore& store,
                                std::string_view process_name, const ExportOutcome& outcome);

}  // namespace korvane
