// frmDataView: every row of one table in a read-only grid. The rows load with progress, Stop
// and Exit while events run; the grid model reads the rows the core holds in place, so rows not
// loaded yet show as empty rows and nothing is copied.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QElapsedTimer>

#include "dataview/data_view.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace korvane {

struct ApplicationContext;

class DataViewModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit DataViewModel(const DataViewGrid& grid, QObject* parent = nullptr)
      : QAbstractTableModel(parent), grid_(grid) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The grid was prepared again (header and row count).
  void Reset();
  // Rows up to `row` (1-based) were loaded since the last call.
  void RowsLoaded(std::int64_t row);

 private:
  const DataViewGrid& grid_;
  std::int64_t shown_ = 0;
};

class DataViewWindow final : public QDialog, public DataViewProgress {
  Q_OBJECT

 public:
  // ShowUp: counts the records (a failure or an empty table is reported and nothing opens),
  // then shows the window modally and loads the rows.
  static void ShowUp(ApplicationContext& context, const ViewedTable& table,
                     QWidget* parent = nullptr);

  DataViewWindow(ApplicationContext& context, const ViewedTable& table, CountedTable counted,
                 QWidget* parent = nullptr);
  ~DataViewWindow() override;

  // LoadData: fills the grid; started by ShowUp once the window is shown.
  void LoadData();
  const DataViewGrid& grid() const { return grid_; }
  const DataViewLoad& load() const { return load_; }
  bool loading() const { return loading_; }

  // DataViewProgress
  void ShowRow(std::int64_t row, std::string_view row_text, int percent,
               std::string_view elapsed) override;
  void RowLoaded(std::int64_t row) override;
  void ScrollTo(std::int64_t top) override;

 signals:
  // A row is about to be written (after its progress showed); tests press Stop here.
  void rowShown(qint64 row);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void ExportCommand();
  void Flush();
  void SetColumnWidths();

  ApplicationContext& context_;
  ViewedTable table_;
  CountedTable counted_;
  DataViewGrid grid_;
  DataViewRequests requests_;
  DataViewLoad load_;
  bool loading_ = false;
  QElapsedTimer since_shown_;
  std::int64_t pending_row_ = 0;
  std::string pending_row_text_;
  std::string pending_elapsed_;
  int pending_percent_ = 0;

  DataViewModel* model_ = nullptr;
  QTableView* view_ = nullptr;
  QLabel* statistics_ = nullptr;
  QLabel* current_ = nullptr;
  QLabel* elapsed_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* export_ = nullptr;
  QPushButton* exit_ = nullptr;
};

}  // namespace korvane
