#include "base/memory_list_control.h"

#include <algorithm>

namespace korvane {

void MemoryListControl::Clear(bool columns_too) {
  rows_.clear();
  current_ = -1;
  if (columns_too) {
    column_count_ = 1;
    widths_.clear();
    hidden_.clear();
  }
}

void MemoryListControl::SetColumnCount(int count) {
  column_count_ = std::max(count, 1);
}

void MemoryListControl::SetColumnWidth(int column, int width) {
  if (column < 0)
    return;
  if (static_cast<int>(widths_.size()) <= column)
    widths_.resize(column + 1, 0);
  widths_[column] = width;
}

void MemoryListControl::SetColumnHidden(int column, bool hidden) {
  if (column < 0)
    return;
  if (static_cast<int>(hidden_.size()) <= column)
    hidden_.resize(column + 1, false);
  hidden_[column] = hidden;
}

bool MemoryListControl::IsColumnHidden(int column) const {
  return column >= 0 && column < static_cast<int>(hidden_.size()) && hidden_[column];
}

int MemoryListControl::ColumnWidth(int column) const {
  return column >= 0 && column < static_cast<int>(widths_.size()) ? widths_[column] : 0;
}

int MemoryListControl::AddRow(std::string_view text) {
  Row row;
  row.cells.emplace_back(text);
  rows_.push_back(std::move(row));
  return static_cast<int>(rows_.size()) - 1;
}

void MemoryListControl::SetCell(int row, int column, std::string_view text) {
  if (row < 0 || row >= RowCount() || column < 0)
    return;
  auto& cells = rows_[row].cells;
  if (static_cast<int>(cells.size()) <= column)
    cells.resize(column + 1);
  cells[column] = text;
  column_count_ = std::max(column_count_, column + 1);
}

std::string MemoryListControl::Cell(int row, int column) const {
  if (row < 0 || row >= RowCount() || column < 0)
    return {};
  const auto& cells = rows_[row].cells;
  return column < static_cast<int>(cells.size()) ? cells[column] : std::string();
}

void MemoryListControl::RemoveRow(int row) {
  if (row < 0 || row >= RowCount())
    return;
  rows_.erase(rows_.begin() + row);
  if (current_ == row) {
    current_ = -1;
  } else if (current_ > row) {
    --current_;
  }
}

void MemoryListControl::SetCurrentRow(int row) {
  current_ = row >= 0 && row < RowCount() ? row : -1;
  selection_events_.push_back(current_);
  RaiseSelectionEvent(current_);
}

bool MemoryListControl::IsChecked(int row) const {
  return row >= 0 && row < RowCount() && rows_[row].checked;
}

void MemoryListControl::SetChecked(int row, bool checked) {
  if (row >= 0 && row < RowCount())
    rows_[row].checked = checked;
}

}  // namespace korvane
