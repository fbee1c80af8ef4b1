#include "db/odbc/instance_lookup.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <vector>

#include "base/text.h"

namespace korvane {
namespace {

constexpr unsigned char kInstanceRequest = 0x04;  // CLNT_UCAST_INST
constexpr unsigned char kServerReply = 0x05;      // SVR_RESP

class Socket {
 public:
  explicit Socket(int fd) : fd_(fd) {}
  ~Socket() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::optional<int> TcpPortOfBrowserReply(std::string_view reply) {
  if (reply.size() < 3 || static_cast<unsigned char>(reply[0]) != kServerReply)
    return std::nullopt;
  const std::size_t size = static_cast<unsigned char>(reply[1]) |
                           (static_cast<std::size_t>(static_cast<unsigned char>(reply[2])) << 8);
  const std::string_view data = reply.substr(3, size);
  // Name and value pairs separated by ";": the value after "tcp" is the port.
  const std::vector<std::string> parts = Split(data, ";");
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (!EqualsIgnoringCase(parts[i], "tcp"))
      continue;
    int port = 0;
    const std::string& value = parts[i + 1];
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), port);
    if (error != std::errc() || end != value.data() + value.size() || port <= 0 || port > 65535)
      return std::nullopt;
    return port;
  }
  return std::nullopt;
}

std::optional<int> LookUpInstancePort(const std::string& host, const std::string& instance,
                                      std::chrono::milliseconds wait, int browser_port) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + wait;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(browser_port).c_str(), &hints, &found) != 0)
    return std::nullopt;
  std::string request(1, static_cast<char>(kInstanceRequest));
  request += instance;
  request += '\0';
  std::optional<int> port;
  for (const addrinfo* address = found; address != nullptr && !port; address = address->ai_next) {
    const Socket socket(::socket(address->ai_family, address->ai_socktype, address->ai_protocol));
    if (socket.fd() < 0 || ::connect(socket.fd(), address->ai_addr, address->ai_addrlen) != 0)
      continue;
    if (::send(socket.fd(), request.data(), request.size(), 0) !=
        static_cast<ssize_t>(request.size())) {
      continue;
    }
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0)
        break;
      pollfd ready{socket.fd(), POLLIN, 0};
      if (::poll(&ready, 1, static_cast<int>(left)) <= 0)
        break;
      std::array<char, 4096> reply{};
      const ssize_t got = ::recv(socket.fd(), reply.data(), reply.size(), 0);
      if (got < 0)
        break;  // refused: nothing listens there
      port = TcpPortOfBrowserReply(std::string_view(reply.data(), static_cast<std::size_t>(got)));
      if (port)
        break;
    }
  }
  ::freeaddrinfo(found);
  return port;
}

std::string InstanceNotFoundMessage(const std::string& host, const std::string& instance,
                                    int browser_port) {
  return "The SQL Server Browser on " + host + " (UDP port " + std::to_string(browser_port) +
         ") does not answer for the instance " + instance + ". Start it, or give the server as " +
         host + ",PORT with the instance's TCP port.";
}

}  // namespace korvane
