#include "ui/error_report_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/user_interface.h"
#include "ui/qt_text.h"

namespace korvane {
namespace {

QLabel* NamedLabel(const QString& name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setWordWrap(true);
  return label;
}

}  // namespace

ErrorReportDialog::ErrorReportDialog(const ErrorReport& report, UserInterface& ui, QWidget* parent,
                                     std::string_view base_address)
    : QDialog(parent), report_(report), ui_(ui), base_address_(base_address) {
  setObjectName("frmErrorReport");
  setWindowTitle(ToQString(kErrorReportTitle));
  setModal(true);

  if (QApplication::overrideCursor() != nullptr) {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    pointer_overridden_ = true;
  }

  QLabel* title = NamedLabel("lblTitle", ToQString(kErrorReportTitle), this);
  QFont title_font = title->font();
  title_font.setBold(true);
  title_font.setPointSizeF(title_font.pointSizeF() * 1.3);
  title->setFont(title_font);

  QLabel* introduction =
      NamedLabel("lblIntroduction", DisplayText(ErrorReportIntroduction()), this);

  auto* report_text = new QPlainTextEdit(DisplayText(ErrorReportText(report_)), this);
  report_text->setObjectName("txtReport");
  report_text->setReadOnly(true);

  comments_ = new QPlainTextEdit(this);
  comments_->setObjectName("txtComments");
  comments_->setTabChangesFocus(true);

  email_ = new QLineEdit(this);
  email_->setObjectName("txtEmail");

  auto* send = new QPushButton(tr("Send Error Report"), this);
  send->setObjectName("cmdSend");
  auto* do_not_send = new QPushButton(tr("Do Not Send"), this);
  do_not_send->setObjectName("cmdDoNotSend");
  connect(send, &QPushButton::clicked, this, &ErrorReportDialog::Send);
  connect(do_not_send, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title);
  layout->addWidget(introduction);
  layout->addWidget(NamedLabel("lblReportContents", tr("Error Report Contents:"), this));
  layout->addWidget(report_text, 2);
  layout->addWidget(
      NamedLabel("lblComments", tr("How you got this error, and how we can reproduce it:"), this));
  layout->addWidget(comments_, 2);
  auto* email_caption = new QHBoxLayout;
  email_caption->addWidget(
      NamedLabel("lblEmail", tr("Your email address, so we can contact you about this problem:"),
                 this),
      1);
  QLabel* recommended = NamedLabel("lblRecommended", tr("(Highly recommended.)"), this);
  recommended->setWordWrap(false);
  email_caption->addWidget(recommended);
  layout->addLayout(email_caption);
  layout->addWidget(email_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(send);
  buttons->addWidget(do_not_send);
  layout->addLayout(buttons);

  resize(560, 620);
  comments_->setFocus();
}

ErrorReportDialog::~ErrorReportDialog() {
  if (pointer_overridden_)
    QApplication::restoreOverrideCursor();
}

void ErrorReportDialog::Send() {
  if (sending_)
    return;
  sending_ = true;
  SendErrorReport(ui_, base_address_, report_, ToStdString(comments_->toPlainText()),
                  ToStdString(email_->text()));
  accept();
}

}  // namespace korvane
