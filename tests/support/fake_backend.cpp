#include "support/fake_backend.h"

#include <algorithm>

#include "base/text.h"

namespace korvane::testing {
namespace {

class FakeSession final : public DatabaseSession {
 public:
  FakeSession(FakeBackend& backend, ConnectionRequest request)
      : backend_(backend), request_(std::move(request)) {}

  CommandOutcome Execute(const CommandRequest& request) override {
    backend_.commands.emplace_back(request_, request);
    if (backend_.responder)
      return backend_.responder(request_, request);
    CommandOutcome outcome;
    outcome.ok = true;
    outcome.parameter_values.resize(request.parameters.size());
    return outcome;
  }

 private:
  FakeBackend& backend_;
  ConnectionRequest request_;
};

}  // namespace

OpenOutcome FakeBackend::Open(const ConnectionRequest& request) {
  connections.push_back(request);
  OpenOutcome outcome;
  const bool refused = std::any_of(
      refuse_databases.begin(), refuse_databases.end(),
      [&](const std::string& db) { return db == "*" || EqualsIgnoringCase(db, request.database); });
  if (refused) {
    outcome.errors.push_back(refusal);
    return outcome;
  }
  outcome.session = std::make_unique<FakeSession>(*this, request);
  return outcome;
}

CommandOutcome Rows(std::vector<std::string> columns, std::vector<std::vector<Value>> rows) {
  CommandOutcome outcome;
  outcome.ok = true;
  ResultSet set;
  for (std::string& name : columns)
    set.columns.push_back({std::move(name), ValueType::kText, ""});
  set.rows = std::move(rows);
  outcome.result_sets.push_back(std::move(set));
  return outcome;
}

CommandOutcome Failure(std::int32_t number, std::string sqlstate, std::string text) {
  CommandOutcome outcome;
  outcome.errors.push_back({number, 16, 1, std::move(sqlstate), std::move(text)});
  return outcome;
}

}  // namespace korvane::testing
