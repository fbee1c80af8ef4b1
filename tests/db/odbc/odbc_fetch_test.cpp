// How the ODBC backend reads rows through unixODBC and FreeTDS from `korvane-cli serve`: text
// as UTF-16 converted by the program, blocks of bound rows, long values in pieces, and the
// streaming cursor with its failures (a dropped connection, a time-out, a cancel, a cursor left
// early).
#include <gtest/gtest.h>

#include <atomic>
#include <optional>

#include "db/odbc/served_backend_test_base.h"

namespace korvane {
namespace {

// "'" doubled, for a T-SQL literal.
std::string Quoted(const std::string& text) {
  std::string out;
  for (char c : text)
    out += c == '\'' ? std::string("''") : std::string(1, c);
  return out;
}

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i)
    text += piece;
  return text;
}

const std::string kGrinning = "\xF0\x9F\x98\x80";  // U+1F600: a surrogate pair in UTF-16
const std::string kClef = "\xF0\x9D\x84\x9E";      // U+1D11E

// A text value of each kind the Texts table holds: for nvarchar columns and for varchar ones
// (whose code page holds Latin-1 letters, not every character). nullopt: Null.
struct TextCase {
  std::string label;
  std::optional<std::string> wide;
  std::optional<std::string> narrow;
  std::optional<std::string> wide_long;
  std::optional<std::string> narrow_long;
};

