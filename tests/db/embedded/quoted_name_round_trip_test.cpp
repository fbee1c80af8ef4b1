// Names built from the characters that end identifiers, literals, statements and comments, put
// into SQL by the quoting function and run on the embedded server: each must stay one
// identifier naming one table.
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "base/text.h"
#include "catalog/sql_names.h"
#include "embedded_fixture.h"

namespace korvane {
namespace {

class QuotedNameRoundTripTest : public testing::EmbeddedServerTest {};

// A name of 1 to 12 characters from the hostile alphabet; the generator's output sequence is
// fixed by the standard for a given seed, so every run builds the same names.
std::string HostileName(std::mt19937& random) {
  static constexpr std::string_view kAlphabet = "[]';-.\"\r\n";
  const std::size_t length = 1 + random() % 12;
  std::string name;
  for (std::size_t i = 0; i < length; ++i)
    name += kAlphabet[random() % kAlphabet.size()];
  return name;
}

// One batch per name: every statement names the table only through QuoteName (the catalogue
// look-up through EscapeSqlLiteral); its three result sets are the catalogue count, COUNT(*)
// and the row. The tables are made 25 to a batch.
TEST_F(QuotedNameRoundTripTest, RandomHostileNamesStayOneIdentifier) {
  MakeServer("9.00.5000.00");
  Load("fuzz", "CREATE TABLE victim (x int)\r\nGO\r\nINSERT INTO victim VALUES (7)\r\n");
  std::mt19937 random(20261206);
  std::set<std::string> unique;  // names differ in these characters only, so case cannot clash
  std::vector<std::string> names;
  while (names.size() < 1000) {
    std::string name = HostileName(random);
    if (unique.insert(name).second)
      names.push_back(std::move(name));
  }
  for (std::size_t first = 0; first < names.size(); first += 25) {
    std::string batch;
    for (std::size_t i = first; i < first + 25; ++i) {
      const std::string quoted = QuoteName(names[i]);
      batch += "CREATE TABLE " + quoted + " (id int)\r\nINSERT INTO " + quoted + " (id) VALUES (" +
               std::to_string(i) + ")\r\n";
    }
    const CommandOutcome created = Run("fuzz", batch);
    ASSERT_TRUE(created.ok) << (created.errors.empty() ? "?" : created.errors[0].text) << "\nin "
                            << batch;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string quoted = QuoteName(names[i]);
    SCOPED_TRACE(quoted);
    EXPECT_TRUE(IsBracketedName(quoted));
    EXPECT_EQ(BracketName(quoted), quoted);
    EXPECT_EQ(UnbracketName(quoted), names[i]);
    // A raw text is kept only when it is already well-formed; whatever comes out is one
    // identifier (or a schema.name pair), never a text that closes a bracket early.
    EXPECT_TRUE(IsBracketedName(BracketName(names[i])));
    const CommandOutcome found =
        Run("fuzz", "SELECT COUNT(*) FROM sysobjects WHERE xtype = 'U' AND name = N'" +
                        EscapeSqlLiteral(names[i]) + "'\r\nSELECT COUNT(*) AS n FROM " + quoted +
                        "\r\nSELECT id FROM " + quoted);
    ASSERT_TRUE(found.ok) << (found.errors.empty() ? "?" : found.errors[0].text);
    ASSERT_EQ(found.result_sets.size(), 3u);
    EXPECT_EQ(Rows(found.result_sets[0]), std::vector<std::string>{"1"});
    EXPECT_EQ(Rows(found.result_sets[1]), std::vector<std::string>{"1"});
    EXPECT_EQ(Rows(found.result_sets[2]), std::vector<std::string>{std::to_string(i)});
    if (HasFailure())
      break;  // one name's trace is enough to find the fault
  }
  // Nothing but the tables made: no statement slipped out of a name.
  EXPECT_EQ(QueryRows("fuzz", "SELECT COUNT(*) FROM sysobjects WHERE xtype = 'U'"),
            std::vector<std::string>{"1001"});
  EXPECT_EQ(QueryRows("fuzz", "SELECT x FROM victim"), std::vector<std::string>{"7"});
}

}  // namespace
}  // namespace korvane
