#include "compare/report_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/memory_text_view.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::RecordingUserInterface;
using testing::ScratchFolder;
using testing::WriteFile;

// Records what the window asked the saved-process store to write.
class FakeRecorder : public SavedProcessRecorder {
 public:
  bool SetExport(std::string_view process_name, std::string_view export_path,
                 std::int32_t export_type) override {
    calls.push_back("export " + std::string(process_name) + " " + std::string(export_path) + " " +
                    std::to_string(export_type));
    return succeed;
  }
  bool SetPrint(std::string_view process_name, bool print) override {
    calls.push_back("print " + std::string(process_name) + " " + (print ? "True" : "False"));
    return succeed;
  }
  bool succeed = true;
  std::vector<std::string> calls;
};

constexpr std::string_view kReport = "Comparison of databases\r\n\r\nTime Elapsed: 00:00:01";
constexpr std::string_view kJoined = "Comparison of databases\r\n\r\nTime Elapsed: 00:00:01\r\n";

std::string ExpectedExportInfo(const std::string& path, const std::string& name) {
  return "Export info:\r\n\r\n\t- export file:\t'" + path +
         "'\r\n\t- export type:\t'N/A'\r\n\r\nwas added to the saved comparison process:\r\n\r\n"
         "\t- process name:\t'" +
         name +
         "'\r\n\r\nNext time when this process is run, the program will automatically export "
         "data to the above file.";
}

std::string ExpectedPrintInfo(const std::string& name) {
  return "Printing info was added to the saved comparison process:\r\n\r\n\t- process name:\t'" +
         name +
         "'\r\n\r\nNext time when this process is run, the program will automatically print "
         "final report on the default printer.";
}

TEST(ReportPaneTextTest, EveryLineFollowedByCrLf) {
  EXPECT_EQ(ReportPaneText(MemoryTextView(kReport)), kJoined);
  EXPECT_EQ(ReportPaneText(MemoryTextView("a\nb\r\n")), "a\r\nb\r\n\r\n");
  EXPECT_EQ(ReportPaneText(MemoryTextView("")), "");
}

TEST(ReportWindowTest, CopyPutsTheJoinedTextOnTheClipboard) {
  ReportWindowState state;
  RecordingUserInterface ui;
  CopyReportToClipboard(state, MemoryTextView(kReport), ui);
  EXPECT_EQ(ui.clipboard, kJoined);
  EXPECT_FALSE(state.busy);

  // An empty pane leaves the clipboard cleared.
  CopyReportToClipboard(state, MemoryTextView(""), ui);
  EXPECT_EQ(ui.clipboard, "");
}

TEST(ReportWindowTest, ClicksWhileBusyAreIgnored) {
  ScratchFolder folder;
  ReportWindowState state;
  state.busy = true;
  RecordingUserInterface ui;
  ui.clipboard = "before";
  ui.file_choices.push_back(folder / "r.txt");
  const MemoryTextView pane(kReport);
  CopyReportToClipboard(state, pane, ui);
  EXPECT_FALSE(ExportReportToFile(state, pane, folder.path(), ui, nullptr));
  EXPECT_FALSE(PrintReport(state, pane, ui, nullptr));
  EXPECT_EQ(ui.clipboard, "before");
  EXPECT_TRUE(ui.file_requests.empty());
  EXPECT_TRUE(ui.printed.empty());
  EXPECT_TRUE(state.busy);
}

