#include "saved/ignored_columns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "datacomp/table_settings_key.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::RecordingUserInterface;
using testing::ScratchFolder;
using testing::WriteFile;
using Names = std::vector<std::string>;

class IgnoredColumnsTest : public ::testing::Test {
 protected:
  std::filesystem::path File(IgnoredColumnsKind kind) const {
    return IgnoredColumnsFile(locations_, kind);
  }
  bool Save(const std::string& table, const Names& columns,
            IgnoredColumnsKind kind = IgnoredColumnsKind::Data) {
    return SaveIgnoredColumns(locations_, kind, table, columns, ui_);
  }
  Names Get(const std::string& table, IgnoredColumnsKind kind = IgnoredColumnsKind::Data) {
    return GetIgnoredColumns(locations_, kind, table);
  }

  ScratchFolder folder_;
  AppLocations locations_ = ComputeLocations(folder_ / "bin", folder_ / "profile", Environment{});
  RecordingUserInterface ui_;
};

TEST(TableSettingsKeyTest, JoinsServerDatabaseAndTableWithDots) {
  EXPECT_EQ(TableSettingsKey("DEV01", "Sales", "Orders"), "DEV01.Sales.Orders");
  EXPECT_EQ(TableSettingsKey("10.0.0.5", "Sales", "Order Details"), "10.0.0.5.Sales.Order Details");
  EXPECT_EQ(TableSettingsKey("", "", ""), "..");
}

TEST_F(IgnoredColumnsTest, EachKindHasItsOwnFileInTheDataFolder) {
  const auto data_folder = folder_ / "profile" / "Documents";
  EXPECT_EQ(static_cast<int>(IgnoredColumnsKind::Data), 1);
  EXPECT_EQ(static_cast<int>(IgnoredColumnsKind::Structure), 2);
  EXPECT_EQ(static_cast<int>(IgnoredColumnsKind::DataAnalysis), 3);
  EXPECT_EQ(File(IgnoredColumnsKind::Data), data_folder / "kvn_ignored_cols_data.ini");
  EXPECT_EQ(File(IgnoredColumnsKind::Structure), data_folder / "kvn_ignored_cols_struct.ini");
  EXPECT_EQ(File(IgnoredColumnsKind::DataAnalysis),
            data_folder / "kvn_ignored_cols_dataanalysis.ini");
  EXPECT_EQ(File(static_cast<IgnoredColumnsKind>(4)), std::filesystem::path());
}

