// Scripts read in pieces: the same outcome as the whole text, memory bounded by the largest
// batch, read errors failing the load.
#include <sstream>
#include <streambuf>

#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

using ::testing::ElementsAre;

// A message naming database `from` as it reads for database `to`.
std::string WithDatabase(std::string message, const std::string& from, const std::string& to) {
  for (std::size_t at = message.find(from); at != std::string::npos;
       at = message.find(from, at + to.size()))
    message.replace(at, from.size(), to);
  return message;
}

class StreamedLoadTest : public EmbeddedServerTest {
 protected:
  void SetUp() override { MakeServer("9.00.5000.00"); }

  ScriptLoadResult LoadStream(const std::string& database, std::istream& in,
                              std::size_t piece_size = kScriptPieceSize) {
    return LoadScript(scratch_.path() / "servers", server_name(), database, in, piece_size);
  }
  ScriptLoadResult LoadPieces(const std::string& database, const std::string& script,
                              std::size_t piece_size) {
    std::istringstream in(script);
    return LoadStream(database, in, piece_size);
  }
};

// Loading from pieces of any size gives what loading the whole text gives: the same rows, or
// the same failure at the same line, with nothing left of a failed script.
TEST_F(StreamedLoadTest, PiecesLoadAsTheWholeTextDoes) {
  const std::string table =
      "CREATE TABLE t (id int IDENTITY(1,1) PRIMARY KEY, s nvarchar(20) NOT NULL, "
      "n int NULL CHECK (n >= 0))\r\nGO\r\n";
  struct Case {
    const char* what;
    std::string script;
    bool loads;
    std::string check = "SELECT id, s, n FROM t ORDER BY id";
  };
  std::string long_batch;
  for (int i = 0; i < 40; ++i)
    long_batch +=
        "INSERT t (s, n)\nVALUES ('r" + std::to_string(i) + "', " + std::to_string(i) + ")\n";
  const std::vector<Case> cases = {
      {"rows over several batches",
       table + "INSERT t (s, n) VALUES (N'\xC3\xA9t\xC3\xA9', 1), ('a\r\nGO\r\nb', 2)\r\nGO 2\r\n"
               "INSERT t (s, n) VALUES ('x', NULL)\r\n",
       true},
      {"a duplicate key in the third batch",
       table + "SET IDENTITY_INSERT t ON\r\nGO\r\nINSERT t (id, s) VALUES (1, 'a')\r\nGO\r\n"
               "\r\nINSERT t (id, s) VALUES (2, 'b'),\r\n (1, 'c')\r\nGO\r\n",
       false},
      {"a check constraint",
       table + "INSERT t (s, n) VALUES ('a', 1)\nGO\nINSERT t (s, n)\nVALUES ('b', -1)\n", false},
      {"NULL into a NOT NULL column", table + "INSERT t (s) VALUES (NULL)", false},
      {"a syntax error after a long comment",
       table + "/* " + std::string(3000, '*') + " */\nINSERT t (s) VALUES ('a') WHERE\n", false},
      {"a byte-order mark", "\xEF\xBB\xBF" + table + "INSERT t (s) VALUES ('bom')\r\n", true},
      // One long batch, run a window at a time when the pieces are small.
      {"many statements in one batch", table + long_batch, true},
      {"a failing row deep in one batch",
       table + long_batch + "INSERT t (s, n) VALUES ('late',\n-5)\n" + long_batch, false},
      {"IF and ELSE over several lines",
       table + long_batch +
           "IF EXISTS (SELECT * FROM t WHERE n = 3)\n  INSERT t (s) VALUES ('yes')\n"
           "ELSE\n  INSERT t (s) VALUES ('no')\nIF 1 = 0\n  INSERT t (s) "
           "VALUES ('never')\nINSERT t (s) VALUES ('after')\n",
       true},
      {"a BEGIN ... END block",
       table +
           "BEGIN\n  INSERT t (s) VALUES ('a')\n  BEGIN\n    INSERT t (s) VALUES ('b')\n  "
           "END\nEND\nINSERT t (s) VALUES ('c')\n" +
           long_batch,
       true},
      {"a block left open", table + long_batch + "BEGIN\n  INSERT t (s) VALUES ('a')\n", false},
      {"a procedure opening its batch",
       table + "CREATE PROCEDURE p AS\n  SELECT 1\n  SELECT 2\n" + long_batch + "GO\nSELECT 3\n",
       true, "SELECT colid, text FROM syscomments ORDER BY colid"},
      {"a procedure after another statement",
       table + long_batch + "CREATE PROCEDURE p AS\n  SELECT 1\n", false},
      {"ALTER and COLUMN on lines of their own",
       table + long_batch + "ALTER TABLE t\nALTER\nCOLUMN s nvarchar(30) NOT NULL\n" + long_batch,
       false},
      {"a type and a table using it",
       table + "CREATE TYPE dbo.Code\nFROM varchar(10) NOT NULL\n" + long_batch +
           "CREATE TABLE u (c Code)\nINSERT u VALUES ('a')\n",
       true, "SELECT c FROM u"},
      {"parentheses left open in the batch's last statement",
       table + "INSERT t (s, n) VALUES ('a', 1)\nINSERT t (s, n) VALUES (('b'), 2IDENT(X t (s) "
               "VALUES (3)\n",
       false},
      {"an unclosed string after a failing statement",
       table + long_batch + "INSERT t (s) VALUES (NULL)\n" + long_batch +
           "INSERT t (s) VALUES ('open\n",
       false},
  };
  int round = 0;
  for (const Case& c : cases) {
    const std::string whole_db = "Whole" + std::to_string(round);
    const ScriptLoadResult whole = TryLoad(whole_db, c.script);
    for (std::size_t piece : {std::size_t{1}, std::size_t{4}, std::size_t{7}, std::size_t{64}}) {
      const std::string db = "Piece" + std::to_string(round) + "_" + std::to_string(piece);
      const ScriptLoadResult streamed = LoadPieces(db, c.script, piece);
      EXPECT_EQ(whole.ok, c.loads) << c.what << ": " << whole.message;
      EXPECT_EQ(streamed.ok, whole.ok) << c.what << ", pieces of " << piece;
      EXPECT_EQ(streamed.message, WithDatabase(whole.message, whole_db, db))
          << c.what << ", pieces of " << piece;
      EXPECT_EQ(streamed.line, whole.line) << c.what << ", pieces of " << piece;
      if (whole.ok)
        EXPECT_EQ(QueryRows(db, c.check), QueryRows(whole_db, c.check))
            << c.what << ", pieces of " << piece;
      else
        EXPECT_EQ(Run(db, "SELECT 1").errors.at(0).number, 4060) << c.what;
    }
    ++round;
  }
}

