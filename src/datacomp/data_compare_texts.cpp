#include "datacomp/data_compare_texts.h"

#include "base/text.h"

namespace korvane {
namespace {

std::string JoinNames(const std::vector<std::string>& names) {
  std::string joined;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0)
      joined += ",";
    joined += names[i];
  }
  return joined;
}

std::string WithIgnoredColumns(std::string text, std::string_view ignored_columns_text) {
  if (!ignored_columns_text.empty()) {
    text += kCrLf;
    text += ignored_columns_text;
  }
  return text;
}

}  // namespace

std::string RecordCountsLog(std::int64_t source_count, std::int64_t target_count) {
  return "llngRecsCount1 = " + std::to_string(source_count) +
         ", llngRecsCount2 = " + std::to_string(target_count);
}

std::string IgnoredColumnsText(const std::vector<std::string>& source_ignored,
                               const std::vector<std::string>& target_ignored) {
  const std::size_t total = source_ignored.size() + target_ignored.size();
  if (total == 0)
    return {};
  std::string text =
      total == 1 ? "Column ignored during comparison: " : "Columns ignored during comparison: ";
  if (!source_ignored.empty() && !target_ignored.empty()) {
    text += "Source - " + JoinNames(source_ignored) + " Target - " + JoinNames(target_ignored);
  } else if (!source_ignored.empty()) {
    text += "Source - " + JoinNames(source_ignored);
  } else {
    text += "Target - " + JoinNames(target_ignored);
  }
  return text;
}

std::string IdenticalOutcome(std::string_view ignored_columns_text) {
  return WithIgnoredColumns(std::string(kIdenticalOutcome), ignored_columns_text);
}

std::string DifferencesOutcome(std::int64_t source_count, std::int64_t target_count,
                               std::int64_t different_records,
                               std::string_view ignored_columns_text) {
  std::string text = "Number of records in first table: " + FormatNumber(source_count);
  text += kCrLf;
  text += "Number of records in second table: " + FormatNumber(target_count);
  text += kCrLf;
  text += "Number of different records: " + FormatNumber(different_records);
  return WithIgnoredColumns(std::move(text), ignored_columns_text);
}

std::string NotAllDifferencesShownMessage(std::int64_t different_records,
                                          std::int64_t max_rows_in_diff_table) {
  const std::string n = FormatNumber(different_records);
  const std::string m = FormatNumber(max_rows_in_diff_table);
  const std::string paragraph = std::string(kCrLf) + std::string(kCrLf);
  return "Not all records will be shown in the table displaying differences between two "
         "selected tables." +
         paragraph + "There are " + n + " differences found by the program." + paragraph +
         "Please note that program's setting for maximum number of records displayed in "
         "differences table is currently set to " +
         m + "." + paragraph +
         "Since there is more different records than it is currently allowed to be shown in the "
         "table, only first " +
         m + " records will be shown." + paragraph +
         "If you wish to increase the number of records shown in differences table, please "
         "click menu item Tools -> Options, click tab 'Rows to Display', change the maximum "
         "number of rows and click button 'OK'.";
}

}  // namespace korvane
