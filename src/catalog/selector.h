// A drop-down selector of texts with item data: the object-type selector (item data = the type
// code) and the owner selectors of the main window. The core fills and reads selectors only
// through this interface; the Qt program provides a combo box, tests MemorySelector.
//
// Entries are numbered from 0. While the tag is "OFF" the program is filling the selector and
// the handlers of its selection event return at once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/list_control.h"

namespace korvane {

class Selector {
 public:
  virtual ~Selector() = default;

  virtual const std::string& Tag() const = 0;
  virtual void SetTag(std::string_view tag) = 0;
  bool IsBusy() const { return Tag() == kBusyTag; }

  // Removes every entry; nothing is selected afterwards.
  virtual void Clear() = 0;
  // Appends an entry; returns its index.
  virtual int AddItem(std::string_view text, std::int32_t item_data) = 0;
  int AddItem(std::string_view text) { return AddItem(text, 0); }
  virtual int Count() const = 0;
  // Text and item data of an entry; empty and 0 for an entry that does not exist.
  virtual std::string ItemText(int index) const = 0;
  virtual std::int32_t ItemData(int index) const = 0;

  // Index of the selected entry, -1 when none.
  virtual int CurrentIndex() const = 0;
  // Selects the entry (-1: none) and raises the selection event, also while the tag is "OFF".
  virtual void SetCurrentIndex(int index) = 0;

  std::string CurrentText() const { return ItemText(CurrentIndex()); }
  std::int32_t CurrentData() const { return ItemData(CurrentIndex()); }

  // Visible or hidden (the owner selectors are shown only while "ShowOwners" is on).
  virtual void SetVisible(bool visible) = 0;

  // The handler of the selection event, called with the new index.
  void SetSelectionHandler(std::function<void(int index)> handler) {
    handler_ = std::move(handler);
  }

 protected:
  void RaiseSelectionEvent(int index) {
    if (handler_)
      handler_(index);
  }

 private:
  std::function<void(int index)> handler_;
};

}  // namespace korvane