TEST(ReportWindowTest, ExportAsksForTheFileAndWritesTheTrimmedTextWithoutMark) {
  ScratchFolder folder;
  ReportWindowState state;
  RecordingUserInterface ui;
  const std::filesystem::path file = folder / "out" / "report.txt";
  ui.file_choices.push_back(file);
  const auto written = ExportReportToFile(state, MemoryTextView("  " + std::string(kReport)),
                                          folder.path(), ui, nullptr);
  ASSERT_TRUE(written);
  EXPECT_EQ(*written, file);
  ASSERT_EQ(ui.file_requests.size(), 1u);
  const FileRequest& request = ui.file_requests[0];
  EXPECT_EQ(request.title, "Specify Target File");
  EXPECT_EQ(request.filter, "*.*|*.*");
  EXPECT_EQ(request.proposed_name, "Report.txt");
  EXPECT_EQ(request.initial_folder, folder.path());
  EXPECT_TRUE(request.overwrite_prompt);
  // Leading spaces go; the line break after the last line stays.
  EXPECT_EQ(ReadFile(file), kJoined);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(state.busy);
}

TEST(ReportWindowTest, NothingToExportOrCancelledWritesNothing) {
  ScratchFolder folder;
  ReportWindowState state;
  state.just_saved = true;
  state.saved_name = "Nightly";
  RecordingUserInterface ui;
  FakeRecorder recorder;
  EXPECT_FALSE(ExportReportToFile(state, MemoryTextView(""), folder.path(), ui, &recorder));
  EXPECT_TRUE(ui.file_requests.empty());  // an empty pane asks nothing

  EXPECT_FALSE(ExportReportToFile(state, MemoryTextView(kReport), folder.path(), ui, &recorder));
  EXPECT_EQ(ui.file_requests.size(), 1u);  // the dialog was cancelled
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_TRUE(state.just_saved);  // still waiting for the first export or print
  EXPECT_TRUE(ui.messages.empty());
}

TEST(ReportWindowTest, FirstExportAfterSavingIsRecordedInTheProcessOnce) {
  ScratchFolder folder;
  ReportWindowState state;
  RecordSavedComparison(state, true, "Nightly");
  EXPECT_TRUE(state.just_saved);
  EXPECT_EQ(state.saved_name, "Nightly");
  RecordingUserInterface ui;
  FakeRecorder recorder;
  const std::filesystem::path first = folder / "first.txt";
  const std::filesystem::path second = folder / "second.txt";
  ui.file_choices = {first, second};
  const MemoryTextView pane(kReport);

  ASSERT_TRUE(ExportReportToFile(state, pane, folder.path(), ui, &recorder));
  ASSERT_TRUE(ExportReportToFile(state, pane, folder.path(), ui, &recorder));
  EXPECT_EQ(recorder.calls, std::vector<std::string>{"export Nightly " + first.string() + " 0"});
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, ExpectedExportInfo(first.string(), "Nightly"));
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::kInformation);
  EXPECT_FALSE(state.just_saved);
  EXPECT_EQ(ReadFile(second), kJoined);
}

TEST(ReportWindowTest, FailedOrNamelessRecordingShowsNothing) {
  ScratchFolder folder;
  const MemoryTextView pane(kReport);
  {
    ReportWindowState state;
    RecordSavedComparison(state, true, "Nightly");
    RecordingUserInterface ui;
    FakeRecorder recorder;
    recorder.succeed = false;
    ui.file_choices.push_back(folder / "a.txt");
    ASSERT_TRUE(ExportReportToFile(state, pane, folder.path(), ui, &recorder));
    EXPECT_EQ(recorder.calls.size(), 1u);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(state.just_saved);
  }
  {
    ReportWindowState state;
    RecordSavedComparison(state, true, "");
    RecordingUserInterface ui;
    FakeRecorder recorder;
    ui.file_choices.push_back(folder / "b.txt");
    ASSERT_TRUE(ExportReportToFile(state, pane, folder.path(), ui, &recorder));
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_TRUE(ui.messages.empty());
  }
}

