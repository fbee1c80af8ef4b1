// frmDataAnalyze: the data analyzer's window. The analysis is the core's (RunAnalysis); the
// window holds the report grid, the progress of a run, Stop and Exit, and the print, preview,
// page setup and export of the report.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "dataview/data_analyzer.h"

class QLabel;
class QLineEdit;
class QPrinter;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace korvane {

struct ApplicationContext;

class DataAnalyzeWindow final : public QDialog, public AnalyzerProgress {
  Q_OBJECT

 public:
  // ShowUp: counts the records (a failure or an empty table is reported and nothing opens),
  // then shows the window modally.
  static void ShowUp(ApplicationContext& context, const ViewedTable& table,
                     QWidget* parent = nullptr);

  DataAnalyzeWindow(ApplicationContext& context, const ViewedTable& table, CountedTable counted,
                    QWidget* parent = nullptr);
  ~DataAnalyzeWindow() override;

  // Start: one analysis run with the window's choices.
  void StartCommand();
  const std::vector<AnalyzerRow>& report() const { return report_; }
  bool running() const { return running_; }

  // AnalyzerProgress
  void ShowColumn(std::string_view column, int index, int total) override;
  void ShowRow(std::string_view row_text, int percent, std::string_view elapsed) override;
  void RowAdded(const AnalyzerRow& row) override;

 signals:
  // A row of a column is about to be counted; tests press Stop here.
  void rowShown();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void IgnoreColumnsCommand();
  void PrintCommand(bool preview);
  void PageSetupCommand();
  void ExportCommand();
  void SetRunning(bool running);
  std::string ReportText() const;

  ApplicationContext& context_;
  ViewedTable table_;
  CountedTable counted_;
  AnalyzerRequests requests_;
  std::vector<AnalyzerRow> report_;
  bool running_ = false;
  std::unique_ptr<QPrinter> printer_;

  QLabel* instructions_ = nullptr;
  QLineEdit* records_ = nullptr;
  QRadioButton* most_ = nullptr;
  QRadioButton* least_ = nullptr;
  QLabel* column_ = nullptr;
  QLabel* row_ = nullptr;
  QLabel* elapsed_ = nullptr;
  QProgressBar* column_progress_ = nullptr;
  QProgressBar* row_progress_ = nullptr;
  QTableWidget* grid_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* exit_ = nullptr;
  QPushButton* ignore_ = nullptr;
};

}  // namespace korvane
