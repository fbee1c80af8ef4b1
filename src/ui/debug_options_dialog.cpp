#include "ui/debug_options_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "app/settings.h"
#include "ui/digits_field.h"
#include "ui/qt_text.h"

namespace korvane {

DebugOptionsDialog::DebugOptionsDialog(ApplicationContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
  setObjectName("frmOptionsDebug");
  setWindowTitle(tr("Debug Options"));
  setModal(true);

  const SettingsStore& store = context_.settings_store;
  filter_offline_dbs_ = new QCheckBox(tr("&Filter offline databases out of database lists"), this);
  filter_offline_dbs_->setObjectName("chkFilterOfflineDbs");
  filter_offline_dbs_->setChecked(ReadBoolean(store, Setting::kFilterOfflineDbs));
  page_width_ = new QLineEdit(QString::number(ReadNumber(store, Setting::kPageWidth)), this);
  page_width_->setObjectName("txtPageWidth");
  KeepDigitsOnly(page_width_);
  page_height_ = new QLineEdit(QString::number(ReadNumber(store, Setting::kPageHeight)), this);
  page_height_->setObjectName("txtPageHeight");
  KeepDigitsOnly(page_height_);

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  auto* cancel = new QPushButton(tr("Cancel"), this);
  cancel->setObjectName("cmdCancel");
  connect(ok, &QPushButton::clicked, this, [this] {
    SaveDebugOptions(context_.settings_store, context_.settings, filter_offline_dbs_->isChecked(),
                     ToStdString(page_width_->text()), ToStdString(page_height_->text()));
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* form = new QFormLayout;
  form->addRow(filter_offline_dbs_);
  form->addRow(tr("Text view page &width (twips):"), page_width_);
  form->addRow(tr("Text view page &height (twips):"), page_height_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addStretch(1);
  layout->addLayout(buttons);
}

}  // namespace korvane
