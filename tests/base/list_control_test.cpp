#include "base/list_control.h"

#include <gtest/gtest.h>

#include "base/memory_list_control.h"

namespace korvane {
namespace {

TEST(ListControlTest, CurrentTextOfAnEmptyListIsEmpty) {
  MemoryListControl list;
  EXPECT_EQ(list.CurrentRow(), -1);
  EXPECT_EQ(list.CurrentText(), "");
  EXPECT_EQ(list.Cell(3, 1), "");
}

TEST(ListControlTest, SelectingWhileBusyStillRaisesTheEvent) {
  MemoryListControl list;
  std::vector<std::pair<int, bool>> seen;  // row, busy when raised
  list.SetSelectionHandler([&](int row) { seen.emplace_back(row, list.IsBusy()); });
  list.SetTag(kBusyTag);
  list.AddRow("a");
  list.SetCurrentRow(0);
  list.SetTag("");
  list.SetCurrentRow(5);  // no such row: nothing selected
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], std::make_pair(0, true));
  EXPECT_EQ(seen[1], std::make_pair(-1, false));
}

TEST(ListControlTest, RowsCellsChecksAndRemoval) {
  MemoryListControl list;
  list.SetColumnCount(3);
  for (const char* name : {"Orders", "orders", "Items"})
    list.AddRow(name);
  list.SetCell(1, 2, "42");
  EXPECT_EQ(list.Cell(1, 2), "42");
  EXPECT_EQ(list.Cell(1, 1), "");
  list.SetChecked(0, true);
  list.SetChecked(2, true);
  EXPECT_EQ(list.CheckedCount(), 2);
  list.SetCurrentRow(2);
  list.RemoveRow(0);
  EXPECT_EQ(list.CurrentRow(), 1);  // later rows move up, the selection with them
  EXPECT_EQ(list.CurrentText(), "Items");
  list.Clear();
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.ColumnCount(), 3);
  list.Clear(/*columns_too=*/true);
  EXPECT_EQ(list.ColumnCount(), 1);
}

TEST(ListControlTest, FindingANameIsExactAndCaseSensitive) {
  MemoryListControl list;
  for (const char* name : {"Orders", "orders", "Items"})
    list.AddRow(name);
  EXPECT_EQ(SelectRowByText(list, "orders"), 1);
  EXPECT_EQ(list.CurrentRow(), 1);
  EXPECT_EQ(SelectRowByText(list, "ORDERS"), -1);
  EXPECT_EQ(SelectRowByText(list, ""), -1);
  EXPECT_EQ(list.CurrentRow(), 1);  // unchanged when nothing matches
}

}  // namespace
}  // namespace korvane
