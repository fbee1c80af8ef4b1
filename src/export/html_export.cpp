#include "export/html_export.h"

#include <cstdio>

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "datacomp/data_differences_window.h"
#include "saved/comparison_codes.h"

namespace korvane {
namespace {

std::string SecondLine(const HtmlExportPage& page) {
  if (page.mode != ExportSourceMode::kDataView)
    return HtmlEscape(page.second_label);
  if (page.statistics_label.empty())
    return "";
  return "<br> Number of records loaded: " + std::to_string(page.loaded_record_number - 1) +
         HtmlEscape(page.statistics_label);
}

// The background of a data row's cells (column 0 excepted): the grid row's own, or in the data
// view white for odd rows and the alternate colour for even ones.
std::string RowBackground(const HtmlExportPage& page, const DiffGridRow& row, std::int64_t index) {
  if (page.mode == ExportSourceMode::kDataView)
    return HtmlColour(index % 2 == 1 ? kWhite : page.alternate_row_colour);
  return HtmlColour(row.background);
}

std::string DataRowLines(const HtmlExportPage& page, const DiffGridRow& row, std::int64_t index) {
  const std::string background = RowBackground(page, row, index);
  std::string lines = "<TR>";
  for (std::size_t k = 0; k < row.cells.size(); ++k) {
    const Rgb text_colour = k < row.text_colours.size() ? row.text_colours[k] : kEqualCellColour;
    lines += kCrLf;
    lines += "<TD BGCOLOR = " + (k == 0 ? std::string(kHtmlFixedCellColour) : background) + ">" +
             "<FONT COLOR = " + HtmlColour(text_colour) + ">" + "&nbsp " +
             HtmlEscape(Trim(row.cells[k])) + " &nbsp" + "</TD>";
  }
  lines += kCrLf;
  lines += "</TR>";
  return lines;
}

struct HtmlParts {
  std::vector<std::string> head;
  std::vector<std::string> tail;
};

HtmlParts PageParts(const DiffGrid& grid, const HtmlExportPage& page) {
  HtmlParts parts;
  parts.head.push_back("<HTML><HEAD><TITLE>Data Differences </TITLE></HEAD>");
  parts.head.push_back("<BODY BGCOLOR = \"FFFFFF\">");
  parts.head.push_back("<p align='center'><b> " + HtmlEscape(page.caption) + "</b><p> " +
                       HtmlEscape(page.first_label) + "<br> " + SecondLine(page) + "<p>");
  parts.head.push_back("<TABLE BGCOLOR = \"000000\" WIDTH = \"100%\">");
  parts.head.push_back("<TR>");
  for (const std::string& header : grid.header()) {
    parts.head.push_back("<TD BGCOLOR = " + std::string(kHtmlFixedCellColour) + ">" + "<B>&nbsp " +
                         HtmlEscape(Trim(header)) + " &nbsp</B>" + "</TD>");
  }
  parts.head.push_back("</TR>");
  parts.tail.push_back("</TABLE></BODY></HTML>");
  if (page.mode == ExportSourceMode::kDifferencesWindow) {
    const auto& s = page.statistics;
    parts.tail.push_back("<p align='center'><b> " + HtmlEscape(s[0]) + " " + HtmlEscape(s[3]) +
                         "<br> " + HtmlEscape(s[1]) + " " + HtmlEscape(s[4]) + "<br> " +
                         HtmlEscape(s[2]) + " " + HtmlEscape(s[5]) + "</b>");
  }
  return parts;
}

ExportLines HtmlExportLines(const DiffGrid& grid, const HtmlExportPage& page) {
  HtmlParts parts = PageParts(grid, page);
  ExportLines lines;
  lines.head = std::move(parts.head);
  lines.tail = std::move(parts.tail);
  lines.row_count = static_cast<std::int64_t>(grid.RowCount());
  lines.row_line = [&grid, &page](std::int64_t row) {
    return DataRowLines(page, grid.rows()[static_cast<std::size_t>(row - 1)], row);
  };
  return lines;
}

}  // namespace

HtmlExportPage DifferencesWindowPage(const DataDifferencesWindow& window) {
  HtmlExportPage page;
  page.mode = ExportSourceMode::kDifferencesWindow;
  page.caption = window.caption;
  page.first_label = window.table_labels[0];
  page.second_label = window.table_labels[1];
  for (std::size_t k = 0; k < 3; ++k) {
    page.statistics[k] = std::string(kStatisticsCaptions[k]);
    page.statistics[k + 3] = window.grid.statistics()[k];
  }
  return page;
}

std::string HtmlEscape(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string HtmlColour(Rgb colour) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", colour.red, colour.green, colour.blue);
  return text;
}

std::vector<std::string> HtmlLines(const DiffGrid& grid, const HtmlExportPage& page) {
  const ExportLines parts = HtmlExportLines(grid, page);
  std::vector<std::string> lines = parts.head;
  for (std::int64_t row = 1; row <= parts.row_count; ++row) {
    for (std::string& line : Split(parts.row_line(row), kCrLf))
      lines.push_back(std::move(line));
  }
  lines.insert(lines.end(), parts.tail.begin(), parts.tail.end());
  return lines;
}

std::string HtmlText(const DiffGrid& grid, const HtmlExportPage& page) {
  std::string text;
  for (const std::string& line : HtmlLines(grid, page))
    text += line + std::string(kCrLf);
  return text;
}

ExportOutcome ExportGridToHtml(ApplicationContext& context, const DiffGrid& grid,
                               const HtmlExportPage& page, const std::filesystem::path& given_path,
                               ExportProgress* progress) {
  const bool interactive = given_path.empty();
  std::filesystem::path file = given_path;
  if (interactive) {
    std::optional<std::filesystem::path> chosen = AskExportFile(
        context, kHtmlSaveDialogTitle, kHtmlFilter, kHtmlExtension, kHtmlExportFileTitle);
    if (!chosen) {
      ExportOutcome cancelled;
      cancelled.status = ExportStatus::kCancelled;
      cancelled.export_type = kExportTypeHtml;
      return cancelled;
    }
    file = *chosen;
  }
  ExportOutcome outcome = WriteExportFile(context, file, HtmlExportLines(grid, page), progress);
  outcome.export_type = kExportTypeHtml;
  if (interactive) {
    FinishInteractiveExport(context, outcome, HtmlExportedQuestion(file.string()),
                            kHtmlGeneratedTitle, "ExportToHTML");
  }
  return outcome;
}

}  // namespace korvane
