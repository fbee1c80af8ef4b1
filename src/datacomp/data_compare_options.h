// DataCompareOptions: how one data comparison pairs and orders the rows of a Source and a
// Target table, and from which record each side starts. Filled by the data comparison options
// dialog or read from the per-table settings file (datacomp/table_comp_settings.h); used by
// the run and the record comparison engine.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// CompMethod values (kCompMethodRecordByRecord, kCompMethodPrimaryKey) and their names for
// reports and saved comparisons (CompMethodName) are shared with the saved comparisons.
#include "saved/comparison_codes.h"

namespace korvane {

// Key-column text meaning "no column chosen"; the empty text means the same.
inline constexpr std::string_view kNoField = "No Field";

// Ranks of the sort keys and of the key columns.
inline constexpr int kPrimary = 0;
inline constexpr int kSecondary = 1;
inline constexpr int kTertiary = 2;

// The options of one side. Column names are spelled as the table's column list gives them.
struct DataCompareSide {
  // Primary, secondary, tertiary column of the side's ORDER BY; empty when not used.
  std::array<std::string, 3> sort_keys;
  // Record number (1-based) from which the record-by-record comparison starts; 0 and 1 both
  // mean the first record.
  std::int32_t offset = 0;
  // Primary, secondary, tertiary column identifying a record under the key method; kNoField or
  // empty when not used. Source and Target key columns are matched rank by rank.
  std::array<std::string, 3> key_columns;

  friend bool operator==(const DataCompareSide&, const DataCompareSide&) = default;
};

struct DataCompareOptions {
  std::array<DataCompareSide, 2> sides;  // indexed by side: 0 Source, 1 Target
  // No ORDER BY for either side: the dialog closed with no sort key chosen on either side.
  bool use_default_order = false;
  std::int32_t CompMethod = kCompMethodRecordByRecord;

  friend bool operator==(const DataCompareOptions&, const DataCompareOptions&) = default;
};

// True when the key-column text names a column: neither empty nor kNoField.
bool IsKeyColumnSet(std::string_view key_column);

}  // namespace korvane
