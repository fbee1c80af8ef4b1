#include "ui/debug_options_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "app/settings.h"
#include "base/user_interface.h"
#include "ui/digits_field.h"
#include "ui/qt_text.h"

namespace korvane {

DebugOptionsDialog::DebugOptionsDialog(ApplicationContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
  setObjectName("frmOptionsDebug");
  setWindowTitle(tr("Options - Debugging"));
  setModal(true);

  const SettingsStore& store = context_.settings_store;
  auto* tabs = new QTabWidget(this);
  tabs->setObjectName("tabOptions");

  // Connection Method: how the program reaches servers; nothing here is stored.
  auto* connection = new QWidget(tabs);
  auto* connection_layout = new QVBoxLayout(connection);
  auto* cursor = new QLabel(context_.settings.cursor_location == kServerSideCursor
                                ? tr("Cursor location: server-side")
                                : tr("Cursor location: client-side"),
                            connection);
  cursor->setObjectName("lblCursorLocation");
  connection_layout->addWidget(cursor);
  connection_layout->addStretch(1);
  tabs->addTab(connection, tr("Connection Method"));

  auto* offline = new QWidget(tabs);
  auto* offline_layout = new QVBoxLayout(offline);
  filter_offline_dbs_ = new QCheckBox(tr("Filter offline databases"), offline);
  filter_offline_dbs_->setObjectName("chkFilterOfflineDbs");
  filter_offline_dbs_->setChecked(ReadBoolean(store, Setting::kFilterOfflineDbs));
  offline_layout->addWidget(filter_offline_dbs_);
  offline_layout->addStretch(1);
  tabs->addTab(offline, tr("Filter Offline Databases"));

  auto* text = new QWidget(tabs);
  page_width_ = new QLineEdit(QString::number(ReadNumber(store, Setting::kPageWidth)), text);
  page_width_->setObjectName("txtPageWidth");
  KeepDigitsOnly(page_width_);
  page_height_ = new QLineEdit(QString::number(ReadNumber(store, Setting::kPageHeight)), text);
  page_height_->setObjectName("txtPageHeight");
  KeepDigitsOnly(page_height_);
  auto* text_form = new QFormLayout(text);
  text_form->addRow(tr("New page width:"), page_width_);
  text_form->addRow(tr("New page height:"), page_height_);
  tabs->addTab(text, tr("Text Control Settings"));

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  auto* cancel = new QPushButton(tr("Cancel"), this);
  cancel->setObjectName("cmdCancel");
  connect(ok, &QPushButton::clicked, this, [this] {
    if (!SaveDebugOptions(context_.settings_store, context_.settings,
                          filter_offline_dbs_->isChecked(), ToStdString(page_width_->text()),
                          ToStdString(page_height_->text()))) {
      context_.ui.ShowMessage(context_.settings_store.last_error(), MessageIcon::kExclamation,
                              kSettingsNotSavedTitle);
      return;
    }
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs);
  layout->addLayout(buttons);
}

}  // namespace korvane
