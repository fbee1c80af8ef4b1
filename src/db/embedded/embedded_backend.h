// The embedded SQL Server stand-in as a backend: `embedded:<folder>` server names open
// databases of a server folder (see server_folder.h) and run T-SQL batches on SQLite, answering
// as SQL Server 2000 (version 8) or 2005+ (version 9 and later) would.
#pragma once

#include <filesystem>

#include "db/backend.h"

namespace korvane {

class EmbeddedBackend final : public DatabaseBackend {
 public:
  // `servers_folder`: where bare server names live (AppLocations::servers_folder).
  explicit EmbeddedBackend(std::filesystem::path servers_folder)
      : servers_folder_(std::move(servers_folder)) {}

  // Any login and password are accepted. A missing server folder fails as an unreachable server
  // (number 17, SQLSTATE 08001); a missing database with SQL Server's error 4060; an empty
  // database name opens master.
  OpenOutcome Open(const ConnectionRequest& request) override;

 private:
  std::filesystem::path servers_folder_;
};

}  // namespace korvane
