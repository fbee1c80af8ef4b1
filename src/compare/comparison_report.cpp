#include "compare/comparison_report.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/text.h"
#include "compare/difference_lister.h"
#include "compare/report_type_names.h"

namespace korvane {
namespace {

constexpr std::int32_t kTablesCode = 50;

std::string Note(bool columns_ignored) {
  return columns_ignored ? std::string(kColumnsIgnoredNote) : std::string();
}

// TAB + "(1 table)" or TAB + "(n tables)", then CR LF.
std::string ListCountLine(std::int32_t type_code, std::size_t count) {
  if (count == 1)
    return "\t(1 " + ReportTypeSingular(type_code) + ")\r\n";
  return "\t(" + std::to_string(count) + " " + std::string(ReportTypePlural(type_code)) + ")\r\n";
}

std::string IdenticalSummary(const TypeComparison& type) {
  const bool tables = type.type_code == kTablesCode;
  const std::string plural(ReportTypePlural(type.type_code));
  const std::string singular = ReportTypeSingular(type.type_code);
  const std::vector<ComparedObject>& identical = type.identical;
  if (identical.empty()) {
    if (tables)
      return "There are no tables which have identical structure in both databases.";
    return "There are no " + plural + " which are identical in both databases.";
  }
  if (identical.size() == 1) {
    const std::string entry = identical[0].name + Note(identical[0].columns_ignored);
    if (tables)
      return "One table [" + entry + "] has identical structure in both databases.";
    return "One " + singular + " [" + entry + "] has identical structure in both databases.";
  }
  const std::string count = std::to_string(identical.size());
  std::string text = tables ? "All " + count + " remaining tables have identical structures:\r\n"
                            : "All " + count + " remaining " + plural + " are identical:\r\n";
  for (std::size_t i = 0; i < identical.size(); ++i) {
    if (i > 0)
      text += kCrLf;
    text += "\t" + identical[i].name + Note(identical[i].columns_ignored);
  }
  return text;
}

std::string AllIdenticalSentence(const TypeComparison& type, bool selective,
                                 bool run_ignored_columns) {
  if (type.type_code == kTablesCode) {
    std::string text = selective
                           ? "The structure of all selected tables in both databases is identical."
                           : "The structure of all tables in both databases is identical.";
    if (run_ignored_columns)
      text += kAllColumnsIgnoredNote;
    return text;
  }
  const std::string plural(ReportTypePlural(type.type_code));
  return selective ? "All selected " + plural + " in both databases are identical."
                   : "All " + plural + " in both databases are identical.";
}

void AppendNameList(std::string& report, std::string_view heading,
                    const std::vector<std::string>& names, std::int32_t type_code) {
  if (names.empty())
    return;
  report += heading;
  report += kCrLf;
  for (const std::string& name : names)
    report += "\t" + name + "\r\n";
  report += ListCountLine(type_code, names.size());
}

void AppendTypeBlock(std::string& report, const DatabaseComparisonResult& result,
                     const TypeComparison& type, bool run_ignored_columns) {
  const std::string plural(ReportTypePlural(type.type_code));
  if (result.selective) {
    report += "\r\n\r\nSelective comparison of " + plural + "\r\n";
    report += "\r\n" + std::to_string(result.source_selected_count) +
              " objects selected in Source database";
    report += "\r\n" + std::to_string(result.target_selected_count) +
              " objects selected in Target database";
    report += "\r\n\r\n";
  } else {
    report += "\r\n\r\nComparison of " + plural + "\r\n";
    report += ReportCountLine(type.type_code, type.source_count, "Source") + "\r\n";
    report += ReportCountLine(type.type_code, type.target_count, "Target") + "\r\n";
  }

  if (type.source_count < 1 && type.target_count < 1) {
    report.resize(report.size() - kCrLf.size());
    return;
  }
  if (type.source_count < 1 || type.target_count < 1)
    return;

  if (!type.different.empty()) {
    report += "List of " + plural + " which differ:\r\n";
    for (const DifferentObject& object : type.different)
      report += "\t" + object.name + Note(object.columns_ignored) + "\r\n";
    report += ListCountLine(type.type_code, type.different.size());
  }
  AppendNameList(
      report, "List of " + plural + " which exist in Source database but not in Target database:",
      type.source_only, type.type_code);
  AppendNameList(
      report, "List of " + plural + " which exist in Target database but not in Source database:",
      type.target_only, type.type_code);

  const bool any_listed =
      !type.different.empty() || !type.source_only.empty() || !type.target_only.empty();
  report += any_listed ? IdenticalSummary(type)
                       : AllIdenticalSentence(type, result.selective, run_ignored_columns);

  if (result.details && !type.different.empty()) {
    std::string details;
    int n = 0;
    for (const DifferentObject& object : type.different) {
      AppendDifferenceDetails(details, plural, object.bare_name, ++n, object.source_text,
                              object.target_text, result.options);
    }
    report += details;
  }
}

// Whether any table of the run left out ignored columns on either side.
bool RunIgnoredColumns(const DatabaseComparisonResult& result) {
  for (const TypeComparison& type : result.types) {
    if (type.type_code != kTablesCode)
      continue;
    for (const ComparedObject& object : type.identical) {
      if (object.columns_ignored)
        return true;
    }
    for (const DifferentObject& object : type.different) {
      if (object.columns_ignored)
        return true;
    }
  }
  return false;
}

}  // namespace

std::string ReportCountLine(std::int32_t type_code, int count, std::string_view side_word) {
  const std::string where = " in " + std::string(side_word) + " database.";
  if (count < 1)
    return "There are no " + std::string(ReportTypePlural(type_code)) + where;
  if (count == 1)
    return "There is 1 " + ReportTypeSingular(type_code) + where;
  return "There are " + std::to_string(count) + " " + std::string(ReportTypePlural(type_code)) +
         where;
}

std::string BuildComparisonReport(const DatabaseComparisonResult& result) {
  std::string report(kReportHeading);
  report += "\r\n\r\n";
  report += "Source database " + result.server_names[kSourceSide] + "." +
            result.database_names[kSourceSide] + "\r\n";
  report += "Target database " + result.server_names[kTargetSide] + "." +
            result.database_names[kTargetSide] + "\r\n";

  std::vector<const TypeComparison*> ordered;
  for (const TypeComparison& type : result.types)
    ordered.push_back(&type);
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const TypeComparison* a, const TypeComparison* b) {
                     return ReportTypeOrderIndex(a->type_code) < ReportTypeOrderIndex(b->type_code);
                   });
  const bool run_ignored_columns = RunIgnoredColumns(result);
  for (const TypeComparison* type : ordered)
    AppendTypeBlock(report, result, *type, run_ignored_columns);

  report += "\r\n\r\n";
  report += kTimeElapsedLabel;
  report += FormatElapsed(result.elapsed.count());
  return report;
}

}  // namespace korvane
