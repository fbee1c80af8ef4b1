// A list control kept in memory: what tests and unattended runs fill.
#pragma once

#include <string>
#include <vector>

#include "base/list_control.h"

namespace korvane {

class MemoryListControl final : public ListControl {
 public:
  const std::string& Tag() const override { return tag_; }
  void SetTag(std::string_view tag) override { tag_ = tag; }
  void Clear(bool columns_too = false) override;
  void SetColumnCount(int count) override;
  int ColumnCount() const override { return column_count_; }
  void SetColumnWidth(int column, int width) override;
  void SetColumnHidden(int column, bool hidden) override;
  int AddRow(std::string_view text) override;
  void SetCell(int row, int column, std::string_view text) override;
  std::string Cell(int row, int column) const override;
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  void RemoveRow(int row) override;
  int CurrentRow() const override { return current_; }
  void SetCurrentRow(int row) override;
  bool IsChecked(int row) const override;
  void SetChecked(int row, bool checked) override;
  void SetRedraw(bool on) override { redraw_ = on; }

  bool IsColumnHidden(int column) const;
  int ColumnWidth(int column) const;
  bool redraw() const { return redraw_; }
  // Every selection event raised, in order.
  const std::vector<int>& selection_events() const { return selection_events_; }

 private:
  struct Row {
    std::vector<std::string> cells;
    bool checked = false;
  };
  std::string tag_;
  int column_count_ = 1;
  std::vector<int> widths_;
  std::vector<bool> hidden_;
  std::vector<Row> rows_;
  int current_ = -1;
  bool redraw_ = true;
  std::vector<int> selection_events_;
};

}  // namespace korvane
