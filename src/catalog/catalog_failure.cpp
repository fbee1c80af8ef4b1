#include "catalog/catalog_failure.h"

#include <new>
#include <stdexcept>
#include <string>

#include "app/error_report.h"
#include "app/user_interface.h"

namespace korvane {

void ReportCatalogFailure(UserInterface& ui, const std::exception_ptr& failure,
                          std::string_view module_name, std::string_view procedure_name) {
  std::int32_t number = kCatalogUnexpectedError;
  std::string description = "Unexpected failure";
  try {
    if (failure)
      std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    number = kCatalogOutOfMemoryError;
    description = "Out of memory";
  } catch (const std::exception& error) {
    description = error.what();
  } catch (...) {
  }
  ui.ShowErrorReport(MakeErrorReport(number, description, module_name, procedure_name));
}

}  // namespace korvane
