#include "ui/remove_server_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

#include "app/application_context.h"
#include "db/server_list.h"
#include "ui/qt_text.h"

namespace korvane {

RemoveServerDialog::RemoveServerDialog(ApplicationContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
  setObjectName("frmDeleteServer");
  setWindowTitle(tr("Remove Server"));
  setModal(true);

  auto* prompt = new QLabel(tr("Select Server to be removed from the list."), this);
  prompt->setObjectName("lblPrompt");
  servers_ = new QListWidget(this);
  servers_->setObjectName("lstServers");
  servers_->setSelectionMode(QAbstractItemView::SingleSelection);
  LoadServerList(context_);
  for (const ServerRecord& server : context_.servers)
    servers_->addItem(ToQString(server.Name));

  auto* remove = new QPushButton(tr("&Remove"), this);
  remove->setObjectName("cmdRemove");
  auto* exit = new QPushButton(tr("E&xit"), this);
  exit->setObjectName("cmdExit");
  connect(remove, &QPushButton::clicked, this, &RemoveServerDialog::Remove);
  connect(exit, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(remove);
  buttons->addWidget(exit);
  buttons->addStretch(1);
  auto* row = new QHBoxLayout;
  row->addWidget(servers_, 1);
  row->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt);
  layout->addLayout(row, 1);
  resize(420, 260);
}

void RemoveServerDialog::Remove() {
  std::optional<std::string> selected;
  const QList<QListWidgetItem*> items = servers_->selectedItems();
  if (!items.isEmpty())
    selected = ToStdString(items.first()->text());
  if (!ConfirmAndRemoveServer(context_, selected)) {
    if (!selected)
      servers_->setFocus();
    return;
  }
  removed_ = true;
  accept();
}

}  // namespace korvane
