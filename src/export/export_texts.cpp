#include "export/export_texts.h"

#include <cstdio>

#include "base/clock.h"
#include "base/text.h"
#include "saved/comparison_codes.h"

namespace korvane {

std::string DefaultExportFileName(const Clock& clock, std::string_view extension) {
  const LocalDateTime now = clock.LocalNow();
  char date[16];
  std::snprintf(date, sizeof date, "%04d%02d%02d", now.year % 10000, now.month % 100,
                now.day % 100);
  return std::string(date) + "." + std::string(extension.empty() ? "txt" : extension);
}

std::string QuoteQuestion() {
  return "Data which has commas in it is split into separate pieces in comma separated values "
         "file.\r\n\r\nTo prevent that, the program can wrap up data into quotation marks.\r\n\r\n"
         "If your data doesn't have commas, adding quotation marks is not needed.\r\n\r\n"
         "Do you want to wrap up data into quotation marks?";
}

std::string CsvExportedQuestion(std::string_view file) {
  return "Data was successfully exported to file\r\n\r\n'" + std::string(file) +
         "'\r\n\r\nDo you want to view that file now?\r\n";
}

std::string HtmlExportedQuestion(std::string_view file) {
  return "HTML code was generated and saved in file \r\n\r\n'" + std::string(file) +
         "'\r\n\r\nDo you want to view that file in your browser now?\r\n";
}

std::string ExportProgressText(std::int64_t row, std::int64_t total) {
  return FormatNumber(row) + " of " + FormatNumber(total);
}

std::string ExportAttachedText(std::string_view file, std::int32_t export_type,
                               std::string_view process_name) {
  std::string text = "Export info:";
  text += kCrLf;
  text += "- export file:" + std::string(file);
  text += kCrLf;
  text += "- export type:" + std::string(ExportTypeName(export_type));
  text += kCrLf;
  text += "was added to the saved comparison process:";
  text += kCrLf;
  text += "- process name:" + std::string(process_name);
  text += kCrLf;
  text +=
      "Next time when this process is run, the program will automatically export data to the "
      "above file.";
  return text;
}

}  // namespace korvane
