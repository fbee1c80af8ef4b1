#include "ui/options_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "base/user_interface.h"
#include "ui/digits_field.h"
#include "ui/qt_text.h"

namespace korvane {
namespace {

// A tab: heading, explanation, then the control(s), at the top.
QWidget* AddTab(QTabWidget* tabs, const char* caption, const char* heading, const char* explanation,
                std::initializer_list<QWidget*> controls) {
  auto* page = new QWidget(tabs);
  auto* title = new QLabel(QString::fromUtf8(heading), page);
  QFont font = title->font();
  font.setBold(true);
  title->setFont(font);
  auto* text = new QLabel(QString::fromUtf8(explanation), page);
  text->setWordWrap(true);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(title);
  layout->addWidget(text);
  layout->addSpacing(8);
  for (QWidget* control : controls) {
    control->setParent(page);
    layout->addWidget(control);
  }
  layout->addStretch(1);
  tabs->addTab(page, QString::fromUtf8(caption));
  return page;
}

QCheckBox* CheckBox(const char* name, const char* caption) {
  auto* box = new QCheckBox(QString::fromUtf8(caption));
  box->setObjectName(name);
  return box;
}

QLineEdit* DigitsField(const char* name) {
  auto* field = new QLineEdit;
  field->setObjectName(name);
  field->setMaximumWidth(120);
  KeepDigitsOnly(field);
  return field;
}

}  // namespace

OptionsDialog::OptionsDialog(ApplicationContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
  setObjectName("frmOptions");
  setWindowTitle(tr("Options"));
  setModal(true);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("tabOptions");
  tabs_->setUsesScrollButtons(true);

  auto_connect_ = CheckBox("chkAutoConnect", "Connect to SQL Server(s) at startup");
  show_owners_ = CheckBox("chkShowOwners", "Show Ownership of database objects");
  max_rows_ = DigitsField("txtMaxRows");
  case_sensitive_ = CheckBox("chkCaseSensitive", "Make comparisons case sensitive");
  ignore_whitespace_ = CheckBox("chkIgnoreWhitespace", "Ignore whitespaces");
  ignore_comments_ = CheckBox("chkIgnoreComments", "Ignore comments");
  ignore_indexes_ = CheckBox("chkIgnoreIndexes", "Ignore indexes");
  client_side_ = new QRadioButton(tr("Client-side"));
  client_side_->setObjectName("optClientSide");
  server_side_ = new QRadioButton(tr("Server-side"));
  server_side_->setObjectName("optServerSide");
  cache_size_ = DigitsField("txtCacheSize");
  ignore_sys_objects_ = CheckBox("chkIgnoreSysObjects", "Ignore system objects");
  show_data_comp_opt_ = CheckBox("chkShowDataCompOpt", "Show Data Comparison Options screen");
  preserve_db_sel_ = CheckBox("chkPreserveDbSel", "Preserve database selection");
  ignore_col_seq_ = CheckBox("chkIgnoreColSeq", "Ignore columns order");
  auto_sel_target_obj_ = CheckBox("chkAutoSelTargetObj", "Automatically select Target object");
  analyze_constraints_ =
      CheckBox("chkAnalyzeConstraints", "Treat Constraints as a separate object type");
  prompt_to_save_ = CheckBox("chkPromptToSave", "Prompt to save comparison process");

  auto* rows_label = new QLabel(tr("Maximum number of rows (at least 10):"));
  rows_label->setBuddy(max_rows_);
  auto* cache_label = new QLabel(tr("Records kept in local memory (at least 1):"));
  cache_label->setBuddy(cache_size_);

  AddTab(tabs_, "Auto Connect", "Auto Connect",
         "When this option is set, both sides of the main window connect to their servers and "
         "list their databases and objects as soon as the program starts.",
         {auto_connect_});
  AddTab(tabs_, "Show Owners", "Show Owners",
         "Shows an owner selector on each side; the object lists then show the objects of the "
         "chosen owner only.",
         {show_owners_});
  AddTab(tabs_, "Rows to Display", "Rows to Display",
         "The largest number of differing records shown in the table of data differences. "
         "Larger numbers use more memory.",
         {rows_label, max_rows_});
  AddTab(tabs_, "Case Sensitivity", "Case Sensitivity",
         "When set, upper and lower case letters are different in structure and data "
         "comparisons.",
         {case_sensitive_});
  AddTab(tabs_, "Whitespace", "Whitespace",
         "When set, blanks, tabs and empty lines do not make two structures different.",
         {ignore_whitespace_});
  AddTab(tabs_, "Ignore Comments", "Ignore Comments",
         "When set, comments in procedures, functions, views and triggers are left out of "
         "comparisons.",
         {ignore_comments_});
  AddTab(tabs_, "Ignore Indexes", "Ignore Indexes",
         "When set, the indexes of tables are left out of table comparisons.", {ignore_indexes_});
  AddTab(tabs_, "Cursor Location", "Cursor Location",
         "Server-side cursors keep the rows on the server and fetch them as they are needed; "
         "client-side cursors read every row at once and close the connection.",
         {client_side_, server_side_});
  AddTab(tabs_, "Cache Size", "Cache Size",
         "The number of records a server-side cursor keeps in local memory. This setting has "
         "meaning only when Cursor Location is set to server-side.",
         {cache_label, cache_size_});
  AddTab(tabs_, "Ignore Sys. Objects", "Ignore System Objects",
         "When set, system objects are left out of object lists and comparisons.",
         {ignore_sys_objects_});
  AddTab(tabs_, "Data Comparison", "Data Comparison",
         "When set, the data comparison options (comparison method, key columns, ignored "
         "columns) are shown before the data of two tables is compared.",
         {show_data_comp_opt_});
  AddTab(tabs_, "Preserve Selection", "Preserve Selection",
         "When set, the database used last on a server is selected again when the server is "
         "loaded.",
         {preserve_db_sel_});
  AddTab(tabs_, "Columns Order", "Columns Order",
         "When set, two tables with the same columns in a different order are identical.",
         {ignore_col_seq_});
  AddTab(tabs_, "Target Selection", "Target Selection",
         "When set, selecting a Source object selects the Target object of the same name.",
         {auto_sel_target_obj_});
  AddTab(tabs_, "Analyze Constraints", "Analyze Constraints",
         "When set, constraints are offered as an object type of their own in the object type "
         "selector and in comparisons.",
         {analyze_constraints_});
  AddTab(tabs_, "Prompt to Save", "Prompt to Save",
         "When set, the program asks after each comparison whether to save it as a comparison "
         "process that can be run again later.",
         {prompt_to_save_});

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  auto* apply = new QPushButton(tr("Apply"), this);
  apply->setObjectName("cmdApply");
  auto* cancel = new QPushButton(tr("Cancel"), this);
  cancel->setObjectName("cmdCancel");
  connect(ok, &QPushButton::clicked, this, [this] {
    Apply();
    accept();
  });
  connect(apply, &QPushButton::clicked, this, &OptionsDialog::Apply);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(apply);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_, 1);
  layout->addLayout(buttons);

