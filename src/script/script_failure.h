// The boundary of the scripting module's entry points: a failure nobody expected (an exception
// from a backend or a callback, memory exhausted) is described for the error report, reported
// under the routine's module and procedure names, and the routine ends with a usable result.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace korvane {

class UserInterface;

// The error number and description a report shows for a caught failure: 7 "Out of memory", or
// 5 with the exception's own text.
struct FailureDescription {
  std::int32_t number = 5;
  std::string description = "Unexpected failure";
};
FailureDescription DescribeFailure(const std::exception_ptr& failure);

// Hands the failure to the error report; `extra` is the routine's own message (may be empty).
void ReportScriptFailure(UserInterface& ui, const FailureDescription& failure,
                         std::string_view module_name, std::string_view procedure_name,
                         std::string_view extra = {});

}  // namespace korvane
