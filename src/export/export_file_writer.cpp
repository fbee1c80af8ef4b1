#include "export/export_file_writer.h"

#include <fstream>

#include "app/application_context.h"
#include "app/busy_pointer.h"
#include "app/clock.h"
#include "app/error_report.h"
#include "app/text.h"
#include "app/user_interface.h"
#include "export/export_texts.h"

namespace korvane {
namespace {

bool WriteLine(std::ofstream& stream, std::string_view line) {
  stream << line << kCrLf;
  return static_cast<bool>(stream);
}

}  // namespace

ExportOutcome WriteExportFile(ApplicationContext& context, const std::filesystem::path& file,
                              const ExportLines& lines, ExportProgress* progress) {
  ExportOutcome outcome;
  outcome.file = file;
  BusyPointer busy(context.ui);
  std::ofstream stream(file, std::ios::binary | std::ios::trunc);
  const auto failed = [&outcome, &file]() {
    outcome.status = ExportStatus::kFailed;
    outcome.error = "Cannot write the file '" + file.string() + "'.";
    return outcome;
  };
  if (!stream)
    return failed();
  for (const std::string& line : lines.head) {
    if (!WriteLine(stream, line))
      return failed();
  }
  for (std::int64_t row = 1; row <= lines.row_count; ++row) {
    if (context.cancel_requested) {
      outcome.status = ExportStatus::kCancelled;
      return outcome;
    }
    if (progress) {
      const int percent = static_cast<int>(row * 100 / lines.row_count);
      progress->ShowRow(row, lines.row_count, ExportProgressText(row, lines.row_count), percent);
    }
    if (!WriteLine(stream, lines.row_line(row)))
      return failed();
  }
  for (const std::string& line : lines.tail) {
    if (!WriteLine(stream, line))
      return failed();
  }
  stream.close();
  if (!stream)
    return failed();
  outcome.status = ExportStatus::kWritten;
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
