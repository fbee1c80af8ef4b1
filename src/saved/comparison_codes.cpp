#include "saved/comparison_codes.h"

namespace korvane {

namespace {
constexpr std::string_view kNotApplicable = "N/A";
}  // namespace

std::string_view CompTypeName(std::int32_t comp_type) {
  switch (comp_type) {
    case kCompTypeData:
      return "Data Comparison";
    case kCompTypeStructure:
      return "Meta-Data Comparison";
    default:
      return kNotApplicable;
  }
}

std::string_view CompSubTypeName(std::int32_t comp_sub_type) {
  switch (comp_sub_type) {
    case kCompSubTypeStructureAll:
    case kCompSubTypeDataAll:
      return "All";
    case kCompSubTypeStructureBulk:
      return "Bulk";
    case kCompSubTypeStructureSelective:
    case kCompSubTypeDataSelective:
      return "Selective";
    case kCompSubTypeStructureIndividual:
      return "Individual";
    case kCompSubTypeDataSingleTable:
      return "Single Table";
    default:
      return kNotApplicable;
  }
}

std::string_view CompSubSubTypeName(std::int32_t comp_sub_sub_type) {
  switch (comp_sub_sub_type) {
    case kCompSubSubTypeBulkSimple:
    case kCompSubSubTypeSelectiveSimple:
      return "Simple";
    case kCompSubSubTypeBulkDetails:
    case kCompSubSubTypeSelectiveDetails:
      return "Details";
    default:
      return kNotApplicable;
  }
}

std::string_view CompMethodName(std::int32_t comp_method) {
  switch (comp_method) {
    case kCompMethodRecordByRecord:
      return "Record by Record";
    case kCompMethodPrimaryKey:
      return "Primary Key";
    default:
      return kNotApplicable;
  }
}

std::string_view ExportTypeName(std::int32_t export_type) {
  switch (export_type) {
    case kExportTypeHtml:
      return "Hyper Text Markup Language (HTML) file";
    case kExportTypeCsv:
      return "Excel - Comma Separated Values (CSV) file";
    default:
      return kNotApplicable;
  }
}

}  // namespace korvane