std::vector<TextCase> TextCases() {
  // 100,000 characters; with a pair across every 4-unit step, one pair straddles the end of
  // the first 8 KB piece the reader asks for.
  const std::string wide_long = Repeat("ab" + kGrinning, 33333) + "a";
  const std::string narrow_long = Repeat("caf\xC3\xA9-", 20000);
  return {
      {"null", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
      {"empty", "", "", "", ""},
      {"ascii", "plain", "plain", "plain", "plain"},
      {"latin",
       "Gr\xC3\xBC\xC3\x9F"
       "e",
       "Gr\xC3\xBC\xC3\x9F"
       "e",
       "Gr\xC3\xBC\xC3\x9F"
       "e",
       "caf\xC3\xA9"},
      {"beyond the BMP", "x" + kGrinning + " " + kClef + "y", "Ann", kGrinning + kClef, "Bo"},
      {"blanks kept", "  a  ", "b  ", " ", "  "},
      {"long", "\xE6\x97\xA5\xE6\x9C\xAC", "long", wide_long, narrow_long},
  };
}

std::string Literal(const std::optional<std::string>& value, bool wide) {
  return value ? (wide ? "N'" : "'") + Quoted(*value) + "'" : "NULL";
}

Value Expected(const std::optional<std::string>& value) {
  return value ? Value::Text(*value) : Value::Null();
}

constexpr int kManyRows = 2345;  // two blocks of 1,000 rows and part of a third

// Row `i` of the Many table, as the script inserts it and the backend must give it back.
std::vector<Value> ManyRow(int i) {
  const bool odd = i % 3 == 0;
  const std::string label = "row " + std::to_string(i) + (odd ? " \xC3\xA9" + kGrinning : "");
  const std::string amount = std::to_string(i * 7 / 100) + "." + (i * 7 % 100 < 10 ? "0" : "") +
                             std::to_string(i * 7 % 100);
  return {Value::Integer(i), i % 7 == 0 ? Value::Null() : Value::Text(label),
          Value::Decimal(amount),
          i % 5 == 0 ? Value::Null() : Value::DateTime({2024, 3, 7, 10, i % 60, 0, 0})};
}

std::string ManyInsert(int i) {
  const std::vector<Value> row = ManyRow(i);
  const auto text = [](const Value& v) {
    return v.is_null() ? std::string("NULL") : "N'" + Quoted(v.AsText()) + "'";
  };
  const auto made = [](const Value& v) {
    return v.is_null() ? std::string("NULL") : "'" + NullText(v) + "'";
  };
  return "INSERT INTO dbo.Many VALUES (" + std::to_string(i) + ", " + text(row[1]) + ", " +
         row[2].AsDecimalDigits() + ", " + made(row[3]) + ")\n";
}

class OdbcFetchTest : public testing::ServedBackendTestBase {
 protected:
  void SetUp() override {
    std::string script =
        "CREATE TABLE dbo.Texts (id int NOT NULL PRIMARY KEY, n nvarchar(50) NULL, "
        "v varchar(50) NULL, nmax nvarchar(max) NULL, vmax varchar(max) NULL, nt ntext NULL, "
        "t text NULL)\n"
        "CREATE TABLE dbo.Many (id int NOT NULL PRIMARY KEY, label nvarchar(20) NULL, "
        "amount decimal(9,2) NOT NULL, made datetime NULL)\n"
        "CREATE TABLE dbo.AllTypes (c_int int NULL, c_tinyint tinyint NULL, c_smallint smallint "
        "NULL, c_bigint bigint NULL, c_bit bit NULL, c_decimal decimal(10,2) NULL, c_numeric "
        "numeric(18,4) NULL, c_money money NULL, c_smallmoney smallmoney NULL, c_float float "
        "NULL, c_real real NULL, c_datetime datetime NULL, c_smalldatetime smalldatetime NULL, "
        "c_char char(5) NULL, c_varchar varchar(20) NULL, c_nchar nchar(5) NULL, c_nvarchar "
        "nvarchar(20) NULL, c_text text NULL, c_ntext ntext NULL, c_binary binary(4) NULL, "
        "c_varbinary varbinary(10) NULL, c_image image NULL, c_guid uniqueidentifier NULL)\n"
        "GO\n"
        "INSERT INTO dbo.AllTypes VALUES (-7, 255, -300, 9000000000, 1, -12345678.91, "
        "12345.6789, 123456.7891, -214748.3648, 0.25, 1.5, '2024-02-29 13:45:30.123', "
        "'2024-02-29 13:46:00', 'ab', 'caf\xC3\xA9', N'\xE6\x97\xA5', N'Gr\xC3\xBC\xC3\x9F"
        "e', "
        "'long text', N'\xC3\x9Cn\xC3\xAF', 0x01020304, 0x0A1B, 0xFFEE, "
        "'6f9619ff-8b86-d011-b42d-00c04fc964ff')\n"
        "INSERT INTO dbo.AllTypes (c_int) VALUES (NULL)\n";
    const std::vector<TextCase> cases = TextCases();
    for (std::size_t i = 0; i < cases.size(); ++i) {
      const TextCase& c = cases[i];
      script += "INSERT INTO dbo.Texts VALUES (" + std::to_string(i) + ", " +
                Literal(c.wide, true) + ", " + Literal(c.narrow, false) + ", " +
                Literal(c.wide_long, true) + ", " + Literal(c.narrow_long, false) + ", " +
                Literal(c.wide_long, true) + ", " + Literal(c.narrow_long, false) + ")\n";
    }
    for (int i = 1; i <= kManyRows; ++i)
      script += ManyInsert(i);
    script += "GO\n";
    Load(script);
    Serve();
  }

  CommandRequest Command(const std::string& sql, int timeout_seconds = 30) const {
    CommandRequest command;
    command.text = sql;
    command.timeout_seconds = timeout_seconds;
    return command;
  }

  // Every row of a cursor as values; `errors` gets what it reported at the end.
  static std::vector<std::vector<Value>> Drain(RowCursor& cursor,
                                               std::vector<ServerMessage>* errors = nullptr) {
    std::vector<std::vector<Value>> rows;
    while (cursor.Next()) {
      std::vector<Value>& row = rows.emplace_back();
      for (std::size_t c = 0; c < cursor.Columns().size(); ++c)
        row.push_back(ToValue(cursor.Field(static_cast<int>(c))));
    }
    if (errors != nullptr)
      *errors = cursor.Errors();
    return rows;
  }

  // The rows of `sql` read both ways, on sessions of their own: whole by Execute, and through
  // a cursor; each must have succeeded.
  void ReadBothWays(const std::string& sql, std::vector<std::vector<Value>>& executed,
                    std::vector<std::vector<Value>>& streamed) {
    ReadBothWays(backend_, sql, executed, streamed);
  }
  void ReadBothWays(OdbcBackend& backend, const std::string& sql,
                    std::vector<std::vector<Value>>& executed,
                    std::vector<std::vector<Value>>& streamed) {
    OpenOutcome open = backend.Open(Request());
    ASSERT_TRUE(open.session) << FirstError(open.errors);
    const CommandOutcome outcome = open.session->Execute(Command(sql));
    ASSERT_TRUE(outcome.ok) << FirstError(outcome.errors);
    ASSERT_EQ(outcome.result_sets.size(), 1u);
    executed = outcome.result_sets[0].rows;
    open = backend.Open(Request());
    ASSERT_TRUE(open.session) << FirstError(open.errors);
    CursorOutcome cursor = open.session->OpenCursor(Command(sql));
    ASSERT_TRUE(cursor.cursor) << FirstError(cursor.errors);
    EXPECT_EQ(cursor.cursor->Columns().size(), outcome.result_sets[0].columns.size());
    std::vector<ServerMessage> errors;
    streamed = Drain(*cursor.cursor, &errors);
    EXPECT_TRUE(errors.empty()) << FirstError(errors);
  }
};

TEST_F(OdbcFetchTest, TextsComeBackAsStoredWhetherBoundInBlocksOrReadInPieces) {
  const std::vector<TextCase> cases = TextCases();
  // n and v alone are bound in blocks; with the long columns every row is read in pieces.
  const struct {
    std::string sql;
    std::vector<std::optional<std::string> TextCase::*> members;
  } queries[] = {
      {"SELECT n, v FROM dbo.Texts ORDER BY id", {&TextCase::wide, &TextCase::narrow}},
      {"SELECT n, nmax, v, vmax, nt, t FROM dbo.Texts ORDER BY id",
       {&TextCase::wide, &TextCase::wide_long, &TextCase::narrow, &TextCase::narrow_long,
        &TextCase::wide_long, &TextCase::narrow_long}},
  };
  for (const auto& query : queries) {
    SCOPED_TRACE(query.sql);
    std::vector<std::vector<Value>> executed;
    std::vector<std::vector<Value>> streamed;
    ASSERT_NO_FATAL_FAILURE(ReadBothWays(query.sql, executed, streamed));
    ASSERT_EQ(executed.size(), cases.size());
    ASSERT_EQ(streamed.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
      for (std::size_t c = 0; c < query.members.size(); ++c) {
        const Value expected = Expected(cases[i].*query.members[c]);
        // Compared as booleans first: a 100,000-character mismatch would flood the log.
        EXPECT_TRUE(executed[i][c] == expected)
            << cases[i].label << ", column " << c << ": " << NullText(executed[i][c]).size()
            << " bytes, expected " << NullText(expected).size();
        EXPECT_TRUE(streamed[i][c] == expected) << cases[i].label << ", column " << c;
      }
    }
  }
}

TEST_F(OdbcFetchTest, RowsAcrossSeveralBlocksComeBackInOrderWithTheirNulls) {
  // Blocks of the default size, of 8 rows (the last one partly filled), and single rows.
  for (const std::size_t block : {kMostRowsPerFetch, std::size_t{8}, std::size_t{1}}) {
    SCOPED_TRACE("blocks of " + std::to_string(block));
    OdbcBackend backend({"FreeTDS", ""}, std::chrono::seconds(60), 1434, block);
    std::vector<std::vector<Value>> executed;
    std::vector<std::vector<Value>> streamed;
    ASSERT_NO_FATAL_FAILURE(ReadBothWays(
        backend, "SELECT id, label, amount, made FROM dbo.Many ORDER BY id", executed, streamed));
    ASSERT_EQ(executed.size(), static_cast<std::size_t>(kManyRows));
    ASSERT_EQ(streamed.size(), static_cast<std::size_t>(kManyRows));
    int wrong = 0;
    for (int i = 1; i <= kManyRows && wrong < 5; ++i) {
      const std::vector<Value> expected = ManyRow(i);
      if (executed[i - 1] != expected || streamed[i - 1] != expected) {
        ++wrong;
        ADD_FAILURE() << "row " << i << ": " << NullText(executed[i - 1][1]) << " / "
                      << NullText(streamed[i - 1][1]) << " / " << NullText(executed[i - 1][2]);
      }
    }
  }
}

TEST_F(OdbcFetchTest, EveryTypeReadsTheSameThroughTheCursorAsThroughExecute) {
  std::vector<std::vector<Value>> executed;
  std::vector<std::vector<Value>> streamed;
  ASSERT_NO_FATAL_FAILURE(
      ReadBothWays("SELECT * FROM dbo.AllTypes ORDER BY c_int DESC", executed, streamed));
  ASSERT_EQ(executed.size(), 2u);
  EXPECT_EQ(streamed, executed);
  std::string texts;
  for (const Value& value : executed[0])
    texts += NullText(value) + "|";
  EXPECT_EQ(texts,
            "-7|255|-300|9000000000|True|-12345678.91|12345.6789|123456.7891|-214748.3648|0.25|"
            "1.5|2024-02-29 13:45:30.123|2024-02-29 13:46:00|ab   |caf\xC3\xA9|\xE6\x97\xA5    |"
            "Gr\xC3\xBC\xC3\x9F"
            "e|long text|\xC3\x9Cn\xC3\xAF|0x01020304|0x0A1B|0xFFEE|"
            "6F9619FF-8B86-D011-B42D-00C04FC964FF|");
  for (const Value& value : executed[1])
    EXPECT_TRUE(value.is_null()) << NullText(value);
}

TEST_F(OdbcFetchTest, CursorOfACommandWithoutRowsIsEmptyAndClean) {
  OpenOutcome open = backend_.Open(Request());
  ASSERT_TRUE(open.session);
  CursorOutcome cursor =
      open.session->OpenCursor(Command("UPDATE dbo.Many SET label = label WHERE id = -1"));
  ASSERT_TRUE(cursor.cursor) << FirstError(cursor.errors);
  EXPECT_TRUE(cursor.cursor->Columns().empty());
  EXPECT_FALSE(cursor.cursor->Next());
  EXPECT_TRUE(cursor.cursor->Errors().empty());
}

TEST_F(OdbcFetchTest, FailingBatchIsNeverReadAsComplete) {
  OpenOutcome open = backend_.Open(Request());
  ASSERT_TRUE(open.session);
  CursorOutcome cursor = open.session->OpenCursor(
      Command("SELECT id FROM dbo.Many WHERE id < 3; SELECT * FROM dbo.NoSuchTable"));
  std::vector<ServerMessage> errors = cursor.errors;
  if (cursor.cursor)
    Drain(*cursor.cursor, &errors);
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors[0].number, 208) << FirstError(errors);
}

