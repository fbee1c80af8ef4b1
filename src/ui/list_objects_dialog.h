// frmListObjects: picks the objects of one type on both sides for a selective comparison. The
// two check lists, the mirrored ticks and the checks of OK are the core's ObjectSelectionLists;
// the dialog shows them and forwards the clicks.
#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <string>

#include "catalog/object_type.h"
#include "compare/object_selection.h"

class QTreeWidgetItem;

namespace korvane {

struct ApplicationContext;
class QtListControl;

class ListObjectsDialog final : public QDialog {
  Q_OBJECT

 public:
  // Loads both sides' objects of `type` from the current servers, every object unticked.
  ListObjectsDialog(ApplicationContext& context, const std::string& source_database,
                    const std::string& target_database, ObjectType type, QWidget* parent = nullptr);

  // The accepted selection; nothing when the dialog was cancelled.
  const std::optional<ObjectSelection>& selection() const { return selection_; }

  // Shows the dialog modally: what frmListObjects.ShowUp returns.
  static std::optional<ObjectSelection> ShowUp(ApplicationContext& context,
                                               const std::string& source_database,
                                               const std::string& target_database, ObjectType type,
                                               QWidget* parent);

 private:
  void Ticked(int side, QTreeWidgetItem* item);
  void SetAll(bool ticked);
  void Ok();
  // Shows the ticks of the core's lists.
  void Refresh();

  ApplicationContext& context_;
  ObjectSelectionLists lists_;
  std::array<QtListControl*, 2> lists_view_{};
  bool refreshing_ = false;
  std::optional<ObjectSelection> selection_;
};

}  // namespace korvane
