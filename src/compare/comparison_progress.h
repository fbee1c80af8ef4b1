// How a database comparison run tells its host what it is doing. The progress dialog shows the
// texts and pumps its window events (so that its Cancel button can set the cancel flag); the
// command line ignores them all.
#pragma once

#include <string_view>

namespace korvane {

class ComparisonProgress {
 public:
  virtual ~ComparisonProgress() = default;

  // The run started (true: the status timer runs, the type boxes give way to the progress
  // labels) or ended (false: the timer stops).
  virtual void SetRunning(bool /*running*/) {}
  // "Comparing tables...", then "Comparing tables... Finished".
  virtual void ShowStatus(std::string_view /*text*/) {}
  // The displayed name of the object being compared; empty after each pass.
  virtual void ShowCurrentObject(std::string_view /*name*/) {}
  // The time since the start of the run, "hh:mm:ss".
  virtual void ShowElapsed(std::string_view /*elapsed*/) {}
  // Lets the window system handle what is pending; called after every refresh.
  virtual void ProcessPendingEvents() {}
};

// The progress of a run nobody watches.
class SilentComparisonProgress final : public ComparisonProgress {};

}  // namespace korvane
