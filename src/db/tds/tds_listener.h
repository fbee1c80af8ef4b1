// The TDS listener: accepts clients on a TCP address and serves each on a thread of its own
// with its own engine session, until Stop().
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "db/backend.h"
#include "db/tds/server_options.h"

namespace korvane::tds {

class TdsListener {
 public:
  TdsListener(DatabaseBackend& backend, ServerOptions options);
  ~TdsListener();  // stops
  TdsListener(const TdsListener&) = delete;
  TdsListener& operator=(const TdsListener&) = delete;

  // Binds and starts accepting; false with `error` set when the address cannot be used.
  bool Start(std::string* error);
  // The port listened on (the chosen one after port 0).
  int port() const { return port_; }
  // Stops accepting, ends every connection (requests running in the engine finish first) and
  // waits for their threads.
  void Stop();

  // Connections being served now (for tests and diagnostics).
  std::size_t ActiveConnections() const;

 private:
  struct Client {
    int fd = -1;
    std::thread thread;
    std::atomic<bool> finished{false};
  };
  void AcceptLoop();
  void ReapFinished();

  DatabaseBackend& backend_;
  const ServerOptions options_;
  int listen_fd_ = -1;
  int wake_pipe_[2] = {-1, -1};
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread accept_thread_;
  mutable std::mutex mutex_;
  std::list<std::unique_ptr<Client>> clients_;
  std::uint16_t next_spid_ = 51;
};

// True for 127.0.0.0/8, ::1 and "localhost".
bool IsLoopbackAddress(const std::string& address);

}  // namespace korvane::tds
