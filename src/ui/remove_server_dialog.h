// frmDeleteServer ("Remove Server"): removes one entry of the server list after confirmation.
#pragma once

#include <QDialog>

class QListWidget;

namespace korvane {

struct ApplicationContext;

class RemoveServerDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit RemoveServerDialog(ApplicationContext& context, QWidget* parent = nullptr);

  // True once "Remove" removed an entry.
  bool removed() const { return removed_; }

 private:
  void Remove();

  ApplicationContext& context_;
  QListWidget* servers_ = nullptr;
  bool removed_ = false;
};

}  // namespace korvane
