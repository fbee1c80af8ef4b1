// The texts of exports: default file names, progress and the saved-process note.
#include "export/export_texts.h"

#include <gtest/gtest.h>

#include "base/clock.h"
#include "saved/comparison_codes.h"

namespace korvane {
namespace {

TEST(DefaultExportFileNameTest, DateAndExtension) {
  const ManualClock clock(LocalDateTime{2026, 12, 6, 23, 59, 0});
  EXPECT_EQ(DefaultExportFileName(clock, "csv"), "20261206.csv");
  EXPECT_EQ(DefaultExportFileName(clock, "htm"), "20261206.htm");
  EXPECT_EQ(DefaultExportFileName(clock, ""), "20261206.txt");
  EXPECT_EQ(DefaultExportFileName(ManualClock(LocalDateTime{2027, 1, 2}), "csv"), "20270102.csv");
}

TEST(ExportProgressTextTest, NumbersWithThousandsSeparators) {
  EXPECT_EQ(ExportProgressText(1, 3), "1 of 3");
  EXPECT_EQ(ExportProgressText(1500, 1234567), "1,500 of 1,234,567");
}

TEST(ExportAttachedTextTest, LinesWithTheValuesAfterTheirLabels) {
  EXPECT_EQ(ExportAttachedText("/tmp/x.csv", kExportTypeCsv, "Nightly"),
            "Export info:\r\n- export file:/tmp/x.csv\r\n- export type:Excel - Comma Separated "
            "Values (CSV) file\r\nwas added to the saved comparison process:\r\n- process "
            "name:Nightly\r\nNext time when this process is run, the program will automatically "
            "export data to the above file.");
  EXPECT_NE(ExportAttachedText("a", kExportTypeHtml, "n")
                .find("- export type:Hyper Text Markup Language (HTML) file\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace korvane
