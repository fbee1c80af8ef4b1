#include "support/faulty_backend.h"

namespace korvane::testing {
namespace {

class FaultySession final : public DatabaseSession {
 public:
  FaultySession(FaultyBackend& owner, std::unique_ptr<DatabaseSession> inner)
      : owner_(owner), inner_(std::move(inner)) {}

  CommandOutcome Execute(const CommandRequest& request) override {
    ++owner_.commands;
    CommandOutcome outcome = inner_->Execute(request);
    if (owner_.drop_next_results > 0) {
      --owner_.drop_next_results;
      // Rows had started to arrive; what the client holds now is neither complete nor usable.
      outcome.ok = false;
      outcome.errors = {{0, 20, 1, "08S01", "Communication link failure"}};
    }
    return outcome;
  }

 private:
  FaultyBackend& owner_;
  std::unique_ptr<DatabaseSession> inner_;
};

}  // namespace

OpenOutcome FaultyBackend::Open(const ConnectionRequest& request) {
  ++opens;
  if (refuse_next_opens > 0) {
    --refuse_next_opens;
    OpenOutcome refused;
    refused.errors.push_back({17, 16, 1, "08001", "SQL Server does not exist or access denied."});
    return refused;
  }
  OpenOutcome outcome = inner_->Open(request);
  if (outcome.session) {
    outcome.session = std::make_unique<FaultySession>(*this, std::move(outcome.session));
  }
  return outcome;
}

}  // namespace korvane::testing
