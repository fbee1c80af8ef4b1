// HTML export: whole pages byte for byte for the differences window and the data view, the
// escaping of texts, colours, and the interactive flow.
#include "export/html_export.h"

#include <gtest/gtest.h>

#include "datacomp/data_differences_window.h"
#include "export/export_fixture.h"
#include "saved/comparison_codes.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::SmallDifferencesGrid;

class HtmlExportTest : public testing::ExportTest {};

DataDifferencesWindow SmallWindow() {
  DataDifferencesWindow window;
  window.caption = DifferencesWindowCaption("Products", "Products");
  window.table_labels = {
      DifferencesTableLabel(kSourceTableLabel, "Products", "Shop", "embedded:a"),
      DifferencesTableLabel(kTargetTableLabel, "Products", "Shop", "embedded:b")};
  window.grid = SmallDifferencesGrid();
  return window;
}

constexpr std::string_view kSmallWindowHtml =
    "<HTML><HEAD><TITLE>Data Differences </TITLE></HEAD>\r\n"
    "<BODY BGCOLOR = \"FFFFFF\">\r\n"
    "<p align='center'><b> Differences between data in tables 'Products' and 'Products'</b><p> "
    "Source Table: Products (Database: Shop, Server: embedded:a)<br> Target Table: Products "
    "(Database: Shop, Server: embedded:b)<p>\r\n"
    "<TABLE BGCOLOR = \"000000\" WIDTH = \"100%\">\r\n"
    "<TR>\r\n"
    "<TD BGCOLOR = CCCCC><B>&nbsp Row &nbsp</B></TD>\r\n"
    "<TD BGCOLOR = CCCCC><B>&nbsp ID &nbsp</B></TD>\r\n"
    "<TD BGCOLOR = CCCCC><B>&nbsp Name &nbsp</B></TD>\r\n"
    "<TD BGCOLOR = CCCCC><B>&nbsp Price &nbsp</B></TD>\r\n"
    "</TR>\r\n"
    "<TR>\r\n"
    "<TD BGCOLOR = CCCCC><FONT COLOR = 000000>&nbsp 1 &nbsp</TD>\r\n"
    "<TD BGCOLOR = 00FFFF><FONT COLOR = 000000>&nbsp 7 &nbsp</TD>\r\n"
    "<TD BGCOLOR = 00FFFF><FONT COLOR = 000000>&nbsp Tea &nbsp</TD>\r\n"
    "<TD BGCOLOR = 00FFFF><FONT COLOR = FF0000>&nbsp 2.50 &nbsp</TD>\r\n"
    "</TR>\r\n"
    "<TR>\r\n"
    "<TD BGCOLOR = CCCCC><FONT COLOR = 000000>&nbsp 1 &nbsp</TD>\r\n"
    "<TD BGCOLOR = FFFF80><FONT COLOR = 000000>&nbsp 7 &nbsp</TD>\r\n"
    "<TD BGCOLOR = FFFF80><FONT COLOR = 000000>&nbsp Tea &nbsp</TD>\r\n"
    "<TD BGCOLOR = FFFF80><FONT COLOR = FF0000>&nbsp 2.75 &nbsp</TD>\r\n"
    "</TR>\r\n"
    "<TR>\r\n"
    "<TD BGCOLOR = CCCCC><FONT COLOR = 000000>&nbsp 2 &nbsp</TD>\r\n"
    "<TD BGCOLOR = C0FFC0><FONT COLOR = 000000>&nbsp 8 &nbsp</TD>\r\n"
    "<TD BGCOLOR = C0FFC0><FONT COLOR = 000000>&nbsp Coffee &nbsp</TD>\r\n"
    "<TD BGCOLOR = C0FFC0><FONT COLOR = 000000>&nbsp 4.00 &nbsp</TD>\r\n"
    "</TR>\r\n"
    "<TR>\r\n"
    "<TD BGCOLOR = CCCCC><FONT COLOR = 000000>&nbsp 1 &nbsp</TD>\r\n"
    "<TD BGCOLOR = FFE0C0><FONT COLOR = 000000>&nbsp 9 &nbsp</TD>\r\n"
    "<TD BGCOLOR = FFE0C0><FONT COLOR = 000000>&nbsp Cocoa &nbsp</TD>\r\n"
    "<TD BGCOLOR = FFE0C0><FONT COLOR = 000000>&nbsp 3.10 &nbsp</TD>\r\n"
    "</TR>\r\n"
    "</TABLE></BODY></HTML>\r\n"
    "<p align='center'><b> Records in Source table: 2<br> Records in Target table: 2<br> "
    "Different records: 3</b>\r\n";

TEST(HtmlColourTest, SixUpperCaseDigitsRedGreenBlue) {
  EXPECT_EQ(HtmlColour({255, 0, 0}), "FF0000");
  EXPECT_EQ(HtmlColour({0, 0, 255}), "0000FF");
  EXPECT_EQ(HtmlColour({10, 11, 12}), "0A0B0C");
  EXPECT_EQ(HtmlColour(kTargetOnlyColour), "FFE0C0");
}

TEST(HtmlEscapeTest, EscapesMarkupCharactersOnly) {
  EXPECT_EQ(HtmlEscape("a & b <c> \"d\" 'e'"), "a &amp; b &lt;c&gt; &quot;d&quot; 'e'");
  EXPECT_EQ(HtmlEscape("plain Ä text"), "plain Ä text");
}

TEST(HtmlTextTest, DifferencesWindowPage) {
  EXPECT_EQ(HtmlText(SmallDifferencesGrid(), DifferencesWindowPage(SmallWindow())),
            kSmallWindowHtml);
}

