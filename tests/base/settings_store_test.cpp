#include "base/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "app/settings.h"
#include "base/files.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;
using testing::WriteFile;

constexpr char kKey[] = "Software\\KVN\\Comparisons";

// A store in a scratch folder; a store reads its file only when first asked.
class SettingsStoreTest : public ::testing::Test {
 protected:
  ScratchFolder folder_;
  std::filesystem::path file_ = folder_ / "settings.reg";
  SettingsStore store_{file_};
};

TEST_F(SettingsStoreTest, MissingFileReadsDefaults) {
  EXPECT_EQ(store_.GetNumber(kKey, "IgnoreColSeq", 7), 7u);
  EXPECT_EQ(store_.GetString(kKey, "Name", "dflt"), "dflt");
  EXPECT_FALSE(std::filesystem::exists(file_));  // reading writes nothing
}

TEST_F(SettingsStoreTest, WritesAValidRegFileReadableByOwnerOnly) {
  const auto file = folder_ / "sub" / "settings.reg";
  SettingsStore store(file);
  store.SaveNumber(kKey, "IgnoreColSeq", 0);
  store.SaveString("Software\\KVN", "VerNum", "1.3");
  EXPECT_EQ(ReadFile(file),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\KVN]\r\n"
            "\"VerNum\"=\"1.3\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\KVN\\Comparisons]\r\n"
            "\"IgnoreColSeq\"=dword:00000000\r\n\r\n");
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  // Nothing but the store and its lock file is left in the folder (no temporary files).
  std::vector<std::string> entries;
  for (const auto& entry : std::filesystem::directory_iterator(folder_ / "sub"))
    entries.push_back(entry.path().filename().string());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"settings.reg", "settings.reg.lock"}));
}

TEST_F(SettingsStoreTest, ValueOfTheWrongTypeReadsTheDefault) {
  store_.SaveString("Software\\KVN", "Timeout", "45");
  store_.SaveNumber("Software\\KVN", "Name", 5);
  EXPECT_EQ(store_.GetNumber("Software\\KVN", "Timeout", 30), 30u);
  EXPECT_EQ(store_.GetString("Software\\KVN", "Name", "none"), "none");
}

TEST_F(SettingsStoreTest, StringWithEmbeddedNulReadsUpToTheNul) {
  store_.SaveString("Software\\KVN", "Location", std::string("/opt/kvn/\0junk", 14));
  EXPECT_EQ(store_.GetString("Software\\KVN", "Location", ""), "/opt/kvn/");
  // The stored value itself keeps everything.
  EXPECT_EQ(store_.GetValue("Software\\KVN", "Location")->text.size(), 14u);
  const SettingsStore reopened(file_);
  EXPECT_EQ(reopened.GetValue("Software\\KVN", "Location")->text,
            std::string("/opt/kvn/\0junk", 14));
}

TEST_F(SettingsStoreTest, SeesChangesAnotherProcessWrote) {
  SettingsStore gui(file_);
  SettingsStore cli(file_);
  EXPECT_EQ(gui.GetNumber(kKey, "CaseSensitive", 0), 0u);
  cli.SaveNumber(kKey, "CaseSensitive", 1);
  EXPECT_EQ(gui.GetNumber(kKey, "CaseSensitive", 0), 1u);
  // A write from the first store keeps what the second one wrote.
  gui.SaveNumber(kKey, "IgnoreIndexes", 1);
  EXPECT_EQ(cli.GetNumber(kKey, "CaseSensitive", 0), 1u);
  EXPECT_EQ(cli.GetNumber(kKey, "IgnoreIndexes", 0), 1u);
}

