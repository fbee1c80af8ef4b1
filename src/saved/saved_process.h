// SavedProcess: one stored comparison process, the record that saving takes and loading gives.
// Its fields are the keys of the process's section in kvn_comps.ini (same names, same order)
// plus the two object selections kept in the selection files. The defaults are what loading
// an empty name gives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "saved/comparison_codes.h"

namespace korvane {

struct SavedProcess {
  std::string name;                            // the section name
  std::int32_t comp_type = -1;                 // CompType (comparison_codes.h)
  std::int32_t comp_sub_type = 0;              // CompSubType
  std::int32_t comp_sub_sub_type = 0;          // CompSubSubType: Simple or Details
  std::string enc_obj_types;                   // EncObjTypes (enc_obj_types.h)
  std::int32_t comp_method = kCompMethodNone;  // CompMethod; -1 for structure comparisons
  std::string server_name1;                    // Source server, as the server list names it
  std::string server_name2;                    // Target server
  std::string db_name1;
  std::string db_name2;
  std::string table_name1;  // Source table or object of a one-pair comparison; else empty
  std::string table_name2;
  std::string export_file_path;  // where a re-run exports its result; empty for none
  std::int32_t export_type = kExportTypeReportText;
  std::int32_t id = 0;                        // Id; allocated by saving
  std::int32_t sel_comp_count_source = 0;     // SelCompCountSource
  std::int32_t sel_comp_count_target = 0;     // SelCompCountTarget
  std::vector<std::string> source_selection;  // displayed object names, in selection order
  std::vector<std::string> target_selection;
  bool print = false;  // print the report after a re-run
  std::int32_t obj_id1 = 0;
  std::int32_t obj_id2 = 0;

  friend bool operator==(const SavedProcess&, const SavedProcess&) = default;
};

}  // namespace korvane
