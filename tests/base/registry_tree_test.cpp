#include "base/registry_tree.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

constexpr char kRoot[] = "HKEY_CURRENT_USER\\Software\\KVN";

TEST(RegistryTreeTest, WritesTheRegistryEditorExportFormat) {
  RegistryTree tree;
  tree.SetValue(std::string(kRoot) + "\\Comparisons", "IgnoreColSeq", RegistryValue::Dword(0));
  tree.SetValue(kRoot, "Timeout", RegistryValue::Dword(30));
  tree.SetValue(kRoot, "Location", RegistryValue::String("C:\\Program \"Files\"\\"));
  EXPECT_EQ(tree.ToText(),
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\KVN]\r\n"
            "\"Timeout\"=dword:0000001e\r\n"
            "\"Location\"=\"C:\\\\Program \\\"Files\\\"\\\\\"\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Software\\KVN\\Comparisons]\r\n"
            "\"IgnoreColSeq\"=dword:00000000\r\n"
            "\r\n");
}

TEST(RegistryTreeTest, StringsWithNulOrLineBreaksRoundTripAsHex1) {
  RegistryTree tree;
  tree.SetValue(kRoot, "WithNul", RegistryValue::String(std::string("A\0B", 3)));
  tree.SetValue(kRoot, "Lines", RegistryValue::String("one\r\ntwo"));
  tree.SetValue(kRoot, "Accent", RegistryValue::String("caf\xC3\xA9 \xF0\x9F\x98\x80"));
  const std::string text = tree.ToText();
  EXPECT_NE(text.find("\"WithNul\"=hex(1):41,00,00,00,42,00,00,00\r\n"), std::string::npos);
  const auto parsed = RegistryTree::Parse(text);
  EXPECT_TRUE(parsed.unreadable_lines.empty());
  EXPECT_EQ(parsed.tree.FindValue(kRoot, "WithNul")->text, std::string("A\0B", 3));
  EXPECT_EQ(parsed.tree.FindValue(kRoot, "Lines")->text, "one\r\ntwo");
  EXPECT_EQ(parsed.tree.FindValue(kRoot, "Accent")->text, "caf\xC3\xA9 \xF0\x9F\x98\x80");
  EXPECT_EQ(parsed.tree.ToText(), text);
}

