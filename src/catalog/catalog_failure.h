// The boundary of the catalogue's entry points: a failure nobody expected (an exception thrown
// by a callback, memory exhausted) is handed to the error report under the routine's module and
// procedure names and the routine ends with its failure result; nothing escapes to the caller.
#pragma once

#include <cstdint>
#include <exception>
#include <string_view>
#include <utility>

#include "base/error_report.h"

namespace korvane {

class UserInterface;

// Runs `body`; on an exception reports it and returns `on_failure`.
template <typename Result, typename Body>
Result RunGuarded(UserInterface& ui, std::string_view module_name, std::string_view procedure_name,
                  Result on_failure, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    ReportUnexpectedFailure(ui, std::current_exception(), module_name, procedure_name);
    return on_failure;
  }
}

template <typename Body>
void RunGuarded(UserInterface& ui, std::string_view module_name, std::string_view procedure_name,
                Body&& body) {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    ReportUnexpectedFailure(ui, std::current_exception(), module_name, procedure_name);
  }
}

}  // namespace korvane
