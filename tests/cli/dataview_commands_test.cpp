// view-data, analyze-data and ignored-columns through the command line, on a database loaded
// from a script: the grids with their escapes, the export files, the ignored-column lists and
// the refusals.
#include <gtest/gtest.h>

#include <sstream>

#include "cli_profile_fixture.h"

namespace korvane {
namespace {

using testing::CommandRun;
using testing::ReadFile;

constexpr std::string_view kScript =
    "CREATE TABLE [O'Brien] ([a]]b] int NOT NULL, note varchar(20) NULL, Tag char(1) NULL)\n"
    "INSERT INTO [O'Brien] VALUES (1, 'tab\there', 'A')\n"
    "INSERT INTO [O'Brien] VALUES (2, NULL, 'a')\n"
    "INSERT INTO [O'Brien] VALUES (3, 'back\\slash', 'A')\n"
    "GO\n"
    "CREATE TABLE Empty (Id int NULL)\nGO\n";

class DataViewCommandsTest : public testing::CliProfileTest {
 protected:
  void SetUp() override { Load("embedded:s", "Shop", std::string(kScript)); }
};

// The table as listed, or in another letter case, bracketed or with its schema.
TEST_F(DataViewCommandsTest, ViewDataPrintsTheGridWithEscapedCells) {
  for (const char* table : {"O'Brien", "o'brien", "[O'Brien]", "dbo.O'Brien", "[dbo].[O'BRIEN]"}) {
    const CommandRun run = Run({"view-data", "embedded:s", "Shop", table});
    ASSERT_EQ(run.status, kExitDone) << table << ": " << run.err;
    EXPECT_EQ(run.out,
              "Row\ta]b\tnote\tTag\n"
              "1\t1\ttab\\there\tA\n"
              "2\t2\tNull\ta\n"
              "3\t3\tback\\\\slash\tA\n")
        << table;
  }
}

TEST_F(DataViewCommandsTest, ViewDataExportsTheDataViewFile) {
  const std::filesystem::path csv = folder_ / "rows.csv";
  ASSERT_EQ(Run({"view-data", "embedded:s", "Shop", "O'Brien", "--csv", csv.string()}).status,
            kExitDone);
  EXPECT_EQ(ReadFile(csv),
            "Row,a]b,note,Tag\r\n1,1,tab\there,A\r\n2,2,Null,a\r\n3,3,back\\slash,A\r\n");
  const std::filesystem::path html = folder_ / "rows.htm";
  ASSERT_EQ(Run({"view-data", "embedded:s", "Shop", "O'Brien", "--html", html.string()}).status,
            kExitDone);
  const std::string page = ReadFile(html);
  EXPECT_NE(page.find("<p align='center'><b> View Data</b><p> Table: O'Brien (Database: Shop, "
                      "Server: embedded:s)<br> <br> Number of records loaded: 3Number of "
                      "records: 3<p>"),
            std::string::npos)
      << page;
}

TEST_F(DataViewCommandsTest, AnalyzeDataCountsCaseApart) {
  const CommandRun run = Run({"analyze-data", "embedded:s", "Shop", "O'Brien"});
  ASSERT_EQ(run.status, kExitDone) << run.err;
  std::istringstream lines(run.out);
  std::string header;
  std::string line;
  std::getline(lines, header);
  EXPECT_TRUE(header.starts_with("Column Name\tData Type\tUnique Values\tValue 1\tCount\tValue 2"))
      << header;
  EXPECT_TRUE(header.ends_with("\tValue 10\tCount")) << header;
  std::vector<std::string> rows;
  while (std::getline(lines, line))
    rows.push_back(line.substr(0, line.find("\t\t")));
  EXPECT_EQ(rows, (std::vector<std::string>{"a]b\tint\t3\t1\t1\t2\t1\t3\t1",
                                            "note\tvarchar (20)\t3\ttab\\there\t1\tNull\t1\t"
                                            "back\\\\slash\t1",
                                            "Tag\tchar (1)\t2\tA\t2\ta\t1"}));
  const CommandRun least =
      Run({"analyze-data", "embedded:s", "Shop", "O'Brien", "--least", "--records", "2"});
  ASSERT_EQ(least.status, kExitDone) << least.err;
  EXPECT_NE(least.out.find("Tag\tchar (1)\t2\tA\t1\ta\t1"), std::string::npos) << least.out;
}

TEST_F(DataViewCommandsTest, IgnoredColumnsSetShowAndList) {
  EXPECT_EQ(
      Run({"ignored-columns", "set", "embedded:s", "Shop", "O'Brien", "structure", "TAG", "A]B"})
          .status,
      kExitDone);
  const CommandRun show =
      Run({"ignored-columns", "show", "embedded:s", "Shop", "O'Brien", "structure"});
  EXPECT_EQ(show.out,
            "Column\tData Type\tTicked\na]b\tint\t0\nnote\tvarchar (20)\t1\n"
            "Tag\tchar (1)\t0\n");
  const CommandRun list = Run({"ignored-columns", "list", "structure"});
  EXPECT_EQ(list.out,
            "Server\tDatabase\tTable\tColumn\n"
            "embedded:s\tShop\tO'Brien\ta]b\n"
            "embedded:s\tShop\tO'Brien\tTag\n"
            "Number of columns listed: 2\n");
  EXPECT_EQ(Run({"ignored-columns", "list", "data"}).out,
            "Server\tDatabase\tTable\tColumn\nNumber of columns listed: 0\n");
  // None named clears the list.
  EXPECT_EQ(Run({"ignored-columns", "set", "embedded:s", "Shop", "O'Brien", "structure"}).status,
            kExitDone);
  EXPECT_EQ(Run({"ignored-columns", "list", "structure"}).out,
            "Server\tDatabase\tTable\tColumn\nNumber of columns listed: 0\n");
}

TEST_F(DataViewCommandsTest, RefusalsExitTwoWithTheirMessage) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"view-data", "embedded:s", "Shop", "Empty"}, "Table Empty doesn't contain any data."},
      {{"view-data", "embedded:s", "Shop", "Nope"}, "Table 'Nope' not found in Shop."},
      {{"view-data", "embedded:s", "Shop", "sales.O'Brien"},
       "Table 'sales.O'Brien' not found in Shop."},
      {{"view-data", "embedded:s", "Shop"}, "usage: view-data"},
      {{"analyze-data", "embedded:s", "Shop", "Empty"}, "Table Empty doesn't contain any data."},
      {{"analyze-data", "embedded:s", "Shop", "O'Brien", "--bogus"}, "usage: analyze-data"},
      {{"ignored-columns", "list", "everything"}, "usage: ignored-columns"},
      {{"ignored-columns", "set", "embedded:s", "Shop", "O'Brien", "data", "Nope"},
       "Column 'Nope' not found in table O'Brien."},
      {{"ignored-columns", "set", "embedded:s", "Shop", "O'Brien", "data", "a]b", "note", "tag"},
       "Not every column of table O'Brien can be ignored"},
  };
  for (const Case& c : cases) {
    const CommandRun run = Run(c.args);
    EXPECT_EQ(run.status, kExitFailed) << c.args[0];
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(Run({"ignored-columns", "list", "data"}).out,
            "Server\tDatabase\tTable\tColumn\nNumber of columns listed: 0\n");
}

}  // namespace
}  // namespace korvane
