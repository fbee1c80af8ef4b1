#include "base/error_report.h"

#include <new>
#include <string>

#include "base/text.h"
#include "base/user_interface.h"
#include "base/version.h"

namespace korvane {

FailureDescription DescribeFailure(const std::exception_ptr& failure) {
  FailureDescription described;
  try {
    if (failure)
      std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    described.number = kOutOfMemoryErrorNumber;
    described.description = "Out of memory";
  } catch (const std::exception& error) {
    if (*error.what() != '\0')
      described.description = error.what();
  } catch (...) {
  }
  return described;
}

void ReportUnexpectedFailure(UserInterface& ui, const std::exception_ptr& failure,
                             std::string_view module_name, std::string_view procedure_name,
                             std::string_view extra) {
  const FailureDescription described = DescribeFailure(failure);
  ui.ShowErrorReport(
      MakeErrorReport(described.number, described.description, module_name, procedure_name, extra));
}

ErrorReport MakeErrorReport(std::int32_t error_number, std::string_view error_description,
                            std::string_view module_name, std::string_view procedure_name,
                            std::string_view extra_description) {
  ErrorReport report;
  report.error_number = error_number;
  report.error_description = error_description;
  report.program_version = kProgramVersion;
  report.build_number = kBuildNumber;
  report.module_name = module_name;
  report.procedure_name = procedure_name;
  report.extra_description = extra_description;
  return report;
}

std::string ErrorReportIntroduction() {
  const std::string name(kApplicationTitle);
  const std::string breaks = "\r\n\r\n";
  return "Regrettably, an problem has occurred in " + name + "." + breaks + name +
         " may continue to function after this, but if you have further problems you should "
         "restart the program." +
         breaks + "We'd like to fix this problem quickly, but we need your help.  Can " + name +
         " submit a bug report on your behalf to the Korvane project?  And, can you please take "
         "just a moment to jot down what steps we should take to reproduce the problem?" +
         breaks +
         "Your report is confidential, and only the information you see below is included in "
         "the report.";
}

std::string ErrorReportText(const ErrorReport& report) {
  std::string text = report.program_version + " " + std::to_string(report.build_number) +
                     " Error " + std::to_string(report.error_number) + " (" + report.module_name +
                     ":" + report.procedure_name + ")\r\n\r\n" + report.error_description;
  if (!report.extra_description.empty())
    text += "\r\n\r\n" + report.extra_description;
  return text;
}

std::string FormEncode(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size() * 3);
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
        (byte >= '0' && byte <= '9') || byte == '-' || byte == '_' || byte == '.' || byte == '~') {
      out.push_back(c);
    } else if (byte == ' ') {
      out.push_back('+');
    } else {
      out.push_back('%');
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0x0F]);
    }
  }
  return out;
}

std::string ErrorReportAddress(std::string_view base_address, const ErrorReport& report,
                               std::string_view comments, std::string_view email) {
  return std::string(base_address) +
         "/error.php?ErrNum=" + FormEncode(std::to_string(report.error_number)) +
         "&ErrDesc=" + FormEncode(report.error_description) +
         "&ProgVer=" + FormEncode(report.program_version) +
         "&BuildNum=" + FormEncode(std::to_string(report.build_number)) +
         "&ModuleName=" + FormEncode(report.module_name) +
         "&ProcName=" + FormEncode(report.procedure_name) +
         "&Comments=" + FormEncode(Trim(comments)) + "&Email=" + FormEncode(Trim(email)) +
         "&ExtraDesc=" + FormEncode(report.extra_description);
}

void SendErrorReport(UserInterface& ui, std::string_view base_address, const ErrorReport& report,
                     std::string_view comments, std::string_view email) {
  const int code =
      ui.OpenWithDefaultProgram(ErrorReportAddress(base_address, report, comments, email));
  if (code != 0)
    ui.ShowMessage("Error on launching URL: " + std::to_string(code));
}

}  // namespace korvane
