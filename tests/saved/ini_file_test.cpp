#include "saved/ini_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "base/files.h"
#include "base/text.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;
using testing::WriteFile;
using Names = std::vector<std::string>;

std::string Repeat(std::string_view piece, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i)
    text += piece;
  return text;
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class IniFileTest : public ::testing::Test {
 protected:
  IniFileTest() { ini_.SetPath(file_); }

  void Write(std::string_view section, std::string_view key, std::string_view value) {
    ini_.SetSection(section);
    ini_.SetKey(key);
    ini_.SetValue(value);
  }
  std::string Read(std::string_view section, std::string_view key) {
    ini_.SetSection(section);
    ini_.SetKey(key);
    return ini_.Value();
  }

  ScratchFolder folder_;
  std::filesystem::path file_ = folder_ / "kvn_comps.ini";
  cInifile ini_;
};

TEST_F(IniFileTest, MissingFileReadsTheDefaultAndIsNotCreatedByReads) {
  EXPECT_EQ(Read("Any", "Key"), "");
  ini_.SetDefault("dflt");
  EXPECT_EQ(Read("Any", "Key"), "dflt");
  EXPECT_EQ(ini_.INISection(), "dflt");
  EXPECT_EQ(ini_.Sections(), "");
  EXPECT_EQ(ini_.EnumerateAllSections(), Names{});
  // The default carries no NUL, so it never shows up as a key name.
  EXPECT_EQ(ini_.EnumerateCurrentSection(), Names{});
  EXPECT_FALSE(std::filesystem::exists(file_));
  EXPECT_EQ(ini_.LastReturnCode(), 0);  // reads leave it and the outcome alone
  EXPECT_FALSE(ini_.Success());
}

TEST_F(IniFileTest, FirstWriteCreatesTheFileWithCrLfLines) {
  Write("Nightly run", "Name", "Nightly run");
  EXPECT_TRUE(ini_.Success());
  EXPECT_NE(ini_.LastReturnCode(), 0);
  Write("Nightly run", "CompType", "1");
  Write("Nightly run", "EncObjTypes", "1,0,0,0,0,0,0");
  EXPECT_EQ(ReadFile(file_),
            "[Nightly run]\r\n"
            "Name=Nightly run\r\n"
            "CompType=1\r\n"
            "EncObjTypes=1,0,0,0,0,0,0\r\n");
  EXPECT_EQ(Read("nightly RUN", "comptype"), "1");
}

TEST_F(IniFileTest, KeyOrSectionMissingInAnExistingFileReadsTheDefault) {
  WriteFile(file_, "[Demo]\r\nKey=v\r\nBlank=\r\n");
  ini_.SetDefault("dflt");
  EXPECT_EQ(Read("Demo", "Other"), "dflt");
  EXPECT_EQ(Read("Nope", "Key"), "dflt");
  EXPECT_EQ(Read("Demo", ""), "dflt");
  EXPECT_EQ(Read("Demo", "Blank"), "");  // an empty value is a value
}

TEST_F(IniFileTest, SectionNamedDemoIsFoundAsDemoInLowerCase) {
  WriteFile(file_, "[Demo]\nKey=value\n");
  EXPECT_EQ(Read("demo", "KEY"), "value");
  ini_.SetSection("DEMO");
  EXPECT_EQ(ini_.EnumerateCurrentSection(), Names{"Key"});
}

TEST_F(IniFileTest, ValueReadsReturnAtMost254Characters) {
  const std::string ascii = Repeat("x", 300);
  Write("Long", "Ascii", ascii);
  EXPECT_EQ(ReadFile(file_), "[Long]\r\nAscii=" + ascii + "\r\n");  // stored whole
  EXPECT_EQ(Read("Long", "Ascii"), Repeat("x", 254));

  Write("Long", "Exact", Repeat("y", 254));
  EXPECT_EQ(Read("Long", "Exact"), Repeat("y", 254));
  Write("Long", "OneOver", Repeat("y", 255));
  EXPECT_EQ(Read("Long", "OneOver"), Repeat("y", 254));

  // Characters, not bytes: 300 two-byte letters come back as 254 of them (508 bytes).
  Write("Long", "Accents", Repeat("é", 300));
  EXPECT_EQ(Read("Long", "Accents"), Repeat("é", 254));
  // The cut never falls inside a character.
  Write("Long", "Mixed", Repeat("a", 253) + "€𝄞€");
  const std::string mixed = Read("Long", "Mixed");
  EXPECT_EQ(mixed, Repeat("a", 253) + "€");
  EXPECT_TRUE(IsValidUtf8(mixed));
  // Quotes that protect blanks do not count towards the limit.
  Write("Long", "Quoted", " " + Repeat("q", 253));
  EXPECT_EQ(Read("Long", "Quoted"), " " + Repeat("q", 253));
}