TEST_F(OdbcFetchTest, ConnectionDroppedMidStreamEndsTheCursorWithTheErrorOnce) {
  Serve("drop-after-rows=1500");
  {
    OpenOutcome open = backend_.Open(Request());
    ASSERT_TRUE(open.session);
    CursorOutcome cursor = open.session->OpenCursor(Command("SELECT id FROM dbo.Many ORDER BY id"));
    ASSERT_TRUE(cursor.cursor) << FirstError(cursor.errors);
    std::vector<ServerMessage> errors;
    const auto rows = Drain(*cursor.cursor, &errors);
    EXPECT_LE(rows.size(), 1500u);
    for (std::size_t i = 0; i < rows.size(); ++i)
      ASSERT_EQ(rows[i][0], Value::Integer(static_cast<std::int64_t>(i) + 1));
    ASSERT_FALSE(errors.empty());
    // FreeTDS says "Unexpected EOF from the server" (20017).
    EXPECT_FALSE(errors[0].text.empty());
    // Asked again, the cursor stays at its end and says the same, once.
    EXPECT_FALSE(cursor.cursor->Next());
    EXPECT_EQ(cursor.cursor->Errors().size(), errors.size());
  }
  EXPECT_EQ(backend_.IdleConnections(), 0u);  // the broken connection was not pooled
  EXPECT_EQ(Single(Run("SELECT COUNT(*) FROM dbo.Many")), Value::Integer(kManyRows));
}

