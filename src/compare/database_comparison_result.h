// What one database comparison run found: the compared sides, how the run was made, and per
// object type the objects that differ, exist on one side only or are identical. The run fills
// it as it walks the two databases; the report text is built from it (compare/comparison_report.h).
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compare/comparison_options.h"

namespace korvane {

// An object that was paired with its partner and compared.
struct ComparedObject {
  std::string name;  // the displayed name, possibly with a schema prefix ("sales.Orders")
  // The table text left out ignored columns on either side; the report then notes it.
  bool columns_ignored = false;

  friend bool operator==(const ComparedObject&, const ComparedObject&) = default;
};

// A pair found to differ. In Details mode the run keeps the two texts it compared (after
// comment removal when "IgnoreComments" is on) for the listing of differing lines; otherwise
// they stay empty.
struct DifferentObject {
  std::string name;
  bool columns_ignored = false;
  std::string source_text;
  std::string target_text;
  // The name the catalogue stores (without a schema prefix), which the details block shows.
  std::string bare_name;

  friend bool operator==(const DifferentObject&, const DifferentObject&) = default;
};

// The outcome for one object type.
struct TypeComparison {
  std::int32_t type_code = 0;
  // Number of objects in each side's list, every object counted, also in a selective run.
  int source_count = 0;
  int target_count = 0;
  // In the order the run met them: differing and identical objects and Source-only objects in
  // Source list order, Target-only objects in Target list order. All stay empty when either
  // list is empty.
  std::vector<DifferentObject> different;
  std::vector<std::string> source_only;
  std::vector<std::string> target_only;
  std::vector<ComparedObject> identical;

  friend bool operator==(const TypeComparison&, const TypeComparison&) = default;
};

inline constexpr int kSourceSide = 0;
inline constexpr int kTargetSide = 1;

struct DatabaseComparisonResult {
  std::array<std::string, 2> server_names;  // index kSourceSide and kTargetSide
  std::array<std::string, 2> database_names;
  // A selective run compares only the objects the user picked; the report then gives the
  // numbers picked instead of the list sizes.
  bool selective = false;
  int source_selected_count = 0;
  int target_selected_count = 0;
  // Details mode: the report lists the differing lines of every differing object.
  bool details = false;
  // The options the differing lines are listed with.
  ComparisonOptions options;
  // The compared types. The report writes them in kReportTypeOrder whatever their order here.
  std::vector<TypeComparison> types;
  // From the start of the run to its end.
  std::chrono::seconds elapsed{0};

  friend bool operator==(const DatabaseComparisonResult&,
                         const DatabaseComparisonResult&) = default;
};

// Whether the run found the type's objects to differ: an object differs or exists on one side
// only, or one side has objects of the type and the other none (the lists are then not walked).
bool AnyDifference(const TypeComparison& type);

}  // namespace korvane
