// The multi-column list the program fills and reads: database lists, object lists and the column
// check lists of the dialogs. The core fills and reads lists only through this interface; the
// Qt program provides the widget, tests an in-memory list.
//
// Rows and columns are numbered from 0. While the tag is "OFF" the program is filling the list
// and the handlers of its selection event return at once.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace korvane {

inline constexpr std::string_view kBusyTag = "OFF";

class ListControl {
 public:
  virtual ~ListControl() = default;

  virtual const std::string& Tag() const = 0;
  virtual void SetTag(std::string_view tag) = 0;
  bool IsBusy() const { return Tag() == kBusyTag; }

  // Removes every row; with `columns_too` every column as well.
  virtual void Clear(bool columns_too = false) = 0;

  virtual void SetColumnCount(int count) = 0;
  virtual int ColumnCount() const = 0;
  // Width in the control's own units; the first column is sized from the control's width when
  // `width` is negative.
  virtual void SetColumnWidth(int column, int width) = 0;
  virtual void SetColumnHidden(int column, bool hidden) = 0;

  // Appends a row whose first column is `text`; returns its index.
  virtual int AddRow(std::string_view text) = 0;
  virtual void SetCell(int row, int column, std::string_view text) = 0;
  // The text of a cell; empty for a row or column that does not exist.
  virtual std::string Cell(int row, int column) const = 0;
  virtual int RowCount() const = 0;
  virtual void RemoveRow(int row) = 0;

  // Index of the selected row, -1 when none.
  virtual int CurrentRow() const = 0;
  // Selects the row (-1: none) and raises the selection event, also while the tag is "OFF".
  virtual void SetCurrentRow(int row) = 0;
  // First-column text of the current row; empty when there is none.
  std::string CurrentText() const {
    return CurrentRow() < 0 ? std::string() : Cell(CurrentRow(), 0);
  }

  // Check lists.
  virtual bool IsChecked(int row) const = 0;
  virtual void SetChecked(int row, bool checked) = 0;
  int CheckedCount() const {
    int count = 0;
    for (int row = 0; row < RowCount(); ++row)
      count += IsChecked(row) ? 1 : 0;
    return count;
  }

  // Painting off while many rows change, and on again.
  virtual void SetRedraw(bool on) = 0;

  // The handler of the selection event (current row changed), called with the new row.
  void SetSelectionHandler(std::function<void(int row)> handler) { handler_ = std::move(handler); }

 protected:
  void RaiseSelectionEvent(int row) {
    if (handler_)
      handler_(row);
  }

 private:
  std::function<void(int row)> handler_;
};

// Selects the first row whose first column equals `text` exactly (case-sensitive) and returns
// its index; -1 (selection unchanged) when none does or the text is empty.
int SelectRowByText(ListControl& list, std::string_view text);

}  // namespace korvane
