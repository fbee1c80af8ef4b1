// Malformed scripts and queries: every one ends in a clear error, never a crash, and leaves the
// database as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

using ::testing::ElementsAre;

constexpr const char* kScript = R"SQL(CREATE TABLE [Order Lines] (
  id int IDENTITY(1,1) NOT NULL CONSTRAINT PK_OL PRIMARY KEY,
  note nvarchar(20) NULL DEFAULT N'it''s',
  qty decimal(9, 2) NOT NULL CHECK (qty >= 0)
)
GO
INSERT [Order Lines] (note, qty) VALUES ('a', 1.5), (NULL, 2)
GO
/* block */ CREATE VIEW v AS SELECT id, note FROM [Order Lines] WHERE qty > 1
GO
CREATE PROCEDURE p @a int = 1 AS SELECT * FROM v WHERE id = @a
GO
)SQL";

class BadInputTest : public EmbeddedServerTest {
 protected:
  void SetUp() override {
    MakeServer("9.00.5000.00");
    Load("Base", "CREATE TABLE keep (a int)\nGO\nINSERT keep VALUES (1)");
  }
  std::string Fingerprint() {
    std::string text;
    for (const auto& row : QueryRows("Base",
                                     "SELECT name, xtype FROM sysobjects WHERE xtype <> 'S' "
                                     "ORDER BY name"))
      text += row + ";";
    for (const auto& row : QueryRows("Base", "SELECT a FROM keep"))
      text += row + ";";
    return text;
  }
};

TEST_F(BadInputTest, EveryTruncationOfAScriptFailsCleanlyOrLoadsWhole) {
  const std::string before = Fingerprint();
  const std::string script = kScript;
  for (std::size_t cut = 1; cut < script.size(); cut += 7) {
    const ScriptLoadResult result = TryLoad("Base", script.substr(0, cut));
    if (result.ok) {
      // A cut at a batch boundary loads what it holds; undo it for the next round.
      Load("Base",
           "IF EXISTS (SELECT * FROM sysobjects WHERE name = 'p') DROP PROCEDURE p\nGO\n"
           "IF OBJECT_ID('v') IS NOT NULL DROP VIEW v\nGO\n"
           "IF OBJECT_ID('[Order Lines]') IS NOT NULL DROP TABLE [Order Lines]\n");
    } else {
      EXPECT_FALSE(result.message.empty());
      EXPECT_NE(result.error.number, 0) << result.message;
    }
    ASSERT_EQ(Fingerprint(), before) << "after cut " << cut;
  }
}

TEST_F(BadInputTest, GarbageAndExtremesGiveErrorsWithPositions) {
  const std::string before = Fingerprint();
  std::mt19937 random(12345);
  std::vector<std::string> inputs = {
      std::string(1 << 20, 'x'),                               // a 1 MB single line
      "SELECT " + std::string(100000, '(') + "1",              // unbalanced, deeply nested
      "SELECT [" + std::string(5000, 'n'),                     // unclosed bracket
      "CREATE TABLE [" + std::string(300, 'n') + "] (a int)",  // identifier too long
      std::string("SELECT '\0\x01\xff\xfe'", 12),              // binary bytes
      "INSERT keep VALUES (99999999999999999999999)",
      "CREATE TABLE t (a int IDENTITY(1, 99999999999999999999) NOT NULL)",
      "SELECT */ FROM keep",
      ")))",
      "IF",
      "BEGIN",
      "CREATE",
      "DROP TABLE",
      "INSERT keep VALUES (",
      "UPDATE keep SET",
  };
  for (int i = 0; i < 100; ++i) {
    std::string noise;
    const int length = static_cast<int>(random() % 80);
    for (int k = 0; k < length; ++k)
      noise += "()[]'\",.;@N-*/=<>ab GO\n\r\t"[random() % 26];
    inputs.push_back("SELECT a FROM keep WHERE " + noise);
    inputs.push_back(noise);
  }
  for (const auto& input : inputs) {
    const ScriptLoadResult result = TryLoad("Base", input);
    if (!result.ok) {
      EXPECT_FALSE(result.error.text.empty());
    }
    CommandOutcome outcome = Run("Base", input);
    if (!outcome.ok) {
      ASSERT_FALSE(outcome.errors.empty());
    }
  }
  EXPECT_EQ(Fingerprint(), before);
  const ScriptLoadResult deep = TryLoad("Base", "SELECT " + std::string(100000, '(') + "1");
  EXPECT_EQ(deep.error.number, 191);
  const ScriptLoadResult name =
      TryLoad("Base", "CREATE TABLE [" + std::string(300, 'n') + "] (a int)");
  EXPECT_EQ(name.error.number, 103);
}

}  // namespace
}  // namespace korvane::testing
