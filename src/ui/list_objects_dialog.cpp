#include "ui/list_objects_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "ui/help_topics.h"
#include "ui/qt_list_control.h"
#include "ui/qt_text.h"

namespace korvane {
namespace {

constexpr const char* kSideNames[] = {"Source", "Target"};

}  // namespace

ListObjectsDialog::ListObjectsDialog(ApplicationContext& context,
                                     const std::string& source_database,
                                     const std::string& target_database, ObjectType type,
                                     QWidget* parent)
    : QDialog(parent), context_(context) {
  setObjectName("frmListObjects");
  setWindowTitle(tr("Select Objects"));
  setModal(true);
  resize(640, 460);
  lists_ = ObjectSelectionLists::Load(context_, source_database, target_database, type);

  auto* layout = new QVBoxLayout(this);
  auto* heading = new QLabel(ToQString(ObjectSelectionTypeWord(type)), this);
  heading->setObjectName("lblType");
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  layout->addWidget(heading);

  auto* sides = new QGridLayout;
  const std::string databases[] = {source_database, target_database};
  for (int side : {kSource, kTarget}) {
    auto* server = new QLabel(QString("%1 server: %2")
                                  .arg(kSideNames[side])
                                  .arg(ToQString(context_.CurrentServers[side].Name)),
                              this);
    server->setObjectName(QString("lblServer_%1").arg(side));
    auto* database = new QLabel(
        QString("%1 database: %2").arg(kSideNames[side]).arg(ToQString(databases[side])), this);
    database->setObjectName(QString("lblDb_%1").arg(side));
    auto* list = new QtListControl(this);
    list->setObjectName(QString("pvlObjects_%1").arg(side));
    list->SetColumnWidth(0, -1);
    for (const ObjectSelectionLists::Row& row : lists_.rows(side))
      list->AddRow(row.name);
    list->SetCheckList(true);
    connect(list, &QTreeWidget::itemChanged, this,
            [this, side](QTreeWidgetItem* item, int) { Ticked(side, item); });
    lists_view_[side] = list;
    sides->addWidget(server, 0, side);
    sides->addWidget(database, 1, side);
    sides->addWidget(list, 2, side);
  }
  sides->setRowStretch(2, 1);
  layout->addLayout(sides, 1);

  auto* buttons = new QHBoxLayout;
  auto add = [&](const QString& caption, const char* name) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    buttons->addWidget(button);
    return button;
  };
  connect(add(tr("Select &All"), "cmdSelectAll"), &QPushButton::clicked, this,
          [this] { SetAll(true); });
  connect(add(tr("&Deselect All"), "cmdDeselectAll"), &QPushButton::clicked, this,
          [this] { SetAll(false); });
  buttons->addStretch(1);
  QPushButton* ok = add(tr("OK"), "cmdOK");
  ok->setDefault(true);  // Enter
  connect(ok, &QPushButton::clicked, this, &ListObjectsDialog::Ok);
  connect(add(tr("Cancel"), "cmdCancel"), &QPushButton::clicked, this, &QDialog::reject);
  connect(add(tr("&Help"), "cmdHelp"), &QPushButton::clicked, this,
          [this] { OpenHelpTopic(context_, kListObjectsHelpContext); });
  layout->addLayout(buttons);
}

void ListObjectsDialog::Ticked(int side, QTreeWidgetItem* item) {
  if (refreshing_)
    return;
  QtListControl& list = *lists_view_[side];
  const int row = list.indexOfTopLevelItem(item);
  lists_.SetTicked(side, row, list.IsChecked(row));
  Refresh();
}

void ListObjectsDialog::SetAll(bool ticked) {
  lists_.SetAllTicked(ticked);
  Refresh();
}

void ListObjectsDialog::Refresh() {
  refreshing_ = true;
  for (int side : {kSource, kTarget}) {
    const auto& rows = lists_.rows(side);
    for (std::size_t row = 0; row < rows.size(); ++row) {
      const int index = static_cast<int>(row);
      if (lists_view_[side]->IsChecked(index) != rows[row].ticked)
        lists_view_[side]->SetChecked(index, rows[row].ticked);
    }
  }
  refreshing_ = false;
}

void ListObjectsDialog::Ok() {
  selection_ = lists_.Accept(context_.ui);
  if (selection_)
    accept();
}

std::optional<ObjectSelection> ListObjectsDialog::ShowUp(ApplicationContext& context,
                                                         const std::string& source_database,
                                                         const std::string& target_database,
                                                         ObjectType type, QWidget* parent) {
  ListObjectsDialog dialog(context, source_database, target_database, type, parent);
  if (dialog.exec() != QDialog::Accepted)
    return std::nullopt;
  return dialog.selection();
}

}  // namespace korvane
