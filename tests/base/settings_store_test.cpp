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

TEST(SettingsStoreTest, MissingFileReadsDefaults) {
  ScratchFolder folder;
  const SettingsStore store(folder / "settings.reg");
  EXPECT_EQ(store.GetNumber(kKey, "IgnoreColSeq", 7), 7u);
  EXPECT_EQ(store.GetString(kKey, "Name", "dflt"), "dflt");
  EXPECT_FALSE(std::filesystem::exists(folder / "settings.reg"));  // reading writes nothing
}

TEST(SettingsStoreTest, WritesAValidRegFileReadableByOwnerOnly) {
  ScratchFolder folder;
  const auto file = folder / "sub" / "settings.reg";
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
  for (const auto& entry : std::filesystem::directory_iterator(folder / "sub"))
    entries.push_back(entry.path().filename().string());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"settings.reg", "settings.reg.lock"}));
}

TEST(SettingsStoreTest, ValueOfTheWrongTypeReadsTheDefault) {
  ScratchFolder folder;
  SettingsStore store(folder / "settings.reg");
  store.SaveString("Software\\KVN", "Timeout", "45");
  store.SaveNumber("Software\\KVN", "Name", 5);
  EXPECT_EQ(store.GetNumber("Software\\KVN", "Timeout", 30), 30u);
  EXPECT_EQ(store.GetString("Software\\KVN", "Name", "none"), "none");
}

TEST(SettingsStoreTest, StringWithEmbeddedNulReadsUpToTheNul) {
  ScratchFolder folder;
  SettingsStore store(folder / "settings.reg");
  store.SaveString("Software\\KVN", "Location", std::string("/opt/kvn/\0junk", 14));
  EXPECT_EQ(store.GetString("Software\\KVN", "Location", ""), "/opt/kvn/");
  // The stored value itself keeps everything.
  EXPECT_EQ(store.GetValue("Software\\KVN", "Location")->text.size(), 14u);
  const SettingsStore reopened(folder / "settings.reg");
  EXPECT_EQ(reopened.GetValue("Software\\KVN", "Location")->text,
            std::string("/opt/kvn/\0junk", 14));
}

TEST(SettingsStoreTest, SeesChangesAnotherProcessWrote) {
  ScratchFolder folder;
  SettingsStore gui(folder / "settings.reg");
  SettingsStore cli(folder / "settings.reg");
  EXPECT_EQ(gui.GetNumber(kKey, "CaseSensitive", 0), 0u);
  cli.SaveNumber(kKey, "CaseSensitive", 1);
  EXPECT_EQ(gui.GetNumber(kKey, "CaseSensitive", 0), 1u);
  // A write from the first store keeps what the second one wrote.
  gui.SaveNumber(kKey, "IgnoreIndexes", 1);
  EXPECT_EQ(cli.GetNumber(kKey, "CaseSensitive", 0), 1u);
  EXPECT_EQ(cli.GetNumber(kKey, "IgnoreIndexes", 0), 1u);
}

TEST(SettingsStoreTest, DeleteKeyRemovesItsValuesAndSubkeys) {
  ScratchFolder folder;
  SettingsStore store(folder / "settings.reg");
  store.SaveString("Software\\KVN\\Servers\\Server1", "Name", "a");
  store.SaveString("Software\\KVN\\Servers\\Server2", "Name", "b");
  store.DeleteKey("Software\\KVN\\Servers\\Server1");
  EXPECT_EQ(store.GetString("Software\\KVN\\Servers\\Server1", "Name", "gone"), "gone");
  EXPECT_EQ(store.GetString("Software\\KVN\\Servers\\Server2", "Name", ""), "b");
  store.CreateKey("Software\\KVN\\Empty");
  EXPECT_TRUE(store.KeyExists("Software\\KVN\\Empty"));
  EXPECT_EQ(store.SubkeyNames("Software\\KVN"), (std::vector<std::string>{"Servers", "Empty"}));
}

TEST(SettingsStoreTest, UpdateWritesSeveralChangesAtOnce) {
  ScratchFolder folder;
  SettingsStore store(folder / "settings.reg");
  const bool written = store.Update([](RegistryTree& tree) {
    tree.SetValue("Software\\KVN\\Servers", "Count", RegistryValue::Dword(2));
    tree.SetValue("Software\\KVN\\Servers\\Server1", "Name", RegistryValue::String("a"));
    tree.SetValue("Software\\KVN\\Servers\\Server2", "Name", RegistryValue::String("b"));
  });
  EXPECT_TRUE(written);
  const SettingsStore reopened(folder / "settings.reg");
  EXPECT_EQ(reopened.GetNumber("Software\\KVN\\Servers", "Count", 0), 2u);
  EXPECT_EQ(reopened.GetString("Software\\KVN\\Servers\\Server2", "Name", ""), "b");
}

