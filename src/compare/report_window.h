// The comparison report window: what it knows about the comparison it shows, and its actions
// (copy, export to a file, print, save as a process, the first showing of a saved process's
// report). The window itself only draws the text pane and forwards button clicks here.
//
// Every action reads the text from the pane line by line and joins the lines, each followed by
// CR LF (ReportPaneText).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class TextView;
class UserInterface;

inline constexpr std::string_view kComparisonReportTitle = "Comparison Report";
inline constexpr std::string_view kReportDocumentName = "Korvane Report";
inline constexpr std::string_view kSpecifyTargetFileTitle = "Specify Target File";
// Any file: the pattern "*.*" under the description "*.*".
inline constexpr std::string_view kAnyFileFilter = "*.*|*.*";
inline constexpr std::string_view kReportProposedName = "Report.txt";

// Export type recorded in a saved process for an exported report text.
inline constexpr std::int32_t kReportTextExportType = 0;

// Error number and description shown when a file cannot be written.
inline constexpr std::int32_t kFileAccessErrorNumber = 75;
inline constexpr std::string_view kFileAccessErrorDescription = "Path/File access error";

// What the window holds besides its text.
struct ReportWindowState {
  std::string title{kComparisonReportTitle};
  std::string source_server;
  std::string target_server;
  std::string source_database;
  std::string target_database;
  std::string table_1;  // the compared tables or objects; empty for database comparisons
  std::string table_2;
  std::int32_t comparison_type = 0;
  std::int32_t sub_type = 0;
  std::int32_t sub_sub_type = 0;
  std::string object_types;             // EncObjTypes of the comparison
  std::int32_t comparison_method = -1;  // -1 for structure comparisons
  bool running_saved_process = false;
  std::string export_path;  // where a saved process exports its report; empty for none
  std::int32_t source_count = 0;
  std::int32_t target_count = 0;
  std::vector<std::string> source_selection;
  std::vector<std::string> target_selection;
  bool print = false;  // a saved process asks for the report to be printed
  std::int32_t object_id_1 = 0;
  std::int32_t object_id_2 = 0;
  // The comparison was saved as a process from this window and its export or print setting
  // has not been recorded yet.
  bool just_saved = false;
  std::string saved_name;
  bool busy = false;                // an action is running; further clicks are ignored
  bool save_button_visible = true;  // hidden when the window shows a CREATE statement

  friend bool operator==(const ReportWindowState&, const ReportWindowState&) = default;
};

// Where the export and print settings of a saved process are written.
class SavedProcessRecorder {
 public:
  virtual ~SavedProcessRecorder() = default;
  // Writes ExportFilePath and ExportType of the process; false when the store was not written.
  virtual bool SetExport(std::string_view process_name, std::string_view export_path,
                         std::int32_t export_type) = 0;
  // Writes Print of the process; false when the store was not written.
  virtual bool SetPrint(std::string_view process_name, bool print) = 0;
};

// Every line of the pane followed by CR LF; empty for an empty pane.
std::string ReportPaneText(const TextView& pane);

// The notices shown when an export or a print setting was added to a saved process.
std::string ExportInfoMessage(std::string_view export_path, std::string_view saved_name);
std::string PrintInfoMessage(std::string_view saved_name);

// Copy To Clipboard: clears the clipboard, then puts the pane's text on it when the pane is
// not empty.
void CopyReportToClipboard(ReportWindowState& state, const TextView& pane, UserInterface& ui);

// Export To File. The pane's text, trimmed of spaces, is written without byte-order mark to
// the saved process's export path when a saved process is running, otherwise to the file the
// person picks ("Report.txt" proposed in `proposal_folder`, the data folder). Nothing happens for
// an empty text or a cancelled dialog. After a written file, a pending Save Comparison gets the
// export recorded in its process (with a notice when that worked) and is then no longer pending. A
// file that cannot be written goes to the error report. Returns the written file.
std::optional<std::filesystem::path> ExportReportToFile(
    ReportWindowState& state, const TextView& pane, const std::filesystem::path& proposal_folder,
    UserInterface& ui, SavedProcessRecorder* recorder);

// Print: the pane's text on the default printer as "Korvane Report". Then a pending Save
// Comparison gets Print recorded in its process (with a notice when that worked) and is no
// longer pending. Returns what the printer answered.
bool PrintReport(ReportWindowState& state, const TextView& pane, UserInterface& ui,
                 SavedProcessRecorder* recorder);

// What Save Comparison brings back from the save dialog.
void RecordSavedComparison(ReportWindowState& state, bool saved, std::string_view saved_name);

// The first showing of a saved process's report: exports it to the stored path (when there is
// one), prints it (when asked), and ends the saved-process state. Does nothing for other
// reports. Says whether the export and the printing asked for succeeded (true when not asked).
struct FirstShowingOutcome {
  bool exported = true;
  bool printed = true;
};
FirstShowingOutcome ShowReportFirstTime(ReportWindowState& state, const TextView& pane,
                                        const std::filesystem::path& proposal_folder,
                                        UserInterface& ui, SavedProcessRecorder* recorder);

}  // namespace korvane
