#include "datacomp/key_columns_argument.h"

#include <gtest/gtest.h>

#include "support/recording_user_interface.h"

namespace korvane {
namespace {

using testing::RecordingUserInterface;
using Names = std::vector<std::string>;

KeyColumnsArgument Argument(Names source, Names target) {
  return KeyColumnsArgument{{std::move(source), std::move(target)}};
}

TEST(KeyColumnsArgumentTest, TargetNameDefaultsToTheSourceName) {
  EXPECT_EQ(ParseKeyColumnsArgument("OrderID"), Argument({"OrderID"}, {"OrderID"}));
  EXPECT_EQ(ParseKeyColumnsArgument("OrderID:OrderNo, Line ,Item : ItemNo"),
            Argument({"OrderID", "Line", "Item"}, {"OrderNo", "Line", "ItemNo"}));
  EXPECT_EQ(ParseKeyColumnsArgument("Order Id"), Argument({"Order Id"}, {"Order Id"}));
}

TEST(KeyColumnsArgumentTest, EmptyNamesAndMoreThanThreeKeysAreRefused) {
  EXPECT_FALSE(ParseKeyColumnsArgument(""));
  EXPECT_FALSE(ParseKeyColumnsArgument("A,,B"));
  EXPECT_FALSE(ParseKeyColumnsArgument("A:"));
  EXPECT_FALSE(ParseKeyColumnsArgument(":B"));
  EXPECT_FALSE(ParseKeyColumnsArgument("A:B:C"));
  EXPECT_FALSE(ParseKeyColumnsArgument("A,B,C,D"));
  EXPECT_FALSE(ParseKeyColumnsArgument("A,"));
}

class ChooseKeyColumnsByNameTest : public ::testing::Test {
 protected:
  ChooseKeyColumnsByNameTest() {
    CompareDataOptionsInput input;
    input.columns[0] = {{"OrderID", "int"}, {"Line", "int"}, {"Notes", "text"}};
    input.columns[1] = {{"OrderNo", "int"}, {"line", "int"}, {"Notes", "text"}};
    input.stored[0].side.key_columns = {"Line", "", ""};
    input.stored[1].side.key_columns = {"line", "OrderNo", ""};
    state_ = LoadCompareDataOptions(input);
  }

  CompareDataOptionsState state_;
  RecordingUserInterface ui_;
  std::string missing_ = "stale";
};

TEST_F(ChooseKeyColumnsByNameTest, NamedColumnsReplaceTheStoredKeysUnderTheKeyMethod) {
  ASSERT_TRUE(ChooseKeyColumnsByName(state_, Argument({"OrderID"}, {"OrderNo"}), ui_, missing_));
  EXPECT_EQ(missing_, "");
  EXPECT_EQ(state_.CompMethod, kCompMethodPrimaryKey);
  const DataCompareOptions options = CollectDataCompareOptions(state_);
  EXPECT_EQ(options.sides[0].key_columns,
            (std::array<std::string, 3>{"OrderID", "No Field", "No Field"}));
  EXPECT_EQ(options.sides[1].key_columns,
            (std::array<std::string, 3>{"OrderNo", "No Field", "No Field"}));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ChooseKeyColumnsByNameTest, NamesAreFoundLetterCaseAside) {
  ASSERT_TRUE(ChooseKeyColumnsByName(state_, Argument({"orderid", "LINE"}, {"ORDERNO", "Line"}),
                                     ui_, missing_));
  const DataCompareOptions options = CollectDataCompareOptions(state_);
  EXPECT_EQ(options.sides[0].key_columns,
            (std::array<std::string, 3>{"OrderID", "Line", "No Field"}));
  EXPECT_EQ(options.sides[1].key_columns,
            (std::array<std::string, 3>{"OrderNo", "line", "No Field"}));
}

TEST_F(ChooseKeyColumnsByNameTest, UnknownColumnIsNamed) {
  EXPECT_FALSE(ChooseKeyColumnsByName(state_, Argument({"OrderID"}, {"OrderID"}), ui_, missing_));
  EXPECT_EQ(missing_, "OrderID");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ChooseKeyColumnsByNameTest, RefusedColumnShowsTheDialogsMessage) {
  EXPECT_FALSE(ChooseKeyColumnsByName(state_, Argument({"Notes"}, {"Notes"}), ui_, missing_));
  EXPECT_EQ(missing_, "");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, kUnsortableTypeMessage);
}

}  // namespace
}  // namespace korvane
