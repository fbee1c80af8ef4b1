#include "ui/timeout_dialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "app/settings.h"
#include "ui/qt_text.h"

namespace korvane {

TimeoutDialog::TimeoutDialog(ApplicationContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
  setObjectName("frmTimeout");
  setWindowTitle(tr("Timeout"));
  setModal(true);

  auto* explanation = new QLabel(DisplayText(kTimeoutExplanation), this);
  explanation->setObjectName("lblExplanation");
  explanation->setWordWrap(true);

  timeout_ = new QLineEdit(QString::number(context_.settings.timeout), this);
  timeout_->setObjectName("txtTimeout");
  timeout_->setMaximumWidth(100);
  timeout_->installEventFilter(this);
  auto* caption = new QLabel(tr("&Timeout (seconds):"), this);
  caption->setObjectName("lblTimeout");
  caption->setBuddy(timeout_);

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  auto* cancel = new QPushButton(tr("Cancel"), this);
  cancel->setObjectName("cmdCancel");
  connect(ok, &QPushButton::clicked, this, [this] {
    if (SaveTimeout(context_.settings_store, context_.settings, ToStdString(timeout_->text()),
                    context_.ui)) {
      saved_ = true;
      accept();
    }
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* field = new QHBoxLayout;
  field->addWidget(caption);
  field->addWidget(timeout_);
  field->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(explanation);
  layout->addLayout(field);
  layout->addStretch(1);
  layout->addLayout(buttons);

  timeout_->selectAll();
  timeout_->setFocus();
  resize(460, 260);
}

bool TimeoutDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == timeout_ && event->type() == QEvent::KeyPress) {
    const QString typed = static_cast<QKeyEvent*>(event)->text();
    // Keys that type nothing (arrows, Delete) and control characters (Backspace, Enter, Esc,
    // Tab, Ctrl shortcuts) work as usual; a typed character goes in only when it is a digit.
    const bool control = typed.isEmpty() || (typed.size() == 1 && typed.at(0).unicode() < 0x20);
    if (!control) {
      for (const QChar character : typed) {
        if (!IsTimeoutKeyAccepted(character.unicode()))
          return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace korvane
