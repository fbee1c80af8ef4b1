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

// A scratch folder, a window's state and the user interface and process store it talks to.
class ReportWindowTest : public ::testing::Test {
 protected:
  ScratchFolder folder_;
  ReportWindowState state_;
  RecordingUserInterface ui_;
  FakeRecorder recorder_;
};

TEST(ReportPaneTextTest, EveryLineFollowedByCrLf) {
  EXPECT_EQ(ReportPaneText(MemoryTextView(kReport)), kJoined);
  EXPECT_EQ(ReportPaneText(MemoryTextView("a\nb\r\n")), "a\r\nb\r\n\r\n");
  EXPECT_EQ(ReportPaneText(MemoryTextView("")), "");
}

TEST_F(ReportWindowTest, CopyPutsTheJoinedTextOnTheClipboard) {
  CopyReportToClipboard(state_, MemoryTextView(kReport), ui_);
  EXPECT_EQ(ui_.clipboard, kJoined);
  EXPECT_FALSE(state_.busy);

  // An empty pane leaves the clipboard cleared.
  CopyReportToClipboard(state_, MemoryTextView(""), ui_);
  EXPECT_EQ(ui_.clipboard, "");
}

TEST_F(ReportWindowTest, ClicksWhileBusyAreIgnored) {
  state_.busy = true;
  ui_.clipboard = "before";
  ui_.file_choices.push_back(folder_ / "r.txt");
  const MemoryTextView pane(kReport);
  CopyReportToClipboard(state_, pane, ui_);
  EXPECT_FALSE(ExportReportToFile(state_, pane, folder_.path(), ui_, nullptr));
  EXPECT_FALSE(PrintReport(state_, pane, ui_, nullptr));
  EXPECT_EQ(ui_.clipboard, "before");
  EXPECT_TRUE(ui_.file_requests.empty());
  EXPECT_TRUE(ui_.printed.empty());
  EXPECT_TRUE(state_.busy);
}

TEST_F(ReportWindowTest, ExportAsksForTheFileAndWritesTheTrimmedTextWithoutMark) {
  const std::filesystem::path file = folder_ / "out" / "report.txt";
  ui_.file_choices.push_back(file);
  const auto written = ExportReportToFile(state_, MemoryTextView("  " + std::string(kReport)),
                                          folder_.path(), ui_, nullptr);
  ASSERT_TRUE(written);
  EXPECT_EQ(*written, file);
  ASSERT_EQ(ui_.file_requests.size(), 1u);
  const FileRequest& request = ui_.file_requests[0];
  EXPECT_EQ(request.title, "Specify Target File");
  EXPECT_EQ(request.filter, "*.*|*.*");
  EXPECT_EQ(request.proposed_name, "Report.txt");
  EXPECT_EQ(request.initial_folder, folder_.path());
  EXPECT_TRUE(request.overwrite_prompt);
  // Leading spaces go; the line break after the last line stays.
  EXPECT_EQ(ReadFile(file), kJoined);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(state_.busy);
}

TEST_F(ReportWindowTest, NothingToExportOrCancelledWritesNothing) {
  state_.just_saved = true;
  state_.saved_name = "Nightly";
  EXPECT_FALSE(ExportReportToFile(state_, MemoryTextView(""), folder_.path(), ui_, &recorder_));
  EXPECT_TRUE(ui_.file_requests.empty());  // an empty pane asks nothing

  EXPECT_FALSE(
      ExportReportToFile(state_, MemoryTextView(kReport), folder_.path(), ui_, &recorder_));
  EXPECT_EQ(ui_.file_requests.size(), 1u);  // the dialog was cancelled
  EXPECT_TRUE(std::filesystem::is_empty(folder_.path()));
  EXPECT_TRUE(recorder_.calls.empty());
  EXPECT_TRUE(state_.just_saved);  // still waiting for the first export or print
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ReportWindowTest, FirstExportAfterSavingIsRecordedInTheProcessOnce) {
  RecordSavedComparison(state_, true, "Nightly");
  EXPECT_TRUE(state_.just_saved);
  EXPECT_EQ(state_.saved_name, "Nightly");
  const std::filesystem::path first = folder_ / "first.txt";
  const std::filesystem::path second = folder_ / "second.txt";
  ui_.file_choices = {first, second};
  const MemoryTextView pane(kReport);

  ASSERT_TRUE(ExportReportToFile(state_, pane, folder_.path(), ui_, &recorder_));
  ASSERT_TRUE(ExportReportToFile(state_, pane, folder_.path(), ui_, &recorder_));
  EXPECT_EQ(recorder_.calls, std::vector<std::string>{"export Nightly " + first.string() + " 0"});
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, ExpectedExportInfo(first.string(), "Nightly"));
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_FALSE(state_.just_saved);
  EXPECT_EQ(ReadFile(second), kJoined);
}

