// frmSaveComparison ("Save Comparison Process"): the list of saved processes, the name box with
// the proposed name, the print box, OK, Cancel and Help. The rules are the core's
// SaveComparisonDialog; the window binds its controls to them.
#pragma once

#include <QDialog>

#include "saved/save_comparison_dialog.h"
#include "saved/saved_comparison_store.h"

class QCheckBox;
class QLineEdit;

namespace korvane {

struct ApplicationContext;

class SaveComparisonWindow final : public QDialog {
  Q_OBJECT

 public:
  // `comparison` describes the comparison to save (saved/save_comparison_dialog.h).
  SaveComparisonWindow(ApplicationContext& context, SavedProcess comparison,
                       QWidget* parent = nullptr);

  const SaveComparisonResult& result() const { return dialog_.result(); }

  // Shows the window modally and returns what it saved.
  static SaveComparisonResult ShowUp(ApplicationContext& context, SavedProcess comparison,
                                     QWidget* parent);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Ok();

  ApplicationContext& context_;
  SavedComparisonStore store_;
  SaveComparisonDialog dialog_;
  QLineEdit* name_ = nullptr;
  QCheckBox* print_ = nullptr;
  bool shown_ = false;
};

}  // namespace korvane
