// frmAddServer ("Add SQL Server"): a new entry of the server list, tested before it is added.
#pragma once

#include <QDialog>

#include "db/server_list.h"

class QLineEdit;
class QRadioButton;

namespace korvane {

struct ApplicationContext;

class AddServerDialog final : public QDialog {
  Q_OBJECT

 public:
  // `test_connection` tests the new entry before it is added; empty: the data-access layer's
  // connection test of a new entry.
  explicit AddServerDialog(ApplicationContext& context, ConnectionTest test_connection = {},
                           QWidget* parent = nullptr);

  // True once OK added the entry.
  bool added() const { return added_; }

 private:
  void UpdateLoginFields();
  void Ok();

  ApplicationContext& context_;
  ConnectionTest test_connection_;
  bool added_ = false;
  QLineEdit* server_ = nullptr;
  QLineEdit* database_ = nullptr;
  QRadioButton* sql_auth_ = nullptr;
  QRadioButton* windows_auth_ = nullptr;
  QLineEdit* login_ = nullptr;
  QLineEdit* password_ = nullptr;
};

}  // namespace korvane
