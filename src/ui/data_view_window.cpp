#include "ui/data_view_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "export/export_texts.h"
#include "ui/data_diff_grid_model.h"
#include "ui/eliding_header_view.h"
#include "ui/export_dialog.h"
#include "ui/qt_text.h"

namespace korvane {
namespace {

// Twips to pixels at the 96 dots per inch the layouts assume (1440 twips an inch).
int TwipsToPixels(int twips) {
  return twips * 96 / 1440;
}

// Labels, the bar and the grid follow the load at most this often; every row is still loaded
// and events still run between rows.
constexpr qint64 kRepaintMilliseconds = 50;

}  // namespace

int DataViewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(grid_.RowCount());
}

int DataViewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(grid_.ColumnCount());
}

QVariant DataViewModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid())
    return {};
  const std::int64_t row = index.row() + 1;
  const bool loaded = row <= shown_;
  switch (role) {
    case Qt::DisplayRole:
      return loaded ? DisplayText(grid_.Cell(row, static_cast<std::size_t>(index.column())))
                    : QString();
    case Qt::BackgroundRole:
      if (index.column() == 0)
        return kFixedCellColour;
      return loaded ? ToQColor(DataViewRowColour(row)) : QColor(Qt::white);
    case Qt::ForegroundRole:
      return QColor(Qt::black);
    default:
      return {};
  }
}

QVariant DataViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  // The tool tip tells a name the column is too narrow for.
  if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || orientation != Qt::Horizontal ||
      section < 0 || static_cast<std::size_t>(section) >= grid_.header().size())
    return {};
  return ToQString(grid_.header()[static_cast<std::size_t>(section)]);
}

void DataViewModel::Reset() {
  beginResetModel();
  shown_ = 0;
  endResetModel();
}

void DataViewModel::RowsLoaded(std::int64_t row) {
  if (row <= shown_)
    return;
  const std::int64_t first = shown_;
  shown_ = row;
  emit dataChanged(index(static_cast<int>(first), 0),
                   index(static_cast<int>(row - 1), columnCount() - 1));
}

void DataViewWindow::ShowUp(ApplicationContext& context, const ViewedTable& table,
                            QWidget* parent) {
  CountedTable counted = CountViewedTable(context, table);
  if (!counted.opened)
    return;
  DataViewWindow window(context, table, std::move(counted), parent);
  QTimer::singleShot(0, &window, &DataViewWindow::LoadData);
  window.exec();
}

DataViewWindow::DataViewWindow(ApplicationContext& context, const ViewedTable& table,
                               CountedTable counted, QWidget* parent)
    : QDialog(parent), context_(context), table_(table), counted_(std::move(counted)) {
  setObjectName("frmDataView");
  setWindowTitle(ToQString(kDataViewCaption));
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(ToQString(counted_.label), this);
  label->setObjectName("lblTable");
  layout->addWidget(label);
  statistics_ = new QLabel(ToQString(DataViewStatistics(counted_.count)), this);
  statistics_->setObjectName("lblStatistics");
  layout->addWidget(statistics_);

  model_ = new DataViewModel(grid_, this);
  view_ = new QTableView(this);
  view_->setObjectName("grdData");
  view_->setModel(model_);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
  view_->setHorizontalHeader(new ElidingHeaderView(view_));
  layout->addWidget(view_, 1);

  auto* progress_row = new QHBoxLayout;
  current_ = new QLabel(this);
  current_->setObjectName("lblCurrentRecord");
  elapsed_ = new QLabel(this);
  elapsed_->setObjectName("lblElapsed");
  progress_ = new QProgressBar(this);
  progress_->setObjectName("prgLoad");
  progress_->setRange(0, 100);
  progress_row->addWidget(current_);
  progress_row->addWidget(progress_, 1);
  progress_row->addWidget(elapsed_);
  layout->addLayout(progress_row);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  stop_ = new QPushButton(tr("&Stop"), this);
  stop_->setObjectName("cmdStop");
  export_ = new QPushButton(tr("&Export"), this);
  export_->setObjectName("cmdExport");
  export_->hide();
  exit_ = new QPushButton(tr("E&xit"), this);
  exit_->setObjectName("cmdExit");
  buttons->addWidget(stop_);
  buttons->addWidget(export_);
  buttons->addWidget(exit_);
  layout->addLayout(buttons);
  connect(stop_, &QPushButton::clicked, this, [this] { requests_.stop = true; });
  connect(export_, &QPushButton::clicked, this, &DataViewWindow::ExportCommand);
  connect(exit_, &QPushButton::clicked, this, &DataViewWindow::close);
  resize(760, 480);
}

