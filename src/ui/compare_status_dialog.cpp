#include "ui/compare_status_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "base/clock.h"
#include "ui/qt_text.h"

namespace korvane {
namespace {

QLabel* NamedLabel(const QString& name, QWidget* parent, const QString& text = {}) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

}  // namespace

CompareStatusDialog::CompareStatusDialog(ApplicationContext& context, QWidget* parent)
    : QDialog(parent), CompareStatus(context.clock), context_(context) {
  setObjectName("frmCompareStatus");
  setWindowTitle(tr("Comparing Data"));
  setWindowModality(Qt::ApplicationModal);

  auto* grid = new QGridLayout;
  const char* sides[] = {"Source:", "Target:"};
  const char* count_captions[] = {"Records in first table:", "Records in second table:"};
  for (int side : {kSource, kTarget}) {
    grid->addWidget(new QLabel(tr(sides[side]), this), side, 0);
    tables_[side] = NamedLabel(QString("lblTable_%1").arg(side), this);
    grid->addWidget(tables_[side], side, 1);
    grid->addWidget(new QLabel(tr(count_captions[side]), this), 2 + side, 0);
    counts_[side] = NamedLabel(QString("lblCount_%1").arg(side), this);
    grid->addWidget(counts_[side], 2 + side, 1);
  }
  grid->addWidget(new QLabel(tr("Current record:"), this), 4, 0);
  current_record_ = NamedLabel("lblCurrentRecord", this);
  grid->addWidget(current_record_, 4, 1);
  grid->setColumnStretch(1, 1);

  status_ = NamedLabel("lblStatus", this);
  gauge_caption_ = NamedLabel("lblProgress", this, tr("Progress:"));
  gauge_ = new QProgressBar(this);
  gauge_->setObjectName("prgCompare");
  gauge_->setRange(0, 100);
  elapsed_ = NamedLabel("lblTimeElapsed", this);
  stop_ = new QPushButton(tr("&Stop"), this);
  stop_->setObjectName("cmdStop");
  connect(stop_, &QPushButton::clicked, this, &CompareStatusDialog::Stop);

  auto* gauge_row = new QHBoxLayout;
  gauge_row->addWidget(gauge_caption_);
  gauge_row->addWidget(gauge_, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(elapsed_);
  bottom->addStretch(1);
  bottom->addWidget(stop_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(status_);
  layout->addLayout(gauge_row);
  layout->addLayout(bottom);
  resize(480, 220);

  // The elapsed time follows a timer; it fires whenever the run lets events run.
  timer_ = new QTimer(this);
  timer_->setInterval(1000);
  connect(timer_, &QTimer::timeout, this, [this] { UpdateTimeElapsed(); });
}

void CompareStatusDialog::Changed() {
  const CompareStatusState& s = state();
  for (int side : {kSource, kTarget}) {
    tables_[side]->setText(
        ToQString(s.servers[side] + "." + s.databases[side] + "." + s.tables[side]));
    counts_[side]->setText(ToQString(s.count_labels[side]));
  }
  status_->setText(ToQString(s.status));
  status_->setVisible(s.status_visible);
  current_record_->setText(ToQString(s.current_record_label));
  gauge_caption_->setVisible(s.gauge_visible);
  gauge_->setVisible(s.gauge_visible);
  gauge_->setValue(s.gauge_percent);
  elapsed_->setText(ToQString(s.elapsed));
  elapsed_->setVisible(s.elapsed_visible);
  // The dialog shows itself when the run loads it (stage 0); once Stop closed it, it stays closed.
  if (s.stage == 0 && !isVisible()) {
    show();
    timer_->start();
  }
  emit stateShown();
}

void CompareStatusDialog::Unload() {
  timer_->stop();
  hide();
}

void CompareStatusDialog::Stop() {
  context_.cancel_requested = true;
  timer_->stop();
  hide();
}

void CompareStatusDialog::reject() {
  Stop();
}

}  // namespace korvane
