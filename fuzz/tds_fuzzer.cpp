// The TDS listener's parsing of what clients send. The first input byte picks the entry point:
//   0  PRELOGIN payload          1  LOGIN7 payload
//   2  RPC payload (TDS 7.4)     3  RPC payload (TDS 7.1)
//   4  parameter declarations and a statement to bind them into
//   else  a whole client byte stream (packets) served by one connection, on a stub engine
// Nothing may crash, hang or trip a sanitizer; the connection must end when the input does.
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "db/backend.h"
#include "db/tds/client_connection.h"
#include "db/tds/login7.h"
#include "db/tds/prelogin.h"
#include "db/tds/rpc_request.h"

namespace {

using namespace korvane;

// Answers every batch with one small result set naming the batch's length, so that results,
// errors and empty outcomes all get encoded.
class StubSession : public DatabaseSession {
 public:
  CommandOutcome Execute(const CommandRequest& request) override {
    CommandOutcome outcome;
    if (request.text.size() % 3 == 0) {
      outcome.errors.push_back(ServerMessage{208, 16, 1, "42S02", "Invalid object name 'x'."});
      return outcome;
    }
    outcome.ok = true;
    ResultSet result;
    result.columns = {{"n", ValueType::kInteger, "int"}, {"t", ValueType::kText, "varchar"}};
    result.rows.push_back({Value::Integer(static_cast<std::int64_t>(request.text.size())),
                           Value::Text(request.text.substr(0, 100))});
    outcome.result_sets.push_back(std::move(result));
    return outcome;
  }
};

class StubBackend : public DatabaseBackend {
 public:
  OpenOutcome Open(const ConnectionRequest& request) override {
    OpenOutcome outcome;
    if (request.database == "nowhere")
      outcome.errors.push_back(ServerMessage{4060, 11, 1, "42000", "Cannot open database."});
    else
      outcome.session = std::make_unique<StubSession>();
    return outcome;
  }
};

void ServeStream(std::span<const std::uint8_t> input) {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
    return;
  StubBackend backend;
  tds::ServerOptions options;
  options.server = "embedded:stub";
  options.server_label = "STUB";
  options.login = "sa";
  options.password = "S3cret!";  // the password of the recorded logins in the seed corpus
  options.login_timeout_seconds = 5;
  std::atomic<bool> stopping{false};
  std::thread server([&] {
    tds::ClientConnection connection(fds[1], options, backend, stopping, 51);
    connection.Run();
    ::shutdown(fds[1], SHUT_RDWR);
  });
  std::thread reader([&] {
    std::uint8_t sink[65536];
    while (::recv(fds[0], sink, sizeof sink, 0) > 0) {
    }
  });
  std::size_t sent = 0;
  while (sent < input.size()) {
    const ssize_t n = ::send(fds[0], input.data() + sent, input.size() - sent, MSG_NOSIGNAL);
    if (n <= 0)
      break;
    sent += static_cast<std::size_t>(n);
  }
  ::shutdown(fds[0], SHUT_WR);  // the client has said everything
  server.join();
  reader.join();
  ::close(fds[0]);
  ::close(fds[1]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  const std::span<const std::uint8_t> body(data + 1, size - 1);
  std::string error;
  switch (data[0]) {
    case 0:
      tds::ParsePrelogin(body);
      break;
    case 1:
      tds::ParseLogin7(body);
      break;
    case 2:
      tds::ParseRpc(body, tds::kTds74, &error);
      break;
    case 3:
      tds::ParseRpc(body, tds::kTds71, &error);
      break;
    case 4: {
      const std::string text(body.begin(), body.end());
      const std::size_t split = text.find('\n');
      const auto declared = tds::ParseParameterDeclarations(text.substr(0, split));
      std::vector<std::pair<std::string, Value>> values;
      for (const auto& parameter : declared)
        values.emplace_back(parameter.name, Value::Text(parameter.type));
      std::string bound;
      if (split != std::string::npos)
        tds::BindParameters(text.substr(split + 1), values, &bound, &error);
      break;
    }
    default:
      ServeStream(body);
  }
  return 0;
}
