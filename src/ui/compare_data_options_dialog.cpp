#include "ui/compare_data_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "datacomp/data_compare_start.h"
#include "ui/digits_field.h"
#include "ui/qt_list_control.h"
#include "ui/qt_text.h"

namespace korvane {
namespace {

constexpr const char* kSideNames[] = {"Source", "Target"};

QString Named(const char* name, int index) {
  return QString("%1_%2").arg(name).arg(index);
}

// A tab page: its caption in bold, its explanation, then the page's own controls.
QWidget* TabPage(QTabWidget* tabs, std::string_view caption, std::string_view explanation,
                 QLayout* controls) {
  auto* page = new QWidget(tabs);
  auto* title = new QLabel(ToQString(caption), page);
  QFont font = title->font();
  font.setBold(true);
  title->setFont(font);
  auto* text = new QLabel(ToQString(explanation), page);
  text->setWordWrap(true);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(title);
  layout->addWidget(text);
  layout->addSpacing(6);
  layout->addLayout(controls, 1);
  tabs->addTab(page, ToQString(caption));
  return page;
}

QLabel* NoteLabel(QWidget* parent) {
  auto* note = new QLabel(ToQString(kRecordByRecordOnlyNote), parent);
  note->setObjectName("lblRecordByRecordNote");
  note->setWordWrap(true);
  return note;
}

void FillCombo(QComboBox* combo, const std::vector<std::string>& items) {
  for (const std::string& item : items)
    combo->addItem(ToQString(item));
}

}  // namespace

CompareDataOptionsDialog::CompareDataOptionsDialog(ApplicationContext& context,
                                                   const std::array<DataCompareTable, 2>& tables,
                                                   const std::array<std::string, 2>& keys,
                                                   QWidget* parent)
    : QDialog(parent), context_(context), tables_(tables), keys_(keys) {
  setObjectName("frmCompareDataOptions");
  setWindowTitle(ToQString(kCompareDataOptionsCaption));
  setModal(true);
  state_ = OpenCompareDataOptions(context_.locations, context_.settings_store, keys_[0], keys_[1],
                                  OptionsColumnsOfTable(context_, kSource, tables_[0]),
                                  OptionsColumnsOfTable(context_, kTarget, tables_[1]));

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("tabDataCompOpt");
  BuildMethodTab();
  BuildSortingTab();
  BuildOffsetTab();
  BuildIgnoreTab();
  // The reporting tab is kept, hidden.
  auto* reporting = new QWidget(tabs_);
  reporting->setObjectName("tabReporting");
  tabs_->addTab(reporting, ToQString(kReportingTabCaption));
  tabs_->setTabVisible(4, false);

  do_not_show_ = new QCheckBox(ToQString(kDoNotShowAgainCheckBox), this);
  do_not_show_->setObjectName("chkDoNotShow");
  connect(do_not_show_, &QCheckBox::toggled, this, [this](bool ticked) {
    React([&] { SetDoNotShowAgain(state_, ticked, context_.settings_store, context_.ui); });
  });
  auto* proceed = new QPushButton(ToQString(kContinueButton), this);
  proceed->setObjectName("cmdContinue");
  proceed->setDefault(true);
  connect(proceed, &QPushButton::clicked, this, &CompareDataOptionsDialog::Continue);
  auto* cancel = new QPushButton(ToQString(kCancelButton), this);
  cancel->setObjectName("cmdCancel");
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(do_not_show_);
  buttons->addStretch(1);
  buttons->addWidget(proceed);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_, 1);
  layout->addLayout(buttons);

  busy_ = true;
  ShowState();
  busy_ = false;
  resize(640, 440);
}

