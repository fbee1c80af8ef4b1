// frmAttachDb: attaches a database file (and its log file) to the Source server. The checks and
// the attach are the core's (tools/attach_database.h); the dialog holds the fields.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace korvane {

struct ApplicationContext;

class AttachDatabaseDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit AttachDatabaseDialog(ApplicationContext& context, QWidget* parent = nullptr);

  // True once a database was attached.
  bool attached() const { return attached_; }

 private:
  void SingleFileChanged();
  void Browse(bool data_file);
  void Ok();

  ApplicationContext& context_;
  QLineEdit* name_ = nullptr;
  QLineEdit* data_file_ = nullptr;
  QLineEdit* log_file_ = nullptr;
  QPushButton* browse_log_ = nullptr;
  QCheckBox* single_file_ = nullptr;
  bool attached_ = false;
  bool busy_ = false;
};

}  // namespace korvane
