#include "catalog/object_type.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(ObjectTypeTest, CodesAndNames) {
  struct Case {
    ObjectType type;
    std::int32_t code;
    const char* label;
    const char* plural;
    const char* singular;
  };
  const Case cases[] = {
      {ObjectType::kProcedures, 10, "Procedures", "procedures", "Procedure"},
      {ObjectType::kFunctions, 20, "Functions", "functions", "Function"},
      {ObjectType::kViews, 30, "Views", "views", "View"},
      {ObjectType::kTriggers, 40, "Triggers", "triggers", "Trigger"},
      {ObjectType::kTables, 50, "Tables", "tables", "Table"},
      {ObjectType::kRelationships, 60, "Relationships", "relationships", "Relationship"},
      {ObjectType::kConstraints, 80, "Constraints", "constraints", "Constraint"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ObjectTypeCode(c.type), c.code);
    EXPECT_EQ(ObjectTypeLabel(c.type), c.label);
    EXPECT_EQ(ObjectTypeName(c.type, false), c.plural);
    EXPECT_EQ(ObjectTypeName(c.type, true), c.singular);
    EXPECT_EQ(ObjectTypeFromName(c.plural), c.type);
    EXPECT_EQ(ObjectTypeFromName(c.singular), c.type);
  }
}

TEST(ObjectTypeTest, OtherCodesAreObjects) {
  for (std::int32_t code : {0, 70, 90, -1}) {
    EXPECT_EQ(ObjectTypeName(ObjectTypeFromCode(code), false), "objects");
    EXPECT_EQ(ObjectTypeName(ObjectTypeFromCode(code), true), "Object");
    EXPECT_EQ(ObjectTypeLabel(ObjectTypeFromCode(code)), "");
    EXPECT_EQ(ObjectTypePredicate(ObjectTypeFromCode(code)), "");
  }
  EXPECT_FALSE(ObjectTypeFromName("objects").has_value());
  EXPECT_EQ(ObjectTypeFromName(" TABLES "), ObjectType::kTables);
}

TEST(ObjectTypeTest, TypeIndexFollowsTheMenuOrder) {
  const ObjectType expected[] = {ObjectType::kTables,     ObjectType::kProcedures,
                                 ObjectType::kFunctions,  ObjectType::kViews,
                                 ObjectType::kTriggers,   ObjectType::kRelationships,
                                 ObjectType::kConstraints};
  for (int index = 0; index < 7; ++index) {
    EXPECT_EQ(ObjectTypeFromIndex(index), expected[index]);
    EXPECT_EQ(ObjectTypeIndex(expected[index]), index);
  }
  EXPECT_FALSE(ObjectTypeFromIndex(7).has_value());
  EXPECT_FALSE(ObjectTypeFromIndex(-1).has_value());
  EXPECT_EQ(ObjectTypeIndex(ObjectTypeFromCode(70)), -1);
}

TEST(ObjectTypeTest, FunctionPredicateMatchesAllThreeKindsWithTheDoubledBlank) {
  EXPECT_EQ(ObjectTypePredicate(ObjectType::kFunctions),
            "OBJECTPROPERTY(id, N'IsInlineFunction') = 1 or OBJECTPROPERTY(id, "
            "N'IsScalarFunction') = 1  or OBJECTPROPERTY(id, N'IsTableFunction') = 1");
  EXPECT_EQ(ObjectTypePredicate(ObjectType::kRelationships), "");
  EXPECT_EQ(ObjectTypePredicate(ObjectType::kConstraints), "");
}

}  // namespace
}  // namespace korvane