QWidget* CompareDataOptionsDialog::BuildMethodTab() {
  auto* controls = new QVBoxLayout;
  const std::string_view captions[] = {kRecordByRecordOption, kPrimaryKeyOption};
  for (int option = 0; option < 2; ++option) {
    auto* button = new QRadioButton(ToQString(captions[option]));
    button->setObjectName(Named("optGen", option));
    method_options_[option] = button;
    controls->addWidget(button);
    const std::int32_t method = option == 0 ? kCompMethodRecordByRecord : kCompMethodPrimaryKey;
    connect(button, &QRadioButton::toggled, this, [this, method](bool on) {
      if (on)
        React([&] { SelectCompMethod(state_, method); });
    });
  }
  key_fields_frame_ = new QGroupBox(tr("Key columns"));
  key_fields_frame_->setObjectName("fraPK");
  key_fields_frame_->setLayout(ColumnChoiceGrid("PK", kKeyFieldLabels, /*key_fields=*/true));
  controls->addSpacing(8);
  controls->addWidget(key_fields_frame_);
  controls->addStretch(1);
  return TabPage(tabs_, kMethodTabCaption, kMethodTabText, controls);
}

QGridLayout* CompareDataOptionsDialog::ColumnChoiceGrid(
    const char* prefix, const std::array<std::string_view, 3>& labels, bool key_fields) {
  const std::string name(prefix);
  auto* grid = new QGridLayout;
  for (int side : {kSource, kTarget}) {
    auto* heading =
        new QLabel(QString("%1: %2").arg(kSideNames[side]).arg(ToQString(tables_[side].table)));
    heading->setObjectName(Named(("lbl" + name + "Side").c_str(), side));
    grid->addWidget(heading, 0, 1 + side);
  }
  for (int rank = 0; rank < 3; ++rank) {
    auto* label = new QLabel(ToQString(labels[rank]));
    label->setObjectName(Named(("lbl" + name).c_str(), rank));
    grid->addWidget(label, 1 + rank, 0);
    for (int side : {kSource, kTarget}) {
      const int index = key_fields ? KeyFieldComboIndex(side, rank) : SortKeyComboIndex(side, rank);
      auto* combo = new QComboBox;
      combo->setObjectName(Named(("cmb" + name).c_str(), index));
      FillCombo(combo, key_fields ? KeyFieldItems(state_, side) : SortKeyItems(state_, side));
      (key_fields ? key_fields_ : sort_keys_)[index] = combo;
      grid->addWidget(combo, 1 + rank, 1 + side);
      connect(combo, &QComboBox::currentIndexChanged, this,
              [this, side, rank, key_fields](int item) {
                React([&] {
                  if (key_fields)
                    ChooseKeyField(state_, side, rank, item, context_.ui);
                  else
                    ChooseSortKey(state_, side, rank, item, context_.ui);
                });
              });
    }
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);
  return grid;
}

QWidget* CompareDataOptionsDialog::BuildSortingTab() {
  auto* controls = new QVBoxLayout;
  controls->addWidget(NoteLabel(nullptr));
  QGridLayout* grid = ColumnChoiceGrid("Gen", kSortKeyLabels, /*key_fields=*/false);
  controls->addLayout(grid);
  controls->addStretch(1);
  return TabPage(tabs_, kSortingTabCaption, kSortingTabText, controls);
}

QWidget* CompareDataOptionsDialog::BuildOffsetTab() {
  auto* controls = new QVBoxLayout;
  controls->addWidget(NoteLabel(nullptr));
  auto* grid = new QGridLayout;
  for (int side : {kSource, kTarget}) {
    auto* heading =
        new QLabel(QString("%1: %2").arg(kSideNames[side]).arg(ToQString(tables_[side].table)));
    heading->setObjectName(Named("lblOffsetSide", side));
    auto* label = new QLabel(ToQString(kOffsetLabel));
    label->setObjectName(Named("lblOffset", side));
    auto* field = new QLineEdit;
    field->setObjectName(Named("txtOffset", side));
    field->setMaximumWidth(140);
    KeepDigitsOnly(field);
    label->setBuddy(field);
    offsets_[side] = field;
    grid->addWidget(heading, side, 0);
    grid->addWidget(label, side, 1);
    grid->addWidget(field, side, 2);
    connect(field, &QLineEdit::textChanged, this, [this, side](const QString& text) {
      React([&] { SetOffsetText(state_, side, ToStdString(text)); });
    });
  }
  grid->setColumnStretch(3, 1);
  controls->addLayout(grid);
  controls->addStretch(1);
  return TabPage(tabs_, kOffsetTabCaption, kOffsetTabText, controls);
}

