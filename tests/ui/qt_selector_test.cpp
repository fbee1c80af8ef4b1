#include "ui/qt_selector.h"

#include <gtest/gtest.h>

#include <vector>

namespace korvane {
namespace {

class QtSelectorTest : public ::testing::Test {
 protected:
  QtSelectorTest() {
    selector_.SetSelectionHandler([this](int index) { events_.push_back(index); });
  }
  QtSelector selector_;
  std::vector<int> events_;
};

TEST_F(QtSelectorTest, FillingSelectsNothingAndRaisesNoEvent) {
  EXPECT_EQ(selector_.AddItem("Tables", 50), 0);
  EXPECT_EQ(selector_.AddItem("Views", 30), 1);
  EXPECT_EQ(selector_.Count(), 2);
  EXPECT_EQ(selector_.CurrentIndex(), -1);
  EXPECT_EQ(selector_.CurrentText(), "");
  EXPECT_EQ(selector_.CurrentData(), 0);
  EXPECT_EQ(selector_.ItemText(1), "Views");
  EXPECT_EQ(selector_.ItemData(1), 30);
  EXPECT_EQ(selector_.ItemText(2), "");
  EXPECT_EQ(selector_.ItemData(-1), 0);
  EXPECT_TRUE(events_.empty());
}

TEST_F(QtSelectorTest, ProgramSelectionRaisesOneEventEvenWhenBusy) {
  selector_.AddItem("Tables", 50);
  selector_.AddItem("Views", 30);
  selector_.SetTag(kBusyTag);
  EXPECT_TRUE(selector_.IsBusy());
  selector_.SetCurrentIndex(1);
  EXPECT_EQ(selector_.CurrentData(), 30);
  selector_.SetCurrentIndex(7);  // no such entry: nothing selected
  EXPECT_EQ(selector_.CurrentIndex(), -1);
  EXPECT_EQ(events_, (std::vector<int>{1, -1}));
}

TEST_F(QtSelectorTest, PersonsChoiceRaisesTheEventAndClearingDoesNot) {
  selector_.AddItem("Tables", 50);
  selector_.AddItem("Views", 30);
  selector_.setCurrentIndex(1);  // as the combo box does when a person picks an entry
  EXPECT_EQ(events_, std::vector<int>{1});
  selector_.Clear();
  EXPECT_EQ(selector_.Count(), 0);
  EXPECT_EQ(selector_.CurrentIndex(), -1);
  EXPECT_EQ(events_, std::vector<int>{1});
}

TEST_F(QtSelectorTest, UnicodeTextsRoundTrip) {
  selector_.AddItem("Schéma ☃");
  EXPECT_EQ(selector_.ItemText(0), "Schéma ☃");
}

}  // namespace
}  // namespace korvane
