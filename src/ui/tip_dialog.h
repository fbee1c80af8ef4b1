// frmTip: one usage tip at a time, the next one at each opening.
#pragma once

#include <QDialog>

#include "app/tip_of_day.h"

class QCheckBox;
class QLabel;

namespace korvane {

struct ApplicationContext;

class TipDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit TipDialog(ApplicationContext& context, QWidget* parent = nullptr);

  // Closing (OK, Esc, the close box) stores the check box and the number of the shown tip.
  void done(int result) override;

 private:
  void ShowTip();

  ApplicationContext& context_;
  TipOfDay tip_;
  QLabel* text_ = nullptr;
  QLabel* counter_ = nullptr;
  QCheckBox* show_at_startup_ = nullptr;
};

}  // namespace korvane