TEST_F(SettingsStoreTest, DeleteKeyRemovesItsValuesAndSubkeys) {
  store_.SaveString("Software\\KVN\\Servers\\Server1", "Name", "a");
  store_.SaveString("Software\\KVN\\Servers\\Server2", "Name", "b");
  store_.DeleteKey("Software\\KVN\\Servers\\Server1");
  EXPECT_EQ(store_.GetString("Software\\KVN\\Servers\\Server1", "Name", "gone"), "gone");
  EXPECT_EQ(store_.GetString("Software\\KVN\\Servers\\Server2", "Name", ""), "b");
  store_.CreateKey("Software\\KVN\\Empty");
  EXPECT_TRUE(store_.KeyExists("Software\\KVN\\Empty"));
  EXPECT_EQ(store_.SubkeyNames("Software\\KVN"), (std::vector<std::string>{"Servers", "Empty"}));
}

TEST_F(SettingsStoreTest, UpdateWritesSeveralChangesAtOnce) {
  const bool written = store_.Update([](RegistryTree& tree) {
    tree.SetValue("Software\\KVN\\Servers", "Count", RegistryValue::Dword(2));
    tree.SetValue("Software\\KVN\\Servers\\Server1", "Name", RegistryValue::String("a"));
    tree.SetValue("Software\\KVN\\Servers\\Server2", "Name", RegistryValue::String("b"));
  });
  EXPECT_TRUE(written);
  const SettingsStore reopened(file_);
  EXPECT_EQ(reopened.GetNumber("Software\\KVN\\Servers", "Count", 0), 2u);
  EXPECT_EQ(reopened.GetString("Software\\KVN\\Servers\\Server2", "Name", ""), "b");
}

TEST_F(SettingsStoreTest, CorruptFileKeepsWhatCanBeReadAndBacksUpTheRest) {
  const std::string corrupt =
      "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\KVN]\n"
      "\"Timeout\"=dword:0000005a\n\x01\x02 binary junk \xFF\n\"Half\"=\"unterminated\n";
  WriteFile(file_, corrupt);
  EXPECT_EQ(store_.GetNumber("Software\\KVN", "Timeout", 30), 90u);
  EXPECT_EQ(store_.unreadable_lines().size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(store_.BackupPath()));  // reading alone changes nothing
  store_.SaveNumber("Software\\KVN", "CacheSize", 7);
  EXPECT_EQ(ReadFile(store_.BackupPath()), corrupt);
  EXPECT_EQ(store_.GetNumber("Software\\KVN", "Timeout", 30), 90u);
  EXPECT_EQ(store_.GetNumber("Software\\KVN", "CacheSize", 5), 7u);
}

TEST_F(SettingsStoreTest, FailedWriteIsSilentAndLeavesTheStoreAsItWas) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "root may write into read-only folders";
  const auto dir = folder_ / "ro";
  std::filesystem::create_directories(dir);
  SettingsStore store(dir / "settings.reg");
  store.SaveNumber("Software\\KVN", "Timeout", 40);
  std::filesystem::permissions(
      dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  store.SaveNumber("Software\\KVN", "Timeout", 50);
  EXPECT_EQ(store.GetNumber("Software\\KVN", "Timeout", 30), 40u);
}

TEST_F(SettingsStoreTest, UnwritableLocationFailsSilently) {
  WriteFile(folder_ / "file", "x");
  // The store's folder would have to be created below a plain file: impossible even for root.
  SettingsStore store(folder_ / "file" / "settings.reg");
  store.SaveNumber("Software\\KVN", "Timeout", 40);
  EXPECT_EQ(store.GetNumber("Software\\KVN", "Timeout", 30), 30u);
  EXPECT_FALSE(store.Update([](RegistryTree& tree) { tree.CreateKey("Software\\KVN"); }));
}