// The view and its model read the grid: they go before it does.
DataViewWindow::~DataViewWindow() {
  delete view_;
  delete model_;
}

void DataViewWindow::LoadData() {
  if (loading_)
    return;
  loading_ = true;
  requests_ = {};
  stop_->show();
  stop_->setEnabled(true);
  export_->hide();
  since_shown_.start();
  // The header and the row count come with the first rows; the model is told once prepared.
  class ResettingProgress final : public DataViewProgress {
   public:
    explicit ResettingProgress(DataViewWindow& window) : window_(window) {}
    void ShowRow(std::int64_t row, std::string_view text, int percent,
                 std::string_view elapsed) override {
      if (!reset_) {
        reset_ = true;
        window_.model_->Reset();
        window_.SetColumnWidths();
      }
      window_.ShowRow(row, text, percent, elapsed);
    }
    void RowLoaded(std::int64_t row) override { window_.RowLoaded(row); }
    void ScrollTo(std::int64_t top) override { window_.ScrollTo(top); }
    bool reset() const { return reset_; }

   private:
    DataViewWindow& window_;
    bool reset_ = false;
  } progress(*this);
  load_ = LoadDataView(context_, counted_, table_.database, table_.table, table_.object_id, grid_,
                       requests_, &progress);
  loading_ = false;
  if (!progress.reset()) {
    model_->Reset();
    SetColumnWidths();
  }
  Flush();
  if (requests_.exit) {
    QDialog::reject();
    return;
  }
  stop_->hide();
  export_->show();
  view_->scrollToTop();
}

void DataViewWindow::SetColumnWidths() {
  for (int column = 0; column < model_->columnCount(); ++column)
    view_->setColumnWidth(
        column, TwipsToPixels(column == 0 ? kRowColumnWidthTwips : kDataColumnWidthTwips));
}

void DataViewWindow::ShowRow(std::int64_t row, std::string_view row_text, int percent,
                             std::string_view elapsed) {
  pending_row_ = row;
  pending_row_text_ = row_text;
  pending_percent_ = percent;
  pending_elapsed_ = elapsed;
  emit rowShown(row);
}

void DataViewWindow::RowLoaded(std::int64_t row) {
  // The first screenful at once, then at the repaint pace.
  if (row <= kAutoScrollRows || since_shown_.elapsed() >= kRepaintMilliseconds)
    Flush();
}

void DataViewWindow::Flush() {
  model_->RowsLoaded(grid_.LoadedRows());
  if (pending_row_ > 0) {
    current_->setText(ToQString(pending_row_text_));
    progress_->setValue(pending_percent_);
    elapsed_->setText(ToQString(pending_elapsed_));
  }
  since_shown_.restart();
}

void DataViewWindow::ScrollTo(std::int64_t top) {
  if (top <= 1) {
    view_->scrollToTop();
    return;
  }
  if (since_shown_.elapsed() < kRepaintMilliseconds && top > kAutoScrollRows)
    return;
  view_->verticalScrollBar()->setValue(static_cast<int>(top - 1));
}

void DataViewWindow::ExportCommand() {
  const DiffGrid grid = grid_.LoadedGrid();
  ExportDialog dialog(context_, static_cast<std::int32_t>(ExportSourceMode::kDataView), grid,
                      DataViewExportPage(counted_, load_, ToStdString(statistics_->text())), this);
  dialog.exec();
}

void DataViewWindow::closeEvent(QCloseEvent* event) {
  if (loading_) {
    requests_.exit = true;
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void DataViewWindow::reject() {
  if (loading_) {
    requests_.exit = true;
    return;
  }
  QDialog::reject();
}

}  // namespace korvane