// Generates "-- <filler>\nINSERT t VALUES (n)\nGO\n" batches on the fly, so the test holds no
// more of the script than the loader asks for.
class GeneratedScript final : public std::streambuf {
 public:
  GeneratedScript(int batches, std::size_t filler) : batches_(batches), filler_(filler) {}

 protected:
  int_type underflow() override {
    if (next_ > batches_)
      return traits_type::eof();
    if (next_ == 0)
      piece_ = "CREATE TABLE t (n int NOT NULL PRIMARY KEY)\nGO\n";
    else
      piece_ = "-- " + std::string(filler_, 'x') + "\nINSERT t VALUES (" + std::to_string(next_) +
               ")\nGO\n";
    ++next_;
    setg(piece_.data(), piece_.data(), piece_.data() + piece_.size());
    return traits_type::to_int_type(piece_[0]);
  }

 private:
  int batches_;
  std::size_t filler_;
  int next_ = 0;
  std::string piece_;
};

TEST_F(StreamedLoadTest, HeldBytesDoNotGrowWithTheScript) {
  constexpr std::size_t kFiller = 60000;
  struct Case {
    int batches;  // 800 batches of 60 KB: a 48 MB script
  };
  for (const Case c : {Case{5}, Case{800}}) {
    GeneratedScript script(c.batches, kFiller);
    std::istream in(&script);
    const std::string db = "Rows" + std::to_string(c.batches);
    const ScriptLoadResult result = LoadStream(db, in);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_THAT(QueryRows(db, "SELECT COUNT(*), MAX(n) FROM t"),
                ElementsAre(std::to_string(c.batches) + "|" + std::to_string(c.batches)));
    // One batch and the piece read ahead, however many batches follow.
    EXPECT_GE(result.largest_buffer, kFiller) << c.batches;
    EXPECT_LE(result.largest_buffer, 2 * kScriptPieceSize + 2 * kFiller) << c.batches;
  }
}

// A stream that fails after `good` bytes, as a file on a failing disk does.
class FailingScript final : public std::streambuf {
 public:
  FailingScript(std::string text, std::size_t good) : text_(std::move(text)), good_(good) {}

 protected:
  int_type underflow() override {
    if (served_)
      throw std::ios_base::failure("read error");
    served_ = true;
    setg(text_.data(), text_.data(), text_.data() + good_);
    return traits_type::to_int_type(text_[0]);
  }

 private:
  std::string text_;
  std::size_t good_;
  bool served_ = false;
};

TEST_F(StreamedLoadTest, AReadErrorFailsTheLoadAndLeavesNothing) {
  const std::string script =
      "CREATE TABLE t (n int)\nGO\nINSERT t VALUES (1)\nGO\nINSERT t VALUES (2)\nGO\n";
  struct Case {
    std::size_t good;  // bytes read before the error
  };
  // In the middle of the second batch, right after its GO line, after the last byte.
  for (const Case c : {Case{30}, Case{49}, Case{script.size()}}) {
    FailingScript failing(script, c.good);
    std::istream in(&failing);
    const ScriptLoadResult result = LoadStream("Broken", in, 8);
    // Even when every byte came before the error: a failing stream is no end of the script.
    EXPECT_FALSE(result.ok) << c.good;
    EXPECT_EQ(result.error.text, "The script could not be read to its end.") << c.good;
    EXPECT_EQ(Run("Broken", "SELECT 1").errors.at(0).number, 4060) << c.good;
  }
}

TEST_F(StreamedLoadTest, ABadGoCountLeavesNoServerTheLoadMade) {
  const std::filesystem::path folder = scratch_.path() / "fresh";
  const ScriptLoadResult result =
      LoadScript(scratch_.path() / "servers", "embedded:" + folder.string(), "Shop",
                 "CREATE TABLE t (n int)\nGO\nINSERT t VALUES (1)\nGO 99999\n");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.line, 4);
  EXPECT_FALSE(std::filesystem::exists(folder));
  // A statement failing leaves the new server as it always did, without the database.
  EXPECT_FALSE(LoadScript(scratch_.path() / "servers", "embedded:" + folder.string(), "Shop",
                          "CREATE TABLE t (n int)\nGO\nNONSENSE\n")
                   .ok);
  EXPECT_TRUE(std::filesystem::exists(folder / "master.db"));
  EXPECT_FALSE(std::filesystem::exists(folder / "Shop.db"));
}

}  // namespace
}  // namespace korvane::testing
