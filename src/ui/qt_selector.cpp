#include "ui/qt_selector.h"

#include "ui/qt_text.h"

namespace korvane {

QtSelector::QtSelector(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  setMinimumContentsLength(8);
  connect(this, &QComboBox::currentIndexChanged, this, &QtSelector::OnCurrentIndexChanged);
}

void QtSelector::Clear() {
  quiet_ = true;
  clear();
  quiet_ = false;
}

int QtSelector::AddItem(std::string_view text, std::int32_t item_data) {
  // A combo box selects its first entry by itself; that is not a choice of the person's.
  quiet_ = true;
  const bool was_empty = count() == 0;
  addItem(ToQString(text), QVariant(static_cast<int>(item_data)));
  if (was_empty)
    setCurrentIndex(-1);
  quiet_ = false;
  return count() - 1;
}

std::string QtSelector::ItemText(int index) const {
  return index >= 0 && index < count() ? ToStdString(itemText(index)) : std::string();
}

std::int32_t QtSelector::ItemData(int index) const {
  return index >= 0 && index < count() ? static_cast<std::int32_t>(itemData(index).toInt()) : 0;
}

void QtSelector::SetCurrentIndex(int index) {
  quiet_ = true;
  setCurrentIndex(index >= 0 && index < count() ? index : -1);
  quiet_ = false;
  RaiseSelectionEvent(currentIndex());
}

void QtSelector::OnCurrentIndexChanged(int index) {
  if (!quiet_)
    RaiseSelectionEvent(index);
}

}  // namespace korvane