TEST_F(ReportWindowTest, FailedOrNamelessRecordingShowsNothing) {
  const MemoryTextView pane(kReport);
  RecordSavedComparison(state_, true, "Nightly");
  recorder_.succeed = false;
  ui_.file_choices.push_back(folder_ / "a.txt");
  ASSERT_TRUE(ExportReportToFile(state_, pane, folder_.path(), ui_, &recorder_));
  EXPECT_EQ(recorder_.calls.size(), 1u);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(state_.just_saved);

  ReportWindowState nameless;
  RecordSavedComparison(nameless, true, "");
  FakeRecorder recorder;
  ui_.file_choices.push_back(folder_ / "b.txt");
  ASSERT_TRUE(ExportReportToFile(nameless, pane, folder_.path(), ui_, &recorder));
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ReportWindowTest, ExportThatCannotBeWrittenGoesToTheErrorReport) {
  testing::WriteFile(folder_ / "blocker", "x");  // a file where a folder_ is needed
  RecordSavedComparison(state_, true, "Nightly");
  ui_.file_choices.push_back(folder_ / "blocker" / "r.txt");
  EXPECT_FALSE(
      ExportReportToFile(state_, MemoryTextView(kReport), folder_.path(), ui_, &recorder_));
  ASSERT_EQ(ui_.error_reports.size(), 1u);
  EXPECT_EQ(ui_.error_reports[0].error_number, 75);
  EXPECT_EQ(ui_.error_reports[0].error_description, "Path/File access error");
  EXPECT_TRUE(recorder_.calls.empty());
  EXPECT_TRUE(state_.just_saved);
}

TEST_F(ReportWindowTest, PrintSendsTheTextAndRecordsThePrintSettingOnce) {
  RecordSavedComparison(state_, true, "Nightly");
  const MemoryTextView pane(kReport);
  EXPECT_TRUE(PrintReport(state_, pane, ui_, &recorder_));
  EXPECT_TRUE(PrintReport(state_, pane, ui_, &recorder_));
  ASSERT_EQ(ui_.printed.size(), 2u);
  EXPECT_EQ(ui_.printed[0].first, "Korvane Report");
  EXPECT_EQ(ui_.printed[0].second, kJoined);
  EXPECT_EQ(recorder_.calls, std::vector<std::string>{"print Nightly True"});
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, ExpectedPrintInfo("Nightly"));
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_FALSE(state_.just_saved);
}

TEST_F(ReportWindowTest, SavedProcessRunExportsToItsPathAndPrintsOnFirstShowing) {
  state_.running_saved_process = true;
  state_.export_path = (folder_ / "nightly.txt").string();
  state_.print = true;
  const MemoryTextView pane(kReport);
  const FirstShowingOutcome outcome =
      ShowReportFirstTime(state_, pane, folder_.path(), ui_, &recorder_);
  EXPECT_TRUE(outcome.exported);
  EXPECT_TRUE(outcome.printed);
  EXPECT_TRUE(ui_.file_requests.empty());  // no dialog
  EXPECT_EQ(ReadFile(folder_ / "nightly.txt"), kJoined);
  ASSERT_EQ(ui_.printed.size(), 1u);
  EXPECT_EQ(ui_.printed[0].first, "Korvane Report");
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(recorder_.calls.empty());
  EXPECT_FALSE(state_.running_saved_process);

  // Shown again (or any other report): nothing happens by itself.
  ShowReportFirstTime(state_, pane, folder_.path(), ui_, &recorder_);
  EXPECT_EQ(ui_.printed.size(), 1u);
}

TEST_F(ReportWindowTest, FirstShowingTellsAFailedExport) {
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

TEST_F(ReportWindowTest, SavedProcessRunWithoutExportPathOrPrintDoesNothing) {
  state_.running_saved_process = true;
  ShowReportFirstTime(state_, MemoryTextView(kReport), folder_.path(), ui_, nullptr);
  EXPECT_TRUE(ui_.file_requests.empty());
  EXPECT_TRUE(ui_.printed.empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder_.path()));
  EXPECT_FALSE(state_.running_saved_process);
}

}  // namespace
}  // namespace korvane