TEST(SettingsStoreTest, CorruptFileKeepsWhatCanBeReadAndBacksUpTheRest) {
  ScratchFolder folder;
  const auto file = folder / "settings.reg";
  const std::string corrupt =
      "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\KVN]\n"
      "\"Timeout\"=dword:0000005a\n\x01\x02 binary junk \xFF\n\"Half\"=\"unterminated\n";
  WriteFile(file, corrupt);
  SettingsStore store(file);
  EXPECT_EQ(store.GetNumber("Software\\KVN", "Timeout", 30), 90u);
  EXPECT_EQ(store.unreadable_lines().size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(store.BackupPath()));  // reading alone changes nothing
  store.SaveNumber("Software\\KVN", "CacheSize", 7);
  EXPECT_EQ(ReadFile(store.BackupPath()), corrupt);
  EXPECT_EQ(store.GetNumber("Software\\KVN", "Timeout", 30), 90u);
  EXPECT_EQ(store.GetNumber("Software\\KVN", "CacheSize", 5), 7u);
}

TEST(SettingsStoreTest, FailedWriteIsSilentAndLeavesTheStoreAsItWas) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "root may write into read-only folders";
  ScratchFolder folder;
  const auto dir = folder / "ro";
  std::filesystem::create_directories(dir);
  SettingsStore store(dir / "settings.reg");
  store.SaveNumber("Software\\KVN", "Timeout", 40);
  std::filesystem::permissions(
      dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  store.SaveNumber("Software\\KVN", "Timeout", 50);
  EXPECT_EQ(store.GetNumber("Software\\KVN", "Timeout", 30), 40u);
}

TEST(SettingsStoreTest, UnwritableLocationFailsSilently) {
  ScratchFolder folder;
  WriteFile(folder / "file", "x");
  // The store's folder would have to be created below a plain file: impossible even for root.
  SettingsStore store(folder / "file" / "settings.reg");
  store.SaveNumber("Software\\KVN", "Timeout", 40);
  EXPECT_EQ(store.GetNumber("Software\\KVN", "Timeout", 30), 30u);
  EXPECT_FALSE(store.Update([](RegistryTree& tree) { tree.CreateKey("Software\\KVN"); }));
}

// Regression: a settings file that existed but could not be read was taken as empty, and the
// next write replaced it, losing the server list and its passwords.
TEST(SettingsStoreTest, UnreadableFileIsNeverWritten) {
  ScratchFolder folder;
  const auto file = folder / "settings.reg";
  std::filesystem::create_directories(file / "inside");  // exists, cannot be read as a file
  SettingsStore store(file);
  EXPECT_NE(store.unreadable_reason().find(file.string()), std::string::npos);
  EXPECT_NE(store.unreadable_reason().find("Is a directory"), std::string::npos)
      << store.unreadable_reason();
  EXPECT_EQ(store.GetNumber("Software\\KVN", "Timeout", 30), 30u);
  EXPECT_FALSE(store.SaveNumber("Software\\KVN", "Timeout", 40));
  EXPECT_EQ(store.last_error(), store.unreadable_reason());
  EXPECT_FALSE(store.Update([](RegistryTree& tree) { tree.CreateKey("Software\\KVN"); }));
  EXPECT_TRUE(std::filesystem::is_directory(file / "inside"));
  // Once the file can be read again, the store works as usual.
  std::filesystem::remove_all(file);
  EXPECT_EQ(store.unreadable_reason(), "");
  EXPECT_TRUE(store.SaveNumber("Software\\KVN", "Timeout", 40));
  EXPECT_EQ(store.last_error(), "");
}

TEST(SettingsStoreTest, FailedWritesSayWhy) {
  ScratchFolder folder;
  WriteFile(folder / "file", "x");
  SettingsStore below_a_file(folder / "file" / "settings.reg");
  EXPECT_FALSE(below_a_file.SaveString("Software\\KVN", "VerNum", "1.3"));
  EXPECT_NE(below_a_file.last_error().find("settings.reg"), std::string::npos);
}

// Regression: a key path or value name holding a line break was written into a file that could
// not be read back, and the value was lost at the next write.
TEST(SettingsStoreTest, LineBreaksInNamesAreRefused) {
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
  ScratchFolder folder;
  SettingsStore store(folder / "settings.reg");
  ASSERT_TRUE(store.SaveString("Software\\KVN", "Note", "one\r\ntwo"));
  EXPECT_EQ(SettingsStore(folder / "settings.reg").GetString("Software\\KVN", "Note", ""),
            "one\r\ntwo");
}

