// The export dialog's dispatch, unattended exports by stored type, progress, and attaching an
// export to a saved comparison process.
#include "export/grid_export.h"

#include <gtest/gtest.h>

#include "export/export_fixture.h"
#include "saved/comparison_codes.h"
#include "saved/saved_comparison_store.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::SmallDifferencesGrid;

class GridExportTest : public testing::ExportTest {};

class RecordingProgress final : public ExportProgress {
 public:
  void ShowRow(std::int64_t row, std::int64_t total, std::string_view label, int percent) override {
    rows.push_back(row);
    totals.push_back(total);
    labels.emplace_back(label);
    percents.push_back(percent);
  }
  std::vector<std::int64_t> rows;
  std::vector<std::int64_t> totals;
  std::vector<std::string> labels;
  std::vector<int> percents;
};

TEST_F(GridExportTest, WrongModeExportsNothing) {
  for (const std::int32_t mode : {0, 4, -1}) {
    ui_.messages.clear();
    const ExportOutcome outcome =
        ExportFromDialog(context_, mode, kExportOptionCsv, SmallDifferencesGrid(), {});
    EXPECT_EQ(outcome.status, ExportStatus::kFailed);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "Error in cmdOK_Click, wrong value of mlngMode");
    EXPECT_TRUE(ui_.file_requests.empty());
  }
}

TEST_F(GridExportTest, DialogOptionsChooseTheKind) {
  ui_.file_choices = {File("a.htm"), File("b.csv")};
  ui_.answers = {Answer::kNo, Answer::kNo, Answer::kNo};
  HtmlExportPage page;
  page.caption = "C";
  ExportOutcome outcome =
      ExportFromDialog(context_, 1, kExportOptionHtml, SmallDifferencesGrid(), page);
  EXPECT_EQ(outcome.export_type, kExportTypeHtml);
  EXPECT_TRUE(ReadFile(File("a.htm")).starts_with("<HTML>"));
  outcome = ExportFromDialog(context_, 2, kExportOptionCsv, SmallDifferencesGrid(), page);
  EXPECT_EQ(outcome.export_type, kExportTypeCsv);
  EXPECT_TRUE(ReadFile(File("b.csv")).starts_with("Row,ID"));
}

TEST_F(GridExportTest, StoredTypesExportWithoutQuestions) {
  ASSERT_TRUE(
      ExportGridAs(context_, kExportTypeCsv, SmallDifferencesGrid(), {}, File("x.csv")).written());
  ASSERT_TRUE(
      ExportGridAs(context_, kExportTypeHtml, SmallDifferencesGrid(), {}, File("x.htm")).written());
  EXPECT_TRUE(ReadFile(File("x.csv")).starts_with("Row,ID,Name,Price\r\n"));
  EXPECT_TRUE(ReadFile(File("x.htm")).starts_with("<HTML>"));
  EXPECT_TRUE(ui_.messages.empty());

  const ExportOutcome other =
      ExportGridAs(context_, kExportTypeReportText, SmallDifferencesGrid(), {}, File("y.txt"));
  EXPECT_EQ(other.status, ExportStatus::kFailed);
  EXPECT_FALSE(std::filesystem::exists(File("y.txt")));
  EXPECT_EQ(ExportGridAs(context_, kExportTypeCsv, SmallDifferencesGrid(), {}, {}).status,
            ExportStatus::kFailed);
}

TEST_F(GridExportTest, ExportReplacesASymbolicLinkInsteadOfWritingThroughIt) {
  // An export file name that is a link to another file of the user: the link is replaced by the
  // export, and the file it pointed to keeps its content.
  for (const std::int32_t type : {kExportTypeCsv, kExportTypeHtml}) {
    SCOPED_TRACE(type);
    const std::filesystem::path precious = File("precious-" + std::to_string(type) + ".txt");
    const std::filesystem::path link = File("out-" + std::to_string(type));
    testing::WriteFile(precious, "keep me\n");
    std::filesystem::create_symlink(precious, link);
    ASSERT_TRUE(ExportGridAs(context_, type, SmallDifferencesGrid(), {}, link).written());
    EXPECT_EQ(ReadFile(precious), "keep me\n");
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(link).starts_with("Row,ID"), type == kExportTypeCsv);
    EXPECT_EQ(ReadFile(link).starts_with("<HTML>"), type == kExportTypeHtml);
  }
}

TEST_F(GridExportTest, ExportOverAnEarlierFileReplacesItWhole) {
  // A longer earlier file leaves no tail behind the new content, and no temporary file stays.
  testing::WriteFile(File("again.csv"), std::string(10000, 'x'));
  ASSERT_TRUE(ExportGridAs(context_, kExportTypeCsv, SmallDifferencesGrid(), {}, File("again.csv"))
                  .written());
  const std::string text = ReadFile(File("again.csv"));
  EXPECT_TRUE(text.starts_with("Row,ID,Name,Price\r\n"));
  EXPECT_EQ(text.find('x'), std::string::npos);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(File("")))
    files += entry.path().filename().string().starts_with("again") ? 1 : 0;
  EXPECT_EQ(files, 1);
}

TEST_F(GridExportTest, ProgressFollowsTheDataRows) {
  RecordingProgress progress;
  ASSERT_TRUE(
      ExportGridToCsv(context_, SmallDifferencesGrid(), File("p.csv"), &progress).written());
  EXPECT_EQ(progress.rows, (std::vector<std::int64_t>{1, 2, 3, 4}));
  EXPECT_EQ(progress.totals, (std::vector<std::int64_t>(4, 4)));
  EXPECT_EQ(progress.labels.back(), "4 of 4");
  EXPECT_EQ(progress.percents, (std::vector<int>{25, 50, 75, 100}));
}

TEST_F(GridExportTest, ExportAttachedToASavedProcess) {
  SavedComparisonStore store(File("kvn_comps.ini"), folder_.path(), ui_);
  SavedProcess process;
  process.name = "Nightly";
  process.comp_type = kCompTypeData;
  process.comp_sub_type = kCompSubTypeDataSingleTable;
  process.server_name1 = "a";
  process.server_name2 = "b";
  process.db_name1 = "d1";
  process.db_name2 = "d2";
  ASSERT_TRUE(store.SaveProcess(process));
  ui_.messages.clear();

  ExportOutcome outcome;
  EXPECT_FALSE(AttachExportToSavedProcess(context_, store, "Nightly", outcome));  // not written
  outcome = ExportGridAs(context_, kExportTypeHtml, SmallDifferencesGrid(), {}, File("n.htm"));
  ASSERT_TRUE(AttachExportToSavedProcess(context_, store, "Nightly", outcome));
  const SavedProcess loaded = store.LoadProcessKeys("Nightly");
  EXPECT_EQ(loaded.export_file_path, File("n.htm").string());
  EXPECT_EQ(loaded.export_type, kExportTypeHtml);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            ExportAttachedText(File("n.htm").string(), kExportTypeHtml, "Nightly"));
  EXPECT_FALSE(AttachExportToSavedProcess(context_, store, "Unknown", outcome));
}

}  // namespace
}  // namespace korvane
