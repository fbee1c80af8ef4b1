// frmExport ("Export"): writes a result grid to a CSV or an HTML file. The export itself is the
// core's (export/grid_export.h); the dialog offers the two kinds, follows the rows with its
// progress bar and lets pending events run between rows, so its Cancel button stops a long
// export.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <optional>

#include "export/grid_export.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace korvane {

struct ApplicationContext;

class ExportDialog final : public QDialog, public ExportProgress {
  Q_OBJECT

 public:
  // `mode` is the exporting window (ExportSourceMode); `grid` and `page` must outlive the
  // dialog.
  ExportDialog(ApplicationContext& context, std::int32_t mode, const DiffGrid& grid,
               HtmlExportPage page, QWidget* parent = nullptr);

  // The last export started with OK, if any.
  const std::optional<ExportOutcome>& outcome() const { return outcome_; }

  // ExportProgress: the bar, the "Progress..." label and the row label; pending events run.
  void ShowRow(std::int64_t row, std::int64_t total, std::string_view label, int percent) override;

 signals:
  // A data row is about to be written (1-based), after the progress shows it.
  void rowShown(qint64 row);

 protected:
  void reject() override;  // Cancel, Esc: stops an export that is writing, else closes

 private:
  void Ok();

  ApplicationContext& context_;
  std::int32_t mode_;
  const DiffGrid& grid_;
  HtmlExportPage page_;
  std::optional<ExportOutcome> outcome_;
  bool exporting_ = false;

  std::array<QRadioButton*, 2> options_{};
  QLabel* progress_caption_ = nullptr;
  QLabel* progress_label_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace korvane
