#include "saved/comparison_codes.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(ComparisonCodesTest, TypeNames) {
  EXPECT_EQ(CompTypeName(0), "Data Comparison");
  EXPECT_EQ(CompTypeName(1), "Meta-Data Comparison");
  EXPECT_EQ(CompTypeName(-1), "N/A");
  EXPECT_EQ(CompTypeName(2), "N/A");
}

TEST(ComparisonCodesTest, SubTypeNames) {
  const struct {
    std::int32_t code;
    const char* name;
  } cases[] = {{10, "All"},       {60, "All"},        {20, "Bulk"},         {30, "Selective"},
               {50, "Selective"}, {35, "Individual"}, {40, "Single Table"}, {0, "N/A"},
               {-1, "N/A"},       {45, "N/A"}};
  for (const auto& c : cases)
    EXPECT_EQ(CompSubTypeName(c.code), c.name) << c.code;
}

TEST(ComparisonCodesTest, SubSubTypeNames) {
  EXPECT_EQ(CompSubSubTypeName(10), "Simple");
  EXPECT_EQ(CompSubSubTypeName(30), "Simple");
  EXPECT_EQ(CompSubSubTypeName(20), "Details");
  EXPECT_EQ(CompSubSubTypeName(40), "Details");
  EXPECT_EQ(CompSubSubTypeName(0), "N/A");
  EXPECT_EQ(CompSubSubTypeName(50), "N/A");
}

TEST(ComparisonCodesTest, MethodAndExportTypeNames) {
  EXPECT_EQ(CompMethodName(-1), "N/A");
  EXPECT_EQ(CompMethodName(0), "Record by Record");
  EXPECT_EQ(CompMethodName(1), "Primary Key");
  EXPECT_EQ(CompMethodName(2), "N/A");
  EXPECT_EQ(ExportTypeName(0), "N/A");
  EXPECT_EQ(ExportTypeName(1), "Hyper Text Markup Language (HTML) file");
  EXPECT_EQ(ExportTypeName(2), "Excel - Comma Separated Values (CSV) file");
  EXPECT_EQ(ExportTypeName(3), "N/A");
}

}  // namespace
}  // namespace korvane