TEST(RegistryTreeTest, ParsesWhatTheRegistryEditorWrites) {
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "; a comment\r\n"
      "[HKEY_CURRENT_USER\\Software\\KVN\\Servers\\Server1]\r\n"
      "\"Name\"=\"(local)\"\r\n"
      "\"SQLAuth\"=dword:00000001\r\n"
      "@=\"default\"\r\n"
      "\"Blob\"=hex:01,02,\\\r\n"
      "  03,04\r\n"
      "\"Multi\"=hex(7):41,00,00,00,00,00\r\n"
      "\"AsHex4\"=hex(4):1e,00,00,00\r\n";
  const auto parsed = RegistryTree::Parse(text);
  EXPECT_TRUE(parsed.unreadable_lines.empty());
  const std::string key = "hkey_current_user\\software\\kvn\\servers\\SERVER1";
  EXPECT_EQ(parsed.tree.FindValue(key, "name")->text, "(local)");
  EXPECT_EQ(parsed.tree.FindValue(key, "SQLAuth")->number, 1u);
  EXPECT_EQ(parsed.tree.FindValue(key, "")->text, "default");
  const RegistryValue* blob = parsed.tree.FindValue(key, "Blob");
  ASSERT_NE(blob, nullptr);
  EXPECT_EQ(blob->kind, RegistryValue::Kind::kRaw);
  EXPECT_EQ(blob->bytes, (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(parsed.tree.FindValue(key, "Multi")->raw_type, 7);
  EXPECT_EQ(parsed.tree.FindValue(key, "AsHex4")->number, 30u);
  // Values of other types are written back as they were read.
  EXPECT_NE(parsed.tree.ToText().find("\"Multi\"=hex(7):41,00,00,00,00,00\r\n"), std::string::npos);
}

TEST(RegistryTreeTest, UnreadableLinesAreSkippedAndTheRestIsKept) {
  const std::string text =
      "Windows Registry Editor Version 5.00\n"
      "\"Orphan\"=\"before any key\"\n"
      "[HKEY_CURRENT_USER\\Software\\KVN]\n"
      "\"Timeout\"=dword:0000003c\n"
      "garbage line\n"
      "\"Broken\"=dword:xyz\n"
      "\"Unterminated\"=\"abc\n"
      "\"TooLong\"=dword:123456789\n"
      "[HKEY_CURRENT_USER\\Software\\KVN\\Comparisons\n"
      "\"Next\"=dword:00000001\n"
      "[HKEY_CURRENT_USER\\Software\\KVN\\Comparisons]\n"
      "\"CaseSensitive\"=dword:00000001\n";
  const auto parsed = RegistryTree::Parse(text);
  EXPECT_EQ(parsed.unreadable_lines.size(), 7u);
  EXPECT_EQ(parsed.tree.FindValue("HKEY_CURRENT_USER\\Software\\KVN", "Timeout")->number, 60u);
  EXPECT_EQ(parsed.tree.FindValue("HKEY_CURRENT_USER\\Software\\KVN\\Comparisons", "CaseSensitive")
                ->number,
            1u);
}

TEST(RegistryTreeTest, ReadsUtf16FilesWithByteOrderMark) {
  const std::string utf8 =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\KVN]\r\n"
      "\"VerNum\"=\"1.3\"\r\n";
  std::string utf16 = "\xFF\xFE";
  for (const char c : utf8) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  const auto parsed = RegistryTree::Parse(utf16);
  EXPECT_TRUE(parsed.unreadable_lines.empty());
  EXPECT_EQ(parsed.tree.FindValue("HKEY_CURRENT_USER\\Software\\KVN", "VerNum")->text, "1.3");
}

TEST(RegistryTreeTest, KeysCompareIgnoringCaseAndDeleteWithTheirSubkeys) {
  RegistryTree tree;
  tree.SetValue("HKCU\\A\\Server1", "Name", RegistryValue::String("one"));
  tree.SetValue("HKCU\\A\\Server2", "Name", RegistryValue::String("two"));
  tree.SetValue("HKCU\\A\\Server10", "Name", RegistryValue::String("ten"));
  tree.SetValue("hkcu\\a\\server1", "NAME", RegistryValue::String("uno"));
  EXPECT_EQ(tree.FindValue("HKCU\\A\\Server1", "Name")->text, "uno");
  EXPECT_EQ(tree.FindKey("HKCU\\A\\Server1")->values.size(), 1u);
  EXPECT_TRUE(tree.KeyExists("HKCU\\A"));  // a parent exists through its children
  EXPECT_EQ(tree.SubkeyNames("HKCU\\A"),
            (std::vector<std::string>{"Server1", "Server2", "Server10"}));
  tree.DeleteKey("HKCU\\A\\Server1");
  EXPECT_FALSE(tree.KeyExists("HKCU\\A\\Server1"));
  EXPECT_TRUE(tree.KeyExists("HKCU\\A\\Server10"));  // a longer name is not a subkey
  tree.DeleteKey("HKCU\\A");
  EXPECT_FALSE(tree.KeyExists("HKCU\\A\\Server10"));
  EXPECT_FALSE(tree.DeleteValue("HKCU\\A", "Name"));
}

TEST(Utf16Test, InvalidUtf8BytesAreKeptAsLatin1Characters) {
  const auto units = Utf8ToUtf16Le("a\xE9");
  EXPECT_EQ(units, (std::vector<std::uint8_t>{'a', 0, 0xE9, 0}));
  EXPECT_EQ(Utf16LeToUtf8(units), "a\xC3\xA9");
  EXPECT_FALSE(Utf16LeToUtf8({0x41}).has_value());
}

// Regression: each key was looked up by a linear search and each continuation line copied the
// value read so far, so a store of some thousand keys took minutes to read. The work is now
// bounded by the size of the text: counted, not timed.
TEST(RegistryTreeTest, ParseWorkGrowsWithTheTextAlone) {
  const struct {
    int keys;
    int continuation_lines;
  } cases[] = {{100000, 0}, {0, 100000}, {20000, 20000}};
  for (const auto& c : cases) {
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (int i = 0; i < c.keys; ++i) {
      text += "[HKEY_CURRENT_USER\\Software\\KVN\\Servers\\Server" + std::to_string(i) +
              "]\r\n\"Name\"=\"s" + std::to_string(i) + "\"\r\n\r\n";
    }
    text += "[HKEY_CURRENT_USER\\Software\\KVN]\r\n\"Blob\"=hex:00";
    for (int i = 0; i < c.continuation_lines; ++i)
      text += ",\\\r\n  01";
    text += "\r\n";
    const auto parsed = RegistryTree::Parse(text);
    EXPECT_TRUE(parsed.unreadable_lines.empty());
    EXPECT_EQ(parsed.tree.key_count(), static_cast<std::size_t>(c.keys) + 1);
    const RegistryValue* blob = parsed.tree.FindValue(kRoot, "Blob");
    ASSERT_NE(blob, nullptr);
    EXPECT_EQ(blob->bytes.size(), static_cast<std::size_t>(c.continuation_lines) + 1);
    if (c.keys > 0) {
      EXPECT_EQ(
          parsed.tree
              .FindValue(std::string(kRoot) + "\\servers\\SERVER" + std::to_string(c.keys - 1),
                         "name")
              ->text,
          "s" + std::to_string(c.keys - 1));
    }
    EXPECT_LE(parsed.work, 2 * text.size()) << c.keys << " keys";
  }
}

TEST(RegistryTreeTest, LookupsStayRightAfterKeysAreDeleted) {
  RegistryTree tree;
  for (const char* key : {"K\\a", "K\\b", "K\\c", "L"})
    tree.SetValue(key, "V", RegistryValue::String(key));
  tree.DeleteKey("k\\A");
  tree.DeleteKey("L");
  EXPECT_EQ(tree.FindKey("K\\a"), nullptr);
  EXPECT_EQ(tree.FindValue("K\\C", "v")->text, "K\\c");
  tree.SetValue("K\\a", "V", RegistryValue::String("again"));
  EXPECT_EQ(tree.FindValue("K\\b", "V")->text, "K\\b");
  EXPECT_EQ(tree.FindValue("K\\A", "V")->text, "again");
  EXPECT_EQ(tree.key_count(), 3u);
}

}  // namespace
}  // namespace korvane
