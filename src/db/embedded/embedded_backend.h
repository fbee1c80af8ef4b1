// The embedded SQL Server stand-in as a backend: `embedded:<folder>` server names open
// databases of a server folder (see server_folder.h) and run T-SQL batches on SQLite, answering
// as SQL Server 2000 (version 8) or 2005+ (version 9 and later) would.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>

#include "db/backend.h"

namespace korvane {

class EmbeddedBackend final : public DatabaseBackend {
 public:
  // `servers_folder`: where bare server names live (AppLocations::servers_folder).
  explicit EmbeddedBackend(std::filesystem::path servers_folder);
  ~EmbeddedBackend() override;
  EmbeddedBackend(const EmbeddedBackend&) = delete;
  EmbeddedBackend& operator=(const EmbeddedBackend&) = delete;

  // Any login and password are accepted. A missing server folder fails as an unreachable server
  // (number 17, SQLSTATE 08001); a missing database with SQL Server's error 4060; an empty
  // database name opens master.
  // A session's database goes back to a pool when the session ends (its per-session settings
  // reset) and serves the next Open of the same database, unless the server file, master's
  // content or the database file changed meanwhile (in this process or another).
  OpenOutcome Open(const ConnectionRequest& request) override;

  // Databases waiting in the pool (for tests and diagnostics).
  std::size_t IdleSessions() const;
  // Closes the pooled databases, so that no file of any server stays open.
  void CloseIdleSessions();

  struct Pool;

 private:
  std::filesystem::path servers_folder_;
  std::shared_ptr<Pool> pool_;
};

}  // namespace korvane
