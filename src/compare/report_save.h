// Save Comparison of the report window: the process description handed to the save dialog,
// and the recorder that writes a re-run's export and print settings into the store.
#pragma once

#include <cstdint>
#include <string_view>

#include "compare/report_window.h"
#include "saved/saved_process.h"

namespace korvane {

class SavedComparisonStore;

// The comparison the window shows, as the save dialog stores it: its codes, EncObjTypes,
// method, both servers, databases and tables, the counts and selections and the object ids.
// The name, export settings, print flag and Id are left for the dialog.
SavedProcess SavedProcessOfReport(const ReportWindowState& state);

// Writes export and print settings through the saved comparison store.
class StoreProcessRecorder final : public SavedProcessRecorder {
 public:
  explicit StoreProcessRecorder(SavedComparisonStore& store) : store_(store) {}
  bool SetExport(std::string_view process_name, std::string_view export_path,
                 std::int32_t export_type) override;
  bool SetPrint(std::string_view process_name, bool print) override;

 private:
  SavedComparisonStore& store_;
};

}  // namespace korvane
