// HTML export of a result grid: a page with a heading from the exporting window, a table with
// the header row and every data row in their grid colours, and for the differences window the
// statistics below it. Every text taken from the grid or the window has &, <, > and " escaped,
// so cell data can never become markup.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "datacomp/diff_grid.h"
#include "export/export_file_writer.h"
#include "export/export_texts.h"

namespace korvane {

struct ApplicationContext;
struct DataDifferencesWindow;

// The data view's alternate row colour (cyan).
inline constexpr Rgb kDataViewAlternateRowColour{0, 255, 255};
// Column 0 and the header cells, written as it stands.
inline constexpr std::string_view kHtmlFixedCellColour = "CCCCC";

// What the page takes from the exporting window (plain texts; escaped when written).
struct HtmlExportPage {
  ExportSourceMode mode = ExportSourceMode::kDifferencesWindow;
  std::string caption;      // the window's caption
  std::string first_label;  // its first table label
  // Differences window (and analyzer): the second line is this label (the Target table label).
  std::string second_label;
  // Data view: the second line is "<br> Number of records loaded: " + (loaded_record_number -
  // 1) + statistics_label, or empty when no records were counted (statistics_label empty).
  std::int64_t loaded_record_number = 0;
  std::string statistics_label;
  // Differences window: the six statistics labels, captions 0 to 2 and values 3 to 5.
  std::array<std::string, 6> statistics;
  Rgb alternate_row_colour = kDataViewAlternateRowColour;  // data view
};

// The page of a differences window: its caption, both table labels and statistics.
HtmlExportPage DifferencesWindowPage(const DataDifferencesWindow& window);

// &, <, > and " as &amp; &lt; &gt; &quot;; everything else as it is.
std::string HtmlEscape(std::string_view text);

// Six upper-case hexadecimal digits, red green blue, without "#": pure red is FF0000.
std::string HtmlColour(Rgb colour);

// The page's lines without line ends, in file order.
std::vector<std::string> HtmlLines(const DiffGrid& grid, const HtmlExportPage& page);

// The whole file, each line ending with CR LF.
std::string HtmlText(const DiffGrid& grid, const HtmlExportPage& page);

// Exports the grid as HTML. With `given_path` empty the export is interactive: the save dialog
// (cancelled: kExportCancelledMessage, title kHtmlExportFileTitle) and afterwards the question
// whether to open the file in the browser. With a path it is written there without any dialog,
// question or message.
ExportOutcome ExportGridToHtml(ApplicationContext& context, const DiffGrid& grid,
                               const HtmlExportPage& page, const std::filesystem::path& given_path,
                               ExportProgress* progress = nullptr);

}  // namespace korvane
