// frmSaveCompRun ("Run Saved Comparison Process"): the saved processes in lstComps with Run,
// Delete, Cancel and Help; the right mouse button over the list shows the selected process's
// properties. The rules are the core's SaveCompRunDialog.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "saved/save_comp_run_dialog.h"
#include "saved/saved_comparison_store.h"

class QListWidget;

namespace korvane {

struct ApplicationContext;

class SaveCompRunWindow final : public QDialog {
  Q_OBJECT

 public:
  explicit SaveCompRunWindow(ApplicationContext& context, QWidget* parent = nullptr);

  // The process to run; empty when the window was cancelled.
  const std::string& chosen() const { return chosen_; }

  // Shows the window modally: the name of the process to run, empty when cancelled.
  static std::string ShowUp(ApplicationContext& context, QWidget* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::optional<std::string> Selected() const;
  void FillList();
  void Run();
  void Delete();

  ApplicationContext& context_;
  SavedComparisonStore store_;
  SaveCompRunDialog dialog_;
  QListWidget* list_ = nullptr;
  std::string chosen_;
};

}  // namespace korvane
