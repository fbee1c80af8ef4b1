#include "ui/save_comp_run_window.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "saved/save_comparison_dialog.h"
#include "ui/help_topics.h"
#include "ui/qt_text.h"

namespace korvane {

SaveCompRunWindow::SaveCompRunWindow(ApplicationContext& context, QWidget* parent)
    : QDialog(parent),
      context_(context),
      store_(context.locations, context.ui),
      dialog_(store_, context.ui) {
  setObjectName("frmSaveCompRun");
  setWindowTitle(ToQString(kSaveCompRunCaption));
  setModal(true);
  resize(440, 360);

  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(ToQString(kSaveCompRunIntro), this);
  intro->setObjectName("lblIntro");
  intro->setWordWrap(true);
  layout->addWidget(intro);
  list_ = new QListWidget(this);
  list_->setObjectName("lstComps");
  list_->viewport()->installEventFilter(this);
  list_->installEventFilter(this);
  connect(list_, &QListWidget::itemDoubleClicked, this, &SaveCompRunWindow::Run);
  layout->addWidget(list_, 1);
  auto* hint = new QLabel(ToQString(kSaveCompRunHint), this);
  hint->setObjectName("lblHint");
  hint->setWordWrap(true);
  layout->addWidget(hint);

  auto* buttons = new QHBoxLayout;
  auto add = [&](const QString& caption, const char* name) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    buttons->addWidget(button);
    return button;
  };
  QPushButton* help = add(tr("&Help"), "cmdHelp");
  connect(help, &QPushButton::clicked, this,
          [this] { OpenHelpTopic(context_, kSavedProcessHelpContextId); });
  buttons->addStretch(1);
  QPushButton* run = add(tr("&Run"), "cmdRun");
  run->setDefault(true);
  connect(run, &QPushButton::clicked, this, &SaveCompRunWindow::Run);
  connect(add(tr("&Delete"), "cmdDelete"), &QPushButton::clicked, this, &SaveCompRunWindow::Delete);
  connect(add(tr("Cancel"), "cmdCancel"), &QPushButton::clicked, this, &QDialog::reject);
  layout->addLayout(buttons);
  connect(this, &QDialog::rejected, this, [this] { dialog_.Cancel(); });
  FillList();
}

void SaveCompRunWindow::FillList() {
  list_->clear();
  for (const std::string& name : dialog_.Names())
    list_->addItem(ToQString(name));
}

std::optional<std::string> SaveCompRunWindow::Selected() const {
  const QListWidgetItem* item = list_->currentItem();
  if (item == nullptr || !item->isSelected())
    return std::nullopt;
  return ToStdString(item->text());
}

void SaveCompRunWindow::Run() {
  if (std::optional<std::string> name = dialog_.Run(Selected())) {
    chosen_ = *name;
    accept();
  }
}

void SaveCompRunWindow::Delete() {
  if (dialog_.Delete(Selected()))
    FillList();
}

bool SaveCompRunWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_->viewport() && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    dialog_.ShowProperties(Selected());
    return true;
  }
  if (watched == list_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    Delete();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

std::string SaveCompRunWindow::ShowUp(ApplicationContext& context, QWidget* parent) {
  SaveCompRunWindow window(context, parent);
  window.exec();
  return window.chosen();
}

}  // namespace korvane
