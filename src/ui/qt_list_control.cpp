#include "ui/qt_list_control.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "ui/qt_text.h"

namespace korvane {

int ShiftState(Qt::KeyboardModifiers modifiers) {
  int state = 0;
  if (modifiers & Qt::ShiftModifier)
    state |= 1;
  if (modifiers & Qt::ControlModifier)
    state |= 2;
  if (modifiers & Qt::AltModifier)
    state |= 4;
  return state;
}

QtListControl::QtListControl(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setColumnCount(1);
  setHeaderLabels({QString()});
  header()->setVisible(false);
  header()->setStretchLastSection(false);
  connect(this, &QTreeWidget::itemSelectionChanged, this, &QtListControl::OnSelectionChanged);
}

QTreeWidgetItem* QtListControl::Row(int row) const {
  return row >= 0 && row < RowCount() ? topLevelItem(row) : nullptr;
}

void QtListControl::Clear(bool columns_too) {
  quiet_ = true;
  clear();
  setCurrentItem(nullptr);
  quiet_ = false;
  if (columns_too) {
    hidden_.clear();
    fill_column_ = -1;
    setColumnCount(1);
    setHeaderLabels({QString()});
    header()->setVisible(false);
    setColumnHidden(0, false);
  }
}

void QtListControl::SetColumnCount(int count) {
  SetColumns(std::max(count, 1));
}

void QtListControl::SetColumnWidth(int column, int width) {
  if (column < 0 || column >= columnCount())
    return;
  if (width < 0) {
    fill_column_ = column;
    FillColumn();
    return;
  }
  if (fill_column_ == column)
    fill_column_ = -1;
  setColumnWidth(column, width);
  FillColumn();
}

void QtListControl::SetColumnHidden(int column, bool hidden) {
  if (column < 0)
    return;
  // Kept for columns that do not exist yet, so they are hidden once they do.
  if (static_cast<int>(hidden_.size()) <= column)
    hidden_.resize(column + 1, false);
  hidden_[column] = hidden;
  if (column < columnCount())
    setColumnHidden(column, hidden);
  FillColumn();
}

void QtListControl::SetColumns(int count) {
  setColumnCount(count);
  for (int column = 0; column < count && column < static_cast<int>(hidden_.size()); ++column)
    setColumnHidden(column, hidden_[column]);
  FillColumn();
}

void QtListControl::FillColumn() {
  if (fill_column_ < 0 || fill_column_ >= columnCount())
    return;
  int others = 0;
  for (int column = 0; column < columnCount(); ++column) {
    if (column != fill_column_ && !isColumnHidden(column))
      others += columnWidth(column);
  }
  setColumnWidth(fill_column_, std::max(viewport()->width() - others, 20));
}

void QtListControl::resizeEvent(QResizeEvent* event) {
  QTreeWidget::resizeEvent(event);
  FillColumn();
}

int QtListControl::AddRow(std::string_view text) {
  auto* item = new QTreeWidgetItem;
  item->setText(0, ToQString(text));
  if (check_list_)
    item->setCheckState(0, Qt::Unchecked);
  quiet_ = true;
  addTopLevelItem(item);
  quiet_ = false;
  return RowCount() - 1;
}

void QtListControl::SetCell(int row, int column, std::string_view text) {
  QTreeWidgetItem* item = Row(row);
  if (item == nullptr || column < 0)
    return;
  if (column >= columnCount())
    SetColumns(column + 1);
  const QString shown = ToQString(text);
  item->setText(column, shown);
  // Beside a filling column the others keep room for their longest text (the object list's
  // reference dates); the filling column takes what is left.
  if (fill_column_ >= 0 && column != fill_column_ && !isColumnHidden(column)) {
    constexpr int kCellPadding = 12;
    const int needed = fontMetrics().horizontalAdvance(shown) + kCellPadding;
    if (needed > columnWidth(column)) {
      setColumnWidth(column, needed);
      FillColumn();
    }
  }
}

std::string QtListControl::Cell(int row, int column) const {
  const QTreeWidgetItem* item = Row(row);
  if (item == nullptr || column < 0 || column >= columnCount())
    return {};
  return ToStdString(item->text(column));
}

void QtListControl::RemoveRow(int row) {
  if (Row(row) == nullptr)
    return;
  const int current = CurrentRow();
  quiet_ = true;
  delete takeTopLevelItem(row);
  // The removed row's successor does not become current by itself: the list then has none.
  if (current == row) {
    setCurrentItem(nullptr);
    clearSelection();
  }
  quiet_ = false;
}

int QtListControl::CurrentRow() const {
  // The selected row: Qt's current index alone (the focus frame a list gets when it is tabbed
  // into) selects nothing.
  const QList<QTreeWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.first());
}

void QtListControl::SetCurrentRow(int row) {
  QTreeWidgetItem* item = Row(row);
  quiet_ = true;
  if (item == nullptr) {
    setCurrentItem(nullptr);
    clearSelection();
  } else {
    setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item);
  }
  quiet_ = false;
  RaiseSelectionEvent(CurrentRow());
}

void QtListControl::OnSelectionChanged() {
  if (!quiet_)
    RaiseSelectionEvent(CurrentRow());
}

bool QtListControl::IsChecked(int row) const {
  const QTreeWidgetItem* item = Row(row);
  return item != nullptr && item->checkState(0) == Qt::Checked;
}

void QtListControl::SetChecked(int row, bool checked) {
  if (QTreeWidgetItem* item = Row(row))
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void QtListControl::SetCheckList(bool on) {
  check_list_ = on;
  for (int row = 0; row < RowCount(); ++row) {
    if (on) {
      if (topLevelItem(row)->data(0, Qt::CheckStateRole).isNull())
        topLevelItem(row)->setCheckState(0, Qt::Unchecked);
    } else {
      topLevelItem(row)->setData(0, Qt::CheckStateRole, QVariant());
    }
  }
}

void QtListControl::SetColumnCaption(int column, std::string_view caption) {
  if (column < 0)
    return;
  if (column >= columnCount())
    SetColumns(column + 1);
  headerItem()->setText(column, ToQString(caption));
  header()->setVisible(true);
}

void QtListControl::mousePressEvent(QMouseEvent* event) {
  emit modifierGesture(ShiftState(event->modifiers()));
  QTreeWidget::mousePressEvent(event);
}

void QtListControl::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key != Qt::Key_Shift && key != Qt::Key_Control && key != Qt::Key_Alt && key != Qt::Key_Meta)
    emit modifierGesture(ShiftState(event->modifiers()));
  QTreeWidget::keyPressEvent(event);
}

}  // namespace korvane
