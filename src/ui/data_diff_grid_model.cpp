#include "ui/data_diff_grid_model.h"

#include "ui/qt_text.h"

namespace korvane {

int DataDiffGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(grid_.RowCount());
}

int DataDiffGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(grid_.ColumnCount());
}

QVariant DataDiffGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
    return {};
  const DiffGridRow& row = grid_.rows()[static_cast<std::size_t>(index.row())];
  const auto column = static_cast<std::size_t>(index.column());
  switch (role) {
    case Qt::DisplayRole:
      return column < row.cells.size() ? ToQString(row.cells[column]) : QString();
    case Qt::BackgroundRole:
      return column == 0 ? kFixedCellColour : ToQColor(row.background);
    case Qt::ForegroundRole:
      return ToQColor(column < row.text_colours.size() ? row.text_colours[column]
                                                       : kEqualCellColour);
    default:
      return {};
  }
}

QVariant DataDiffGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  // The tool tip tells a name the column is too narrow for.
  if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || orientation != Qt::Horizontal ||
      section < 0 || section >= columnCount())
    return QAbstractTableModel::headerData(section, orientation, role);
  return ToQString(grid_.header()[static_cast<std::size_t>(section)]);
}

}  // namespace korvane
