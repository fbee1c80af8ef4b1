#include "catalog/memory_selector.h"

namespace korvane {

void MemorySelector::Clear() {
  items_.clear();
  current_ = -1;
}

int MemorySelector::AddItem(std::string_view text, std::int32_t item_data) {
  items_.emplace_back(std::string(text), item_data);
  return Count() - 1;
}

std::string MemorySelector::ItemText(int index) const {
  return Valid(index) ? items_[static_cast<std::size_t>(index)].first : std::string();
}

std::int32_t MemorySelector::ItemData(int index) const {
  return Valid(index) ? items_[static_cast<std::size_t>(index)].second : 0;
}

void MemorySelector::SetCurrentIndex(int index) {
  current_ = Valid(index) ? index : -1;
  selection_events_.push_back(current_);
  RaiseSelectionEvent(current_);
}

std::vector<std::string> MemorySelector::Texts() const {
  std::vector<std::string> texts;
  for (const auto& item : items_)
    texts.push_back(item.first);
  return texts;
}

}  // namespace korvane