// Regression: a settings file that existed but could not be read was taken as empty, and the
// next write replaced it, losing the server list and its passwords.
TEST_F(SettingsStoreTest, UnreadableFileIsNeverWritten) {
  std::filesystem::create_directories(file_ / "inside");  // exists, cannot be read as a file_
  EXPECT_NE(store_.unreadable_reason().find(file_.string()), std::string::npos);
  EXPECT_NE(store_.unreadable_reason().find("Is a directory"), std::string::npos)
      << store_.unreadable_reason();
  EXPECT_EQ(store_.GetNumber("Software\\KVN", "Timeout", 30), 30u);
  EXPECT_FALSE(store_.SaveNumber("Software\\KVN", "Timeout", 40));
  EXPECT_EQ(store_.last_error(), store_.unreadable_reason());
  EXPECT_FALSE(store_.Update([](RegistryTree& tree) { tree.CreateKey("Software\\KVN"); }));
  EXPECT_TRUE(std::filesystem::is_directory(file_ / "inside"));
  // Once the file_ can be read again, the store works as usual.
  std::filesystem::remove_all(file_);
  EXPECT_EQ(store_.unreadable_reason(), "");
  EXPECT_TRUE(store_.SaveNumber("Software\\KVN", "Timeout", 40));
  EXPECT_EQ(store_.last_error(), "");
}

TEST_F(SettingsStoreTest, FailedWritesSayWhy) {
  WriteFile(folder_ / "file", "x");
  SettingsStore below_a_file(folder_ / "file" / "settings.reg");
  EXPECT_FALSE(below_a_file.SaveString("Software\\KVN", "VerNum", "1.3"));
  EXPECT_NE(below_a_file.last_error().find("settings.reg"), std::string::npos);
}

// Regression: a key path or value name holding a line break was written into a file that could
// not be read back, and the value was lost at the next write.
TEST_F(SettingsStoreTest, LineBreaksInNamesAreRefused) {
  const struct {
    const char* key;
    const char* name;
  } cases[] = {{"Software\\KVN", "a\nb"},
               {"Software\\KVN", "a\rb"},
               {"Software\\KVN\\x\ny", "Name"},
               {"Software\\KVN\\x\ry", "Name"}};
  for (const auto& c : cases) {
    ScratchFolder folder;
    SettingsStore store(folder / "settings.reg");
    ASSERT_TRUE(store.SaveNumber("Software\\KVN", "Timeout", 40));
    const std::string before = ReadFile(folder / "settings.reg");
    EXPECT_FALSE(store.SaveString(c.key, c.name, "v"));
    EXPECT_NE(store.last_error().find("line break"), std::string::npos);
    EXPECT_EQ(ReadFile(folder / "settings.reg"), before);
  }
  // Values keep their line breaks (written as hex(1)).
  ASSERT_TRUE(store_.SaveString("Software\\KVN", "Note", "one\r\ntwo"));
  EXPECT_EQ(SettingsStore(file_).GetString("Software\\KVN", "Note", ""), "one\r\ntwo");
}

// Regression: two runs side by side each wrote the file as they had last read it, so the
// second write dropped the first one's change.
TEST_F(SettingsStoreTest, ChangesAreMadeOnTheFileAsItIsNow) {
  SettingsStore gui(file_);
  SettingsStore cli(file_);
  ASSERT_TRUE(gui.SaveNumber("Software\\KVN", "Timeout", 40));
  EXPECT_EQ(cli.GetNumber("Software\\KVN", "Timeout", 30), 40u);
  ASSERT_TRUE(cli.SaveNumber("Software\\KVN", "CacheSize", 9));
  // Within a read scope the GUI's copy is not refreshed, yet its change starts from the file_.
  const SettingsStore::ReadScope scope(gui);
  ASSERT_TRUE(gui.SaveNumber("Software\\KVN", "MaxRowsInDiffTable", 100));
  const SettingsStore reader(file_);
  EXPECT_EQ(reader.GetNumber("Software\\KVN", "Timeout", 0), 40u);
  EXPECT_EQ(reader.GetNumber("Software\\KVN", "CacheSize", 0), 9u);
  EXPECT_EQ(reader.GetNumber("Software\\KVN", "MaxRowsInDiffTable", 0), 100u);
}

