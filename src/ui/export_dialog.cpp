#include "ui/export_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "base/user_interface.h"
#include "saved/comparison_codes.h"
#include "ui/qt_text.h"

namespace korvane {

ExportDialog::ExportDialog(ApplicationContext& context, std::int32_t mode, const DiffGrid& grid,
                           HtmlExportPage page, QWidget* parent)
    : QDialog(parent), context_(context), mode_(mode), grid_(grid), page_(std::move(page)) {
  setObjectName("frmExport");
  setWindowTitle(ToQString(kExportCaption));
  setModal(true);

  auto* kinds = new QGroupBox(tr("Export to"), this);
  auto* kinds_layout = new QVBoxLayout(kinds);
  const std::int32_t types[] = {kExportTypeHtml, kExportTypeCsv};
  for (int option : {kExportOptionHtml, kExportOptionCsv}) {
    auto* button = new QRadioButton(ToQString(ExportTypeName(types[option])), kinds);
    button->setObjectName(QString("optExport_%1").arg(option));
    options_[static_cast<std::size_t>(option)] = button;
    kinds_layout->addWidget(button);
  }
  options_[kExportOptionHtml]->setChecked(true);

  progress_caption_ = new QLabel(ToQString(kExportProgressCaption), this);
  progress_caption_->setObjectName("lblProgressCaption");
  progress_label_ = new QLabel(this);
  progress_label_->setObjectName("lblProgress");
  progress_ = new QProgressBar(this);
  progress_->setObjectName("prgExport");
  progress_->setRange(0, 100);
  progress_->setValue(0);
  auto* progress_row = new QHBoxLayout;
  progress_row->addWidget(progress_caption_);
  progress_row->addWidget(progress_label_, 1);

  ok_ = new QPushButton(tr("&OK"), this);
  ok_->setObjectName("cmdOK");
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &ExportDialog::Ok);
  auto* cancel = new QPushButton(tr("&Cancel"), this);
  cancel->setObjectName("cmdCancel");
  connect(cancel, &QPushButton::clicked, this, &ExportDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(kinds);
  layout->addLayout(progress_row);
  layout->addWidget(progress_);
  layout->addStretch(1);
  layout->addLayout(buttons);
  resize(420, 220);
}

void ExportDialog::ShowRow(std::int64_t row, std::int64_t, std::string_view label, int percent) {
  progress_label_->setText(ToQString(label));
  progress_->setValue(percent);
  emit rowShown(row);
  context_.ui.ProcessPendingEvents();
}

void ExportDialog::Ok() {
  if (exporting_)
    return;
  exporting_ = true;
  ok_->setEnabled(false);
  const int option = options_[kExportOptionCsv]->isChecked() ? kExportOptionCsv : kExportOptionHtml;
  context_.cancel_requested = false;
  outcome_ = ExportFromDialog(context_, mode_, option, grid_, page_, this);
  exporting_ = false;
  ok_->setEnabled(true);
  // A wrong mode exports nothing and leaves the dialog open; any export closes it.
  if (mode_ >= 1 && mode_ <= 3)
    accept();
}

void ExportDialog::reject() {
  if (exporting_) {
    context_.cancel_requested = true;  // tested before the next row
    return;
  }
  QDialog::reject();
}

}  // namespace korvane
