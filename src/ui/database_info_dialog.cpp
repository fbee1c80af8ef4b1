#include "ui/database_info_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "base/clock.h"
#include "base/text.h"
#include "ui/qt_text.h"

namespace korvane {

DatabaseInfoDialog::DatabaseInfoDialog(ApplicationContext& context, int side, std::string database,
                                       QWidget* parent)
    : QDialog(parent), context_(context), side_(side), database_(std::move(database)) {
  setObjectName("frmGetDbInfo");
  setWindowTitle(ToQString(kDatabaseInformationTitle));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* caption = new QLabel(ToQString("Database: " + database_), this);
  caption->setObjectName("lblDatabase");
  layout->addWidget(caption);
  for (std::size_t index = 0; index < status_.size(); ++index) {
    status_[index] = new QLabel(this);
    status_[index]->setObjectName(QString("lblStatus_%1").arg(index));
    status_[index]->setVisible(false);
    layout->addWidget(status_[index]);
  }
  layout->addStretch(1);
  time_ = new QLabel(ToQString(FormatElapsed(0)), this);
  time_->setObjectName("lblTime");
  cancel_ = new QPushButton(tr("Cancel"), this);
  cancel_->setObjectName("cmdCancel");
  connect(cancel_, &QPushButton::clicked, this, &DatabaseInfoDialog::reject);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(time_);
  bottom->addStretch(1);
  bottom->addWidget(cancel_);
  layout->addLayout(bottom);
  resize(420, 260);

  // The elapsed time follows a timer; it fires whenever the run lets events run.
  timer_ = new QTimer(this);
  timer_->setInterval(1000);
  connect(timer_, &QTimer::timeout, this, &DatabaseInfoDialog::ShowElapsed);
}

DatabaseInfoOutcome DatabaseInfoDialog::Run() {
  show();
  running_ = true;
  start_ = context_.clock.SteadyNow();
  timer_->start();
  const DatabaseInfoOutcome outcome =
      BuildDatabaseInfo(context_, context_.CurrentServers[side_], database_, *this);
  for (QLabel* label : status_)
    label->setVisible(false);
  timer_->stop();
  running_ = false;
  hide();
  return outcome;
}

void DatabaseInfoDialog::ShowElapsed() {
  const auto elapsed = context_.clock.SteadyNow() - start_;
  time_->setText(
      ToQString(FormatElapsed(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count())));
}

void DatabaseInfoDialog::RefreshTime() {
  ShowElapsed();
  QCoreApplication::processEvents();
}

void DatabaseInfoDialog::ShowStatus(int index, std::string_view text) {
  if (index < 0 || index >= static_cast<int>(status_.size()))
    return;
  status_[index]->setText(ToQString(text));
  status_[index]->setVisible(true);
  emit statusShown(index, ToQString(text));
}

void DatabaseInfoDialog::reject() {
  if (running_) {
    context_.cancel_requested = true;
    return;
  }
  QDialog::reject();
}

void DatabaseInfoDialog::closeEvent(QCloseEvent* event) {
  if (running_) {
    context_.cancel_requested = true;
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace korvane
