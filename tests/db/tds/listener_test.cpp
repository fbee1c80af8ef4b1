// The listener on a real loopback port: many clients at once, each with its own session, and a
// stop that ends them all.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/tds/login7.h"
#include "db/tds/packet_channel.h"
#include "db/tds/tds_listener.h"
#include "support/scratch_folder.h"
#include "tds_harness.h"

namespace korvane::tds {
namespace {

int Connect(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  return fd;
}

// Sends one message and returns the reply's payload (empty when the server closed first).
Bytes Exchange(int fd, std::uint8_t type, const Bytes& payload) {
  PacketChannel channel(fd);
  EXPECT_TRUE(channel.Send(type, payload));
  Message reply;
  return channel.ReadMessage(&reply) == ReadStatus::kOk ? reply.payload : Bytes();
}

TEST(TdsListenerTest, ServesClientsAtOnceAndStopsThemAll) {
  testing::ScratchFolder scratch;
  const std::string server = "embedded:" + (scratch.path() / "srv").string();
  for (const char* database : {"one", "two"})
    ASSERT_TRUE(LoadScript(scratch.path() / "servers", server, database,
                           std::string("CREATE TABLE t (name nvarchar(10))\nGO\n"
                                       "INSERT INTO t VALUES (N'") +
                               database + "')")
                    .ok);
  EmbeddedBackend backend(scratch.path() / "servers");
  ServerOptions options;
  options.port = 0;
  options.server = server;
  options.login = "sa";
  options.password = "x";
  TdsListener listener(backend, options);
  std::string error;
  ASSERT_TRUE(listener.Start(&error)) << error;
  ASSERT_GT(listener.port(), 0);

  // Three clients logged in together, on two databases; each sees its own.
  std::vector<int> clients;
  const char* databases[] = {"one", "two", "one"};
  for (const char* database : databases) {
    const int fd = Connect(listener.port());
    Exchange(fd, kPacketPrelogin, testing::CapturePayload("freetds-tsql74_01_prelogin.bin"));
    const Bytes login =
        Exchange(fd, kPacketLogin7, testing::MakeLogin7("sa", "x", database, kTds72, 4096));
    EXPECT_EQ(testing::ReadTokens(login, kTds72).back(), "DONE 0x0000 0");
    clients.push_back(fd);
  }
  EXPECT_EQ(listener.ActiveConnections(), 3u);
  for (std::size_t k = 0; k < clients.size(); ++k) {
    const Bytes reply =
        Exchange(clients[k], kPacketBatch, testing::MakeBatch("select name from t"));
    EXPECT_EQ(testing::ReadTokens(reply, kTds72)[1], std::string("ROW ") + databases[k]);
  }

  listener.Stop();
  EXPECT_EQ(listener.ActiveConnections(), 0u);
  for (int fd : clients) {
    std::uint8_t byte;
    EXPECT_EQ(::recv(fd, &byte, 1, 0), 0);  // the server closed every connection
    ::close(fd);
  }
}

TEST(TdsListenerTest, RefusesAnAddressItCannotUse) {
  testing::ScratchFolder scratch;
  EmbeddedBackend backend(scratch.path() / "servers");
  ServerOptions options;
  options.listen_address = "no such host.invalid";
  TdsListener listener(backend, options);
  std::string error;
  EXPECT_FALSE(listener.Start(&error));
  EXPECT_NE(error.find("cannot listen on no such host.invalid"), std::string::npos) << error;
}

TEST(TdsListenerTest, KnowsLoopbackAddresses) {
  const std::pair<const char*, bool> cases[] = {
      {"127.0.0.1", true}, {"127.1.2.3", true}, {"::1", true},          {"localhost", true},
      {"0.0.0.0", false},  {"10.0.0.1", false}, {"example.com", false}, {"::", false}};
  for (const auto& [address, loopback] : cases)
    EXPECT_EQ(IsLoopbackAddress(address), loopback) << address;
}

}  // namespace
}  // namespace korvane::tds
