// frmCompareAllTables in structure mode: the comparison of all objects of one type, or of the
// objects picked in frmListObjects ("Compare Selected Objects"). The one box of the type is
// ticked; the run starts by itself when the dialog is first shown.
#pragma once

#include <optional>
#include <string>

#include "compare/object_selection.h"
#include "ui/comparison_run_window.h"

namespace korvane {

struct SavedProcess;
class StructureTextSource;

class CompareAllTablesDialog final : public ComparisonRunWindow {
  Q_OBJECT

 public:
  // `type_index` 0 (tables) to 6 (constraints). A selective run takes `selection` (the objects
  // picked in frmListObjects) or, for a saved process being re-run, the process's selections.
  // `saved` (may be null) must outlive the dialog.
  CompareAllTablesDialog(ApplicationContext& context, std::string source_database,
                         std::string target_database, int type_index, bool details, bool selective,
                         std::optional<ObjectSelection> selection, StructureTextSource& texts,
                         const SavedProcess* saved, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Compare();

  std::string source_database_;
  std::string target_database_;
  int type_index_;
  bool details_;
  bool selective_;
  std::optional<ObjectSelection> selection_;
  StructureTextSource& texts_;
  const SavedProcess* saved_;
  bool shown_ = false;
};

}  // namespace korvane
