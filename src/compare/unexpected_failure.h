// Hands a failure nobody expected (an exception that reached a comparison routine's boundary)
// to the error report, so that it never escapes to the caller.
#pragma once

#include <cstdint>
#include <exception>
#include <string_view>

namespace korvane {

class UserInterface;

// Error numbers the report shows for such failures.
inline constexpr std::int32_t kOutOfMemoryErrorNumber = 7;
inline constexpr std::int32_t kUnexpectedErrorNumber = 5;

// Shows the error report for `failure` (std::bad_alloc as "Out of memory" with number 7, any
// other failure with number 5 and its own description), naming the module and procedure.
void ReportUnexpectedFailure(UserInterface& ui, const std::exception_ptr& failure,
                             std::string_view module_name, std::string_view procedure_name);

}  // namespace korvane
