// CSV export: whole files byte for byte, the quoting of cells that hold separators or quotes,
// and the interactive flow (save dialog, quote question, view question, Stop).
#include "export/csv_export.h"

#include <gtest/gtest.h>

#include "export/export_fixture.h"
#include "export/export_texts.h"
#include "saved/comparison_codes.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::SmallDifferencesGrid;

class CsvExportTest : public testing::ExportTest {};

constexpr std::string_view kSmallGridCsv =
    "Row,ID,Name,Price\r\n"
    "1,7,Tea,2.50\r\n"
    "1,7,Tea,2.75\r\n"
    "2,8,Coffee,4.00\r\n"
    "1,9,Cocoa,3.10\r\n";

constexpr std::string_view kSmallGridQuotedCsv =
    "\"Row\",\"ID\",\"Name\",\"Price\"\r\n"
    "\"1\",\"7\",\"Tea\",\"2.50\"\r\n"
    "\"1\",\"7\",\"Tea\",\"2.75\"\r\n"
    "\"2\",\"8\",\"Coffee\",\"4.00\"\r\n"
    "\"1\",\"9\",\"Cocoa\",\"3.10\"\r\n";

// Cells holding a comma, a quote, a line break, and blanks around them.
DiffGrid AwkwardGrid() {
  DiffGrid grid;
  grid.LoadData({"Name", "Note"});
  grid.AddRecordToGrid(1, {"  Smith, John ", "5\" screen"}, kSourceOnlyColour);
  grid.AddRecordToGrid(2, {"two\r\nlines", ""}, kSourceOnlyColour);
  return grid;
}

TEST(CsvCellTest, QuotesOnlyWhatNeedsQuotesUnlessAskedFor) {
  EXPECT_EQ(CsvCell("  plain  ", false), "plain");
  EXPECT_EQ(CsvCell("  plain  ", true), "\"plain\"");
  EXPECT_EQ(CsvCell("a,b", false), "\"a,b\"");
  EXPECT_EQ(CsvCell("say \"hi\"", false), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvCell("say \"hi\"", true), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvCell("a\rb", false), "\"a\rb\"");
  EXPECT_EQ(CsvCell("a\nb", false), "\"a\nb\"");
  EXPECT_EQ(CsvCell("", false), "");
  EXPECT_EQ(CsvCell("   ", true), "\"\"");
  EXPECT_EQ(CsvLine({"a", "b,c", " d "}, false), "a,\"b,c\",d");
}

TEST(CsvTextTest, SmallGridWithAndWithoutQuotes) {
  EXPECT_EQ(CsvText(SmallDifferencesGrid(), false), kSmallGridCsv);
  EXPECT_EQ(CsvText(SmallDifferencesGrid(), true), kSmallGridQuotedCsv);
}

TEST(CsvTextTest, HeaderOnlyGridIsOneLine) {
  DiffGrid grid;
  grid.LoadData({"A"});
  EXPECT_EQ(CsvText(grid, false), "Row,A\r\n");
}

// Regression: inner quotes were not doubled and an unattended export quoted nothing, so a
// cell with a comma split into two fields and a quote broke the file.
TEST_F(CsvExportTest, UnattendedExportQuotesCellsThatNeedIt) {
  const ExportOutcome outcome = ExportGridToCsv(context_, AwkwardGrid(), File("out.csv"));
  ASSERT_TRUE(outcome.written()) << outcome.error;
  EXPECT_EQ(outcome.export_type, kExportTypeCsv);
  EXPECT_EQ(ReadFile(File("out.csv")),
            "Row,Name,Note\r\n"
            "1,\"Smith, John\",\"5\"\" screen\"\r\n"
            "2,\"two\r\nlines\",\r\n");
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(ui_.file_requests.empty());
}