TEST(HtmlTextTest, DataViewRowsAlternateWhiteAndTheAlternateColourWithoutFooter) {
  DiffGrid grid;
  grid.LoadData({"A"});
  grid.AddRecordToGrid(1, {"x"}, kTargetDiffColour);
  grid.AddRecordToGrid(2, {"y"}, kSourceDiffColour);
  HtmlExportPage page;
  page.mode = ExportSourceMode::kDataView;
  page.caption = "View Data";
  page.first_label = "Table: T (Database: D, Server: S)";
  page.loaded_record_number = 3;
  page.statistics_label = "Number of records: 2";
  EXPECT_EQ(HtmlText(grid, page),
            "<HTML><HEAD><TITLE>Data Differences </TITLE></HEAD>\r\n"
            "<BODY BGCOLOR = \"FFFFFF\">\r\n"
            "<p align='center'><b> View Data</b><p> Table: T (Database: D, Server: S)<br> <br> "
            "Number of records loaded: 2Number of records: 2<p>\r\n"
            "<TABLE BGCOLOR = \"000000\" WIDTH = \"100%\">\r\n"
            "<TR>\r\n"
            "<TD BGCOLOR = CCCCC><B>&nbsp Row &nbsp</B></TD>\r\n"
            "<TD BGCOLOR = CCCCC><B>&nbsp A &nbsp</B></TD>\r\n"
            "</TR>\r\n"
            "<TR>\r\n"
            "<TD BGCOLOR = CCCCC><FONT COLOR = 000000>&nbsp 1 &nbsp</TD>\r\n"
            "<TD BGCOLOR = FFFFFF><FONT COLOR = 000000>&nbsp x &nbsp</TD>\r\n"
            "</TR>\r\n"
            "<TR>\r\n"
            "<TD BGCOLOR = CCCCC><FONT COLOR = 000000>&nbsp 2 &nbsp</TD>\r\n"
            "<TD BGCOLOR = 00FFFF><FONT COLOR = 000000>&nbsp y &nbsp</TD>\r\n"
            "</TR>\r\n"
            "</TABLE></BODY></HTML>\r\n");

  page.statistics_label.clear();  // nothing counted: the second line is empty
  EXPECT_EQ(HtmlLines(grid, page)[2],
            "<p align='center'><b> View Data</b><p> Table: T (Database: D, Server: S)<br> <p>");
}

// Regression: texts were written unescaped, so a cell holding markup changed the page.
TEST(HtmlTextTest, TextsFromTheGridAndTheWindowAreEscaped) {
  DiffGrid grid;
  grid.LoadData({"<b>"});
  grid.AddRecordToGrid(1, {"  Tom & \"Jerry\" </TD><script>  "}, kSourceOnlyColour);
  HtmlExportPage page;
  page.mode = ExportSourceMode::kDataAnalyzer;
  page.caption = "A<B";
  page.first_label = "x>y";
  page.second_label = "&";
  const std::vector<std::string> lines = HtmlLines(grid, page);
  ASSERT_EQ(lines.size(), 13u);  // no statistics line outside the differences window
  EXPECT_EQ(lines[2], "<p align='center'><b> A&lt;B</b><p> x&gt;y<br> &amp;<p>");
  EXPECT_EQ(lines[6], "<TD BGCOLOR = CCCCC><B>&nbsp &lt;b&gt; &nbsp</B></TD>");
  EXPECT_EQ(lines[10],
            "<TD BGCOLOR = C0FFC0><FONT COLOR = 000000>&nbsp Tom &amp; &quot;Jerry&quot; "
            "&lt;/TD&gt;&lt;script&gt; &nbsp</TD>");
  EXPECT_EQ(lines.back(), "</TABLE></BODY></HTML>");
}

TEST_F(HtmlExportTest, UnattendedExportWritesThePage) {
  const ExportOutcome outcome = ExportGridToHtml(
      context_, SmallDifferencesGrid(), DifferencesWindowPage(SmallWindow()), File("out.htm"));
  ASSERT_TRUE(outcome.written()) << outcome.error;
  EXPECT_EQ(outcome.export_type, kExportTypeHtml);
  EXPECT_EQ(ReadFile(File("out.htm")), kSmallWindowHtml);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(HtmlExportTest, InteractiveExportAsksForTheFileAndToView) {
  ui_.file_choices.push_back(File("page.htm"));
  ui_.answers = {Answer::kNo};
  const ExportOutcome outcome =
      ExportGridToHtml(context_, SmallDifferencesGrid(), DifferencesWindowPage(SmallWindow()), {});
  ASSERT_TRUE(outcome.written());
  EXPECT_EQ(ReadFile(File("page.htm")), kSmallWindowHtml);
  ASSERT_EQ(ui_.file_requests.size(), 1u);
  EXPECT_EQ(ui_.file_requests[0].title, "Save (H)yper (T)est (M)arkup (L)anguage Export File");
  EXPECT_EQ(ui_.file_requests[0].filter, "Export Files (*.htm)|*.htm");
  EXPECT_EQ(ui_.file_requests[0].proposed_name, "20260307.htm");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].title, "HTML Code Generated");
  EXPECT_EQ(ui_.messages[0].text, "HTML code was generated and saved in file \r\n\r\n'" +
                                      File("page.htm").string() +
                                      "'\r\n\r\nDo you want to view that file in your browser "
                                      "now?\r\n");
  EXPECT_TRUE(ui_.opened.empty());
}

TEST_F(HtmlExportTest, CancelledSaveDialog) {
  const ExportOutcome outcome =
      ExportGridToHtml(context_, SmallDifferencesGrid(), DifferencesWindowPage(SmallWindow()), {});
  EXPECT_EQ(outcome.status, ExportStatus::kCancelled);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "The export operation was cancelled.");
  EXPECT_EQ(ui_.messages[0].title, "HTML Export File");
}

}  // namespace
}  // namespace korvane
