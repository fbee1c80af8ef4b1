#include "ui/data_diff_grid_view.h"

#include <QHeaderView>
#include <QScrollBar>

#include "ui/data_diff_grid_model.h"
#include "ui/eliding_header_view.h"

namespace korvane {

DataDiffGridView::DataDiffGridView(QWidget* parent) : QTableView(parent) {
  // Uniform rows: the view never measures the rows it does not show.
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->hide();
  setHorizontalScrollMode(ScrollPerPixel);
  setEditTriggers(NoEditTriggers);
  setSelectionMode(SingleSelection);
  setWordWrap(false);
  setHorizontalHeader(new ElidingHeaderView(this));

  // The fixed column lies over column 0 of this view.
  fixed_ = new QTableView(this);
  fixed_->setObjectName("grdDiffFixed");
  fixed_->setFocusPolicy(Qt::NoFocus);
  fixed_->verticalHeader()->hide();
  fixed_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  fixed_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  fixed_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  fixed_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  fixed_->setEditTriggers(NoEditTriggers);
  fixed_->setWordWrap(false);
  fixed_->setStyleSheet("QTableView { border: none; }");
  viewport()->stackUnder(fixed_);
  connect(fixed_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, fixed_->verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(horizontalHeader(), &QHeaderView::sectionResized, this,
          [this](int section, int, int size) {
            if (section == 0) {
              fixed_->setColumnWidth(0, size);
              PlaceFixedColumn();
            }
          });
}

void DataDiffGridView::SetGrid(DataDiffGridModel* model, const std::vector<int>& widths_twips) {
  setModel(model);
  fixed_->setModel(model);
  fixed_->setSelectionModel(selectionModel());
  const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
  const int columns = model->columnCount();
  for (int column = 0; column < columns; ++column) {
    const auto i = static_cast<std::size_t>(column);
    const int twips = i < widths_twips.size() ? widths_twips[i] : 1440;
    setColumnWidth(column, twips * dpi / 1440);
    fixed_->setColumnHidden(column, column != 0);
  }
  fixed_->setColumnWidth(0, columnWidth(0));
  const int row_height = fontMetrics().height() + 6;
  verticalHeader()->setDefaultSectionSize(row_height);
  fixed_->verticalHeader()->setDefaultSectionSize(row_height);
  PlaceFixedColumn();
  fixed_->show();
}

void DataDiffGridView::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  PlaceFixedColumn();
}

QModelIndex DataDiffGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  const QModelIndex current = QTableView::moveCursor(action, modifiers);
  // A cell moved under the fixed column by the keys is scrolled out from under it.
  if (action == MoveLeft && current.column() > 0 &&
      visualRect(current).topLeft().x() < fixed_->columnWidth(0)) {
    const int offset = visualRect(current).topLeft().x() - fixed_->columnWidth(0);
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + offset);
  }
  return current;
}

void DataDiffGridView::scrollTo(const QModelIndex& index, ScrollHint hint) {
  // Column 0 never scrolls sideways (it is always in view); its row still scrolls into view.
  if (index.column() > 0 || model() == nullptr || model()->columnCount() < 2)
    QTableView::scrollTo(index, hint);
  else
    QTableView::scrollTo(index.sibling(index.row(), 1), hint);
}

void DataDiffGridView::PlaceFixedColumn() {
  fixed_->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), columnWidth(0),
                      viewport()->height() + horizontalHeader()->height());
}

}  // namespace korvane
