#include "export/csv_export.h"

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "datacomp/diff_grid.h"
#include "export/export_texts.h"
#include "saved/comparison_codes.h"

namespace korvane {
namespace {

bool NeedsQuotes(std::string_view text) {
  return text.find_first_of(",\"\r\n") != std::string_view::npos;
}

const std::vector<std::string>& RowCells(const DiffGrid& grid, std::int64_t row) {
  return grid.rows()[static_cast<std::size_t>(row - 1)].cells;
}

ExportLines CsvLines(const DiffGrid& grid, bool quote_every_cell) {
  ExportLines lines;
  lines.head.push_back(CsvLine(grid.header(), quote_every_cell));
  lines.row_count = static_cast<std::int64_t>(grid.RowCount());
  lines.row_line = [&grid, quote_every_cell](std::int64_t row) {
    return CsvLine(RowCells(grid, row), quote_every_cell);
  };
  return lines;
}

}  // namespace

std::string CsvCell(std::string_view text, bool quote_every_cell) {
  const std::string_view trimmed = Trim(text);
  if (!quote_every_cell && !NeedsQuotes(trimmed))
    return std::string(trimmed);
  return "\"" + ReplaceAll(trimmed, "\"", "\"\"") + "\"";
}

std::string CsvLine(const std::vector<std::string>& cells, bool quote_every_cell) {
  std::string line;
  for (std::size_t k = 0; k < cells.size(); ++k) {
    if (k > 0)
      line += ",";
    line += CsvCell(cells[k], quote_every_cell);
  }
  return line;
}

std::string CsvText(const DiffGrid& grid, bool quote_every_cell) {
  const ExportLines lines = CsvLines(grid, quote_every_cell);
  std::string text = lines.head.front() + std::string(kCrLf);
  for (std::int64_t row = 1; row <= lines.row_count; ++row)
    text += lines.row_line(row) + std::string(kCrLf);
  return text;
}

ExportOutcome ExportGridToCsv(ApplicationContext& context, const DiffGrid& grid,
                              const std::filesystem::path& given_path, ExportProgress* progress) {
  const bool interactive = given_path.empty();
  std::filesystem::path file = given_path;
  bool quote_every_cell = false;
  if (interactive) {
    std::optional<std::filesystem::path> chosen =
        AskExportFile(context, kCsvSaveDialogTitle, kCsvFilter, kCsvExtension, kCsvExportFileTitle);
    if (!chosen) {
      ExportOutcome cancelled;
      cancelled.status = ExportStatus::kCancelled;
      cancelled.export_type = kExportTypeCsv;
      return cancelled;
    }
    file = *chosen;
    quote_every_cell = context.ui.Ask(QuoteQuestion(), kQuoteQuestionTitle, Answer::kNo,
                                      MessageIcon::kQuestion) == Answer::kYes;
  }
  ExportOutcome outcome =
      WriteExportFile(context, file, CsvLines(grid, quote_every_cell), progress);
  outcome.export_type = kExportTypeCsv;
  if (interactive) {
    FinishInteractiveExport(context, outcome, CsvExportedQuestion(file.string()),
                            kCsvGeneratedTitle, "ExportToCSV");
  }
  return outcome;
}

}  // namespace korvane
