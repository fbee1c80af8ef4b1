// The differences grid (DiffGrid) as a Qt table model, read in place: the views ask for the
// visible cells only, so a grid of many thousands of rows stays quick. Column 0 is the row's
// number; the header row holds "Row" and the compared column names.
#pragma once

#include <QAbstractTableModel>
#include <QColor>

#include "datacomp/diff_grid.h"

namespace korvane {

// The background of the fixed column, as fixed cells are drawn.
inline const QColor kFixedCellColour(0xCC, 0xCC, 0xCC);

inline QColor ToQColor(Rgb colour) {
  return QColor(colour.red, colour.green, colour.blue);
}

class DataDiffGridModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The grid must outlive the model and not change while it is shown.
  explicit DataDiffGridModel(const DiffGrid& grid, QObject* parent = nullptr)
      : QAbstractTableModel(parent), grid_(grid) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  // Display: the cell's text; background: the row's colour (the fixed column's grey in column
  // 0); foreground: the cell's text colour (red for a differing cell).
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const DiffGrid& grid_;
};

}  // namespace korvane