TEST_F(IgnoredColumnsTest, SavedListIsWrittenAsNumberedKeysInListOrder) {
  EXPECT_TRUE(Save("DEV01.Sales.Orders", {"RowVersion", "LastChanged"}));
  EXPECT_EQ(ReadFile(File(IgnoredColumnsKind::Data)),
            "[DEV01.Sales.Orders]\r\n"
            "0=RowVersion\r\n"
            "1=LastChanged\r\n");
  EXPECT_EQ(Get("DEV01.Sales.Orders"), (Names{"RowVersion", "LastChanged"}));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(IgnoredColumnsTest, TableWithoutSectionOrFileHasAnEmptyList) {
  EXPECT_EQ(Get("DEV01.Sales.Orders"), Names{});
  EXPECT_FALSE(std::filesystem::exists(File(IgnoredColumnsKind::Data)));
  WriteFile(File(IgnoredColumnsKind::Data), "[DEV01.Sales.Customers]\r\n0=Stamp\r\n");
  EXPECT_EQ(Get("DEV01.Sales.Orders"), Names{});
}

TEST_F(IgnoredColumnsTest, LookUpReadsTheKeysOfAHandWrittenSectionInFileOrder) {
  WriteFile(File(IgnoredColumnsKind::Structure),
            "[dev01.sales.orders]\n"
            "  1 = Second \n"
            "0=First\n"
            "; 2=Commented\n"
            "x=\"  Padded Name \"\n");
  EXPECT_EQ(Get("DEV01.Sales.Orders", IgnoredColumnsKind::Structure),
            (Names{"Second", "First", "  Padded Name "}));
}

TEST_F(IgnoredColumnsTest, MatchingIgnoresLetterCase) {
  const Names list = {"rowversion", "LASTCHANGED"};
  EXPECT_TRUE(IsColumnIgnored(list, "RowVersion"));
  EXPECT_TRUE(IsColumnIgnored(list, "lastChanged"));
  EXPECT_FALSE(IsColumnIgnored(list, "RowVersion2"));
  EXPECT_FALSE(IsColumnIgnored(list, "Row Version"));
  EXPECT_FALSE(IsColumnIgnored(Names{}, "RowVersion"));
  EXPECT_FALSE(IsColumnIgnored(list, ""));
  EXPECT_TRUE(IsColumnIgnored(Names{""}, ""));
}

TEST_F(IgnoredColumnsTest, MatchingIgnoresLetterCaseBeyondAscii) {
  const Names list = {"Änderung", "σύνολο", "żółw", "цена", "ıd"};
  EXPECT_TRUE(IsColumnIgnored(list, "ÄNDERUNG"));
  EXPECT_TRUE(IsColumnIgnored(list, "ΣΎΝΟΛΟ"));
  EXPECT_TRUE(IsColumnIgnored(list, "ŻÓŁW"));
  EXPECT_TRUE(IsColumnIgnored(list, "Цена"));
  EXPECT_FALSE(IsColumnIgnored(list, "ID"));  // the dotless ı folds to no i
  EXPECT_FALSE(IsColumnIgnored(list, "Anderung"));
}

TEST_F(IgnoredColumnsTest, SavingAnEmptyListRemovesTheSection) {
  ASSERT_TRUE(Save("DEV01.Sales.Orders", {"RowVersion"}));
  ASSERT_TRUE(Save("DEV01.Sales.Items", {"Stamp"}));
  EXPECT_TRUE(Save("dev01.sales.orders", {}));
  EXPECT_EQ(ReadFile(File(IgnoredColumnsKind::Data)), "[DEV01.Sales.Items]\r\n0=Stamp\r\n");
  EXPECT_EQ(Get("DEV01.Sales.Orders"), Names{});
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(IgnoredColumnsTest, ShorterListLeavesOnlyItsOwnKeys) {
  ASSERT_TRUE(Save("DEV01.Sales.Orders", {"A", "B", "C"}));
  ASSERT_TRUE(Save("DEV01.Sales.Other", {"X"}));
  ASSERT_TRUE(Save("DEV01.Sales.Orders", {"Z"}));
  // The rewritten section moves to the end of the file; its old keys are gone.
  EXPECT_EQ(ReadFile(File(IgnoredColumnsKind::Data)),
            "[DEV01.Sales.Other]\r\n0=X\r\n"
            "[DEV01.Sales.Orders]\r\n0=Z\r\n");
  EXPECT_EQ(Get("DEV01.Sales.Orders"), Names{"Z"});
}

TEST_F(IgnoredColumnsTest, KindsAreIndependentOfEachOther) {
  ASSERT_TRUE(Save("DEV01.Sales.Orders", {"RowVersion"}));
  ASSERT_TRUE(Save("DEV01.Sales.Orders", {"Notes", "Audit"}, IgnoredColumnsKind::Structure));
  EXPECT_EQ(Get("DEV01.Sales.Orders"), Names{"RowVersion"});
  EXPECT_EQ(Get("DEV01.Sales.Orders", IgnoredColumnsKind::Structure), (Names{"Notes", "Audit"}));
  EXPECT_EQ(Get("DEV01.Sales.Orders", IgnoredColumnsKind::DataAnalysis), Names{});
  ASSERT_TRUE(Save("DEV01.Sales.Orders", {}, IgnoredColumnsKind::Structure));
  EXPECT_EQ(Get("DEV01.Sales.Orders"), Names{"RowVersion"});
}

TEST_F(IgnoredColumnsTest, SourceAndTargetTablesHaveSeparateSections) {
  const std::string source = TableSettingsKey("DEV01", "Sales", "Orders");
  const std::string target = TableSettingsKey("PROD", "Sales", "Orders");
  ASSERT_TRUE(Save(source, {"A"}));
  ASSERT_TRUE(Save(target, {"B"}));
  EXPECT_EQ(Get(source), Names{"A"});
  EXPECT_EQ(Get(target), Names{"B"});
}

TEST_F(IgnoredColumnsTest, ColumnNamesWithOddCharactersRoundTrip) {
  const Names columns = {"Order Id", " padded ", "\"quoted\"", "it's", "a=b", "[x]", "Größe €"};
  ASSERT_TRUE(Save("S.D.T", columns));
  EXPECT_EQ(Get("S.D.T"), columns);
  const Names table_names = {"Order]Details", "O'Brien", "[Bracketed]"};
  for (const std::string& table : table_names) {
    const std::string key = TableSettingsKey("SRV", "Db", table);
    ASSERT_TRUE(Save(key, {table}));
    EXPECT_EQ(Get(key), Names{table});
  }
}

TEST_F(IgnoredColumnsTest, FailedDeletionIsReportedAndTheSaveGoesOn) {
  // A folder where the file should be: the section cannot be deleted, nor keys written.
  std::filesystem::create_directories(File(IgnoredColumnsKind::Data));
  EXPECT_FALSE(Save("DEV01.Sales.Orders", {"RowVersion"}));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Saving list of ignored columns - delete section failed.");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(ui_.messages[0].title, "Korvane");
  EXPECT_FALSE(ui_.messages[0].is_question);
  EXPECT_EQ(Get("DEV01.Sales.Orders"), Names{});
}

TEST_F(IgnoredColumnsTest, ColumnThatCannotBeStoredMakesTheSaveFail) {
  EXPECT_FALSE(Save("S.D.T", {"Good", "Bad\r\nName", "Next"}));
  EXPECT_TRUE(ui_.messages.empty());
  // The others are kept under their own numbers.
  EXPECT_EQ(ReadFile(File(IgnoredColumnsKind::Data)), "[S.D.T]\r\n0=Good\r\n2=Next\r\n");
  EXPECT_FALSE(
      SaveIgnoredColumns(locations_, static_cast<IgnoredColumnsKind>(9), "S.D.T", {"A"}, ui_));
}

TEST_F(IgnoredColumnsTest, SaveLeavesNoTemporaryFile) {
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(Save("S.D.T" + std::to_string(i), {"A", "B"}, IgnoredColumnsKind::DataAnalysis));
  }
  Names entries;
  for (const auto& entry : std::filesystem::directory_iterator(locations_.data_folder))
    entries.push_back(entry.path().filename().string());
  std::sort(entries.begin(), entries.end());
  // The lock file that writes take stays beside the list; temporary files do not.
  EXPECT_EQ(entries,
            (Names{"kvn_ignored_cols_dataanalysis.ini", "kvn_ignored_cols_dataanalysis.ini.lock"}));
}

// Sections and keys in file order; the server is what stands before the last two dots.
TEST_F(IgnoredColumnsTest, LoadAllListsEveryColumnOfEverySection) {
  const struct {
    std::string file;  // empty: no file
    std::vector<IgnoredColumnRecord> records;
    std::string text;
  } cases[] = {
      {"", {}, ""},
      {"[DEV01.Sales.Orders]\r\n0=RowVersion\r\n1=LastChanged\r\n[DEV01.Sales.Empty]\r\n"
       "[PROD.Hr.People]\r\n0=Photo\r\n",
       {{"DEV01", "Sales", "Orders", "RowVersion"},
        {"DEV01", "Sales", "Orders", "LastChanged"},
        {"PROD", "Hr", "People", "Photo"}},
       "DEV01, Sales, Orders, RowVersion\r\nDEV01, Sales, Orders, LastChanged\r\n"
       "PROD, Hr, People, Photo\r\n"},
      {"[10.0.0.5.Sales.Orders]\r\n0=A\r\n[db1.example.com\\SQL2005.Hr.People]\r\n0=B\r\n"
       "[OnlyServer]\r\n0=C\r\n[Server.Db]\r\n0=D\r\n[..]\r\n0=E\r\n",
       {{"10.0.0.5", "Sales", "Orders", "A"},
        {"db1.example.com\\SQL2005", "Hr", "People", "B"},
        {"OnlyServer", "", "", "C"},
        {"Server", "Db", "", "D"},
        {"", "", "", "E"}},
       "10.0.0.5, Sales, Orders, A\r\ndb1.example.com\\SQL2005, Hr, People, B\r\n"
       "OnlyServer, , , C\r\nServer, Db, , D\r\n, , , E\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    if (!c.file.empty())
      WriteFile(File(IgnoredColumnsKind::Data), c.file);
    const IgnoredColumnsListing listing =
        LoadAllIgnoredColumns(locations_, IgnoredColumnsKind::Data);
    EXPECT_EQ(listing.records, c.records);
    EXPECT_EQ(listing.text, c.text);
  }
}

}  // namespace
}  // namespace korvane
