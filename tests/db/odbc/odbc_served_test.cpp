// The ODBC backend through unixODBC and FreeTDS against `korvane-cli serve`: long values, logins
// the connection string must carry unchanged, connections the server drops or stalls, and the
// state a pooled connection must not carry from one command to the next.
#include <gtest/gtest.h>

#include "db/odbc/fake_browser.h"
#include "db/odbc/instance_lookup.h"
#include "db/odbc/served_backend_test_base.h"

namespace korvane {
namespace {

// 100,000 characters, some of them outside ASCII (two bytes each in UTF-8).
std::string LongText() {
  std::string text;
  for (int i = 0; i < 25000; ++i)
    text += i % 2 == 0 ? "ab\xC3\xA9z" : "0123";
  return text;
}

class OdbcServedTest : public testing::ServedBackendTestBase {
 protected:
  void SetUp() override {
    Load(
        "CREATE TABLE dbo.People (id int NOT NULL PRIMARY KEY, name nvarchar(40))\n"
        "CREATE TABLE dbo.Notes (id int NOT NULL PRIMARY KEY, body nvarchar(max))\n"
        "GO\nINSERT INTO dbo.People VALUES (1, N'Ann')\n"
        "INSERT INTO dbo.People VALUES (2, N'Bo')\n"
        "INSERT INTO dbo.People VALUES (3, N'Cy')\n"
        "INSERT INTO dbo.Notes VALUES (1, N'" +
        LongText() +
        "')\nGO\n"
        "CREATE PROCEDURE dbo.Shout @s nvarchar(10) OUTPUT AS\n"
        "  SET @s = @s + N'!'\n"
        "  RETURN 3\nGO\n");
  }
};

TEST_F(OdbcServedTest, LongTextIsNotCutAtTheServersDefaultTextSize) {
  Serve();
  const CommandOutcome outcome = Run("SELECT body FROM dbo.Notes WHERE id = 1");
  ASSERT_TRUE(outcome.ok) << (outcome.errors.empty() ? "" : outcome.errors[0].text);
  const Value body = Single(outcome);
  ASSERT_EQ(body.type(), ValueType::kText);
  EXPECT_EQ(body.AsText().size(), LongText().size());
  EXPECT_TRUE(body.AsText() == LongText());
}

TEST_F(OdbcServedTest, BracesInLoginAndPasswordReachTheServerUnchanged) {
  const struct {
    std::string login;
    std::string password;
  } cases[] = {
      {"te}ster", "p}w"},
      {"tester", "p}}w;x"},
      {"tester", "{pw"},
      {"{tester}", "a=b;c}"},
  };
  for (const auto& c : cases) {
    login_ = c.login;
    password_ = c.password;
    Serve();
    const CommandOutcome outcome = Run("SELECT COUNT(*) FROM dbo.People");
    EXPECT_EQ(Single(outcome), Value::Integer(3))
        << c.login << " / " << c.password << ": "
        << (outcome.errors.empty() ? "" : outcome.errors[0].text);
  }
}

TEST_F(OdbcServedTest, PasswordFreeTdsCannotCarryIsRefusedBeforeConnecting) {
  Serve();
  password_ = "a};b";
  const OpenOutcome open = backend_.Open(Request());
  EXPECT_EQ(open.session, nullptr);
  ASSERT_EQ(open.errors.size(), 1u);
  EXPECT_TRUE(open.errors[0].text.starts_with("The password holds \"};\"")) << open.errors[0].text;
}

TEST_F(OdbcServedTest, PooledConnectionTheServerDroppedNoLongerFailsTheNextCommand) {
  Serve();
  ASSERT_TRUE(Run("SELECT 1").ok);
  ASSERT_EQ(backend_.IdleConnections(), 1u);
  // The server goes away and comes back: the idle connection is dead, and the driver does not
  // know it yet.
  const int port = serve_->port();
  Serve("", port);
  const CommandOutcome outcome = Run("SELECT COUNT(*) FROM dbo.People");
  EXPECT_EQ(Single(outcome), Value::Integer(3))
      << (outcome.errors.empty() ? "" : outcome.errors[0].text);
  EXPECT_EQ(backend_.IdleConnections(), 1u);
}

TEST_F(OdbcServedTest, ConnectionDroppedMidResultFailsOnceAndTheNextCommandRecovers) {
  Serve("drop-after-rows=2");
  ASSERT_TRUE(Run("SELECT 1").ok);  // a pooled connection, so a retry would be possible
  const CommandOutcome dropped = Run("SELECT id FROM dbo.People ORDER BY id");
  EXPECT_FALSE(dropped.ok);
  EXPECT_FALSE(dropped.errors.empty());
  EXPECT_EQ(backend_.IdleConnections(), 0u);  // the dead connection was not pooled again
  EXPECT_EQ(Single(Run("SELECT COUNT(*) FROM dbo.People")), Value::Integer(3));
}

TEST_F(OdbcServedTest, StalledQueryEndsAtTheCommandTimeoutAndTheNextCommandRecovers) {
  Serve("stall-query-ms=2500");
  const CommandOutcome stalled = Run("SELECT COUNT(*) FROM dbo.People", 1);
  EXPECT_FALSE(stalled.ok);
  ASSERT_FALSE(stalled.errors.empty());
  EXPECT_EQ(stalled.errors[0].sqlstate, "HYT00") << stalled.errors[0].text;
  EXPECT_EQ(Single(Run("SELECT COUNT(*) FROM dbo.People", 30)), Value::Integer(3));
}

TEST_F(OdbcServedTest, StalledLoginEndsAtTheLoginTimeout) {
  Serve("stall-login-ms=10000");
  ConnectionRequest request = Request();
  request.login_timeout_seconds = 1;
  const OpenOutcome open = backend_.Open(request);
  EXPECT_EQ(open.session, nullptr);
  EXPECT_FALSE(open.errors.empty());
  EXPECT_EQ(backend_.IdleConnections(), 0u);
}

TEST_F(OdbcServedTest, BatchStartingWithAnUpdateOfNoRowsKeepsItsLaterResults) {
  Serve();
  const CommandOutcome outcome =
      Run("UPDATE dbo.People SET name = name WHERE id = 99; SELECT COUNT(*) FROM dbo.People");
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(Single(outcome), Value::Integer(3));
}

TEST_F(OdbcServedTest, ExactNumbersBelowOneKeepTheirLeadingZero) {
  Serve();
  const CommandOutcome outcome =
      Run("SELECT CAST(0.5 AS money), CAST(-0.25 AS decimal(5,2)), CAST(12.5 AS decimal(6,1))");
  ASSERT_TRUE(outcome.ok);
  ASSERT_EQ(outcome.result_sets.size(), 1u);
  EXPECT_EQ(outcome.result_sets[0].rows[0],
            (std::vector<Value>{Value::Decimal("0.5000"), Value::Decimal("-0.25"),
                                Value::Decimal("12.5")}));
}

TEST_F(OdbcServedTest, TextAndDateParametersArriveAsGiven) {
  Serve();
  const std::string text = "Zo\xC3\xAB \xF0\x9F\x98\x80";  // 5 characters, 6 UTF-16 units
  CommandRequest command;
  command.text = "SELECT ?, ?";
  command.parameters = {
      {"@t", ParameterType::kWideText, ParameterDirection::kInput, 6, Value::Text(text)},
      {"@d", ParameterType::kDate, ParameterDirection::kInput, 0,
       Value::DateTime({2024, 12, 31, 23, 59, 59, 999'600'000})}};
  const CommandOutcome outcome = Run(command);
  ASSERT_TRUE(outcome.ok) << (outcome.errors.empty() ? "" : outcome.errors[0].text);
  ASSERT_EQ(outcome.result_sets.size(), 1u);
  EXPECT_EQ(outcome.result_sets[0].rows[0][0], Value::Text(text));
  const Value date = outcome.result_sets[0].rows[0][1];
  ASSERT_EQ(date.type(), ValueType::kDateTime) << NullText(date);
  EXPECT_EQ(date.AsDateTime().year, 2025);  // rounded to the millisecond, into the next year
  EXPECT_EQ(date.AsDateTime().nanosecond, 0);
}

TEST_F(OdbcServedTest, OutputTextParameterComesBackInUtf8) {
  Serve();
  CommandRequest command;
  command.type = CommandType::kStoredProcedure;
  command.text = "dbo.Shout";
  command.parameters = {
      {"@RETURN_VALUE", ParameterType::kInteger, ParameterDirection::kReturnValue, 0, Value()},
      {"@s", ParameterType::kWideText, ParameterDirection::kInputOutput, 10,
       Value::Text("h\xC3\xA9")}};
  const CommandOutcome outcome = Run(command);
  ASSERT_TRUE(outcome.ok) << (outcome.errors.empty() ? "" : outcome.errors[0].text);
  ASSERT_EQ(outcome.parameter_values.size(), 2u);
  EXPECT_EQ(outcome.parameter_values[0], Value::Integer(3));
  EXPECT_EQ(outcome.parameter_values[1], Value::Text("h\xC3\xA9!"));
}

TEST_F(OdbcServedTest, NamedInstanceIsReachedThroughTheBrowserWithinTheLoginTimeout) {
  Serve();
  testing::FakeBrowser browser("SHOP", serve_->port());
  OdbcBackend backend({"FreeTDS", ""}, std::chrono::seconds(60), browser.port());
  ConnectionRequest request = Request();
  request.server = "127.0.0.1\\SHOP";
  const OpenOutcome open = backend.Open(request);
  ASSERT_NE(open.session, nullptr) << (open.errors.empty() ? "" : open.errors[0].text);
  CommandRequest command;
  command.text = "SELECT COUNT(*) FROM dbo.People";
  EXPECT_EQ(Single(open.session->Execute(command)), Value::Integer(3));
}

TEST_F(OdbcServedTest, NamedInstanceTheBrowserDoesNotKnowSaysSoAndSuggestsHostAndPort) {
  Serve();
  testing::FakeBrowser silent("", 0);
  OdbcBackend backend({"FreeTDS", ""}, std::chrono::seconds(60), silent.port());
  ConnectionRequest request = Request();
  request.server = "127.0.0.1\\SHOP";
  request.login_timeout_seconds = 1;
  const OpenOutcome open = backend.Open(request);
  EXPECT_EQ(open.session, nullptr);
  ASSERT_EQ(open.errors.size(), 1u);
  EXPECT_EQ(open.errors[0].text, InstanceNotFoundMessage("127.0.0.1", "SHOP", silent.port()));
}

TEST_F(OdbcServedTest, FailedWindowsLoginThroughFreeTdsSaysWhatItNeeds) {
  Serve();
  ConnectionRequest request = Request();
  request.sql_auth = false;
  const OpenOutcome open = backend_.Open(request);
  EXPECT_EQ(open.session, nullptr);
  ASSERT_FALSE(open.errors.empty());
  EXPECT_NE(open.errors[0].text.find("needs a Kerberos ticket (run kinit"), std::string::npos)
      << open.errors[0].text;
}

TEST_F(OdbcServedTest, PooledConnectionIsNeverHandedToAnotherPassword) {
  Serve();
  ASSERT_TRUE(Run("SELECT 1").ok);
  ASSERT_EQ(backend_.IdleConnections(), 1u);
  password_ = "wrong";
  const CommandOutcome outcome = Run("SELECT 1");
  EXPECT_FALSE(outcome.ok);
  ASSERT_FALSE(outcome.errors.empty());
  EXPECT_EQ(outcome.errors[0].number, 18456);
  EXPECT_EQ(backend_.IdleConnections(), 1u);  // the right password's connection still waits
}

TEST_F(OdbcServedTest, UseInOneCommandIsNotSeenByTheNext) {
  Serve();
  ASSERT_TRUE(Run("USE master").ok);
  EXPECT_EQ(backend_.IdleConnections(), 1u);  // put back after the reset, not closed
  EXPECT_EQ(Single(Run("SELECT DB_NAME()")), Value::Text("Shop"));
}

TEST_F(OdbcServedTest, ConnectionThatRanATransactionIsResetAndPooled) {
  Serve();
  ASSERT_TRUE(Run("BEGIN TRANSACTION").ok);
  EXPECT_EQ(backend_.IdleConnections(), 1u);
  EXPECT_EQ(Single(Run("SELECT @@TRANCOUNT")), Value::Integer(0));
}

}  // namespace
}  // namespace korvane
