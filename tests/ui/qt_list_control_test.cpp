#include "ui/qt_list_control.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <vector>

#include "base/memory_list_control.h"

namespace korvane {
namespace {

// The behaviour every list keeps, run on the in-memory list and on the Qt list alike.
template <typename List>
class ListControlContractTest : public ::testing::Test {
 protected:
  ListControlContractTest() {
    list_.SetSelectionHandler([this](int row) { events_.push_back(row); });
  }
  List list_;
  std::vector<int> events_;
};

using ListTypes = ::testing::Types<MemoryListControl, QtListControl>;
TYPED_TEST_SUITE(ListControlContractTest, ListTypes);

TYPED_TEST(ListControlContractTest, EmptyListHasNoCurrentRowAndNoCurrentText) {
  ListControl& list = this->list_;
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.CurrentRow(), -1);
  EXPECT_EQ(list.CurrentText(), "");
  EXPECT_EQ(list.Cell(0, 0), "");
  EXPECT_EQ(list.CheckedCount(), 0);
  list.SetCurrentRow(0);  // no such row: none selected, still an event
  EXPECT_EQ(list.CurrentRow(), -1);
  EXPECT_EQ(list.CurrentText(), "");
  EXPECT_EQ(this->events_, std::vector<int>{-1});
}

TYPED_TEST(ListControlContractTest, RowsKeepTheirOrderAndCellsTheirText) {
  ListControl& list = this->list_;
  list.SetColumnCount(3);
  EXPECT_EQ(list.ColumnCount(), 3);
  EXPECT_EQ(list.AddRow("master"), 0);
  EXPECT_EQ(list.AddRow("Z\xC3\xBCrich \xE2\x82\xAC"), 1);  // non-ASCII text
  EXPECT_EQ(list.AddRow("model"), 2);
  list.SetCell(1, 2, "42");
  EXPECT_EQ(list.RowCount(), 3);
  EXPECT_EQ(list.Cell(0, 0), "master");
  EXPECT_EQ(list.Cell(1, 0), "Z\xC3\xBCrich \xE2\x82\xAC");
  EXPECT_EQ(list.Cell(1, 2), "42");
  EXPECT_EQ(list.Cell(1, 1), "");
  EXPECT_EQ(list.Cell(3, 0), "");
  EXPECT_EQ(list.Cell(-1, 0), "");
  EXPECT_EQ(list.Cell(0, -1), "");
  EXPECT_EQ(SelectRowByText(list, "model"), 2);
  EXPECT_EQ(SelectRowByText(list, "MODEL"), -1);  // exact
  EXPECT_EQ(list.CurrentText(), "model");
}

TYPED_TEST(ListControlContractTest, SettingACellBeyondTheColumnsAddsColumns) {
  ListControl& list = this->list_;
  list.AddRow("a");
  list.SetCell(0, 3, "id");
  EXPECT_EQ(list.ColumnCount(), 4);
  EXPECT_EQ(list.Cell(0, 3), "id");
}

TYPED_TEST(ListControlContractTest, ColumnsHiddenBeforeTheyExistKeepTheCount) {
  ListControl& list = this->list_;
  list.SetColumnHidden(2, true);
  EXPECT_EQ(list.ColumnCount(), 1);
  list.SetColumnCount(3);
  EXPECT_EQ(list.ColumnCount(), 3);
}

TYPED_TEST(ListControlContractTest, SelectingRaisesTheEventEvenWhileBusy) {
  ListControl& list = this->list_;
  list.AddRow("a");
  list.AddRow("b");
  EXPECT_TRUE(this->events_.empty());  // adding rows is not a selection
  list.SetTag(kBusyTag);
  EXPECT_TRUE(list.IsBusy());
  list.SetCurrentRow(1);
  list.SetCurrentRow(1);  // again: again an event
  list.SetTag("");
  EXPECT_FALSE(list.IsBusy());
  list.SetCurrentRow(0);
  EXPECT_EQ(this->events_, (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(list.CurrentText(), "a");
}

TYPED_TEST(ListControlContractTest, RemovingRowsMovesLaterRowsUp) {
  ListControl& list = this->list_;
  for (const char* name : {"a", "b", "c", "d"})
    list.AddRow(name);
  list.SetCurrentRow(3);
  list.RemoveRow(1);
  EXPECT_EQ(list.RowCount(), 3);
  EXPECT_EQ(list.Cell(1, 0), "c");
  EXPECT_EQ(list.CurrentRow(), 2);  // "d" moved up
  EXPECT_EQ(list.CurrentText(), "d");
  list.RemoveRow(2);  // the current row: none is current afterwards
  EXPECT_EQ(list.CurrentRow(), -1);
  list.RemoveRow(7);  // no such row
  EXPECT_EQ(list.RowCount(), 2);
  EXPECT_EQ(this->events_, std::vector<int>{3});  // removals raise no event
}

TYPED_TEST(ListControlContractTest, ClearRemovesRowsAndWhereAskedColumns) {
  ListControl& list = this->list_;
  list.SetColumnCount(4);
  list.AddRow("a");
  list.SetCurrentRow(0);
  list.Clear(false);
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.CurrentRow(), -1);
  EXPECT_EQ(list.ColumnCount(), 4);
  list.Clear(true);
  EXPECT_EQ(list.ColumnCount(), 1);
  list.SetColumnCount(0);
  EXPECT_EQ(list.ColumnCount(), 1);
  EXPECT_EQ(this->events_, std::vector<int>{0});
}

TYPED_TEST(ListControlContractTest, TicksArePerRow) {
  ListControl& list = this->list_;
  for (const char* name : {"id", "name", "stamp"})
    list.AddRow(name);
  list.SetChecked(0, true);
  list.SetChecked(2, true);
  list.SetChecked(5, true);  // no such row
  EXPECT_TRUE(list.IsChecked(0));
  EXPECT_FALSE(list.IsChecked(1));
  EXPECT_EQ(list.CheckedCount(), 2);
  list.SetChecked(0, false);
  EXPECT_EQ(list.CheckedCount(), 1);
  list.RemoveRow(2);
  EXPECT_EQ(list.CheckedCount(), 0);
  EXPECT_FALSE(list.IsChecked(-1));
}

// --- What only the Qt list does -----------------------------------------------------------------

class QtListControlTest : public ::testing::Test {
 protected:
  QtListControlTest() {
    list_.resize(300, 200);
    list_.SetSelectionHandler([this](int row) { events_.push_back(row); });
  }
  QtListControl list_;
  std::vector<int> events_;
};

TEST_F(QtListControlTest, ClickingARowRaisesTheSelectionEvent) {
  list_.AddRow("first");
  list_.AddRow("second");
  list_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
  const QRect second = list_.visualItemRect(list_.topLevelItem(1));
  QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, second.center());
  EXPECT_EQ(list_.CurrentRow(), 1);
  EXPECT_EQ(list_.CurrentText(), "second");
  EXPECT_EQ(events_, std::vector<int>{1});
  QTest::keyClick(&list_, Qt::Key_Up);
  EXPECT_EQ(list_.CurrentText(), "first");
  EXPECT_EQ(events_, (std::vector<int>{1, 0}));
}

TEST_F(QtListControlTest, ModifierStateOfAClickOrKey) {
  EXPECT_EQ(ShiftState(Qt::NoModifier), 0);
  EXPECT_EQ(ShiftState(Qt::ShiftModifier), 1);
  EXPECT_EQ(ShiftState(Qt::ControlModifier), 2);
  EXPECT_EQ(ShiftState(Qt::AltModifier), 4);
  EXPECT_EQ(ShiftState(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);

  list_.AddRow("a");
  list_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
  QSignalSpy gestures(&list_, &QtListControl::modifierGesture);
  QTest::mouseClick(list_.viewport(), Qt::LeftButton,
                    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier,
                    list_.visualItemRect(list_.topLevelItem(0)).center());
  QTest::keyClick(&list_, Qt::Key_Down, Qt::ControlModifier);
  ASSERT_EQ(gestures.count(), 2);
  EXPECT_EQ(gestures.at(0).at(0).toInt(), 7);
  EXPECT_EQ(gestures.at(1).at(0).toInt(), 2);
}

TEST_F(QtListControlTest, CheckListShowsBoxesThatAClickTicks) {
  list_.AddRow("before");
  list_.SetCheckList(true);
  list_.AddRow("after");
  EXPECT_FALSE(list_.topLevelItem(0)->data(0, Qt::CheckStateRole).isNull());
  EXPECT_FALSE(list_.topLevelItem(1)->data(0, Qt::CheckStateRole).isNull());
  list_.topLevelItem(1)->setCheckState(0, Qt::Checked);  // what a click on the box does
  EXPECT_TRUE(list_.IsChecked(1));
  EXPECT_EQ(list_.CheckedCount(), 1);
  list_.SetCheckList(false);
  EXPECT_TRUE(list_.topLevelItem(0)->data(0, Qt::CheckStateRole).isNull());
  EXPECT_EQ(list_.CheckedCount(), 0);
}

TEST_F(QtListControlTest, HiddenIdColumnAndTheFirstColumnFillingTheWidth) {
  list_.SetColumnCount(2);
  list_.SetColumnHidden(1, true);
  EXPECT_TRUE(list_.isColumnHidden(1));
  list_.AddRow("table");
  list_.SetCell(0, 1, "12345");
  EXPECT_EQ(list_.Cell(0, 1), "12345");  // hidden, still readable

  list_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
  list_.SetColumnWidth(0, -1);
  EXPECT_EQ(list_.columnWidth(0), list_.viewport()->width());
  list_.resize(400, 200);
  QApplication::processEvents();
  EXPECT_EQ(list_.columnWidth(0), list_.viewport()->width());
  list_.SetColumnWidth(0, 50);
  EXPECT_EQ(list_.columnWidth(0), 50);

  list_.SetColumnCaption(0, "List of all tables");
  EXPECT_TRUE(list_.header()->isVisible());
  EXPECT_EQ(list_.headerItem()->text(0), "List of all tables");
  list_.Clear(true);
  EXPECT_FALSE(list_.header()->isVisible());
  EXPECT_FALSE(list_.isColumnHidden(0));
}

// Regression: beside a filling first column, the object list's date column kept its default
// width and cut the reference dates short ("2026-12-07 0...").
TEST_F(QtListControlTest, ColumnsBesideTheFillingColumnWidenToTheirTexts) {
  list_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
  list_.SetColumnCount(3);
  list_.SetColumnHidden(2, true);
  list_.SetColumnWidth(0, -1);
  const int narrowest = list_.columnWidth(1);
  for (const char* date : {"2024-01-01", "2026-12-07 01:02:03", "DEC 31 2026 11:59:59:997PM"}) {
    SCOPED_TRACE(date);
    const int row = list_.AddRow("Order Details");
    list_.SetCell(row, 1, date);
    list_.SetCell(row, 2, "123456789012345678901234567890");  // hidden: takes no room
    const int text = list_.fontMetrics().horizontalAdvance(QString::fromUtf8(date));
    EXPECT_GT(list_.columnWidth(1), text);
    EXPECT_GE(list_.columnWidth(1), narrowest);  // never narrower than before
    EXPECT_EQ(list_.columnWidth(0) + list_.columnWidth(1), list_.viewport()->width());
  }
  // Cleared with its columns, the list starts again from the default width.
  list_.Clear(true);
  list_.SetColumnCount(2);
  list_.SetColumnWidth(0, -1);
  EXPECT_EQ(list_.columnWidth(1), narrowest);
}

TEST_F(QtListControlTest, ColumnHiddenBeforeItExistsIsHiddenOnceItDoes) {
  list_.SetColumnHidden(1, true);
  list_.AddRow("table");
  list_.SetCell(0, 1, "12345");
  EXPECT_TRUE(list_.isColumnHidden(1));
  list_.SetColumnHidden(1, false);
  EXPECT_FALSE(list_.isColumnHidden(1));
}

TEST_F(QtListControlTest, TabbingIntoTheListSelectsNothing) {
  list_.AddRow("first");
  list_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
  list_.setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  EXPECT_EQ(list_.CurrentRow(), -1);
  EXPECT_EQ(list_.CurrentText(), "");
  EXPECT_TRUE(events_.empty());
}

TEST_F(QtListControlTest, RedrawOffAndOn) {
  list_.SetRedraw(false);
  EXPECT_FALSE(list_.updatesEnabled());
  for (int i = 0; i < 100; ++i)
    list_.AddRow("row " + std::to_string(i));
  list_.SetRedraw(true);
  EXPECT_TRUE(list_.updatesEnabled());
  EXPECT_EQ(list_.RowCount(), 100);
}

}  // namespace
}  // namespace korvane
