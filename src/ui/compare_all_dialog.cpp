#include "ui/compare_all_dialog.h"

#include <QPushButton>
#include <QTimer>

#include "app/application_context.h"
#include "saved/enc_obj_types.h"
#include "saved/saved_process.h"

namespace korvane {

CompareAllDialog::CompareAllDialog(ApplicationContext& context, std::string source_database,
                                   std::string target_database, StructureTextSource& texts,
                                   const SavedProcess* saved, QWidget* parent)
    : ComparisonRunWindow(context, "frmCompareAll", false, parent),
      source_database_(std::move(source_database)),
      target_database_(std::move(target_database)),
      texts_(texts),
      saved_(saved) {
  // Every type that takes part is ticked at first; a saved process ticks its own types.
  SetTickedTypes(AllVisibleTypes(context_.settings.analyze_constraints));
  if (saved_ != nullptr) {
    std::array<bool, kObjTypeCount> ticked{};
    if (const auto boxes = DecodeObjTypes(saved_->enc_obj_types)) {
      for (int index = 0; index < kObjTypeCount; ++index)
        ticked[index] = (*boxes)[index] == 1;
    }
    SetTickedTypes(ticked);
  }
  connect(compare_button_, &QPushButton::clicked, this, &CompareAllDialog::Compare);
}

void CompareAllDialog::showEvent(QShowEvent* event) {
  ComparisonRunWindow::showEvent(event);
  if (shown_)
    return;
  shown_ = true;
  if (saved_ != nullptr)
    QTimer::singleShot(0, this, &CompareAllDialog::Compare);
}

void CompareAllDialog::Compare() {
  RunCommand([this] {
    return CompareAllObjects(context_, source_database_, target_database_, TickedTypes(), texts_,
                             *this, nullptr, saved_);
  });
}

}  // namespace korvane
