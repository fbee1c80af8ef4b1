#include "export/export_file_writer.h"

#include "app/application_context.h"
#include "base/busy_pointer.h"
#include "base/clock.h"
#include "base/error_report.h"
#include "base/files.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "export/export_texts.h"

namespace korvane {
namespace {

void AppendLine(std::string& text, std::string_view line) {
  text += line;
  text += kCrLf;
}

}  // namespace

ExportOutcome WriteExportFile(ApplicationContext& context, const std::filesystem::path& file,
                              const ExportLines& lines, ExportProgress* progress) {
  ExportOutcome outcome;
  outcome.file = file;
  BusyPointer busy(context.ui);
  // The lines are gathered first and the file replaced as a whole (a temporary file beside it,
  // then renamed over it): a link at `file` is replaced rather than followed into the file it
  // points to, and a failed export leaves the earlier file as it was.
  std::string text;
  for (const std::string& line : lines.head)
    AppendLine(text, line);
  outcome.status = ExportStatus::kWritten;
  for (std::int64_t row = 1; row <= lines.row_count; ++row) {
    if (context.cancel_requested) {
      outcome.status = ExportStatus::kCancelled;  // the file keeps the lines gathered so far
      break;
    }
    if (progress) {
      const int percent = static_cast<int>(row * 100 / lines.row_count);
      progress->ShowRow(row, lines.row_count, ExportProgressText(row, lines.row_count), percent);
    }
    AppendLine(text, lines.row_line(row));
  }
  if (outcome.status == ExportStatus::kWritten) {
    for (const std::string& line : lines.tail)
      AppendLine(text, line);
  }
  // An export goes into an existing folder only; it does not make folders of a mistyped path.
  std::error_code error;
  const bool folder_exists =
      !file.has_parent_path() || std::filesystem::is_directory(file.parent_path(), error);
  if (!folder_exists || !WriteFileAtomically(file, text)) {
    outcome.status = ExportStatus::kFailed;
    outcome.error = "Cannot write the file '" + file.string() + "'.";
  }
  return outcome;
}

std::optional<std::filesystem::path> AskExportFile(ApplicationContext& context,
                                                   std::string_view dialog_title,
                                                   std::string_view filter,
                                                   std::string_view extension,
                                                   std::string_view cancelled_title) {
  FileRequest request;
  request.title = dialog_title;
  request.filter = filter;
  request.proposed_name = DefaultExportFileName(context.clock, extension);
  request.initial_folder = context.locations.data_folder;
  std::optional<std::filesystem::path> file = context.ui.RequestSaveFile(request);
  if (!file || file->empty()) {
    context.ui.ShowMessage(kExportCancelledMessage, MessageIcon::kInformation, cancelled_title);
    return std::nullopt;
  }
  return file;
}

void FinishInteractiveExport(ApplicationContext& context, const ExportOutcome& outcome,
                             std::string_view question, std::string_view question_title,
                             std::string_view procedure) {
  UserInterface& ui = context.ui;
  switch (outcome.status) {
    case ExportStatus::kWritten:
      if (ui.Ask(question, question_title, Answer::kNo, MessageIcon::kQuestion) == Answer::kYes) {
        const int code = ui.OpenWithDefaultProgram(outcome.file.string());
        if (code != 0)
          ui.ShowMessage(std::string(kLaunchProgramError) + std::to_string(code));
      }
      return;
    case ExportStatus::kCancelled:
      context.cancel_requested = false;
      ui.ShowMessage(kExportRowsCancelledMessage, MessageIcon::kInformation);
      return;
    case ExportStatus::kFailed:
      ui.ShowErrorReport(MakeErrorReport(75, outcome.error, "mdlExport", procedure));
      return;
  }
}

}  // namespace korvane
