// The ODBC path, started for real against the installed driver manager and FreeTDS. No SQL
// Server runs here, so these tests cover finding the driver and every way a connection fails.
#include "db/odbc/odbc_backend.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "app/application_context.h"
#include "base/clock.h"
#include "db/data_access.h"
#include "db/data_access_check.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

using testing::RecordingUserInterface;
using testing::ScratchFolder;

// A loopback port: `listening` keeps a socket that accepts connections but never answers;
// otherwise the port is closed again, so nothing listens there.
class LoopbackPort {
 public:
  explicit LoopbackPort(bool listening) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    if (listening) {
      ::listen(fd_, 4);
    } else {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~LoopbackPort() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  std::string ServerName() const { return "127.0.0.1," + std::to_string(port_); }

 private:
  int fd_ = -1;
  int port_ = 0;
};

bool FreeTdsInstalled() {
  const auto drivers = InstalledSqlServerDrivers();
  return std::find(drivers.begin(), drivers.end(), "FreeTDS") != drivers.end();
}

TEST(OdbcDriverTest, TheFreeTdsDriverIsRegistered) {
  EXPECT_TRUE(FreeTdsInstalled()) << "scripts/install-deps installs tdsodbc";
}

TEST(OdbcDriverTest, PreferenceOrderAndOverride) {
  EXPECT_EQ(ChooseOdbcDriver({"FreeTDS", "ODBC Driver 17 for SQL Server"}, std::nullopt),
            "ODBC Driver 17 for SQL Server");
  EXPECT_EQ(ChooseOdbcDriver(
                {"FreeTDS", "ODBC Driver 17 for SQL Server", "ODBC Driver 18 for SQL Server"},
                std::nullopt),
            "ODBC Driver 18 for SQL Server");
  EXPECT_EQ(ChooseOdbcDriver({"FreeTDS"}, std::string("My Driver")), "My Driver");
  EXPECT_EQ(ChooseOdbcDriver({"SQL Server Native Client"}, std::nullopt), "");
}

class OdbcFailureTest : public ::testing::Test {
 protected:
  OdbcFailureTest()
      : context_(ComputeLocations(folder_ / "bin", folder_ / "p", Environment{}), ui_, clock_) {}

  void UseDriver(std::string name) {
    context_.backends.odbc_driver_available = !name.empty();
    context_.backends.odbc = std::make_shared<OdbcBackend>(OdbcDriverChoice{std::move(name), ""});
  }
  ServerRecord Server(std::string name) {
    ServerRecord record;
    record.Name = std::move(name);
    record.SQLAuth = true;
    record.LoginName = "sa";
    record.Password = "x;y}";
    return record;
  }

  ScratchFolder folder_;
  RecordingUserInterface ui_;
  ManualClock clock_;
  ApplicationContext context_;
};

TEST_F(OdbcFailureTest, RefusedConnectionFailsWithTheDriversText) {
  if (!FreeTdsInstalled())
    GTEST_SKIP() << "FreeTDS is not installed";
  UseDriver("FreeTDS");
  const LoopbackPort closed(/*listening=*/false);
  const RunCommandResult result =
      RunCommand(context_, Server(closed.ServerName()), CommandType::kText, "SELECT 1", "master");
  EXPECT_TRUE(result.failed());
  EXPECT_EQ(result.error_number, kGeneralError);
  // FreeTDS numbers its own messages, so they lose the bracket groups as the server's do.
  EXPECT_TRUE(result.error_description.starts_with("Unable to connect"))
      << result.error_description;
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.messages[0].text.starts_with(
      "Server connection failed.\r\n\r\nRun time error: -2147467259\r\nUnable to connect"));
  EXPECT_TRUE(ui_.messages[0].text.ends_with("Command failed: \r\n\r\nSELECT 1"));
}

TEST_F(OdbcFailureTest, SilentServerEndsAtTheLoginTimeout) {
  if (!FreeTdsInstalled())
    GTEST_SKIP() << "FreeTDS is not installed";
  OdbcBackend backend({"FreeTDS", ""});
  const LoopbackPort silent(/*listening=*/true);
  ConnectionRequest request;
  request.server = silent.ServerName();
  request.database = "master";
  request.sql_auth = true;
  request.login = "sa";
  request.login_timeout_seconds = 1;
  const OpenOutcome outcome = backend.Open(request);  // returns: the time-out is always set
  EXPECT_EQ(outcome.session, nullptr);
  ASSERT_FALSE(outcome.errors.empty());
  EXPECT_EQ(backend.IdleConnections(), 0u);
}

TEST_F(OdbcFailureTest, UnknownDriverIsACleanFailure) {
  UseDriver("No Such Driver 99");
  const LoopbackPort closed(false);
  context_.SuppressConnectionErrors = true;
  const RunCommandResult result =
      RunCommand(context_, Server(closed.ServerName()), CommandType::kText, "SELECT 1", "m");
  EXPECT_TRUE(result.failed());
  EXPECT_FALSE(result.error_description.empty());
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(OdbcFailureTest, NoDriverAtAll) {
  UseDriver("");
  EXPECT_FALSE(CheckDataAccess(context_, "realserver"));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, DataAccessMissingMessage());
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::kCritical);
  EXPECT_EQ(ui_.messages[0].title, kDataAccessMissingTitle);
  const RunCommandResult result =
      RunCommand(context_, Server("realserver"), CommandType::kText, "SELECT 1", "m");
  EXPECT_TRUE(result.failed());
  EXPECT_NE(result.error_description.find("apt install tdsodbc"), std::string::npos);
}

TEST_F(OdbcFailureTest, CheckDataAccessPassesWithADriver) {
  UseDriver("FreeTDS");
  EXPECT_TRUE(CheckDataAccess(context_, "realserver"));
  EXPECT_TRUE(ui_.messages.empty());
}

}  // namespace
}  // namespace korvane
