#include "ui/find_object_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "catalog/catalog_failure.h"
#include "catalog/object_type_selector.h"
#include "ui/qt_list_control.h"
#include "ui/qt_selector.h"
#include "ui/qt_text.h"
#include "ui/qt_text_view.h"

namespace korvane {

FindObjectDialog::FindObjectDialog(ApplicationContext& context, int side, std::string database,
                                   ObjectType type, bool general, StructureTextRenderer render,
                                   QWidget* parent)
    : QDialog(parent),
      context_(context),
      side_(side),
      database_(std::move(database)),
      type_(type),
      render_(std::move(render)) {
  setObjectName(general ? "frmSearchForObject_Gen" : "frmSearchForObject");
  setModal(true);
  auto* layout = new QVBoxLayout(this);

  if (general) {
    auto* where = new QGridLayout;
    auto* server = new QLabel(ToQString(context_.CurrentServers[side_].Name), this);
    server->setObjectName("lblServer");
    auto* database_label = new QLabel(ToQString(database_), this);
    database_label->setObjectName("lblDatabase");
    auto* server_caption = new QLabel(tr("Server:"), this);
    auto* database_caption = new QLabel(tr("Database:"), this);
    types_ = new QtSelector(this);
    types_->setObjectName("cmbType");
    auto* type_caption = new QLabel(tr("Object &Type:"), this);
    type_caption->setBuddy(types_);
    where->addWidget(server_caption, 0, 0);
    where->addWidget(server, 0, 1);
    where->addWidget(database_caption, 1, 0);
    where->addWidget(database_label, 1, 1);
    where->addWidget(type_caption, 2, 0);
    where->addWidget(types_, 2, 1);
    where->setColumnStretch(1, 1);
    layout->addLayout(where);
  }

  prompt_ = new QLabel(this);
  prompt_->setObjectName("lblPrompt");
  prompt_->setWordWrap(true);
  layout->addWidget(prompt_);
  auto* search_row = new QHBoxLayout;
  text_ = new QLineEdit(this);
  text_->setObjectName("txtSearch");
  auto* search = new QPushButton(tr("&Search"), this);
  search->setObjectName("cmdSearch");
  search->setDefault(true);
  search_row->addWidget(text_, 1);
  search_row->addWidget(search);
  layout->addLayout(search_row);

  objects_ = new QtListControl(this);
  objects_->setObjectName("pvlSqlObj");
  layout->addWidget(objects_, 2);
  structure_ = new QtTextView(this);
  structure_->setObjectName("txtTXProc");
  layout->addWidget(structure_, 1);

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("cmdOK");
  auto* cancel = new QPushButton(tr("Cancel"), this);
  cancel->setObjectName("cmdCancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  connect(search, &QPushButton::clicked, this, &FindObjectDialog::Search);
  connect(text_, &QLineEdit::returnPressed, this, &FindObjectDialog::Search);
  connect(ok, &QPushButton::clicked, this, &FindObjectDialog::Ok);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  if (types_ != nullptr) {
    FillTypeSelector(*types_, context_.settings.analyze_constraints);
    for (int index = 0; index < types_->Count(); ++index) {
      if (types_->ItemData(index) == ObjectTypeCode(type_))
        types_->SetCurrentIndex(index);
    }
    types_->SetSelectionHandler([this](int index) {
      if (index >= 0)
        SetType(ObjectTypeFromCode(types_->ItemData(index)));
    });
  }
  SetType(type_);
  text_->setFocus();
  resize(520, 520);
}

void FindObjectDialog::SetType(ObjectType type) {
  type_ = type;
  setWindowTitle(ToQString(FindObjectCaption(type_)));
  prompt_->setText(ToQString(FindObjectLabel(type_)));
}

void FindObjectDialog::Search() {
  if (busy_)
    return;
  busy_ = true;
  RunGuarded(context_.ui, "frmSearchForObject", "cmdSearch_Click", [&] {
    const auto entries =
        SearchObjects(context_, context_.CurrentServers[side_], *objects_, structure_, type_,
                      database_, ToStdString(text_->text()), render_);
    if (!entries)
      text_->setFocus();
  });
  busy_ = false;
}

void FindObjectDialog::Ok() {
  if (busy_)
    return;
  busy_ = true;
  RunGuarded(context_.ui, "frmSearchForObject", "cmdOK_Click", [&] {
    const FindObjectChoice choice = ChooseFoundObject(context_.ui, *objects_, type_);
    if (choice.kind == FindObjectChoice::Kind::kStayOpen)
      return;
    result_ = choice;
    if (choice.kind == FindObjectChoice::Kind::kFound)
      accept();
    else
      reject();
  });
  busy_ = false;
}

}  // namespace korvane