  Show(ReadOptions(context_.settings_store));
  resize(620, 320);
}

OptionsValues OptionsDialog::Values() const {
  OptionsValues v;
  v.auto_connect = auto_connect_->isChecked();
  v.show_owners = show_owners_->isChecked();
  v.max_rows_text = ToStdString(max_rows_->text());
  v.case_sensitive = case_sensitive_->isChecked();
  v.ignore_whitespace = ignore_whitespace_->isChecked();
  v.ignore_comments = ignore_comments_->isChecked();
  v.ignore_indexes = ignore_indexes_->isChecked();
  v.server_side_cursor = server_side_->isChecked();
  v.cache_size_text = ToStdString(cache_size_->text());
  v.ignore_sys_objects = ignore_sys_objects_->isChecked();
  v.show_data_comp_opt = show_data_comp_opt_->isChecked();
  v.preserve_db_sel = preserve_db_sel_->isChecked();
  v.ignore_col_seq = ignore_col_seq_->isChecked();
  v.auto_sel_target_obj = auto_sel_target_obj_->isChecked();
  v.analyze_constraints = analyze_constraints_->isChecked();
  v.prompt_to_save = prompt_to_save_->isChecked();
  return v;
}

void OptionsDialog::Show(const OptionsValues& v) {
  auto_connect_->setChecked(v.auto_connect);
  show_owners_->setChecked(v.show_owners);
  max_rows_->setText(ToQString(v.max_rows_text));
  case_sensitive_->setChecked(v.case_sensitive);
  ignore_whitespace_->setChecked(v.ignore_whitespace);
  ignore_comments_->setChecked(v.ignore_comments);
  ignore_indexes_->setChecked(v.ignore_indexes);
  server_side_->setChecked(v.server_side_cursor);
  client_side_->setChecked(!v.server_side_cursor);
  cache_size_->setText(ToQString(v.cache_size_text));
  ignore_sys_objects_->setChecked(v.ignore_sys_objects);
  show_data_comp_opt_->setChecked(v.show_data_comp_opt);
  preserve_db_sel_->setChecked(v.preserve_db_sel);
  ignore_col_seq_->setChecked(v.ignore_col_seq);
  auto_sel_target_obj_->setChecked(v.auto_sel_target_obj);
  analyze_constraints_->setChecked(v.analyze_constraints);
  prompt_to_save_->setChecked(v.prompt_to_save);
}

void OptionsDialog::Apply() {
  OptionsValues values = Values();
  ValidateOptions(values, context_.ui);
  Show(values);
  // The loaded copies take the values either way; a store that could not be written is said.
  if (!SaveOptions(context_.settings_store, values, context_.settings)) {
    context_.ui.ShowMessage(context_.settings_store.last_error(), MessageIcon::kExclamation,
                            kSettingsNotSavedTitle);
  }
  saved_ = true;
}

}  // namespace korvane
