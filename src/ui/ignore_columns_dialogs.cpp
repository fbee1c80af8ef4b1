#include "ui/ignore_columns_dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "ui/qt_list_control.h"
#include "ui/qt_text.h"

namespace korvane {
namespace {

QPushButton* AddButton(QWidget* parent, QHBoxLayout* row, const QString& caption,
                       const char* name) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  row->addWidget(button);
  return button;
}

QLabel* AddLink(QWidget* parent, QHBoxLayout* row, const QString& caption, const char* name) {
  auto* link = new QLabel("<a href=\"#\">" + caption + "</a>", parent);
  link->setObjectName(name);
  link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  row->addWidget(link);
  return link;
}

}  // namespace

bool IgnoreColumnsAddDialog::ShowUp(ApplicationContext& context, IgnoredColumnsKind kind,
                                    const ViewedTable& table, QWidget* parent) {
  IgnoreColumnsAddDialog dialog(context, OpenIgnoreEditor(context, kind, table), parent);
  dialog.exec();
  return dialog.saved();
}

IgnoreColumnsAddDialog::IgnoreColumnsAddDialog(ApplicationContext& context, IgnoreEditorState state,
                                               QWidget* parent)
    : QDialog(parent), context_(context), state_(std::move(state)) {
  setObjectName("frmIgnoreColumnsAdd");
  setWindowTitle(ToQString(IgnoreEditorCaption(state_.kind)));
  auto* layout = new QVBoxLayout(this);
  auto* instruction = new QLabel(ToQString(IgnoreEditorInstruction(state_.kind)), this);
  instruction->setObjectName("lblInstruction");
  instruction->setWordWrap(true);
  layout->addWidget(instruction);
  auto* label = new QLabel(ToQString(state_.label), this);
  label->setObjectName("lblTable");
  label->setWordWrap(true);
  layout->addWidget(label);

  list_ = new QtListControl(this);
  list_->setObjectName("pvlColumns");
  list_->SetCheckList(true);
  list_->SetColumnCount(2);
  list_->SetColumnCaption(0, "Column");
  list_->SetColumnCaption(1, "Data Type");
  list_->SetColumnWidth(0, 180);
  for (const IgnoreEditorRow& row : state_.rows) {
    const int at = list_->AddRow(row.column);
    list_->SetCell(at, 1, row.data_type);
    list_->SetChecked(at, row.ticked);
  }
  layout->addWidget(list_, 1);

  auto* links = new QHBoxLayout;
  QLabel* select_all = AddLink(this, links, tr("Select All"), "lnkSelectAll");
  QLabel* deselect_all = AddLink(this, links, tr("Deselect All"), "lnkDeselectAll");
  links->addStretch();
  layout->addLayout(links);
  connect(select_all, &QLabel::linkActivated, this, [this] { TickAll(true); });
  connect(deselect_all, &QLabel::linkActivated, this, [this] { TickAll(false); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  QPushButton* ok = AddButton(this, buttons, tr("OK"), "cmdOK");
  ok->setDefault(true);
  QPushButton* cancel = AddButton(this, buttons, tr("Cancel"), "cmdCancel");
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &IgnoreColumnsAddDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &IgnoreColumnsAddDialog::reject);
  resize(420, 420);
}

void IgnoreColumnsAddDialog::TickAll(bool ticked) {
  for (int row = 0; row < list_->RowCount(); ++row)
    list_->SetChecked(row, ticked);
}

void IgnoreColumnsAddDialog::accept() {
  for (std::size_t row = 0; row < state_.rows.size(); ++row)
    state_.rows[row].ticked = list_->IsChecked(static_cast<int>(row));
  if (AcceptIgnoreEditor(context_, state_) != IgnoreEditorSave::kSaved)
    return;
  saved_ = true;
  QDialog::accept();
}

void IgnoreColumnsViewDialog::ShowUp(ApplicationContext& context, IgnoredColumnsKind kind,
                                     QWidget* parent) {
  IgnoreColumnsViewDialog dialog(context, kind, parent);
  dialog.exec();
}

IgnoreColumnsViewDialog::IgnoreColumnsViewDialog(ApplicationContext& context,
                                                 IgnoredColumnsKind kind, QWidget* parent)
    : QDialog(parent), context_(context), listing_(LoadAllIgnoredColumns(context.locations, kind)) {
  setObjectName("frmIgnoreColumnsView");
  setWindowTitle(ToQString(IgnoreViewerCaption(kind)));
  auto* layout = new QVBoxLayout(this);
  auto* text = new QLabel(ToQString(IgnoreViewerText(kind)), this);
  text->setObjectName("lblText");
  layout->addWidget(text);
  auto* list = new QtListControl(this);
  list->setObjectName("pvlIgnoredColumns");
  const std::vector<std::string> headers = IgnoreViewerHeaders();
  list->SetColumnCount(static_cast<int>(headers.size()));
  for (std::size_t k = 0; k < headers.size(); ++k) {
    list->SetColumnCaption(static_cast<int>(k), headers[k]);
    list->SetColumnWidth(static_cast<int>(k), 130);
  }
  for (const IgnoredColumnRecord& record : listing_.records) {
    const int at = list->AddRow(record.server);
    list->SetCell(at, 1, record.database);
    list->SetCell(at, 2, record.table);
    list->SetCell(at, 3, record.column);
  }
  layout->addWidget(list, 1);
  auto* count = new QLabel(ToQString(IgnoreViewerCountLabel(listing_.records.size())), this);
  count->setObjectName("lblCount");
  layout->addWidget(count);

  auto* buttons = new QHBoxLayout;
  QPushButton* clipboard = AddButton(this, buttons, tr("Copy to C&lipboard"), "cmdClipboard");
  QPushButton* file = AddButton(this, buttons, tr("Copy to &File"), "cmdFile");
  QPushButton* editor = AddButton(this, buttons, tr("Send to &Notepad"), "cmdNotepad");
  buttons->addStretch();
  QPushButton* close = AddButton(this, buttons, tr("&Close"), "cmdClose");
  layout->addLayout(buttons);
  connect(clipboard, &QPushButton::clicked, this,
          [this] { CopyListingToClipboard(context_, listing_); });
  connect(file, &QPushButton::clicked, this, [this] { CopyListingToFile(context_, listing_); });
  connect(editor, &QPushButton::clicked, this, [this] { SendListingToEditor(context_, listing_); });
  connect(close, &QPushButton::clicked, this, &IgnoreColumnsViewDialog::reject);
  resize(600, 400);
}

}  // namespace korvane
