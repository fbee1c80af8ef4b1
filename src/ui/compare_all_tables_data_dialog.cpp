#include "ui/compare_all_tables_data_dialog.h"

#include <QPushButton>

#include "app/application_context.h"
#include "ui/compare_status_dialog.h"
#include "ui/qt_text.h"

namespace korvane {

CompareAllTablesDataDialog::CompareAllTablesDataDialog(ApplicationContext& context, bool selective,
                                                       QWidget* parent)
    : ComparisonRunWindow(context, "frmCompareAllTables", selective, parent) {
  setWindowModality(Qt::ApplicationModal);
  TickOnly(ObjectType::kTables);
  // The run starts with the dialog; there is nothing to choose before it.
  compare_button_->hide();
  pair_status_ = std::make_unique<CompareStatusDialog>(context_, this);
}

CompareAllTablesDataDialog::~CompareAllTablesDataDialog() = default;

void CompareAllTablesDataDialog::Started() {
  show();
  SetRunning(true);
  emit runStarted();
}

void CompareAllTablesDataDialog::ShowStatus(std::string_view text) {
  ComparisonRunWindow::ShowStatus(text);
}

void CompareAllTablesDataDialog::ShowCurrentObject(std::string_view name) {
  ComparisonRunWindow::ShowCurrentObject(name);
  emit currentObjectShown(ToQString(name));
}

void CompareAllTablesDataDialog::Ended(bool) {
  SetRunning(false);
  pair_status_->hide();
  hide();
}

CompareStatus* CompareAllTablesDataDialog::PairStatus() {
  return pair_status_.get();
}

}  // namespace korvane
