// A selector kept in memory: what tests and unattended runs fill.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "catalog/selector.h"

namespace korvane {

class MemorySelector final : public Selector {
 public:
  const std::string& Tag() const override { return tag_; }
  void SetTag(std::string_view tag) override { tag_ = tag; }
  void Clear() override;
  using Selector::AddItem;
  int AddItem(std::string_view text, std::int32_t item_data) override;
  int Count() const override { return static_cast<int>(items_.size()); }
  std::string ItemText(int index) const override;
  std::int32_t ItemData(int index) const override;
  int CurrentIndex() const override { return current_; }
  void SetCurrentIndex(int index) override;
  void SetVisible(bool visible) override { visible_ = visible; }

  bool visible() const { return visible_; }
  // Every entry's text, in order.
  std::vector<std::string> Texts() const;
  // Every selection event raised, in order.
  const std::vector<int>& selection_events() const { return selection_events_; }

 private:
  bool Valid(int index) const { return index >= 0 && index < Count(); }

  std::string tag_;
  std::vector<std::pair<std::string, std::int32_t>> items_;
  int current_ = -1;
  bool visible_ = true;
  std::vector<int> selection_events_;
};

}  // namespace korvane
