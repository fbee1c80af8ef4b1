// `korvane-cli serve` run as a child process for tests of real clients: started on a loopback
// port with its login's password given on stdin, stopped (SIGTERM, then waited for) when
// the object goes, also when a test fails. The child also ends when the test program dies.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>

namespace korvane::testing {

class ServeProcess {
 public:
  struct Options {
    std::string cli;                // korvane-cli's path
    std::filesystem::path profile;  // --profile
    std::string server;             // "embedded:PATH"
    std::string login;
    std::string password;
    std::string hooks;  // KORVANE_TDS_TEST_HOOKS, empty for none
    int port = 0;       // 0: a free one (a fixed one to start a listener again where one was)
  };

  // The running listener, or null with `error` telling why (what serve wrote on stderr).
  static std::unique_ptr<ServeProcess> Start(const Options& options, std::string* error);
  ~ServeProcess();
  ServeProcess(const ServeProcess&) = delete;
  ServeProcess& operator=(const ServeProcess&) = delete;

  int port() const { return port_; }
  // "127.0.0.1,PORT": the name a SQL Server client is given.
  std::string ServerName() const { return "127.0.0.1," + std::to_string(port_); }

 private:
  ServeProcess(pid_t pid, int port) : pid_(pid), port_(port) {}
  pid_t pid_;
  int port_;
};

}  // namespace korvane::testing
