// A backend whose answers the test scripts: connections that fail, commands that fail or return
// given rows. It records every connection and command it was asked for.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "db/backend.h"

namespace korvane::testing {

class FakeBackend final : public DatabaseBackend {
 public:
  // Answers a command; the default answers every command with no rows.
  using Responder = std::function<CommandOutcome(const ConnectionRequest&, const CommandRequest&)>;

  OpenOutcome Open(const ConnectionRequest& request) override;

  // Connections to these databases (or every connection when "*" is listed) fail.
  std::vector<std::string> refuse_databases;
  ServerMessage refusal{0, 16, 1, "08001", "[FakeDriver]Server does not exist or access denied."};
  Responder responder;

  std::vector<ConnectionRequest> connections;
  std::vector<std::pair<ConnectionRequest, CommandRequest>> commands;
};

// Outcome helpers.
CommandOutcome Rows(std::vector<std::string> columns, std::vector<std::vector<Value>> rows);
CommandOutcome Failure(std::int32_t number, std::string sqlstate, std::string text);

}  // namespace korvane::testing