// Regression: two runs side by side each wrote the file as they had last read it, so the
// second write dropped the first one's change.
TEST(SettingsStoreTest, ChangesAreMadeOnTheFileAsItIsNow) {
  ScratchFolder folder;
  const auto file = folder / "settings.reg";
  SettingsStore gui(file);
  SettingsStore cli(file);
  ASSERT_TRUE(gui.SaveNumber("Software\\KVN", "Timeout", 40));
  EXPECT_EQ(cli.GetNumber("Software\\KVN", "Timeout", 30), 40u);
  ASSERT_TRUE(cli.SaveNumber("Software\\KVN", "CacheSize", 9));
  // Within a read scope the GUI's copy is not refreshed, yet its change starts from the file.
  const SettingsStore::ReadScope scope(gui);
  ASSERT_TRUE(gui.SaveNumber("Software\\KVN", "MaxRowsInDiffTable", 100));
  const SettingsStore reader(file);
  EXPECT_EQ(reader.GetNumber("Software\\KVN", "Timeout", 0), 40u);
  EXPECT_EQ(reader.GetNumber("Software\\KVN", "CacheSize", 0), 9u);
  EXPECT_EQ(reader.GetNumber("Software\\KVN", "MaxRowsInDiffTable", 0), 100u);
}

TEST(SettingsStoreTest, LockedFileIsNotWrittenAndTheWaitIsReported) {
  ScratchFolder folder;
  const auto file = folder / "settings.reg";
  SettingsStore store(file);
  ASSERT_TRUE(store.SaveNumber("Software\\KVN", "Timeout", 40));
  std::string error;
  const auto other_run = FileLock::Acquire(file, error, std::chrono::milliseconds(0));
  ASSERT_TRUE(other_run.has_value());
  ::setenv("KORVANE_LOCK_TIMEOUT_MS", "5", 1);
  EXPECT_FALSE(store.SaveNumber("Software\\KVN", "Timeout", 50));
  ::unsetenv("KORVANE_LOCK_TIMEOUT_MS");
  EXPECT_NE(store.last_error().find("in use"), std::string::npos) << store.last_error();
  EXPECT_EQ(SettingsStore(file).GetNumber("Software\\KVN", "Timeout", 0), 40u);
}

// Regression: every read looked at the file's status, so loading the settings or the server
// list cost one status call per value.
TEST(SettingsStoreTest, AReadScopeLooksAtTheFileOnce) {
  ScratchFolder folder;
  SettingsStore store(folder / "settings.reg");
  ASSERT_TRUE(store.SaveNumber("Software\\KVN", "Timeout", 40));
  const std::uint64_t before = store.file_checks();
  const LoadedSettings loaded = LoadSettings(store, /*debug_mode=*/true);
  EXPECT_EQ(loaded.timeout, 40u);
  EXPECT_EQ(store.file_checks() - before, 1u);
  const std::uint64_t options = store.file_checks();
  ReadOptions(store);
  EXPECT_EQ(store.file_checks() - options, 1u);
  // Outside a scope each read still sees another run's change.
  const std::uint64_t single = store.file_checks();
  store.GetNumber("Software\\KVN", "Timeout", 0);
  store.GetNumber("Software\\KVN", "Timeout", 0);
  EXPECT_EQ(store.file_checks() - single, 2u);
}

// Regression: the backup kept before the first rewrite of a damaged store held every password
// for ever, those of servers removed since included.
TEST(SettingsStoreTest, BackupHoldsNoPasswords) {
  ScratchFolder folder;
  const auto file = folder / "settings.reg";
  WriteFile(file,
            "Windows Registry Editor Version 5.00\r\n"
            "[HKEY_CURRENT_USER\\Software\\KVN\\Servers\\Server1]\r\n"
            "\"Name\"=\"alpha\"\r\n\"Pwd\"=\"s3cret\"\r\n"
            "\"pwd\"=hex(1):41,00,\\\r\n  42,00,00,00\r\n"
            "junk line\r\n");
  SettingsStore store(file);
  ASSERT_EQ(store.unreadable_lines().size(), 1u);
  ASSERT_TRUE(store.SaveNumber("Software\\KVN", "Timeout", 40));
  const std::string backup = ReadFile(store.BackupPath());
  EXPECT_EQ(backup,
            "Windows Registry Editor Version 5.00\r\n"
            "[HKEY_CURRENT_USER\\Software\\KVN\\Servers\\Server1]\r\n"
            "\"Name\"=\"alpha\"\r\njunk line\r\n");
  struct stat info {};
  ASSERT_EQ(::stat(store.BackupPath().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  // A backup left by an earlier version loses its passwords at the next write.
  WriteFile(store.BackupPath(), "[K]\r\n\"Pwd\"=\"old\"\r\n\"Name\"=\"x\"\r\n");
  ASSERT_TRUE(store.SaveNumber("Software\\KVN", "Timeout", 41));
  EXPECT_EQ(ReadFile(store.BackupPath()), "[K]\r\n\"Name\"=\"x\"\r\n");
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
