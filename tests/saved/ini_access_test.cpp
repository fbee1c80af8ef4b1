#include "saved/ini_access.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "base/files.h"
#include "saved/ini_file.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;
using testing::WriteFile;

class IniAccessTest : public ::testing::Test {
 protected:
  ScratchFolder folder_;
  std::filesystem::path file_ = folder_ / "kvn_tables_comps.ini";
};

TEST_F(IniAccessTest, MissingFileSectionOrKeyReadsEmptyAndZero) {
  EXPECT_EQ(ReadIniString("DEV01.Sales.Orders", "PrimarySortKey", file_), "");
  EXPECT_EQ(ReadIniInteger("DEV01.Sales.Orders", "CompMethod", file_), 0);
  EXPECT_FALSE(std::filesystem::exists(file_));
  WriteFile(file_, "[DEV01.Sales.Orders]\r\nDbType=SQL Server\r\n");
  EXPECT_EQ(ReadIniString("DEV01.Sales.Orders", "CompKey", file_), "");
  EXPECT_EQ(ReadIniString("Other", "DbType", file_), "");
  EXPECT_EQ(ReadIniInteger("DEV01.Sales.Orders", "OffsetStartRec", file_), 0);
}

TEST_F(IniAccessTest, WrittenKeysAppearInWritingOrderAndReadBack) {
  const std::string section = "DEV01.Sales.Orders";
  EXPECT_TRUE(WriteIniString(section, "PrimarySortKey", "OrderID", file_));
  EXPECT_TRUE(WriteIniString(section, "SecondarySortKey", "", file_));
  EXPECT_TRUE(WriteIniString(section, "OffsetStartRec", "25", file_));
  EXPECT_TRUE(WriteIniString(section, "DbType", "SQL Server", file_));
  EXPECT_TRUE(WriteIniString(section, "CompMethod", "1", file_));
  EXPECT_TRUE(WriteIniString(section, "CompKey", "No Field", file_));
  EXPECT_EQ(ReadFile(file_),
            "[DEV01.Sales.Orders]\r\n"
            "PrimarySortKey=OrderID\r\n"
            "SecondarySortKey=\r\n"
            "OffsetStartRec=25\r\n"
            "DbType=SQL Server\r\n"
            "CompMethod=1\r\n"
            "CompKey=No Field\r\n");
  EXPECT_EQ(ReadIniString("dev01.sales.orders", "primarysortkey", file_), "OrderID");
  EXPECT_EQ(ReadIniInteger(section, "OffsetStartRec", file_), 25);
  EXPECT_EQ(ReadIniInteger(section, "CompMethod", file_), 1);

  // Overwriting replaces in place and leaves the other keys alone.
  EXPECT_TRUE(WriteIniString(section, "OffsetStartRec", "0", file_));
  EXPECT_EQ(ReadFile(file_),
            "[DEV01.Sales.Orders]\r\n"
            "PrimarySortKey=OrderID\r\n"
            "SecondarySortKey=\r\n"
            "OffsetStartRec=0\r\n"
            "DbType=SQL Server\r\n"
            "CompMethod=1\r\n"
            "CompKey=No Field\r\n");
}

TEST_F(IniAccessTest, ReadStringReturnsAtMost255Characters) {
  const std::string long_value(300, 'x');
  ASSERT_TRUE(WriteIniString("S", "K", long_value, file_));
  EXPECT_EQ(ReadIniString("S", "K", file_), std::string(255, 'x'));
  std::string letters;
  for (int i = 0; i < 300; ++i)
    letters += "ж";
  ASSERT_TRUE(WriteIniString("S", "Cyrillic", letters, file_));
  EXPECT_EQ(ReadIniString("S", "Cyrillic", file_), letters.substr(0, 255 * 2));
  ASSERT_TRUE(WriteIniString("S", "Exact", std::string(255, 'y'), file_));
  EXPECT_EQ(ReadIniString("S", "Exact", file_), std::string(255, 'y'));
}

