// The drop-down selector on Qt: a QComboBox behind the Selector interface (the object-type,
// server and owner selectors of the main window).
#pragma once

#include <QComboBox>
#include <string>

#include "catalog/selector.h"

namespace korvane {

class QtSelector final : public QComboBox, public Selector {
  Q_OBJECT

 public:
  explicit QtSelector(QWidget* parent = nullptr);

  const std::string& Tag() const override { return tag_; }
  void SetTag(std::string_view tag) override { tag_ = tag; }
  void Clear() override;
  using Selector::AddItem;
  int AddItem(std::string_view text, std::int32_t item_data) override;
  int Count() const override { return count(); }
  std::string ItemText(int index) const override;
  std::int32_t ItemData(int index) const override;
  int CurrentIndex() const override { return currentIndex(); }
  void SetCurrentIndex(int index) override;
  void SetVisible(bool visible) override { setVisible(visible); }

 private:
  void OnCurrentIndexChanged(int index);

  std::string tag_;
  // While the program changes the entries itself, Qt's own index signal is not the selection
  // event: the program raises it where the interface says so.
  bool quiet_ = false;
};

}  // namespace korvane
