#include "db/tds/tds_listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "db/tds/client_connection.h"

namespace korvane::tds {
namespace {

constexpr std::size_t kMaxConnections = 512;

}  // namespace

bool IsLoopbackAddress(const std::string& address) {
  if (address == "localhost" || address == "::1")
    return true;
  in_addr v4{};
  if (::inet_pton(AF_INET, address.c_str(), &v4) == 1)
    return (ntohl(v4.s_addr) >> 24) == 127;
  return false;
}

TdsListener::TdsListener(DatabaseBackend& backend, ServerOptions options)
    : backend_(backend), options_(std::move(options)) {}

TdsListener::~TdsListener() {
  Stop();
}

bool TdsListener::Start(std::string* error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string port_text = std::to_string(options_.port);
  const std::string host =
      options_.listen_address == "localhost" ? "127.0.0.1" : options_.listen_address;
  if (const int code = ::getaddrinfo(host.c_str(), port_text.c_str(), &hints, &found); code != 0) {
    *error = "cannot listen on " + options_.listen_address + ": " + ::gai_strerror(code);
    return false;
  }
  std::string last_error = "no usable address";
  for (addrinfo* a = found; a; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0)
      continue;
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 64) == 0) {
      listen_fd_ = fd;
      sockaddr_storage bound{};
      socklen_t length = sizeof bound;
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
      port_ = bound.ss_family == AF_INET6
                  ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                  : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
      break;
    }
    last_error = std::strerror(errno);
    ::close(fd);
  }
  ::freeaddrinfo(found);
  if (listen_fd_ < 0) {
    *error =
        "cannot listen on " + options_.listen_address + " port " + port_text + ": " + last_error;
    return false;
  }
  if (::pipe2(wake_pipe_, O_CLOEXEC) != 0) {
    *error = std::string("cannot create a pipe: ") + std::strerror(errno);
    ::close(listen_fd_);
    listen_fd_ = -1;
    return false;
  }
  accept_thread_ = std::thread([this] { AcceptLoop(); });
  return true;
}

void TdsListener::AcceptLoop() {
  while (!stopping_) {
    pollfd entries[2] = {{listen_fd_, POLLIN, 0}, {wake_pipe_[0], POLLIN, 0}};
    const int ready = ::poll(entries, 2, 1000);
    ReapFinished();
    if (ready <= 0 || stopping_ || (entries[1].revents & POLLIN))
      continue;
    if (!(entries[0].revents & POLLIN))
      continue;
    const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
      continue;
    std::lock_guard lock(mutex_);
    if (clients_.size() >= kMaxConnections) {
      ::close(fd);  // each client costs a thread: beyond the bound new ones are turned away
      continue;
    }
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    auto client = std::make_unique<Client>();
    client->fd = fd;
    Client* raw = client.get();
    const std::uint16_t spid = next_spid_++;
    if (next_spid_ == 0)
      next_spid_ = 51;
    client->thread = std::thread([this, raw, spid] {
      ClientConnection connection(raw->fd, options_, backend_, stopping_, spid);
      connection.Run();
      ::shutdown(raw->fd, SHUT_RDWR);
      raw->finished = true;
    });
    clients_.push_back(std::move(client));
  }
}

void TdsListener::ReapFinished() {
  std::lock_guard lock(mutex_);
  for (auto it = clients_.begin(); it != clients_.end();) {
    if ((*it)->finished) {
      (*it)->thread.join();
      ::close((*it)->fd);
      it = clients_.erase(it);
    } else {
      ++it;
    }
  }
}

std::size_t TdsListener::ActiveConnections() const {
  std::lock_guard lock(mutex_);
  std::size_t active = 0;
  for (const auto& client : clients_)
    if (!client->finished)
      ++active;
  return active;
}

void TdsListener::Stop() {
  if (listen_fd_ < 0)
    return;
  stopping_ = true;
  const char wake = 1;
  if (::write(wake_pipe_[1], &wake, 1) < 0) {
    // The poll time-out ends the accept loop as well.
  }
  accept_thread_.join();
  {
    std::lock_guard lock(mutex_);
    for (auto& client : clients_)
      ::shutdown(client->fd, SHUT_RDWR);  // ends blocking reads; a running request finishes
  }
  std::list<std::unique_ptr<Client>> clients;
  {
    std::lock_guard lock(mutex_);
    clients.swap(clients_);
  }
  for (auto& client : clients) {
    client->thread.join();
    ::close(client->fd);
  }
  ::close(listen_fd_);
  ::close(wake_pipe_[0]);
  ::close(wake_pipe_[1]);
  listen_fd_ = -1;
}

}  // namespace korvane::tds
