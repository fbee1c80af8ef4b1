// The report of an unexpected failure: the record every handler fills, the texts the report
// dialog shows, and the address its "Send Error Report" button opens.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace korvane {

class UserInterface;

struct ErrorReport {
  std::int32_t error_number = 0;
  std::string error_description;
  std::string program_version;
  std::int32_t build_number = 0;
  std::string module_name;
  std::string procedure_name;
  std::string extra_description;  // the handler's own message; may be empty
};

// Where reports are sent; "/error.php" and the query follow.
inline constexpr std::string_view kErrorReportBaseAddress = "https://korvane.org/feedback";

inline constexpr std::string_view kErrorReportTitle = "Voluntary Feedback - Please Help Us";

// A report of this program's version and build for the given failure.
ErrorReport MakeErrorReport(std::int32_t error_number, std::string_view error_description,
                            std::string_view module_name, std::string_view procedure_name,
                            std::string_view extra_description = {});

// The error number and description a report shows for a caught failure: 7 "Out of memory" for
// std::bad_alloc, else 5 with the exception's own text ("Unexpected failure" when it has none).
inline constexpr std::int32_t kOutOfMemoryErrorNumber = 7;
inline constexpr std::int32_t kUnexpectedErrorNumber = 5;
struct FailureDescription {
  std::int32_t number = kUnexpectedErrorNumber;
  std::string description = "Unexpected failure";
};
FailureDescription DescribeFailure(const std::exception_ptr& failure);

// Shows the error report of a failure nobody expected, one that reached the boundary of a
// routine, under the routine's module and procedure names; `extra` is the routine's own message.
void ReportUnexpectedFailure(UserInterface& ui, const std::exception_ptr& failure,
                             std::string_view module_name, std::string_view procedure_name,
                             std::string_view extra = {});

// The dialog's introduction, with CR LF line breaks.
std::string ErrorReportIntroduction();

// "1.3 172 Error 5 (mdlX:Proc)" + two line breaks + description [+ two line breaks + extra].
std::string ErrorReportText(const ErrorReport& report);

// A value encoded as an HTML form encodes it: UTF-8 bytes, blank as "+", letters, digits and
// "-_.~" as they are, every other byte (including "+", "&" and line breaks) as %XX.
std::string FormEncode(std::string_view value);

// base + "/error.php?ErrNum=..&ErrDesc=..&ProgVer=..&BuildNum=..&ModuleName=..&ProcName=.."
// + "&Comments=..&Email=..&ExtraDesc=..". Comments and e-mail are trimmed of blanks first;
// every value is form-encoded, so no value can end its field or forge another.
std::string ErrorReportAddress(std::string_view base_address, const ErrorReport& report,
                               std::string_view comments, std::string_view email);

// The "Send Error Report" action: opens the address in the browser and, when the desktop
// reports a failure, shows "Error on launching URL: " + the code (no icon).
void SendErrorReport(UserInterface& ui, std::string_view base_address, const ErrorReport& report,
                     std::string_view comments, std::string_view email);

}  // namespace korvane
