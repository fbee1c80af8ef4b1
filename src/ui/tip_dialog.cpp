#include "ui/tip_dialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "ui/qt_text.h"

namespace korvane {

TipDialog::TipDialog(ApplicationContext& context, QWidget* parent)
    : QDialog(parent),
      context_(context),
      tip_(TipOfDay::Load(context.settings_store, context.locations.tip_of_day_file)) {
  setObjectName("frmTip");
  setWindowTitle(tr("Tip of the Day"));
  setModal(true);

  auto* frame = new QFrame(this);
  frame->setObjectName("fraTip");
  frame->setFrameShape(QFrame::StyledPanel);
  frame->setAutoFillBackground(true);
  QPalette palette = frame->palette();
  palette.setColor(QPalette::Window, QColor(255, 255, 225));
  frame->setPalette(palette);

  auto* heading = new QLabel(tr("Did you know..."), frame);
  heading->setObjectName("lblHeading");
  QFont heading_font = heading->font();
  heading_font.setBold(true);
  heading_font.setPointSizeF(heading_font.pointSizeF() * 1.3);
  heading->setFont(heading_font);

  text_ = new QLabel(frame);
  text_->setObjectName("lblTipText");
  text_->setWordWrap(true);
  text_->setTextFormat(Qt::PlainText);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text_->setMinimumHeight(140);

  auto* frame_layout = new QVBoxLayout(frame);
  frame_layout->addWidget(heading);
  frame_layout->addWidget(text_, 1);

  counter_ = new QLabel(this);
  counter_->setObjectName("lblTipNumber");

  show_at_startup_ = new QCheckBox(tr("&Show tips at startup"), this);
  show_at_startup_->setObjectName("chkLoadTipsAtStartup");
  show_at_startup_->setChecked(tip_.show_at_startup());

  auto* next = new QPushButton(tr("&Next Tip"), this);
  next->setObjectName("cmdNextTip");
  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  connect(next, &QPushButton::clicked, this, [this] {
    tip_.ShowNextTip();
    ShowTip();
  });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(show_at_startup_);
  bottom->addStretch(1);
  bottom->addWidget(counter_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(next);
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame, 1);
  layout->addLayout(bottom);
  layout->addLayout(buttons);

  ShowTip();
  resize(480, 300);
}

void TipDialog::ShowTip() {
  text_->setText(DisplayText(tip_.text()));
  counter_->setText(ToQString(tip_.counter()));
}

void TipDialog::done(int result) {
  tip_.Save(context_.settings_store, show_at_startup_->isChecked());
  QDialog::done(result);
}

}  // namespace korvane
