#include "app/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
  // Nothing but the store is left in the folder (no temporary files).
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder / "sub")) {
    ++entries;
  }
  EXPECT_EQ(entries, 1);
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

}  // namespace
}  // namespace korvane
