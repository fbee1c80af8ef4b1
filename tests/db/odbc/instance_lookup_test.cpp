#include "db/odbc/instance_lookup.h"

#include <gtest/gtest.h>

#include "db/odbc/fake_browser.h"

namespace korvane {
namespace {

std::string Reply(const std::string& data) {
  std::string reply(1, '\x05');
  reply += static_cast<char>(data.size() & 0xFF);
  reply += static_cast<char>(data.size() >> 8);
  return reply + data;
}

TEST(InstanceLookupTest, TcpPortIsReadFromTheBrowsersReply) {
  const struct {
    std::string reply;
    std::optional<int> port;
  } cases[] = {
      {Reply("ServerName;BOX;InstanceName;SHOP;IsClustered;No;Version;15.0.2000.5;tcp;1533;;"),
       1533},
      {Reply("ServerName;BOX;InstanceName;SHOP;IsClustered;No;np;\\\\BOX\\pipe\\sql;tcp;49172;;"),
       49172},
      {Reply("ServerName;BOX;InstanceName;SHOP;IsClustered;No;Version;15.0;np;\\\\BOX\\p;;"),
       std::nullopt},  // named pipes only
      {Reply("ServerName;BOX;tcp;99999;;"), std::nullopt},
      {Reply("ServerName;BOX;tcp;12x;;"), std::nullopt},
      {"\x04SHOP", std::nullopt},  // not a reply
      {"", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TcpPortOfBrowserReply(c.reply), c.port) << c.reply;
}

TEST(InstanceLookupTest, BrowserIsAskedForTheNamedInstance) {
  testing::FakeBrowser browser("SHOP", 4242);
  EXPECT_EQ(LookUpInstancePort("127.0.0.1", "SHOP", std::chrono::seconds(5), browser.port()), 4242);
  EXPECT_EQ(browser.last_request(), std::string("\x04SHOP", 5) + '\0');
}

TEST(InstanceLookupTest, NoAnswerEndsWithinTheWait) {
  testing::FakeBrowser silent("", 0);  // answers nothing
  EXPECT_EQ(LookUpInstancePort("127.0.0.1", "SHOP", std::chrono::milliseconds(200), silent.port()),
            std::nullopt);
}

TEST(InstanceLookupTest, MessageSuggestsTheHostAndPortForm) {
  EXPECT_EQ(InstanceNotFoundMessage("box", "SHOP"),
            "The SQL Server Browser on box (UDP port 1434) does not answer for the instance "
            "SHOP. Start it, or give the server as box,PORT with the instance's TCP port.");
}

}  // namespace
}  // namespace korvane
