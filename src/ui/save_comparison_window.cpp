#include "ui/save_comparison_window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "ui/help_topics.h"
#include "ui/qt_text.h"

namespace korvane {

SaveComparisonWindow::SaveComparisonWindow(ApplicationContext& context, SavedProcess comparison,
                                           QWidget* parent)
    : QDialog(parent),
      context_(context),
      store_(context.locations, context.ui),
      dialog_(store_, context.ui, context.clock, std::move(comparison)) {
  setObjectName("frmSaveComparison");
  setWindowTitle(ToQString(kSaveComparisonCaption));
  setModal(true);
  resize(480, 420);

  auto* layout = new QVBoxLayout(this);
  auto label = [&](std::string_view text, const char* name) {
    auto* widget = new QLabel(ToQString(text), this);
    widget->setObjectName(name);
    widget->setWordWrap(true);
    layout->addWidget(widget);
    return widget;
  };
  label(kSaveComparisonIntro, "lblIntro");
  label(kSaveComparisonListLabel, "lblList");
  auto* list = new QListWidget(this);
  list->setObjectName("lstComps");
  for (const std::string& name : dialog_.ListedNames())
    list->addItem(ToQString(name));
  layout->addWidget(list, 1);
  label(kSaveComparisonNameLabel, "lblName");
  name_ = new QLineEdit(ToQString(dialog_.ProposedName()), this);
  name_->setObjectName("txtName");
  layout->addWidget(name_);
  print_ = new QCheckBox(ToQString(kSaveComparisonPrintBox), this);
  print_->setObjectName("chkPrint");
  layout->addWidget(print_);
  QLabel* note_label = label(kSaveComparisonNoteLabel, "lblNoteLabel");
  QFont bold = note_label->font();
  bold.setBold(true);
  note_label->setFont(bold);
  label(kSaveComparisonNote, "lblNote");

  auto* buttons = new QHBoxLayout;
  auto* help = new QPushButton(tr("&Help"), this);
  help->setObjectName("cmdHelp");
  help->setAutoDefault(false);
  connect(help, &QPushButton::clicked, this,
          [this] { OpenHelpTopic(context_, kSavedProcessHelpContextId); });
  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &SaveComparisonWindow::Ok);
  auto* cancel = new QPushButton(tr("Cancel"), this);
  cancel->setObjectName("cmdCancel");
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addWidget(help);
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(this, &QDialog::rejected, this, [this] {
    if (!dialog_.closed())
      dialog_.Cancel();
  });
}

void SaveComparisonWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_)
    return;
  shown_ = true;
  name_->selectAll();
  name_->setFocus(Qt::OtherFocusReason);
}

void SaveComparisonWindow::Ok() {
  switch (dialog_.Ok(ToStdString(name_->text()), print_->isChecked())) {
    case SaveComparisonDialog::OkOutcome::kIgnored:
      return;
    case SaveComparisonDialog::OkOutcome::kFocusName:
      name_->setFocus(Qt::OtherFocusReason);
      return;
    case SaveComparisonDialog::OkOutcome::kClosed:
      accept();
      return;
  }
}

SaveComparisonResult SaveComparisonWindow::ShowUp(ApplicationContext& context,
                                                  SavedProcess comparison, QWidget* parent) {
  SaveComparisonWindow window(context, std::move(comparison), parent);
  window.exec();
  return window.result();
}

}  // namespace korvane
