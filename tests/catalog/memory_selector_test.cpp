#include "catalog/memory_selector.h"

#include <gtest/gtest.h>

#include "catalog/object_type_selector.h"

namespace korvane {
namespace {

TEST(MemorySelectorTest, EntriesSelectionAndEvents) {
  MemorySelector selector;
  std::vector<int> handled;
  selector.SetSelectionHandler([&](int index) { handled.push_back(index); });
  EXPECT_EQ(selector.CurrentIndex(), -1);
  EXPECT_EQ(selector.CurrentText(), "");
  EXPECT_EQ(selector.CurrentData(), 0);
  selector.AddItem("a", 5);
  selector.AddItem("b", 7);
  selector.SetCurrentIndex(1);
  EXPECT_EQ(selector.CurrentText(), "b");
  EXPECT_EQ(selector.CurrentData(), 7);
  selector.SetCurrentIndex(9);  // no such entry: nothing selected
  EXPECT_EQ(selector.CurrentIndex(), -1);
  EXPECT_EQ(handled, (std::vector<int>{1, -1}));
  selector.Clear();
  EXPECT_EQ(selector.Count(), 0);
  EXPECT_EQ(selector.ItemText(0), "");
}

class TypeSelectorTest : public ::testing::Test {
 protected:
  TypeSelectorTest() {
    selector_.SetSelectionHandler([&](int) {
      if (!selector_.IsBusy())
        ++handled_;
    });
  }
  MemorySelector selector_;
  int handled_ = 0;
};

TEST_F(TypeSelectorTest, SixTypesWithoutConstraintsAndTablesSelected) {
  FillTypeSelector(selector_, false);
  EXPECT_EQ(selector_.Texts(), (std::vector<std::string>{"Tables", "Procedures", "Functions",
                                                         "Views", "Triggers", "Relationships"}));
  const std::int32_t codes[] = {50, 10, 20, 30, 40, 60};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(selector_.ItemData(i), codes[i]);
  EXPECT_EQ(SelectedObjectType(selector_), ObjectType::kTables);
  EXPECT_EQ(selector_.Tag(), "");
  EXPECT_EQ(handled_, 0);  // filled while busy
}

TEST_F(TypeSelectorTest, ConstraintsOfferedWhenAnalysed) {
  FillTypeSelector(selector_, true);
  ASSERT_EQ(selector_.Count(), 7);
  EXPECT_EQ(selector_.ItemText(6), "Constraints");
  EXPECT_EQ(selector_.ItemData(6), 80);
}

TEST_F(TypeSelectorTest, SelectTypeByCodeWithAndWithoutEvents) {
  FillTypeSelector(selector_, false);
  SelectType(selector_, ObjectType::kViews, /*suppress_events=*/true);
  EXPECT_EQ(SelectedObjectType(selector_), ObjectType::kViews);
  EXPECT_EQ(handled_, 0);
  EXPECT_EQ(selector_.Tag(), "");
  SelectType(selector_, ObjectType::kTriggers, /*suppress_events=*/false);
  EXPECT_EQ(SelectedObjectType(selector_), ObjectType::kTriggers);
  EXPECT_EQ(handled_, 1);
  const std::size_t events = selector_.selection_events().size();
  SelectType(selector_, ObjectType::kTriggers, false);     // already selected: nothing happens
  SelectType(selector_, ObjectType::kConstraints, false);  // not offered: nothing happens
  EXPECT_EQ(selector_.selection_events().size(), events);
  EXPECT_EQ(SelectedObjectType(selector_), ObjectType::kTriggers);
}

}  // namespace
}  // namespace korvane
