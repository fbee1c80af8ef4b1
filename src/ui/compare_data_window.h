// frmCompareData: the differences window of a data comparison. Shows a DataDifferencesWindow
// (its caption, table labels, grid, statistics, information, ignored-columns and note labels)
// as the run left it; the grid is read through a model, never copied into widgets.
#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <string>

#include "datacomp/data_differences_window.h"
#include "saved/saved_process.h"

class QLabel;
class QPushButton;

namespace korvane {

struct ApplicationContext;
class DataDiffGridModel;
class DataDiffGridView;

class CompareDataWindow final : public QDialog {
  Q_OBJECT

 public:
  // `window` must outlive the dialog and not change while it is shown. `comparison` describes
  // the comparison for its save button (disabled without one); one with a name is a saved
  // process, to which an export is attached.
  CompareDataWindow(ApplicationContext& context, const DataDifferencesWindow& window,
                    std::optional<SavedProcess> comparison = std::nullopt,
                    QWidget* parent = nullptr);

  DataDiffGridModel* model() const { return model_; }
  DataDiffGridView* grid() const { return grid_; }
  // The name the comparison was last saved under from this window; empty when it was not.
  const std::string& saved_process_name() const { return saved_process_name_; }

 private:
  // The export button: the export dialog over the grid; an export of a saved comparison
  // process is attached to it.
  void ExportCommand();

  ApplicationContext& context_;
  const DataDifferencesWindow& window_;
  std::optional<SavedProcess> comparison_;
  std::string saved_process_name_;
  DataDiffGridModel* model_ = nullptr;
  DataDiffGridView* grid_ = nullptr;
  QPushButton* export_ = nullptr;
  QPushButton* save_ = nullptr;
};

}  // namespace korvane
