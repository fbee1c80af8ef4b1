#include "ui/add_server_dialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "db/data_access.h"
#include "ui/help_topics.h"
#include "ui/qt_text.h"

namespace korvane {

AddServerDialog::AddServerDialog(ApplicationContext& context, ConnectionTest test_connection,
                                 QWidget* parent)
    : QDialog(parent), context_(context), test_connection_(std::move(test_connection)) {
  setObjectName("frmAddServer");
  setWindowTitle(tr("Add SQL Server"));
  setModal(true);
  if (!test_connection_) {
    test_connection_ = [this](const ServerRecord& record) {
      return TestNewServerConnection(context_, record);
    };
  }

  const AddServerForm defaults;
  server_ = new QLineEdit(this);
  server_->setObjectName("txtServer");
  database_ = new QLineEdit(ToQString(defaults.database), this);
  database_->setObjectName("txtDatabase");

  auto* connect_using = new QGroupBox(tr("Connect using:"), this);
  connect_using->setObjectName("fraConnectUsing");
  sql_auth_ = new QRadioButton(tr("SQL Server authentication"), connect_using);
  sql_auth_->setObjectName("optSQLAuth");
  windows_auth_ = new QRadioButton(tr("Windows authentication"), connect_using);
  windows_auth_->setObjectName("optWindowsAuth");
  (defaults.sql_auth ? sql_auth_ : windows_auth_)->setChecked(true);
  auto* options = new QVBoxLayout(connect_using);
  options->addWidget(sql_auth_);
  options->addWidget(windows_auth_);

  login_ = new QLineEdit(this);
  login_->setObjectName("txtLogin");
  password_ = new QLineEdit(this);
  password_->setObjectName("txtPassword");
  password_->setEchoMode(QLineEdit::Password);

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  auto* cancel = new QPushButton(tr("Cancel"), this);
  cancel->setObjectName("cmdCancel");
  auto* help = new QPushButton(tr("&Help"), this);
  help->setObjectName("cmdHelp");
  connect(ok, &QPushButton::clicked, this, &AddServerDialog::Ok);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  // The main window's page describes the server list and this dialog.
  connect(help, &QPushButton::clicked, this,
          [this] { OpenHelpTopic(context_, kMainWindowHelpTopic); });
  connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, help,
          &QPushButton::click);
  connect(sql_auth_, &QRadioButton::toggled, this, &AddServerDialog::UpdateLoginFields);

  auto* form = new QFormLayout;
  form->addRow(tr("SQL &Server:"), server_);
  form->addRow(tr("&Database:"), database_);
  form->addRow(connect_using);
  form->addRow(tr("&Login name:"), login_);
  form->addRow(tr("&Password:"), password_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addWidget(help);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addStretch(1);
  layout->addLayout(buttons);

  UpdateLoginFields();
  server_->setFocus();
  resize(400, 300);
}

void AddServerDialog::UpdateLoginFields() {
  const bool sql_auth = sql_auth_->isChecked();
  if (!sql_auth) {
    login_->clear();
    password_->clear();
  }
  login_->setEnabled(sql_auth);
  password_->setEnabled(sql_auth);
}

void AddServerDialog::Ok() {
  AddServerForm form;
  form.server = ToStdString(server_->text());
  form.database = ToStdString(database_->text());
  form.sql_auth = sql_auth_->isChecked();
  form.login = ToStdString(login_->text());
  form.password = ToStdString(password_->text());
  const AddServerOutcome outcome = AddServer(context_, form, test_connection_);
  if (outcome.added) {
    added_ = true;
    accept();
    return;
  }
  switch (outcome.focus) {
    case AddServerField::kServer:
      server_->setFocus();
      server_->selectAll();
      break;
    case AddServerField::kDatabase:
      database_->setFocus();
      break;
    case AddServerField::kLogin:
      login_->setFocus();
      break;
    case AddServerField::kNone:
      break;
  }
}

}  // namespace korvane
