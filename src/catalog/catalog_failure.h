// The boundary of the catalogue's entry points: a failure nobody expected (an exception thrown
// by a callback, memory exhausted) is handed to the error report under the routine's module and
// procedure names and the routine ends with its failure result; nothing escapes to the caller.
#pragma once

#include <cstdint>
#include <exception>
#include <string_view>
#include <utility>

namespace korvane {

class UserInterface;

// Error numbers the report shows: 7 out of memory, 5 anything else.
inline constexpr std::int32_t kCatalogOutOfMemoryError = 7;
inline constexpr std::int32_t kCatalogUnexpectedError = 5;

void ReportCatalogFailure(UserInterface& ui, const std::exception_ptr& failure,
                          std::string_view module_name, std::string_view procedure_name);

// Runs `body`; on an exception reports it and returns `on_failure`.
template <typename Result, typename Body>
Result RunGuarded(UserInterface& ui, std::string_view module_name, std::string_view procedure_name,
                  Result on_failure, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    ReportCatalogFailure(ui, std::current_exception(), module_name, procedure_name);
    return on_failure;
  }
}

template <typename Body>
void RunGuarded(UserInterface& ui, std::string_view module_name, std::string_view procedure_name,
                Body&& body) {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    ReportCatalogFailure(ui, std::current_exception(), module_name, procedure_name);
  }
}

}  // namespace korvane
