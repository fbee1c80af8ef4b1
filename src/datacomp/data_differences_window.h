// The differences window of a data comparison (frmCompareData) as data: its caption, the two
// table labels, the differences grid the record comparison engine fills, the note shown when
// the grid cannot hold every difference, the comparison information and the ignored-columns
// label. The window shows this record; export reads its grid.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "datacomp/diff_grid.h"

namespace korvane {

inline constexpr std::string_view kSourceTableLabel = "Source Table: ";
inline constexpr std::string_view kTargetTableLabel = "Target Table: ";
// The captions of the statistics labels (lblStats 0 to 2) beside the counts the grid keeps
// (lblStats 3 to 5): Source records, Target records, differing records.
inline constexpr std::array<std::string_view, 3> kStatisticsCaptions = {
    "Records in Source table:", "Records in Target table:", "Different records:"};

struct DataDifferencesWindow {
  std::string caption;
  std::array<std::string, 2> table_labels;  // [side]
  DiffGrid grid;
  std::string note_label;
  bool note_visible = false;
  std::string information_label;
  std::string ignored_columns_label;
  bool ignored_columns_visible = false;

  friend bool operator==(const DataDifferencesWindow&, const DataDifferencesWindow&) = default;
};

// "Differences between data in tables 'S' and 'T'".
std::string DifferencesWindowCaption(std::string_view source_table, std::string_view target_table);

// `intro` (kSourceTableLabel or kTargetTableLabel) + table + " (Database: " + database +
// ", Server: " + server + ")".
std::string DifferencesTableLabel(std::string_view intro, std::string_view table,
                                  std::string_view database, std::string_view server);

// "Only first " + m ("#,##0") + " different records are shown".
std::string NotAllShownLabel(std::int64_t max_rows_in_diff_table);

// "Comparison method: " + the method's name; under the key method a blank, CR LF, "Source PK: "
// with the Source key columns joined by ", " (the secondary when set, the tertiary when it and
// the secondary are set), CR LF and "Target PK: " likewise. [side][rank] key columns.
std::string ComparisonInformationLabel(std::int32_t comp_method,
                                       const std::array<std::array<std::string, 3>, 2>& keys);

// "NOTE: " + total + " columns were ignored." for more than one column, "Ignored Column: " +
// its name for exactly one, empty for none. The lists are each side's ignored columns.
std::string IgnoredColumnsLabel(const std::vector<std::string>& source_ignored,
                                const std::vector<std::string>& target_ignored);

// ShowUp: the window's texts around an already filled grid.
void ShowUpDifferencesWindow(DataDifferencesWindow& window, std::int32_t comp_method,
                             const std::array<std::array<std::string, 3>, 2>& keys,
                             const std::vector<std::string>& source_ignored,
                             const std::vector<std::string>& target_ignored);

}  // namespace korvane
