#include "ui/compare_all_tables_dialog.h"

#include <QPushButton>
#include <QTimer>

#include "app/application_context.h"

namespace korvane {

CompareAllTablesDialog::CompareAllTablesDialog(
    ApplicationContext& context, std::string source_database, std::string target_database,
    int type_index, bool details, bool selective, std::optional<ObjectSelection> selection,
    StructureTextSource& texts, const SavedProcess* saved, QWidget* parent)
    : ComparisonRunWindow(context, "frmCompareAllTables", selective, parent),
      source_database_(std::move(source_database)),
      target_database_(std::move(target_database)),
      type_index_(type_index),
      details_(details),
      selective_(selective),
      selection_(std::move(selection)),
      texts_(texts),
      saved_(saved) {
  if (const std::optional<ObjectType> type = ObjectTypeFromIndex(type_index))
    TickOnly(*type);
  connect(compare_button_, &QPushButton::clicked, this, &CompareAllTablesDialog::Compare);
}

void CompareAllTablesDialog::showEvent(QShowEvent* event) {
  ComparisonRunWindow::showEvent(event);
  if (shown_)
    return;
  shown_ = true;
  QTimer::singleShot(0, this, &CompareAllTablesDialog::Compare);
}

void CompareAllTablesDialog::Compare() {
  RunCommand([this] {
    if (!selective_) {
      return CompareAllObjectsOfType(context_, source_database_, target_database_, type_index_,
                                     details_, texts_, *this, nullptr, saved_);
    }
    // The objects were picked before the dialog opened.
    const ObjectChooser chosen = [this](ObjectType) { return selection_; };
    return CompareSelectedObjectsOfType(context_, source_database_, target_database_, type_index_,
                                        details_, texts_, *this, nullptr, chosen, saved_);
  });
  // A run that could not start (the checks before it refused) leaves nothing to wait for.
  if (!outcome().ran)
    QDialog::reject();
}

}  // namespace korvane
