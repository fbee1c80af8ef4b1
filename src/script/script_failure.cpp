#include "script/script_failure.h"

#include <new>
#include <stdexcept>

#include "app/error_report.h"
#include "app/user_interface.h"

namespace korvane {

FailureDescription DescribeFailure(const std::exception_ptr& failure) {
  FailureDescription described;
  try {
    if (failure)
      std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    described.number = 7;
    described.description = "Out of memory";
  } catch (const std::exception& error) {
    described.description = error.what();
  } catch (...) {
  }
  return described;
}

void ReportScriptFailure(UserInterface& ui, const FailureDescription& failure,
                         std::string_view module_name, std::string_view procedure_name,
                         std::string_view extra) {
  ui.ShowErrorReport(
      MakeErrorReport(failure.number, failure.description, module_name, procedure_name, extra));
}

}  // namespace korvane
