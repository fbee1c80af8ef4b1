// The codes that describe a comparison wherever it is passed on (report windows, the save
// dialog, saved processes, re-runs), and the names the properties message gives them.
//
//   CompType  CompSubType        CompSubSubType           comparison
//   1         10 All             0                        structure, all ticked object types
//   1         20 Bulk            10 Simple / 20 Details   structure, all objects of one type
//   1         30 Selective       30 Simple / 40 Details   structure, selected objects of one type
//   1         35 Individual      0                        two selected objects
//   0         40 Single Table    0                        data of one pair of tables
//   0         50 Selective       0                        data of selected tables
//   0         60 All             0                        data of all tables
#pragma once

#include <cstdint>
#include <string_view>

namespace korvane {

inline constexpr std::int32_t kCompTypeData = 0;
inline constexpr std::int32_t kCompTypeStructure = 1;

inline constexpr std::int32_t kCompSubTypeStructureAll = 10;
inline constexpr std::int32_t kCompSubTypeStructureBulk = 20;
inline constexpr std::int32_t kCompSubTypeStructureSelective = 30;
inline constexpr std::int32_t kCompSubTypeStructureIndividual = 35;
inline constexpr std::int32_t kCompSubTypeDataSingleTable = 40;
inline constexpr std::int32_t kCompSubTypeDataSelective = 50;
inline constexpr std::int32_t kCompSubTypeDataAll = 60;

inline constexpr std::int32_t kCompSubSubTypeBulkSimple = 10;
inline constexpr std::int32_t kCompSubSubTypeBulkDetails = 20;
inline constexpr std::int32_t kCompSubSubTypeSelectiveSimple = 30;
inline constexpr std::int32_t kCompSubSubTypeSelectiveDetails = 40;

// CompMethod of structure comparisons; data comparisons use 0 record by record, 1 by key.
inline constexpr std::int32_t kCompMethodNone = -1;
inline constexpr std::int32_t kCompMethodRecordByRecord = 0;
inline constexpr std::int32_t kCompMethodPrimaryKey = 1;

inline constexpr std::int32_t kExportTypeReportText = 0;
inline constexpr std::int32_t kExportTypeHtml = 1;
inline constexpr std::int32_t kExportTypeCsv = 2;

// 0 "Data Comparison", 1 "Meta-Data Comparison", anything else "N/A".
std::string_view CompTypeName(std::int32_t comp_type);

// 10 and 60 "All", 20 "Bulk", 30 and 50 "Selective", 35 "Individual", 40 "Single Table",
// anything else "N/A".
std::string_view CompSubTypeName(std::int32_t comp_sub_type);

// 10 and 30 "Simple", 20 and 40 "Details", anything else "N/A".
std::string_view CompSubSubTypeName(std::int32_t comp_sub_sub_type);

// 0 "Record by Record", 1 "Primary Key", anything else (-1 included) "N/A".
std::string_view CompMethodName(std::int32_t comp_method);

// 1 "Hyper Text Markup Language (HTML) file", 2 "Excel - Comma Separated Values (CSV) file",
// anything else (the report text 0 included) "N/A".
std::string_view ExportTypeName(std::int32_t export_type);

}  // namespace korvane
