#include "datacomp/data_differences_window.h"

#include "base/text.h"
#include "datacomp/data_compare_options.h"

namespace korvane {
namespace {

std::string JoinKeys(const std::array<std::string, 3>& keys) {
  std::string text = keys[kPrimary];
  if (IsKeyColumnSet(keys[kSecondary])) {
    text += ", " + keys[kSecondary];
    if (IsKeyColumnSet(keys[kTertiary]))
      text += ", " + keys[kTertiary];
  }
  return text;
}

}  // namespace

std::string DifferencesWindowCaption(std::string_view source_table, std::string_view target_table) {
  return "Differences between data in tables '" + std::string(source_table) + "' and '" +
         std::string(target_table) + "'";
}

std::string DifferencesTableLabel(std::string_view intro, std::string_view table,
                                  std::string_view database, std::string_view server) {
  return std::string(intro) + std::string(table) + " (Database: " + std::string(database) +
         ", Server: " + std::string(server) + ")";
}

std::string NotAllShownLabel(std::int64_t max_rows_in_diff_table) {
  return "Only first " + FormatNumber(max_rows_in_diff_table) + " different records are shown";
}

std::string ComparisonInformationLabel(std::int32_t comp_method,
                                       const std::array<std::array<std::string, 3>, 2>& keys) {
  std::string text = "Comparison method: " + std::string(CompMethodName(comp_method));
  if (comp_method == kCompMethodPrimaryKey) {
    text += " ";
    text += kCrLf;
    text += "Source PK: " + JoinKeys(keys[0]);
    text += kCrLf;
    text += "Target PK: " + JoinKeys(keys[1]);
  }
  return text;
}

std::string IgnoredColumnsLabel(const std::vector<std::string>& source_ignored,
                                const std::vector<std::string>& target_ignored) {
  const std::size_t total = source_ignored.size() + target_ignored.size();
  if (total == 0)
    return {};
  if (total == 1)
    return "Ignored Column: " +
           (source_ignored.empty() ? target_ignored.front() : source_ignored.front());
  return "NOTE: " + std::to_string(total) + " columns were ignored.";
}

void ShowUpDifferencesWindow(DataDifferencesWindow& window, std::int32_t comp_method,
                             const std::array<std::array<std::string, 3>, 2>& keys,
                             const std::vector<std::string>& source_ignored,
                             const std::vector<std::string>& target_ignored) {
  window.information_label = ComparisonInformationLabel(comp_method, keys);
  window.ignored_columns_label = IgnoredColumnsLabel(source_ignored, target_ignored);
  window.ignored_columns_visible = !window.ignored_columns_label.empty();
}

}  // namespace korvane
