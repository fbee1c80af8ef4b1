#include "saved/enc_obj_types.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

namespace korvane {
namespace {

using Boxes = std::array<int, kObjTypeCount>;

TEST(EncObjTypesTest, EncodingWritesOneFlagPerBoxInTypeIndexOrder) {
  EXPECT_EQ(EncodeObjTypes({}), "0,0,0,0,0,0,0");
  EXPECT_EQ(EncodeObjTypes({true, false, false, true, false, false, true}), "1,0,0,1,0,0,1");
  EXPECT_EQ(EncodeObjTypes({true, true, true, true, true, true, true}), "1,1,1,1,1,1,1");
}

TEST(EncObjTypesTest, SingleTypeValuesFollowTheTypeCodes) {
  const struct {
    std::int32_t code;
    const char* value;
    int index;
  } cases[] = {
      {50, "1,0,0,0,0,0,0", 0}, {10, "0,1,0,0,0,0,0", 1}, {20, "0,0,1,0,0,0,0", 2},
      {30, "0,0,0,1,0,0,0", 3}, {40, "0,0,0,0,1,0,0", 4}, {60, "0,0,0,0,0,1,0", 5},
      {80, "0,0,0,0,0,0,1", 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(SingleObjTypes(c.code), c.value);
    EXPECT_EQ(ObjTypesTypeIndex(c.value), c.index);
    EXPECT_EQ(kObjTypeCodesByIndex[static_cast<std::size_t>(c.index)], c.code);
  }
  EXPECT_EQ(SingleObjTypes(0), "0,0,0,0,0,0,0");
  EXPECT_EQ(SingleObjTypes(70), "");
  EXPECT_EQ(SingleObjTypes(-1), "");
}

TEST(EncObjTypesTest, TypeIndexIsMinusOneForEverythingButASingleType) {
  EXPECT_EQ(ObjTypesTypeIndex("0,0,0,0,0,0,0"), -1);
  EXPECT_EQ(ObjTypesTypeIndex("1,1,0,0,0,0,0"), -1);
  EXPECT_EQ(ObjTypesTypeIndex(""), -1);
  // A six-flag value is valid but not one of the single-type values.
  EXPECT_EQ(ObjTypesTypeIndex("1,0,0,0,0,0"), -1);
  EXPECT_EQ(ObjTypesTypeIndex(" 1,0,0,0,0,0,0"), -1);
}

TEST(EncObjTypesTest, ValidityWantsThirteenCharactersWithSixCommas) {
  EXPECT_TRUE(ObjTypesValid("1,0,0,0,0,0,0"));
  EXPECT_TRUE(ObjTypesValid("1,0,0,0,0,0"));  // six flags of an older file
  EXPECT_FALSE(ObjTypesValid(""));
  EXPECT_FALSE(ObjTypesValid("1,0,0,0,0,0,"));     // 12 characters
  EXPECT_FALSE(ObjTypesValid("1,0,0,0,0,0,0,0"));  // 15 characters
  EXPECT_FALSE(ObjTypesValid("1;0;0;0;0;0;0"));    // no commas
  EXPECT_FALSE(ObjTypesValid("1,0,0,0,0,0,00"));   // 14 characters
  EXPECT_FALSE(ObjTypesValid("1,0,0,0,0,0.0"));    // 13 characters, five commas
  // Characters, not bytes: thirteen characters of which one takes two bytes.
  EXPECT_TRUE(ObjTypesValid("\xC3\xA9,0,0,0,0,0,0"));
}

TEST(EncObjTypesTest, DecodingGivesTheBoxValues) {
  EXPECT_EQ(DecodeObjTypes("1,0,0,1,0,0,1"), (Boxes{1, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(DecodeObjTypes("0,0,0,0,0,0,0"), (Boxes{}));
  EXPECT_EQ(DecodeObjTypes("x,y,z,1,0,0,0"), (Boxes{0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(DecodeObjTypes("1,0,0,0,0,0,"), std::nullopt);
  EXPECT_EQ(DecodeObjTypes(""), std::nullopt);
}

TEST(EncObjTypesTest, SixFlagValuesDecodeWithConstraintsUnticked) {
  EXPECT_EQ(DecodeObjTypes("1,0,0,0,0,0"), (Boxes{1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(DecodeObjTypes("1,1,1,1,1,1"), (Boxes{1, 1, 1, 1, 1, 1, 0}));
  EXPECT_EQ(ObjTypesNames("0,0,0,0,0,1"), "Relationships");
}

TEST(EncObjTypesTest, NamesListTheTickedTypesInOrder) {
  EXPECT_EQ(ObjTypesNames("1,1,1,1,1,1,1"),
            "Tables, Procedures, Functions, Views, Triggers, Relationships, Constraints");
  EXPECT_EQ(ObjTypesNames("0,1,0,0,1,0,1"), "Procedures, Triggers, Constraints");
  EXPECT_EQ(ObjTypesNames("1,0,0,0,0,0,0"), "Tables");
  EXPECT_EQ(ObjTypesNames("0,0,0,0,0,0,0"), "N/A");
  EXPECT_EQ(ObjTypesNames("1,1,1"), "N/A");
  EXPECT_EQ(ObjTypesNames(""), "N/A");
  // Only a flag of exactly 1 names its type.
  EXPECT_EQ(ObjTypesNames("2,1,0,0,0,0,0"), "Procedures");
}

TEST(EncObjTypesTest, EncodedBoxesDecodeToThemselves) {
  for (int mask = 0; mask < 128; ++mask) {
    std::array<bool, kObjTypeCount> ticked{};
    Boxes expected{};
    for (std::size_t i = 0; i < ticked.size(); ++i) {
      ticked[i] = (mask >> i) & 1;
      expected[i] = ticked[i] ? 1 : 0;
    }
    const std::string value = EncodeObjTypes(ticked);
    ASSERT_TRUE(ObjTypesValid(value)) << value;
    EXPECT_EQ(DecodeObjTypes(value), expected) << value;
  }
}

}  // namespace
}  // namespace korvane
