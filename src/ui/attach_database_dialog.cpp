#include "ui/attach_database_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "catalog/catalog_failure.h"
#include "tools/attach_database.h"
#include "ui/qt_text.h"

namespace korvane {

AttachDatabaseDialog::AttachDatabaseDialog(ApplicationContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
  setObjectName("frmAttachDb");
  setWindowTitle(tr("Attach Database"));
  setModal(true);

  name_ = new QLineEdit(this);
  name_->setObjectName("txtDbName");
  data_file_ = new QLineEdit(this);
  data_file_->setObjectName("txtDataFile");
  log_file_ = new QLineEdit(this);
  log_file_->setObjectName("txtLogFile");
  auto* browse_data = new QPushButton(tr("..."), this);
  browse_data->setObjectName("cmdBrowseDataFile");
  browse_log_ = new QPushButton(tr("..."), this);
  browse_log_->setObjectName("cmdBrowseLogFile");
  single_file_ = new QCheckBox(tr("Attach &single file"), this);
  single_file_->setObjectName("chkAttachSingleFile");

  auto* fields = new QGridLayout;
  const auto add_row = [&](int row, const QString& caption, QLineEdit* field, QPushButton* browse) {
    auto* label = new QLabel(caption, this);
    label->setBuddy(field);
    fields->addWidget(label, row, 0);
    fields->addWidget(field, row, 1);
    if (browse != nullptr)
      fields->addWidget(browse, row, 2);
  };
  add_row(0, tr("Database &name:"), name_, nullptr);
  add_row(1, tr("&Data file:"), data_file_, browse_data);
  add_row(2, tr("&Log file:"), log_file_, browse_log_);
  fields->addWidget(single_file_, 3, 1);
  fields->setColumnStretch(1, 1);

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  auto* cancel = new QPushButton(tr("Cancel"), this);
  cancel->setObjectName("cmdCancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addStretch(1);
  layout->addLayout(buttons);

  connect(single_file_, &QCheckBox::toggled, this, &AttachDatabaseDialog::SingleFileChanged);
  connect(browse_data, &QPushButton::clicked, this, [this] { Browse(true); });
  connect(browse_log_, &QPushButton::clicked, this, [this] { Browse(false); });
  connect(ok, &QPushButton::clicked, this, &AttachDatabaseDialog::Ok);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  name_->setFocus();
  resize(520, 200);
}

void AttachDatabaseDialog::SingleFileChanged() {
  const bool single = single_file_->isChecked();
  if (single)
    log_file_->clear();
  log_file_->setReadOnly(single);
  log_file_->setEnabled(!single);
  browse_log_->setEnabled(!single);
}

void AttachDatabaseDialog::Browse(bool data_file) {
  FileRequest request;
  request.title = data_file ? kSelectDatabaseFileTitle : kSelectLogFileTitle;
  request.filter = data_file ? kDatabaseFileFilter : kLogFileFilter;
  const auto chosen = context_.ui.RequestOpenFile(request);
  if (chosen)
    (data_file ? data_file_ : log_file_)->setText(QString::fromStdString(chosen->string()));
}

void AttachDatabaseDialog::Ok() {
  if (busy_)
    return;
  busy_ = true;
  RunGuarded(context_.ui, "frmAttachDb", "cmdOK_Click", [&] {
    AttachRequest request;
    request.database_name = ToStdString(name_->text());
    request.data_file = ToStdString(data_file_->text());
    request.log_file = ToStdString(log_file_->text());
    request.single_file = single_file_->isChecked();
    const AttachResult result = AttachDatabase(context_, context_.CurrentServers[kSource], request);
    switch (result.outcome) {
      case AttachOutcome::kInvalid:
        (result.focus == AttachField::kDatabaseName ? name_
         : result.focus == AttachField::kDataFile   ? data_file_
                                                    : log_file_)
            ->setFocus();
        break;
      case AttachOutcome::kFailed:
        break;
      case AttachOutcome::kAttached:
        attached_ = true;
        accept();
        break;
    }
  });
  busy_ = false;
}

}  // namespace korvane
