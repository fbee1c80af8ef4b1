#include "db/embedded/batch_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "db/embedded/sql_error.h"

namespace korvane::embedded {

// Printed by the test's failure messages (found beside ScriptBatch).
void PrintTo(const ScriptBatch& batch, std::ostream* out) {
  *out << "{\"" << batch.text << "\", line " << batch.first_line << ", x" << batch.repeat << "}";
}

namespace {

struct Expected {
  std::string text;
  int first_line;
  int repeat;
};

bool operator==(const ScriptBatch& a, const Expected& b) {
  return a.text == b.text && a.first_line == b.first_line && a.repeat == b.repeat;
}

std::vector<ScriptBatch> ReadAll(std::string_view script, std::size_t piece_size) {
  TextScriptSource source(script);
  BatchReader reader(source, piece_size);
  std::vector<ScriptBatch> batches;
  ScriptBatch batch;
  while (reader.Next(&batch))
    batches.push_back(batch);
  return batches;
}

// Every split of a script into pieces gives the same batches: each case is read with every
// piece size up to its length (so a piece boundary falls on every byte) and with the default.
TEST(BatchReaderTest, BatchesDoNotDependOnWherePiecesEnd) {
  struct Case {
    const char* what;
    std::string script;
    std::vector<Expected> batches;
  };
  const std::vector<Case> cases = {
      {"GO lines", "SELECT 1\nGO\nSELECT 2\ngo\n", {{"SELECT 1\n", 1, 1}, {"SELECT 2\n", 3, 1}}},
      {"GO with a count and a comment",
       "INSERT t VALUES (1)\n  Go 3  -- three rows\nSELECT 2",
       {{"INSERT t VALUES (1)\n", 1, 3}, {"SELECT 2", 3, 1}}},
      {"CR LF line breaks",
       "SELECT 1\r\nGO\r\n\r\nSELECT 2\r\nGO\r\n",
       {{"SELECT 1\r\n", 1, 1}, {"\r\nSELECT 2\r\n", 3, 1}}},
      {"a string holding GO and line breaks",
       "INSERT t VALUES ('a\nGO\nb')\nGO\nSELECT 3\n",
       {{"INSERT t VALUES ('a\nGO\nb')\n", 1, 1}, {"SELECT 3\n", 5, 1}}},
      {"doubled quotes inside the string",
       "SELECT 'it''s\nGO\n'''\nGO\n",
       {{"SELECT 'it''s\nGO\n'''\n", 1, 1}}},
      {"a bracketed name with ]] and GO",
       "SELECT [a]]\nGO\n]\nGO\n",
       {{"SELECT [a]]\nGO\n]\n", 1, 1}}},
      {"nested block comments",
       "/* a /* b */\nGO\n*/ SELECT 1\nGO\n",
       {{"/* a /* b */\nGO\n*/ SELECT 1\n", 1, 1}}},
      {"a quote inside a line comment opens no string",
       "SELECT 1 -- it's\nGO\nSELECT 2\n",
       {{"SELECT 1 -- it's\n", 1, 1}, {"SELECT 2\n", 3, 1}}},
      {"a UTF-8 character split anywhere",
       "INSERT t VALUES (N'\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80')\nGO\n",
       {{"INSERT t VALUES (N'\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80')\n", 1, 1}}},
      {"a byte-order mark before the first statement",
       "\xEF\xBB\xBFSELECT 1\nGO\n",
       {{"SELECT 1\n", 1, 1}}},
      {"a byte-order mark before a GO line",
       "\xEF\xBB\xBFGO\nSELECT 2",
       {{"", 1, 1}, {"SELECT 2", 2, 1}}},
      {"an unclosed string runs to the end", "SELECT 'a\nGO\n", {{"SELECT 'a\nGO\n", 1, 1}}},
      {"GO followed by text is no GO line",
       "SELECT 1\nGO x\nGOTO y\n",
       {{"SELECT 1\nGO x\nGOTO y\n", 1, 1}}},
  };
  for (const Case& c : cases) {
    std::vector<std::size_t> sizes = {kScriptPieceSize};
    for (std::size_t size = 1; size <= c.script.size(); ++size)
      sizes.push_back(size);
    for (std::size_t size : sizes)
      EXPECT_THAT(ReadAll(c.script, size), ::testing::ElementsAreArray(c.batches))
          << c.what << ", pieces of " << size;
  }
}

TEST(BatchReaderTest, ABadGoCountFailsAtItsLineWhereverThePiecesEnd) {
  const std::string script = "SELECT 1\nGO\nSELECT 2\nGO 10001\nSELECT 3\n";
  for (std::size_t size : {std::size_t{1}, std::size_t{4}, std::size_t{13}, kScriptPieceSize}) {
    TextScriptSource source(script);
    BatchReader reader(source, size);
    ScriptBatch batch;
    ASSERT_TRUE(reader.Next(&batch));
    try {
      reader.Next(&batch);
      ADD_FAILURE() << "no failure with pieces of " << size;
    } catch (const SqlError& e) {
      EXPECT_EQ(e.line(), 4) << size;
      EXPECT_EQ(e.message().number, 50000);
    }
  }
}

// A line longer than a piece is read by doubling what is asked for, so the reader asks for
// few pieces (a fixed piece size would rescan the line once per piece).
TEST(BatchReaderTest, ALongStringIsReadInFewPieces) {
  class CountingSource final : public ScriptSource {
   public:
    explicit CountingSource(std::string_view text) : inner_(text) {}
    std::size_t Read(char* out, std::size_t size) override {
      ++reads;
      return inner_.Read(out, size);
    }
    int reads = 0;

   private:
    TextScriptSource inner_;
  };
  const std::string value(1 << 20, 'x');
  const std::string script = "SELECT '" + value + "'\nGO\n";
  CountingSource source(script);
  BatchReader reader(source, 1024);
  ScriptBatch batch;
  ASSERT_TRUE(reader.Next(&batch));
  EXPECT_EQ(batch.text, "SELECT '" + value + "'\n");
  EXPECT_LT(source.reads, 20);  // 1 KiB doubled up to 1 MiB: 11 reads, not 1,024
  EXPECT_FALSE(reader.Next(&batch));
}

}  // namespace
}  // namespace korvane::embedded