TEST_F(CsvExportTest, UnattendedExportOverwritesWithoutAsking) {
  testing::WriteFile(File("out.csv"), "old content that is longer than the new one\r\n\r\n\r\n");
  ASSERT_TRUE(ExportGridToCsv(context_, SmallDifferencesGrid(), File("out.csv")).written());
  EXPECT_EQ(ReadFile(File("out.csv")), kSmallGridCsv);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(CsvExportTest, InteractiveExportWithQuotesAndViewing) {
  ui_.file_choices.push_back(File("chosen.csv"));
  ui_.answers = {Answer::kYes, Answer::kYes};
  const ExportOutcome outcome = ExportGridToCsv(context_, SmallDifferencesGrid(), {});
  ASSERT_TRUE(outcome.written());
  EXPECT_EQ(outcome.file, File("chosen.csv"));
  EXPECT_EQ(ReadFile(File("chosen.csv")), kSmallGridQuotedCsv);

  ASSERT_EQ(ui_.file_requests.size(), 1u);
  EXPECT_EQ(ui_.file_requests[0].title, "Save Excel - (C)omma (S)eparated (V)alues Export File");
  EXPECT_EQ(ui_.file_requests[0].filter, "Export Files (*.csv)|*.csv");
  EXPECT_EQ(ui_.file_requests[0].proposed_name, "20260307.csv");

  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_TRUE(ui_.messages[0].is_question);
  EXPECT_EQ(ui_.messages[0].title, "Comma Delimited File");
  EXPECT_EQ(ui_.messages[0].text,
            "Data which has commas in it is split into separate pieces in comma separated values "
            "file.\r\n\r\nTo prevent that, the program can wrap up data into quotation marks."
            "\r\n\r\nIf your data doesn't have commas, adding quotation marks is not needed."
            "\r\n\r\nDo you want to wrap up data into quotation marks?");
  EXPECT_EQ(ui_.messages[1].title, "Comma Delimited File Generated");
  EXPECT_EQ(ui_.messages[1].text, "Data was successfully exported to file\r\n\r\n'" +
                                      File("chosen.csv").string() +
                                      "'\r\n\r\nDo you want to view that file now?\r\n");
  EXPECT_EQ(ui_.opened, std::vector<std::string>{File("chosen.csv").string()});
}

TEST_F(CsvExportTest, InteractiveExportWithoutQuotesAndAFailedLaunch) {
  ui_.file_choices.push_back(File("chosen.csv"));
  ui_.answers = {Answer::kNo, Answer::kYes};
  ui_.open_result = 31;
  ASSERT_TRUE(ExportGridToCsv(context_, SmallDifferencesGrid(), {}).written());
  EXPECT_EQ(ReadFile(File("chosen.csv")), kSmallGridCsv);
  ASSERT_EQ(ui_.messages.size(), 3u);
  EXPECT_EQ(ui_.messages[2].text, "Error on LaunchProgram: 31");
}

TEST_F(CsvExportTest, CancelledSaveDialogWritesNothing) {
  const ExportOutcome outcome = ExportGridToCsv(context_, SmallDifferencesGrid(), {});
  EXPECT_EQ(outcome.status, ExportStatus::kCancelled);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "The export operation was cancelled.");
  EXPECT_EQ(ui_.messages[0].title, "Comma Delimited Export File");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
}

TEST_F(CsvExportTest, StopBeforeTheRowsLeavesTheHeaderAndResetsTheFlag) {
  ui_.file_choices.push_back(File("chosen.csv"));
  ui_.answers = {Answer::kNo};
  context_.cancel_requested = true;
  const ExportOutcome outcome = ExportGridToCsv(context_, SmallDifferencesGrid(), {});
  EXPECT_EQ(outcome.status, ExportStatus::kCancelled);
  EXPECT_EQ(ReadFile(File("chosen.csv")), "Row,ID,Name,Price\r\n");
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[1].text, "Operation cancelled by user.");
  EXPECT_FALSE(context_.cancel_requested);
}

TEST_F(CsvExportTest, UnwritableFileFails) {
  const std::filesystem::path file = File("no-such-folder") / "out.csv";
  ExportOutcome outcome = ExportGridToCsv(context_, SmallDifferencesGrid(), file);
  EXPECT_EQ(outcome.status, ExportStatus::kFailed);
  EXPECT_FALSE(outcome.error.empty());
  EXPECT_TRUE(ui_.error_reports.empty());  // unattended: no window

  ui_.file_choices.push_back(file);
  outcome = ExportGridToCsv(context_, SmallDifferencesGrid(), {});
  EXPECT_EQ(outcome.status, ExportStatus::kFailed);
  ASSERT_EQ(ui_.error_reports.size(), 1u);
  EXPECT_EQ(ui_.error_reports[0].procedure_name, "ExportToCSV");
}

}  // namespace
}  // namespace korvane
