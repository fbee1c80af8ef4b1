// The one source of the current time for the core, so that texts holding dates and times
// (log lines, script headers, elapsed times, proposed file names) can be pinned by tests.
#pragma once

#include <chrono>
#include <string>

namespace korvane {

// A local wall-clock time, as the user's clock shows it.
struct LocalDateTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;   // 0..23
  int minute = 0;
  int second = 0;

  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // The local date and time now.
  virtual LocalDateTime LocalNow() const = 0;
  // A monotonic reading for measuring elapsed times; only differences mean anything.
  virtual std::chrono::steady_clock::time_point SteadyNow() const = 0;
};

// The operating system's clock.
class SystemClock final : public Clock {
 public:
  LocalDateTime LocalNow() const override;
  std::chrono::steady_clock::time_point SteadyNow() const override;
};

// A clock that stands still until it is set or advanced: for tests and reproducible runs.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(LocalDateTime now = {2026, 1, 2, 3, 4, 5}) : now_(now) {}
  LocalDateTime LocalNow() const override { return now_; }
  std::chrono::steady_clock::time_point SteadyNow() const override { return steady_; }
  void Set(LocalDateTime now) { now_ = now; }
  // Moves both readings forward; the local time wraps at midnight within the same day.
  void Advance(std::chrono::seconds by);

 private:
  LocalDateTime now_;
  std::chrono::steady_clock::time_point steady_{};
};

// "MMM dd, yyyy" of a local date, with English month abbreviations: "Dec 04, 2026".
std::string FormatShortDate(const LocalDateTime& time);

// "hh:mm:ss" of a local time (24-hour clock, two digits each).
std::string FormatTimeOfDay(const LocalDateTime& time);

}  // namespace korvane
