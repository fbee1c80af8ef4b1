// The texts of exporting a result grid: dialog titles and filters, the questions and messages
// of interactive exports, the default file name, the progress label and the note shown when an
// export is attached to a saved comparison process.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

class Clock;

// Which window's grid is exported (the export dialog's mode).
enum class ExportSourceMode : std::int32_t {
  kDifferencesWindow = 1,  // frmCompareData
  kDataView = 2,           // frmDataView
  kDataAnalyzer = 3,       // frmDataAnalyze
};

inline constexpr std::string_view kExportCaption = "Export";
// The dialog's two options; the HTML one is option 0. The names are ExportTypeName's.
inline constexpr int kExportOptionHtml = 0;
inline constexpr int kExportOptionCsv = 1;

inline constexpr std::string_view kExportCancelledMessage = "The export operation was cancelled.";
inline constexpr std::string_view kCsvExportFileTitle = "Comma Delimited Export File";
inline constexpr std::string_view kHtmlExportFileTitle = "HTML Export File";
inline constexpr std::string_view kExportRowsCancelledMessage = "Operation cancelled by user.";
inline constexpr std::string_view kExportProgressCaption = "Progress...";
inline constexpr std::string_view kLaunchProgramError = "Error on LaunchProgram: ";
inline constexpr std::string_view kWrongExportModeMessage =
    "Error in cmdOK_Click, wrong value of mlngMode";

inline constexpr std::string_view kCsvSaveDialogTitle =
    "Save Excel - (C)omma (S)eparated (V)alues Export File";
inline constexpr std::string_view kCsvFilter = "Export Files (*.csv)|*.csv";
inline constexpr std::string_view kCsvExtension = "csv";
inline constexpr std::string_view kQuoteQuestionTitle = "Comma Delimited File";
inline constexpr std::string_view kCsvGeneratedTitle = "Comma Delimited File Generated";

inline constexpr std::string_view kHtmlSaveDialogTitle =
    "Save (H)yper (T)est (M)arkup (L)anguage Export File";
inline constexpr std::string_view kHtmlFilter = "Export Files (*.htm)|*.htm";
inline constexpr std::string_view kHtmlExtension = "htm";
inline constexpr std::string_view kHtmlGeneratedTitle = "HTML Code Generated";

// The current date "yyyymmdd", ".", the extension ("txt" when none is given).
std::string DefaultExportFileName(const Clock& clock, std::string_view extension);

// Asked before an interactive CSV export (Yes: every cell in double quotes).
std::string QuoteQuestion();

// Asked after a CSV export: "Data was successfully exported to file" ... "'" + file + "'" ...
// "Do you want to view that file now?" + CR LF.
std::string CsvExportedQuestion(std::string_view file);

// Asked after an HTML export: "HTML code was generated and saved in file " ... "'" + file + "'"
// ... "Do you want to view that file in your browser now?" + CR LF.
std::string HtmlExportedQuestion(std::string_view file);

// The progress label: row "#,##0" + " of " + total "#,##0".
std::string ExportProgressText(std::int64_t row, std::int64_t total);

// Reported when an export was attached to a saved comparison process: "Export info:",
// "- export file:" + file, "- export type:" + the type's name, "was added to the saved
// comparison process:", "- process name:" + name and "Next time when this process is run, the
// program will automatically export data to the above file.", joined by CR LF.
std::string ExportAttachedText(std::string_view file, std::int32_t export_type,
                               std::string_view process_name);

}  // namespace korvane
