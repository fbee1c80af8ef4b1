// CSV export of a result grid: every grid row, the header row first, becomes one line of cells
// joined by ",", each cell's text trimmed of blanks.
//
// Quoting: a cell holding a comma, a double quote, CR or LF is always enclosed in double
// quotes with its inner quotes doubled, so that no text can split into fields or lines; when
// the user asks for quotes every cell is enclosed so. Other cells are written as they are.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "export/export_file_writer.h"

namespace korvane {

class DiffGrid;
struct ApplicationContext;

// One cell as written: trimmed, quoted as above.
std::string CsvCell(std::string_view text, bool quote_every_cell);

// The cells joined with "," (no trailing comma, no line end).
std::string CsvLine(const std::vector<std::string>& cells, bool quote_every_cell);

// The whole file: the header row and every data row, each line ending with CR LF.
std::string CsvText(const DiffGrid& grid, bool quote_every_cell);

// Exports the grid as CSV. With `given_path` empty the export is interactive: the save dialog
// (cancelled: kExportCancelledMessage, title kCsvExportFileTitle), the quote question, and
// afterwards the question whether to open the file. With a path the export is unattended:
// written there without any dialog, question or message, quotes only where a cell needs them.
ExportOutcome ExportGridToCsv(ApplicationContext& context, const DiffGrid& grid,
                              const std::filesystem::path& given_path,
                              ExportProgress* progress = nullptr);

}  // namespace korvane
