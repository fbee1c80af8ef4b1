#include "db/odbc/odbc_messages.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(OdbcMessagesTest, ServerMessagesLoseTheDriversPrefixes) {
  const struct {
    std::int32_t number;
    std::string text;
    std::string shown;
  } cases[] = {
      {208, "[FreeTDS][SQL Server]Invalid object name 'x'.", "Invalid object name 'x'."},
      {208, "[Microsoft][ODBC Driver 18 for SQL Server][SQL Server]Invalid object name 'x'.",
       "Invalid object name 'x'."},
      {50000, "Plain [text] with brackets later", "Plain [text] with brackets later"},
      {0, "[unixODBC][Driver Manager]Data source name not found",
       "[unixODBC][Driver Manager]Data source name not found"},
      {18456, "[FreeTDS][SQL Server]", "[FreeTDS][SQL Server]"},  // nothing left: kept
      {102, "[FreeTDS][SQL Server", "[SQL Server"},               // stops at a group left open
  };
  for (const auto& c : cases)
    EXPECT_EQ(ServerTextOf(c.number, c.text), c.shown) << c.text;
}

std::vector<std::int32_t> Numbers(const std::vector<ServerMessage>& messages) {
  std::vector<std::int32_t> numbers;
  for (const ServerMessage& m : messages)
    numbers.push_back(m.number);
  return numbers;
}

TEST(OdbcMessagesTest, DatabaseThatCannotBeOpenedIsNamedBeforeTheLoginFailure) {
  const ServerMessage changed{5701, 10, 1, "01000", "Changed database context"};
  const ServerMessage login_failed{18456, 14, 1, "28000", "Login failed"};
  const ServerMessage cannot_open{4060, 11, 1, "42000", "Cannot open database"};
  const ServerMessage default_db{4064, 11, 1, "42000", "Cannot open user default database"};
  const ServerMessage other{208, 16, 1, "42S02", "Invalid object name"};
  const struct {
    std::vector<ServerMessage> in;
    std::vector<std::int32_t> out;
  } cases[] = {
      {{login_failed, cannot_open}, {4060, 18456}},
      {{changed, login_failed, default_db}, {4064, 18456, 5701}},
      {{cannot_open, login_failed}, {4060, 18456}},
      {{login_failed}, {18456}},
      {{changed, other}, {208, 5701}},
      {{other, login_failed, changed, cannot_open}, {208, 4060, 18456, 5701}},
  };
  for (auto c : cases) {
    OrderDiagnostics(c.in);
    EXPECT_EQ(Numbers(c.in), c.out);
  }
}

}  // namespace
}  // namespace korvane
