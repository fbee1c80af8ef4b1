// What a TDS listener serves and how: the embedded server behind it, the one login it accepts,
// the address it listens on, and the fault hooks the tests switch on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace korvane::tds {

class TlsContext;

// Faults on demand, for tests of clients' failure paths. All off by default.
struct TestHooks {
  // Close the connection after sending this many rows of a result (negative: never).
  int drop_after_rows = -1;
  // Wait this long before sending the login reply.
  int stall_login_ms = 0;
  // Wait this long before running each batch or procedure call (an attention ends the wait).
  int stall_query_ms = 0;
};

// Reads "drop-after-rows=N,stall-login-ms=N,stall-query-ms=N" (any subset); false on a part
// it does not know.
bool ParseTestHooks(const std::string& text, TestHooks* hooks);

struct ServerOptions {
  std::string listen_address = "127.0.0.1";
  int port = 1433;           // 0: any free port
  std::string server;        // the backend's server name ("embedded:demo")
  std::string server_label;  // the server name in messages to clients
  std::string product_version = "9.00.5000.00";
  std::string login;
  std::string password;
  // A client that has not logged in by then is disconnected.
  int login_timeout_seconds = 30;
  std::uint32_t default_packet_size = 4096;
  // Set: TLS 1.2 is offered in PRELOGIN and clients that cannot encrypt are refused.
  std::shared_ptr<const TlsContext> tls;
  TestHooks hooks;
};

}  // namespace korvane::tds
