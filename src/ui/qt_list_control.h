// The multi-column list on Qt: a QTreeWidget of top-level rows behind the ListControl interface.
// Check lists show a check box in the first column; object lists hide their id column.
#pragma once

#include <QTreeWidget>
#include <vector>

#include "base/list_control.h"

namespace korvane {

// The modifier state of a pointer or key event: 1 Shift, 2 Ctrl, 4 Alt, added up (all three
// give 7).
int ShiftState(Qt::KeyboardModifiers modifiers);

class QtListControl : public QTreeWidget, public ListControl {
  Q_OBJECT

 public:
  explicit QtListControl(QWidget* parent = nullptr);

  const std::string& Tag() const override { return tag_; }
  void SetTag(std::string_view tag) override { tag_ = tag; }
  void Clear(bool columns_too = false) override;
  void SetColumnCount(int count) override;
  int ColumnCount() const override { return columnCount(); }
  // A negative width sizes the column to what the other visible columns leave of the list's
  // width, again whenever the list is resized.
  void SetColumnWidth(int column, int width) override;
  void SetColumnHidden(int column, bool hidden) override;
  int AddRow(std::string_view text) override;
  void SetCell(int row, int column, std::string_view text) override;
  std::string Cell(int row, int column) const override;
  int RowCount() const override { return topLevelItemCount(); }
  void RemoveRow(int row) override;
  int CurrentRow() const override;
  void SetCurrentRow(int row) override;
  bool IsChecked(int row) const override;
  void SetChecked(int row, bool checked) override;
  void SetRedraw(bool on) override { setUpdatesEnabled(on); }

  // Check lists: every row, present and future, shows a check box.
  void SetCheckList(bool on);
  bool IsCheckList() const { return check_list_; }
  // The column headings; the header is shown once a column has a heading.
  void SetColumnCaption(int column, std::string_view caption);

 signals:
  // A click or key press in the list, with its ShiftState.
  void modifierGesture(int shift_state);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OnSelectionChanged();
  // Sets the number of columns, hiding those marked hidden.
  void SetColumns(int count);
  void FillColumn();
  QTreeWidgetItem* Row(int row) const;

  std::string tag_;
  bool check_list_ = false;
  int fill_column_ = -1;      // the column sized from the list's width, -1 none
  std::vector<bool> hidden_;  // per column
  // While the program changes rows itself, Qt's own selection signals are not the selection
  // event.
  bool quiet_ = false;
};

}  // namespace korvane