TEST(ReportWindowTest, ExportThatCannotBeWrittenGoesToTheErrorReport) {
  ScratchFolder folder;
  testing::WriteFile(folder / "blocker", "x");  // a file where a folder is needed
  ReportWindowState state;
  RecordSavedComparison(state, true, "Nightly");
  RecordingUserInterface ui;
  FakeRecorder recorder;
  ui.file_choices.push_back(folder / "blocker" / "r.txt");
  EXPECT_FALSE(ExportReportToFile(state, MemoryTextView(kReport), folder.path(), ui, &recorder));
  ASSERT_EQ(ui.error_reports.size(), 1u);
  EXPECT_EQ(ui.error_reports[0].error_number, 75);
  EXPECT_EQ(ui.error_reports[0].error_description, "Path/File access error");
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_TRUE(state.just_saved);
}

TEST(ReportWindowTest, PrintSendsTheTextAndRecordsThePrintSettingOnce) {
  ReportWindowState state;
  RecordSavedComparison(state, true, "Nightly");
  RecordingUserInterface ui;
  FakeRecorder recorder;
  const MemoryTextView pane(kReport);
  EXPECT_TRUE(PrintReport(state, pane, ui, &recorder));
  EXPECT_TRUE(PrintReport(state, pane, ui, &recorder));
  ASSERT_EQ(ui.printed.size(), 2u);
  EXPECT_EQ(ui.printed[0].first, "Korvane Report");
  EXPECT_EQ(ui.printed[0].second, kJoined);
  EXPECT_EQ(recorder.calls, std::vector<std::string>{"print Nightly True"});
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, ExpectedPrintInfo("Nightly"));
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::kInformation);
  EXPECT_FALSE(state.just_saved);
}

TEST(ReportWindowTest, SavedProcessRunExportsToItsPathAndPrintsOnFirstShowing) {
  ScratchFolder folder;
  ReportWindowState state;
  state.running_saved_process = true;
  state.export_path = (folder / "nightly.txt").string();
  state.print = true;
  RecordingUserInterface ui;
  FakeRecorder recorder;
  const MemoryTextView pane(kReport);
  const FirstShowingOutcome outcome =
      ShowReportFirstTime(state, pane, folder.path(), ui, &recorder);
  EXPECT_TRUE(outcome.exported);
  EXPECT_TRUE(outcome.printed);
  EXPECT_TRUE(ui.file_requests.empty());  // no dialog
  EXPECT_EQ(ReadFile(folder / "nightly.txt"), kJoined);
  ASSERT_EQ(ui.printed.size(), 1u);
  EXPECT_EQ(ui.printed[0].first, "Korvane Report");
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_FALSE(state.running_saved_process);

  // Shown again (or any other report): nothing happens by itself.
  ShowReportFirstTime(state, pane, folder.path(), ui, &recorder);
  EXPECT_EQ(ui.printed.size(), 1u);
}

TEST(ReportWindowTest, FirstShowingTellsAFailedExport) {
  const struct {
    std::string_view report;
    bool exported;
  } cases[] = {{kReport, false}, {"", true}};  // an empty report has nothing to export
  for (const auto& c : cases) {
    ScratchFolder folder;
    WriteFile(folder / "plain", "x");
    ReportWindowState state;
    state.running_saved_process = true;
    state.export_path = (folder / "plain" / "nightly.txt").string();
    RecordingUserInterface ui;
    const MemoryTextView pane(c.report);
    EXPECT_EQ(ShowReportFirstTime(state, pane, folder.path(), ui, nullptr).exported, c.exported)
        << c.report;
    EXPECT_EQ(ui.error_reports.size(), c.exported ? 0u : 1u);
  }
}

TEST(ReportWindowTest, SavedProcessRunWithoutExportPathOrPrintDoesNothing) {
  ScratchFolder folder;
  ReportWindowState state;
  state.running_saved_process = true;
  RecordingUserInterface ui;
  ShowReportFirstTime(state, MemoryTextView(kReport), folder.path(), ui, nullptr);
  EXPECT_TRUE(ui.file_requests.empty());
  EXPECT_TRUE(ui.printed.empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
  EXPECT_FALSE(state.running_saved_process);
}

}  // namespace
}  // namespace korvane
