// The per-table data comparison settings in kvn_tables_comps.ini (AppLocations::
// tables_comps_ini). One section per table, named by its TableSettingsKey; the Source and the
// Target table of a comparison each have their own, so a table's settings follow it into every
// comparison. Keys, in the order they are written to a new section:
//
//   [DEV01.Sales.Orders]
//   PrimarySortKey=OrderID          <- sort keys: column name or empty
//   SecondarySortKey=
//   TertiarySortKey=
//   OffsetStartRec=0                <- the side's offset, decimal
//   DbType=SQL Server               <- always this text
//   CompMethod=1                    <- 0 record by record, 1 key; the same in both sections
//   CompKey=OrderID                 <- key columns: column name, "No Field" or empty
//   SecondaryCompKey=No Field
//   TertiaryCompKey=No Field
//   IgnoreColumn=                   <- written empty, Source sections only; never read
//
// Missing files, sections and keys read as empty texts and 0, so a table never configured is
// compared record by record, in its own order, from its first record.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "datacomp/data_compare_options.h"

namespace korvane {

inline constexpr std::string_view kPrimarySortKeyKey = "PrimarySortKey";
inline constexpr std::string_view kSecondarySortKeyKey = "SecondarySortKey";
inline constexpr std::string_view kTertiarySortKeyKey = "TertiarySortKey";
inline constexpr std::string_view kOffsetStartRecKey = "OffsetStartRec";
inline constexpr std::string_view kDbTypeKey = "DbType";
inline constexpr std::string_view kCompMethodKey = "CompMethod";
inline constexpr std::string_view kCompKeyKey = "CompKey";
inline constexpr std::string_view kSecondaryCompKeyKey = "SecondaryCompKey";
inline constexpr std::string_view kTertiaryCompKeyKey = "TertiaryCompKey";
inline constexpr std::string_view kIgnoreColumnKey = "IgnoreColumn";
inline constexpr std::string_view kDbTypeSqlServer = "SQL Server";

// What one section holds.
struct TableCompSettings {
  DataCompareSide side;
  std::int32_t CompMethod = kCompMethodRecordByRecord;

  friend bool operator==(const TableCompSettings&, const TableCompSettings&) = default;
};

// The section's settings. Texts are cut to 255 characters as INI string reads are. The offset
// reads as a whole number (leading blanks, a sign, digits up to the first other character); a
// negative or unreadable one, or one beyond 32 bits, reads 0. CompMethod reads 1 only when
// stored as 1: any other number means record by record, the only other method there is.
TableCompSettings ReadTableCompSettings(const std::filesystem::path& file,
                                        std::string_view table_key);

// Writes every key of the section (values that exist are replaced in place, other keys of the
// section are kept), IgnoreColumn only when `is_source`. One atomic replacement of the file.
// False when the file could not be written or a value could not be stored (a line break in a
// name); the values that could be stored are written all the same.
bool WriteTableCompSettings(const std::filesystem::path& file, std::string_view table_key,
                            const TableCompSettings& settings, bool is_source);

// The settings of a run read without the options dialog: the Source section first, then the
// Target section, whose CompMethod is the one used. use_default_order is false: each side's
// ORDER BY comes from its stored sort keys.
DataCompareOptions ReadStoredDataCompareOptions(const std::filesystem::path& file,
                                                std::string_view source_key,
                                                std::string_view target_key);

// Writes both sections as the options dialog does when it closes with Continue: the Source
// section first, both with the run's CompMethod. When use_default_order is set, no sort key is
// stored. The file is replaced once, so it never holds one section new and the other old.
// False as for WriteTableCompSettings.
bool StoreDataCompareOptions(const std::filesystem::path& file, std::string_view source_key,
                             std::string_view target_key, const DataCompareOptions& options);

}  // namespace korvane
