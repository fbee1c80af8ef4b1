#include "ui/comparison_run_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "base/clock.h"
#include "base/text.h"
#include "compare/database_comparison_run.h"
#include "ui/qt_text.h"

namespace korvane {
namespace {

// The check box captions by type index.
constexpr const char* kTypeCaptions[kObjTypeCount] = {
    "&Tables",   "&Procedures",    "&Functions",  "&Views",
    "T&riggers", "R&elationships", "Co&nstraints"};

// How often the status timer ticks, in milliseconds.
constexpr int kTimerInterval = 250;

}  // namespace

ComparisonRunWindow::ComparisonRunWindow(ApplicationContext& context, const char* object_name,
                                         bool selective, QWidget* parent)
    : QDialog(parent), context_(context) {
  setObjectName(object_name);
  setWindowTitle(ToQString(ComparisonDialogCaption(selective)));
  setModal(true);

  auto* layout = new QVBoxLayout(this);

  type_panel_ = new QWidget(this);
  type_panel_->setObjectName("fraObjTypes");
  auto* types = new QGridLayout(type_panel_);
  auto* heading = new QLabel(ToQString(kSelectObjectTypesHeading), type_panel_);
  heading->setObjectName("lblSelectTypes");
  types->addWidget(heading, 0, 0, 1, 2);
  for (int index = 0; index < kObjTypeCount; ++index) {
    boxes_[index] = new QCheckBox(tr(kTypeCaptions[index]), type_panel_);
    boxes_[index]->setObjectName(QString("chkObjType_%1").arg(index));
    boxes_[index]->setVisible(TypeIndexVisible(index, context_.settings.analyze_constraints));
    types->addWidget(boxes_[index], 1 + index % 4, index / 4);
  }
  layout->addWidget(type_panel_);

  progress_panel_ = new QWidget(this);
  progress_panel_->setObjectName("fraProgress");
  auto* progress = new QVBoxLayout(progress_panel_);
  status_ = new QLabel(progress_panel_);
  status_->setObjectName("lblStatus");
  current_object_ = new QLabel(progress_panel_);
  current_object_->setObjectName("lblCurrentObject");
  current_object_->setMinimumWidth(280);
  elapsed_ = new QLabel("00:00:00", progress_panel_);
  elapsed_->setObjectName("lblElapsed");
  progress->addWidget(status_);
  progress->addWidget(current_object_);
  auto* animation = new QHBoxLayout;
  animation->setSpacing(2);
  for (int frame = 0; frame < kAnimationFrames; ++frame) {
    shapes_[frame] = new QFrame(progress_panel_);
    shapes_[frame]->setObjectName(QString("shpFrame_%1").arg(frame));
    shapes_[frame]->setFixedSize(10, 10);
    shapes_[frame]->setStyleSheet("background-color: #2f6fb3;");
    // A placeholder keeps the row's width while the shape is hidden.
    QSizePolicy policy = shapes_[frame]->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    shapes_[frame]->setSizePolicy(policy);
    shapes_[frame]->hide();
    animation->addWidget(shapes_[frame]);
  }
  animation->addStretch(1);
  animation->addWidget(elapsed_);
  progress->addLayout(animation);
  progress_panel_->hide();
  layout->addWidget(progress_panel_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  compare_button_ = new QPushButton(tr("C&ompare"), this);
  compare_button_->setObjectName("cmdCompare");
  compare_button_->setDefault(true);
  auto* cancel = new QPushButton(tr("&Cancel"), this);
  cancel->setObjectName("cmdCancel");
  connect(cancel, &QPushButton::clicked, this, &ComparisonRunWindow::reject);
  buttons->addWidget(compare_button_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  timer_ = new QTimer(this);
  timer_->setObjectName("tmrStatus");
  timer_->setInterval(kTimerInterval);
  connect(timer_, &QTimer::timeout, this, &ComparisonRunWindow::Tick);
}

std::array<bool, kObjTypeCount> ComparisonRunWindow::TickedTypes() const {
  std::array<bool, kObjTypeCount> ticked{};
  for (int index = 0; index < kObjTypeCount; ++index)
    ticked[index] = boxes_[index]->isChecked();
  return ticked;
}

void ComparisonRunWindow::SetTickedTypes(const std::array<bool, kObjTypeCount>& ticked) {
  for (int index = 0; index < kObjTypeCount; ++index)
    boxes_[index]->setChecked(ticked[index]);
}

void ComparisonRunWindow::TickOnly(ObjectType type) {
  std::array<bool, kObjTypeCount> ticked{};
  if (const int index = ObjectTypeIndex(type); index >= 0)
    ticked[index] = true;
  SetTickedTypes(ticked);
}

void ComparisonRunWindow::SetRunning(bool running) {
  state_.timer_enabled = running;
  if (running) {
    start_ = context_.clock.SteadyNow();
    type_panel_->hide();
    progress_panel_->show();
    adjustSize();
    timer_->start();
  } else {
    timer_->stop();
  }
}

void ComparisonRunWindow::ShowStatus(std::string_view text) {
  status_->setText(ToQString(text));
}

void ComparisonRunWindow::ShowCurrentObject(std::string_view name) {
  current_object_->setText(ToQString(name));
}

void ComparisonRunWindow::ShowElapsed(std::string_view elapsed) {
  elapsed_->setText(ToQString(elapsed));
}

void ComparisonRunWindow::ProcessPendingEvents() {
  QApplication::processEvents();
}

void ComparisonRunWindow::Tick() {
  shapes_[frame_]->setVisible(!shapes_[frame_]->isVisible());
  frame_ = (frame_ + 1) % kAnimationFrames;
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::seconds>(context_.clock.SteadyNow() - start_);
  elapsed_->setText(ToQString(FormatElapsed(elapsed.count())));
}

void ComparisonRunWindow::RunCommand(const std::function<ComparisonCommandOutcome()>& command) {
  if (!compare_button_->isEnabled())
    return;  // a run is in progress
  compare_button_->setEnabled(false);
  outcome_ = command();
  compare_button_->setEnabled(true);
  if (outcome_.ran)
    accept();
}

void ComparisonRunWindow::reject() {
  if (PressCancel(context_, state_))
    QDialog::reject();
}

void ComparisonRunWindow::closeEvent(QCloseEvent* event) {
  if (!MayCloseDialog(state_)) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace korvane
