// frmTimeout: the command time-out in seconds.
#pragma once

#include <QDialog>

class QLineEdit;

namespace korvane {

struct ApplicationContext;

class TimeoutDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit TimeoutDialog(ApplicationContext& context, QWidget* parent = nullptr);

  // True once OK stored a new time-out.
  bool saved() const { return saved_; }

 protected:
  // The field takes only digits and Backspace of the characters typed into it.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ApplicationContext& context_;
  QLineEdit* timeout_ = nullptr;
  bool saved_ = false;
};

}  // namespace korvane
