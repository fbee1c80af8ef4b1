// How an export ends and what it shows while it runs, and the line writer every grid export
// shares: the lines end with CR LF, the cancel flag (ApplicationContext::cancel_requested) is
// tested before every data row, and the file is replaced as a whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct ApplicationContext;

// The export dialog's progress bar and its "Progress..." label; a window implements it.
class ExportProgress {
 public:
  virtual ~ExportProgress() = default;
  // Before data row `row` (1-based) of `total`: the label (ExportProgressText) and the bar.
  virtual void ShowRow(std::int64_t row, std::int64_t total, std::string_view label,
                       int percent) = 0;
};

enum class ExportStatus {
  kWritten,    // the whole file was written
  kCancelled,  // the save dialog was cancelled, or Stop during the rows (the file holds the
               // lines written before)
  kFailed,     // the file could not be created or written
};

struct ExportOutcome {
  ExportStatus status = ExportStatus::kFailed;
  std::filesystem::path file;    // the file written (or attempted); empty when none was chosen
  std::int32_t export_type = 0;  // 1 HTML, 2 CSV (saved/comparison_codes.h)
  std::string error;             // what failed (kFailed)

  bool written() const { return status == ExportStatus::kWritten; }
};

// The lines of an export file: those before the data rows, one line builder per data row
// (1 to row_count), those after.
struct ExportLines {
  std::vector<std::string> head;
  std::int64_t row_count = 0;
  std::function<std::string(std::int64_t row)> row_line;
  std::vector<std::string> tail;
};

// Writes the lines to `file`, each followed by CR LF, with the busy pointer on. Before every
// data row the cancel flag is tested (a set flag ends the export: the file holds the lines before
// that row) and the progress shown. The file is replaced whole through WriteFileAtomically, so a
// symbolic link at `file` is replaced, never written through, and a failure leaves the earlier
// file untouched. Returns kWritten, kCancelled or kFailed (with `error`).
ExportOutcome WriteExportFile(ApplicationContext& context, const std::filesystem::path& file,
                              const ExportLines& lines, ExportProgress* progress);

}  // namespace korvane

namespace korvane {

// The save dialog of an interactive export: the file chosen, or nothing after the user
// cancelled (then kExportCancelledMessage was shown with `cancelled_title`). The dialog
// proposes DefaultExportFileName in the data folder.
std::optional<std::filesystem::path> AskExportFile(ApplicationContext& context,
                                                   std::string_view dialog_title,
                                                   std::string_view filter,
                                                   std::string_view extension,
                                                   std::string_view cancelled_title);

// After an interactive export. Written: asks `question` (Yes/No, default No) and on Yes opens
// the file with its program ("Error on LaunchProgram: " + code when that fails). Stopped
// during the rows: kExportRowsCancelledMessage, and the cancel flag is reset. Failed: the
// error report of an unexpected failure, naming `procedure`.
void FinishInteractiveExport(ApplicationContext& context, const ExportOutcome& outcome,
                             std::string_view question, std::string_view question_title,
                             std::string_view procedure);

}  // namespace korvane
