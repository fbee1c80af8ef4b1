// A SQL Server Browser for tests: answers instance requests for one instance on a loopback UDP
// port, from a thread of its own, until it goes.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace korvane::testing {

class FakeBrowser {
 public:
  // `instance` empty: receives requests and answers none.
  FakeBrowser(std::string instance, int tcp_port)
      : instance_(std::move(instance)), tcp_port_(tcp_port) {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~FakeBrowser() {
    stopping_ = true;
    thread_.join();
    ::close(fd_);
  }
  FakeBrowser(const FakeBrowser&) = delete;
  FakeBrowser& operator=(const FakeBrowser&) = delete;

  int port() const { return port_; }
  std::string last_request() const {
    std::lock_guard lock(mutex_);
    return last_request_;
  }

 private:
  void Serve() {
    while (!stopping_) {
      pollfd ready{fd_, POLLIN, 0};
      if (::poll(&ready, 1, 50) <= 0)
        continue;
      char buffer[1024];
      sockaddr_in from{};
      socklen_t length = sizeof from;
      const ssize_t got =
          ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
      if (got <= 0)
        continue;
      {
        std::lock_guard lock(mutex_);
        last_request_.assign(buffer, static_cast<std::size_t>(got));
      }
      if (instance_.empty())
        continue;
      const std::string data = "ServerName;TEST;InstanceName;" + instance_ +
                               ";IsClustered;No;Version;16.0.1000.6;tcp;" +
                               std::to_string(tcp_port_) + ";;";
      std::string reply(1, '\x05');
      reply += static_cast<char>(data.size() & 0xFF);
      reply += static_cast<char>(data.size() >> 8);
      reply += data;
      ::sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
    }
  }

  std::string instance_;
  int tcp_port_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::string last_request_;
  std::thread thread_;
};

}  // namespace korvane::testing