TEST_F(IniAccessTest, WriteStringTakesTheValueUpToItsFirstNul) {
  ASSERT_TRUE(WriteIniString("S", "K", std::string("keep\0drop", 9), file_));
  EXPECT_EQ(ReadFile(file_), "[S]\r\nK=keep\r\n");
}

TEST_F(IniAccessTest, ReadIntegerTakesTheLeadingDecimalNumber) {
  const std::pair<const char*, int> cases[] = {
      {"42", 42},       {"-7", -7},       {"+8", 8},
      {"   12   ", 12}, {"\" 13\"", 13},  {"12abc", 12},
      {"5.9", 5},       {"abc", 0},       {"", 0},
      {"-", 0},         {"32767", 32767}, {"-32768", -32768},
      {"32768", 0},     {"-32769", 0},    {"99999999999999999999999", 0},
      {"0x10", 0}};
  std::string text = "[N]\r\n";
  for (std::size_t i = 0; i < std::size(cases); ++i)
    text += "k" + std::to_string(i) + "=" + cases[i].first + "\r\n";
  WriteFile(file_, text);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(ReadIniInteger("N", "k" + std::to_string(i), file_), cases[i].second)
        << "'" << cases[i].first << "'";
  }
}

TEST_F(IniAccessTest, WriteStringReportsFailure) {
  EXPECT_FALSE(WriteIniString("S", "K", "v", ""));
  EXPECT_FALSE(WriteIniString("", "K", "v", file_));
  EXPECT_FALSE(WriteIniString("S", "K", "two\nlines", file_));
  EXPECT_FALSE(std::filesystem::exists(file_));
  std::filesystem::create_directories(file_);
  EXPECT_FALSE(WriteIniString("S", "K", "v", file_));
  EXPECT_TRUE(std::filesystem::is_directory(file_));
}

TEST_F(IniAccessTest, HandWrittenFileKeepsItsOtherLinesOnWrite) {
  WriteFile(file_, "; per-table settings\n[T]\n  CompKey = ID  \nIgnoreColumn=\n");
  EXPECT_EQ(ReadIniString("t", "compkey", file_), "ID");
  ASSERT_TRUE(WriteIniString("T", "CompMethod", "1", file_));
  EXPECT_EQ(ReadFile(file_),
            "; per-table settings\r\n[T]\r\n  CompKey = ID  \r\nIgnoreColumn=\r\nCompMethod=1\r\n");
  // No temporary file is left beside it; the lock file that writes take stays.
  std::vector<std::string> entries;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
    entries.push_back(entry.path().filename().string());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{file_.filename().string(),
                                               file_.filename().string() + ".lock"}));
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

// Regression: the INI files were read, changed and replaced without a lock, so runs side by
// side lost each other's entries. Every writer now waits for the file's lock and changes
// nothing when it stays taken.
TEST(IniLockTest, EveryWriterLeavesALockedFileAlone) {
  const struct {
    const char* what;
    std::function<bool(const std::filesystem::path&)> write;
  } writers[] = {
      {"WriteIniString",
       [](const std::filesystem::path& file) { return WriteIniString("S", "K", "new", file); }},
      {"cInifile",
       [](const std::filesystem::path& file) {
         cInifile ini;
         ini.SetPath(file);
         ini.SetSection("S");
         ini.SetKey("K");
         ini.SetValue("new");
         EXPECT_NE(ini.LastError().find("in use"), std::string::npos) << ini.LastError();
         return ini.Success();
       }},
  };
  for (const auto& w : writers) {
    testing::ScratchFolder folder;
    const auto file = folder / "kvn_tables_comps.ini";
    testing::WriteFile(file, "[S]\r\nK=old\r\n");
    std::string error;
    const auto other_run = FileLock::Acquire(file, error, std::chrono::milliseconds(0));
    ASSERT_TRUE(other_run.has_value());
    ::setenv("KORVANE_LOCK_TIMEOUT_MS", "0", 1);
    EXPECT_FALSE(w.write(file)) << w.what;
    ::unsetenv("KORVANE_LOCK_TIMEOUT_MS");
    EXPECT_EQ(testing::ReadFile(file), "[S]\r\nK=old\r\n") << w.what;
  }
}

}  // namespace
}  // namespace korvane
