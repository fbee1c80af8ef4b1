// The differences grid's view: a table over DataDiffGridModel whose first column (the row
// numbers) stays in place while the other columns scroll sideways, under one fixed header row.
// Column widths follow the grid's twips at the screen's resolution.
#pragma once

#include <QTableView>

namespace korvane {

class DataDiffGridModel;

class DataDiffGridView final : public QTableView {
  Q_OBJECT

 public:
  explicit DataDiffGridView(QWidget* parent = nullptr);

  // Shows the model; `widths_twips` per column (the grid's ColumnWidthsTwips).
  void SetGrid(DataDiffGridModel* model, const std::vector<int>& widths_twips);
  // The view that keeps column 0 in place.
  QTableView* FixedColumn() const { return fixed_; }
  // Brings the cell's row into view; only cells right of the fixed column scroll sideways.
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

 private:
  void PlaceFixedColumn();

  QTableView* fixed_ = nullptr;
};

}  // namespace korvane
