// frmCompareAll ("Compare All"): the person ticks object types and presses Compare; every ticked
// type is compared, all objects, without details. Opened for a saved process being re-run, the
// dialog ticks the process's types and starts by itself when first shown.
#pragma once

#include <string>

#include "ui/comparison_run_window.h"

namespace korvane {

struct SavedProcess;
class StructureTextSource;

class CompareAllDialog final : public ComparisonRunWindow {
  Q_OBJECT

 public:
  // `saved` (may be null) is the process being re-run; it must outlive the dialog.
  CompareAllDialog(ApplicationContext& context, std::string source_database,
                   std::string target_database, StructureTextSource& texts,
                   const SavedProcess* saved, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Compare();

  std::string source_database_;
  std::string target_database_;
  StructureTextSource& texts_;
  const SavedProcess* saved_;
  bool shown_ = false;
};

}  // namespace korvane