QWidget* CompareDataOptionsDialog::BuildIgnoreTab() {
  auto* controls = new QHBoxLayout;
  for (int side : {kSource, kTarget}) {
    auto* column = new QVBoxLayout;
    auto* heading =
        new QLabel(QString("%1: %2").arg(kSideNames[side]).arg(ToQString(tables_[side].table)));
    heading->setObjectName(Named("lblSqlObj", side));
    auto* list = new QtListControl;
    list->setObjectName(Named("pvlSqlObj", side));
    list->SetCheckList(true);
    list->SetColumnCount(2);
    list->SetColumnCaption(0, "Column");
    list->SetColumnCaption(1, "Data Type");
    list->SetColumnWidth(0, 150);
    for (const ColumnListRow& row : state_.columns[side]) {
      const int index = list->AddRow(row.name);
      list->SetCell(index, 1, row.data_type);
    }
    columns_[side] = list;
    connect(list, &QTreeWidget::itemChanged, this,
            [this, side, list](QTreeWidgetItem* item, int column) {
              if (column != 0)
                return;
              const int row = list->indexOfTopLevelItem(item);
              const bool ticked = item->checkState(0) == Qt::Checked;
              if (row < 0)
                return;
              React([&] {
                SetColumnTicked(state_, side, static_cast<std::size_t>(row), ticked, context_.ui);
              });
            });
    auto* select_all = new QPushButton(ToQString(kSelectAllButton));
    select_all->setObjectName(Named("cmdSelectAll", side));
    connect(select_all, &QPushButton::clicked, this,
            [this, side] { React([&] { SelectAllColumns(state_, side); }); });
    auto* deselect_all = new QPushButton(ToQString(kDeselectAllButton));
    deselect_all->setObjectName(Named("cmdDeselectAll", side));
    connect(deselect_all, &QPushButton::clicked, this,
            [this, side] { React([&] { DeselectAllColumns(state_, side, context_.ui); }); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(select_all);
    buttons->addWidget(deselect_all);
    buttons->addStretch(1);
    column->addWidget(heading);
    column->addWidget(list, 1);
    column->addLayout(buttons);
    controls->addLayout(column, 1);
  }
  return TabPage(tabs_, kIgnoreTabCaption, kIgnoreTabText, controls);
}

template <typename Action>
void CompareDataOptionsDialog::React(Action action) {
  if (busy_)
    return;
  busy_ = true;
  action();
  ShowState();
  busy_ = false;
}

void CompareDataOptionsDialog::ShowState() {
  const bool key_method = state_.CompMethod == kCompMethodPrimaryKey;
  method_options_[0]->setChecked(!key_method);
  method_options_[1]->setChecked(key_method);
  key_fields_frame_->setEnabled(KeyFieldsEnabled(state_));
  for (int side : {kSource, kTarget}) {
    for (int rank = 0; rank < 3; ++rank) {
      sort_keys_[SortKeyComboIndex(side, rank)]->setCurrentIndex(state_.sort_key_items[side][rank]);
      key_fields_[KeyFieldComboIndex(side, rank)]->setCurrentIndex(
          state_.key_field_items[side][rank]);
    }
    const QString offset = ToQString(state_.offset_texts[side]);
    if (offsets_[side]->text() != offset)
      offsets_[side]->setText(offset);
    QtListControl& list = *columns_[side];
    const std::vector<ColumnListRow>& rows = state_.columns[side];
    for (std::size_t row = 0; row < rows.size(); ++row) {
      const int index = static_cast<int>(row);
      if (list.IsChecked(index) != rows[row].ticked)
        list.SetChecked(index, rows[row].ticked);
    }
  }
  do_not_show_->setChecked(state_.do_not_show_again);
}

void CompareDataOptionsDialog::Continue() {
  if (busy_)
    return;
  busy_ = true;
  const CompareDataOptionsResult result =
      AcceptCompareDataOptions(state_, context_.locations, keys_[0], keys_[1], context_.ui);
  ShowState();
  busy_ = false;
  if (!result.accepted)
    return;
  options_ = result.options;
  accept();
}

}  // namespace korvane
