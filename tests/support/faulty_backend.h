// A backend that wraps another and fails on demand: connections refused, or a connection that
// drops while a result is being read. For testing that every failure path reports and recovers.
#pragma once

#include <memory>

#include "db/backend.h"

namespace korvane::testing {

class FaultyBackend final : public DatabaseBackend {
 public:
  explicit FaultyBackend(std::shared_ptr<DatabaseBackend> inner) : inner_(std::move(inner)) {}

  OpenOutcome Open(const ConnectionRequest& request) override;

  // The next `n` opens fail as an unreachable server does.
  int refuse_next_opens = 0;
  // The next `n` commands lose their connection after the server started sending rows.
  int drop_next_results = 0;

  int opens = 0;
  int commands = 0;

 private:
  std::shared_ptr<DatabaseBackend> inner_;
};

}  // namespace korvane::testing
