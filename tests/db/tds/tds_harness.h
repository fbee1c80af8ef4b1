// Test helpers for the TDS listener: recorded client and server packets, and one connection
// served on a thread over a socket pair, driven from the test as a client would.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "db/backend.h"
#include "db/tds/server_options.h"
#include "db/tds/tds_bytes.h"

namespace korvane::testing {

// The bytes of a recorded file in tests/db/tds/captures (packet headers included).
tds::Bytes Capture(const std::string& name);
// The payloads of every packet of a recorded file, joined (one message).
tds::Bytes CapturePayload(const std::string& name);
// Bytes as upper-case hex pairs separated by blanks, for readable failures.
std::string HexText(const tds::Bytes& bytes);

// A message as the test client received it.
struct Received {
  std::uint8_t type = 0;
  tds::Bytes payload;
  std::size_t packets = 0;
  std::size_t largest_packet = 0;
  bool ended = false;  // the last packet had end-of-message set
};

class ServedConnection {
 public:
  ServedConnection(DatabaseBackend& backend, tds::ServerOptions options);
  ~ServedConnection();  // closes the client side and waits for the server thread

  // Sends a recorded file's packets as they are.
  void SendRaw(const tds::Bytes& bytes);
  // Sends `payload` as packets of `type` of at most `packet_size` bytes.
  void Send(std::uint8_t type, const tds::Bytes& payload, std::size_t packet_size = 4096);
  // The next message; `ended` false when the server closed the connection before its end.
  Received Receive();
  // True when the server closed its side (reads give end of file).
  bool ServerClosed();
  // Logs in with a LOGIN7 built for these values (after a PRELOGIN); the login reply.
  Received Login(const std::string& user, const std::string& password, const std::string& database,
                 std::uint32_t tds_version = 0x74000004, std::uint32_t packet_size = 4096);

 private:
  int client_fd_ = -1;
  int server_fd_ = -1;
  tds::ServerOptions options_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// A LOGIN7 payload for these values (TDS 7.2+ layout, password scrambled).
tds::Bytes MakeLogin7(const std::string& user, const std::string& password,
                      const std::string& database, std::uint32_t tds_version,
                      std::uint32_t packet_size);
// A SQL batch payload: ALL_HEADERS (for 7.2+) and the UTF-16 text.
tds::Bytes MakeBatch(const std::string& sql, bool all_headers = true);

// The tokens of a response, read as a client would, rendered as short texts:
//   "COLMETADATA 2", "ROW 1|Grüße", "DONE 0x0010 2", "DONEINPROC 0x0011 1", "DONEPROC 0x0000 0",
//   "ERROR 208 Invalid object name 'x'.", "INFO 5701 ...", "ENVCHANGE 1 testdb master",
//   "RETURNSTATUS 7", "RETURNVALUE 1 @b 11", "LOGINACK 74000004"
// Unknown tokens end the list with "?xx".
std::vector<std::string> ReadTokens(const tds::Bytes& payload, std::uint32_t tds_version);

}  // namespace korvane::testing