TEST_F(OdbcFetchTest, CursorStalledPastTheCommandTimeoutFailsAndTheNextCommandRecovers) {
  Serve("stall-query-ms=2500");
  {
    OpenOutcome open = backend_.Open(Request());
    ASSERT_TRUE(open.session);
    const CursorOutcome cursor = open.session->OpenCursor(Command("SELECT id FROM dbo.Many", 1));
    EXPECT_FALSE(cursor.cursor);
    ASSERT_FALSE(cursor.errors.empty());
    EXPECT_EQ(cursor.errors[0].sqlstate, "HYT00") << FirstError(cursor.errors);
  }
  EXPECT_EQ(Single(Run("SELECT COUNT(*) FROM dbo.Many")), Value::Integer(kManyRows));
}

TEST_F(OdbcFetchTest, CursorEndedEarlyLeavesItsSessionUsableAndPooled) {
  // Stopped by the cancel flag, left after a few rows, or overtaken by another command on
  // its session: the session answers the next command and goes back to the pool.
  enum class Ending { kCancelFlag, kLeftEarly, kAnotherCommand };
  for (const Ending ending : {Ending::kCancelFlag, Ending::kLeftEarly, Ending::kAnotherCommand}) {
    SCOPED_TRACE(static_cast<int>(ending));
    const std::size_t idle_before = backend_.IdleConnections();
    {
      OpenOutcome open = backend_.Open(Request());
      ASSERT_TRUE(open.session);
      std::atomic<bool> cancel{false};
      CommandRequest command = Command("SELECT id, label FROM dbo.Many ORDER BY id");
      command.cancel = &cancel;
      CursorOutcome cursor = open.session->OpenCursor(command);
      ASSERT_TRUE(cursor.cursor) << FirstError(cursor.errors);
      for (int i = 1; i <= 10; ++i) {
        ASSERT_TRUE(cursor.cursor->Next());
        ASSERT_EQ(ToValue(cursor.cursor->Field(0)), Value::Integer(i));
      }
      if (ending == Ending::kCancelFlag) {
        cancel = true;
        EXPECT_FALSE(cursor.cursor->Next());
        ASSERT_FALSE(cursor.cursor->Errors().empty());
        EXPECT_EQ(cursor.cursor->Errors()[0].sqlstate, "HY008");
      } else if (ending == Ending::kLeftEarly) {
        cursor.cursor.reset();
      }
      const CommandOutcome next = open.session->Execute(Command("SELECT COUNT(*) FROM dbo.Many"));
      EXPECT_EQ(Single(next), Value::Integer(kManyRows)) << FirstError(next.errors);
      if (ending == Ending::kAnotherCommand) {
        // The cursor overtaken says so rather than pass for one read to its end.
        EXPECT_FALSE(cursor.cursor->Next());
        ASSERT_FALSE(cursor.cursor->Errors().empty());
        EXPECT_EQ(cursor.cursor->Errors()[0].sqlstate, "HY010");
      }
    }
    EXPECT_EQ(backend_.IdleConnections(), std::max<std::size_t>(idle_before, 1));
  }
}

}  // namespace
}  // namespace korvane
