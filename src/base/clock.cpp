#include "base/clock.h"

#include <cstdio>
#include <ctime>

namespace korvane {

LocalDateTime SystemClock::LocalNow() const {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
#ifdef _WIN32
  localtime_s(&parts, &now);
#else
  localtime_r(&now, &parts);
#endif
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
          parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

std::chrono::steady_clock::time_point SystemClock::SteadyNow() const {
  return std::chrono::steady_clock::now();
}

void ManualClock::Advance(std::chrono::seconds by) {
  steady_ += by;
  long long total = now_.hour * 3600LL + now_.minute * 60LL + now_.second + by.count();
  total %= 86400;
  if (total < 0)
    total += 86400;
  now_.hour = static_cast<int>(total / 3600);
  now_.minute = static_cast<int>(total / 60 % 60);
  now_.second = static_cast<int>(total % 60);
}

std::string FormatShortDate(const LocalDateTime& time) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int month = time.month >= 1 && time.month <= 12 ? time.month - 1 : 0;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%s %02d, %04d", kMonths[month], time.day % 100,
                time.year % 10000);
  return buffer;
}

std::string FormatTimeOfDay(const LocalDateTime& time) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", time.hour % 100, time.minute % 100,
                time.second % 100);
  return buffer;
}

}  // namespace korvane