TEST_F(SettingsStoreTest, LockedFileIsNotWrittenAndTheWaitIsReported) {
  ASSERT_TRUE(store_.SaveNumber("Software\\KVN", "Timeout", 40));
  std::string error;
  const auto other_run = FileLock::Acquire(file_, error, std::chrono::milliseconds(0));
  ASSERT_TRUE(other_run.has_value());
  ::setenv("KORVANE_LOCK_TIMEOUT_MS", "5", 1);
  EXPECT_FALSE(store_.SaveNumber("Software\\KVN", "Timeout", 50));
  ::unsetenv("KORVANE_LOCK_TIMEOUT_MS");
  EXPECT_NE(store_.last_error().find("in use"), std::string::npos) << store_.last_error();
  EXPECT_EQ(SettingsStore(file_).GetNumber("Software\\KVN", "Timeout", 0), 40u);
}

// Regression: every read looked at the file's status, so loading the settings or the server
// list cost one status call per value.
TEST_F(SettingsStoreTest, AReadScopeLooksAtTheFileOnce) {
  ASSERT_TRUE(store_.SaveNumber("Software\\KVN", "Timeout", 40));
  const std::uint64_t before = store_.file_checks();
  const LoadedSettings loaded = LoadSettings(store_, /*debug_mode=*/true);
  EXPECT_EQ(loaded.timeout, 40u);
  EXPECT_EQ(store_.file_checks() - before, 1u);
  const std::uint64_t options = store_.file_checks();
  ReadOptions(store_);
  EXPECT_EQ(store_.file_checks() - options, 1u);
  // Outside a scope each read still sees another run's change.
  const std::uint64_t single = store_.file_checks();
  store_.GetNumber("Software\\KVN", "Timeout", 0);
  store_.GetNumber("Software\\KVN", "Timeout", 0);
  EXPECT_EQ(store_.file_checks() - single, 2u);
}

// Regression: the backup kept before the first rewrite of a damaged store held every password
// for ever, those of servers removed since included.
TEST_F(SettingsStoreTest, BackupHoldsNoPasswords) {
  WriteFile(file_,
            "Windows Registry Editor Version 5.00\r\n"
            "[HKEY_CURRENT_USER\\Software\\KVN\\Servers\\Server1]\r\n"
            "\"Name\"=\"alpha\"\r\n\"Pwd\"=\"s3cret\"\r\n"
            "\"pwd\"=hex(1):41,00,\\\r\n  42,00,00,00\r\n"
            "junk line\r\n");
  ASSERT_EQ(store_.unreadable_lines().size(), 1u);
  ASSERT_TRUE(store_.SaveNumber("Software\\KVN", "Timeout", 40));
  const std::string backup = ReadFile(store_.BackupPath());
  EXPECT_EQ(backup,
            "Windows Registry Editor Version 5.00\r\n"
            "[HKEY_CURRENT_USER\\Software\\KVN\\Servers\\Server1]\r\n"
            "\"Name\"=\"alpha\"\r\njunk line\r\n");
  struct stat info {};
  ASSERT_EQ(::stat(store_.BackupPath().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  // A backup left by an earlier version loses its passwords at the next write.
  WriteFile(store_.BackupPath(), "[K]\r\n\"Pwd\"=\"old\"\r\n\"Name\"=\"x\"\r\n");
  ASSERT_TRUE(store_.SaveNumber("Software\\KVN", "Timeout", 41));
  EXPECT_EQ(ReadFile(store_.BackupPath()), "[K]\r\n\"Name\"=\"x\"\r\n");
}

TEST(RegTextWithoutPasswordsTest, DropsOnlyPasswordValues) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"\"Pwd\"=\"a\"\n\"Name\"=\"b\"\n", "\"Name\"=\"b\"\n"},
      {"  \"PWD\"=\"a\"\r\n", ""},
      {"\"Pwd\"=hex(1):41,00,\\\n 00,00\n\"X\"=dword:1\n", "\"X\"=dword:1\n"},
      {"\"Pwdx\"=\"a\"\n\"Name\"=\"Pwd\"\n", "\"Pwdx\"=\"a\"\n\"Name\"=\"Pwd\"\n"},
      {"\"Pwd\"=\"no line end\"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RegTextWithoutPasswords(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace korvane
