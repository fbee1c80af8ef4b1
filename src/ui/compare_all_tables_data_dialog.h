// frmCompareAllTables in data mode: hosts the bulk data comparison of all or of the selected
// tables (datacomp/bulk_data_compare.h). The dialog shows itself when the run starts, follows
// it with the status, current-table and elapsed-time labels, and closes when it ends; Cancel and
// Esc stop it. Each table pair's comparison shows its own progress dialog.
#pragma once

#include <memory>

#include "datacomp/bulk_data_compare.h"
#include "ui/comparison_run_window.h"

namespace korvane {

class CompareStatusDialog;

class CompareAllTablesDataDialog final : public ComparisonRunWindow, public BulkDataCompareHost {
  Q_OBJECT

 public:
  explicit CompareAllTablesDataDialog(ApplicationContext& context, bool selective,
                                      QWidget* parent = nullptr);
  ~CompareAllTablesDataDialog() override;

  // --- BulkDataCompareHost (the status texts are also ComparisonProgress's)
  void Started() override;
  void ShowStatus(std::string_view text) override;
  void ShowCurrentObject(std::string_view name) override;
  void Ended(bool completed) override;
  CompareStatus* PairStatus() override;

  CompareStatusDialog* pair_status() const { return pair_status_.get(); }

 signals:
  // The run started (the dialog is shown).
  void runStarted();
  // The current-table label shows `name` (empty: cleared).
  void currentObjectShown(const QString& name);

 private:
  std::unique_ptr<CompareStatusDialog> pair_status_;
};

}  // namespace korvane