TEST_F(IniFileTest, DefaultIsCutTo254CharactersToo) {
  ini_.SetDefault(Repeat("ü", 260));
  EXPECT_EQ(Read("Missing", "Key"), Repeat("ü", 254));
}

TEST_F(IniFileTest, WritingRemovesEveryNulCharacter) {
  Write("S", "K", std::string("a\0b\0\0c", 6));
  EXPECT_TRUE(ini_.Success());
  EXPECT_EQ(ReadFile(file_), "[S]\r\nK=abc\r\n");
  EXPECT_EQ(Read("S", "K"), "abc");
}

TEST_F(IniFileTest, RewritingAKeyKeepsTheOrderOfTheFile) {
  WriteFile(file_, "[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
  Write("a", "X", "one");
  Write("A", "new", "4");
  Write("b", "Z", "three");
  EXPECT_EQ(ReadFile(file_), "[A]\r\nx=one\r\ny=2\r\nnew=4\r\n\r\n[B]\r\nz=three\r\n");
  ini_.SetSection("A");
  EXPECT_EQ(ini_.EnumerateCurrentSection(), (Names{"x", "y", "new"}));
}

TEST_F(IniFileTest, SectionsAndKeysAreListedInFileOrderEachFollowedByANul) {
  WriteFile(file_, "; c\r\n[Zeta]\r\nb=1\r\na=2\r\n[Alpha]\r\n[Mid]\r\nq=3\r\n");
  EXPECT_EQ(ini_.Sections(), std::string("Zeta\0Alpha\0Mid\0", 15));
  EXPECT_EQ(ini_.EnumerateAllSections(), (Names{"Zeta", "Alpha", "Mid"}));
  ini_.SetSection("Zeta");
  EXPECT_EQ(ini_.INISection(), std::string("b\0a\0", 4));
  EXPECT_EQ(ini_.EnumerateCurrentSection(), (Names{"b", "a"}));
  ini_.SetSection("Alpha");  // a section without keys lists nothing
  EXPECT_EQ(ini_.EnumerateCurrentSection(), Names{});
}

TEST_F(IniFileTest, EnumerationsAreNeverCut) {
  // Far more than 8192 characters of names: every name comes back, whole.
  std::string content;
  Names sections;
  for (int i = 0; i < 600; ++i) {
    sections.push_back("SERVER-" + std::to_string(i) + ".Database.Table_" + Repeat("t", 10));
    content += "[" + sections.back() + "]\r\n0=c\r\n";
  }
  Names keys;
  content += "[Wide]\r\n";
  for (int i = 0; i < 700; ++i) {
    keys.push_back("Column_number_" + std::to_string(i));
    content += keys.back() + "=v\r\n";
  }
  sections.push_back("Wide");
  WriteFile(file_, content);
  ASSERT_GT(ini_.Sections().size(), 8192u);
  EXPECT_EQ(ini_.EnumerateAllSections(), sections);
  ini_.SetSection("Wide");
  ASSERT_GT(ini_.INISection().size(), 8192u);
  EXPECT_EQ(ini_.EnumerateCurrentSection(), keys);
}

TEST_F(IniFileTest, EnumerateCurrentSectionSplitsTheDefaultOnlyAtNuls) {
  ini_.SetSection("Missing");
  ini_.SetDefault(std::string("a\0b", 3));
  EXPECT_EQ(ini_.EnumerateCurrentSection(), Names{"a"});
  ini_.SetDefault(std::string("\0x\0", 3));
  EXPECT_EQ(ini_.EnumerateCurrentSection(), (Names{"", "x"}));
}

TEST_F(IniFileTest, DeletedSectionIsNoLongerListed) {
  Write("First", "k", "1");
  Write("Second", "k", "2");
  ini_.SetSection("FIRST");
  ini_.DeleteSection();
  EXPECT_TRUE(ini_.Success());
  EXPECT_EQ(ini_.EnumerateAllSections(), Names{"Second"});
  EXPECT_EQ(ReadFile(file_), "[Second]\r\nk=2\r\n");
  ini_.SetDefault("gone");
  EXPECT_EQ(Read("First", "k"), "gone");
}

TEST_F(IniFileTest, DeletingWhatIsNotThereSucceedsWithoutWriting) {
  ini_.SetSection("Nothing");
  ini_.DeleteSection();
  EXPECT_TRUE(ini_.Success());
  EXPECT_FALSE(std::filesystem::exists(file_));

  WriteFile(file_, "[A]\n k = 1 \n");  // not rewritten: the hand spacing and LF stay
  ini_.DeleteSection();
  EXPECT_TRUE(ini_.Success());
  ini_.SetSection("A");
  ini_.SetKey("other");
  ini_.DeleteKey();
  EXPECT_TRUE(ini_.Success());
  EXPECT_EQ(ReadFile(file_), "[A]\n k = 1 \n");
}

TEST_F(IniFileTest, DeleteKeyRemovesOnlyThatKey) {
  Write("A", "a", "1");
  Write("A", "b", "2");
  ini_.SetKey("A");  // key a, asked for in capitals
  ini_.DeleteKey();
  EXPECT_TRUE(ini_.Success());
  EXPECT_EQ(ReadFile(file_), "[A]\r\nb=2\r\n");
}

TEST_F(IniFileTest, RefusedWriteReportsFailureAndLeavesTheFile) {
  Write("A", "k", "1");
  Write("A", "k=2", "x");
  EXPECT_FALSE(ini_.Success());
  EXPECT_EQ(ini_.LastReturnCode(), 0);
  Write("", "k", "x");
  EXPECT_FALSE(ini_.Success());
  Write("A", "k", "line\r\nbreak");
  EXPECT_FALSE(ini_.Success());
  EXPECT_EQ(ReadFile(file_), "[A]\r\nk=1\r\n");
  // A following read does not change the outcome of the last write.
  EXPECT_EQ(Read("A", "k"), "1");
  EXPECT_EQ(ini_.LastReturnCode(), 0);
}

TEST_F(IniFileTest, WritesLeaveNoTemporaryFileBehind) {
  for (int i = 0; i < 20; ++i)
    Write("S" + std::to_string(i % 3), "k" + std::to_string(i), "v");
  ini_.DeleteSection();
  // The lock file that writes take stays; temporary files do not.
  EXPECT_EQ(FolderEntries(folder_.path()), (Names{"kvn_comps.ini", "kvn_comps.ini.lock"}));
}

TEST_F(IniFileTest, FailedWriteReportsFailureAndLeavesNoTemporaryFile) {
  // A folder stands where the file should be: it can neither be read nor replaced.
  std::filesystem::create_directories(file_ / "inside");
  Write("A", "k", "v");
  EXPECT_FALSE(ini_.Success());
  EXPECT_EQ(ini_.LastReturnCode(), 0);
  ini_.DeleteSection();
  EXPECT_FALSE(ini_.Success());
  ini_.SetDefault("dflt");
  EXPECT_EQ(Read("A", "k"), "dflt");
  EXPECT_EQ(FolderEntries(folder_.path()), (Names{"kvn_comps.ini", "kvn_comps.ini.lock"}));
  EXPECT_EQ(FolderEntries(file_), Names{"inside"});

  // Once the obstacle is gone, the same object writes again.
  std::filesystem::remove_all(file_);
  Write("A", "k", "v");
  EXPECT_TRUE(ini_.Success());
  EXPECT_EQ(ReadFile(file_), "[A]\r\nk=v\r\n");
}

TEST_F(IniFileTest, WriteBelowAFileFails) {
  WriteFile(folder_ / "plain", "x");
  ini_.SetPath(folder_ / "plain" / "kvn_comps.ini");
  Write("A", "k", "v");
  EXPECT_FALSE(ini_.Success());
  EXPECT_EQ(ReadFile(folder_ / "plain"), "x");
}

TEST_F(IniFileTest, EmptyPathReadsTheDefaultAndCannotBeWritten) {
  ini_.SetPath("");
  ini_.SetDefault("dflt");
  EXPECT_EQ(Read("A", "k"), "dflt");
  Write("A", "k", "v");
  EXPECT_FALSE(ini_.Success());
  ini_.DeleteSection();
  EXPECT_FALSE(ini_.Success());
}

TEST_F(IniFileTest, ChangesMadeByOthersAreSeenByTheNextRead) {
  Write("A", "k", "1");
  EXPECT_EQ(Read("A", "k"), "1");

  cInifile other;
  other.SetPath(file_);
  other.SetSection("A");
  other.SetKey("k");
  other.SetValue("2");  // same size as before, written at once
  ASSERT_TRUE(other.Success());
  EXPECT_EQ(Read("A", "k"), "2");

  ASSERT_TRUE(WriteFileAtomically(file_, "[A]\r\nk=3\r\n"));
  EXPECT_EQ(Read("A", "k"), "3");
  // This object's next write starts from the file as it is now.
  Write("A", "j", "4");
  EXPECT_EQ(ReadFile(file_), "[A]\r\nk=3\r\nj=4\r\n");

  std::filesystem::remove(file_);
  ini_.SetDefault("gone");
  EXPECT_EQ(Read("A", "k"), "gone");
}

TEST_F(IniFileTest, ChangingThePathReadsTheOtherFile) {
  WriteFile(folder_ / "one.ini", "[A]\r\nk=one\r\n");
  WriteFile(folder_ / "two.ini", "[A]\r\nk=two\r\n");
  ini_.SetPath(folder_ / "one.ini");
  EXPECT_EQ(Read("A", "k"), "one");
  ini_.SetPath(folder_ / "two.ini");
  EXPECT_EQ(Read("A", "k"), "two");
}

}  // namespace
}  // namespace korvane
