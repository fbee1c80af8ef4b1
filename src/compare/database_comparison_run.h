// The database comparison run (CompareAll): walks the ticked object types of the Source and the
// Target database, pairs the objects of each type by name (tables and modules on servers of
// version 9 and later also by schema), compares the structure texts of each pair with the
// comparison options and records every object as identical, different, Source-only or Target-only.
// A run that completes leaves its report in the context's report buffer.
//
// The run polls context.cancel_requested at the start of each type, after each object list
// load and before each object of both passes; a cancelled run, like one whose schema look-up
// failed, ends without a report and leaves the buffer as it was.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/object_entry.h"
#include "catalog/object_type.h"
#include "compare/comparison_options.h"
#include "compare/database_comparison_result.h"
#include "saved/enc_obj_types.h"

namespace korvane {

struct ApplicationContext;
struct ServerRecord;
class ComparisonProgress;
class StructureTextSource;

inline constexpr std::string_view kCannotConnectSourceMessage =
    "Cannot connect to Source database - aborting.";
inline constexpr std::string_view kCannotConnectTargetMessage =
    "Cannot connect to Target database - aborting.";
inline constexpr std::string_view kFinishedSuffix = " Finished";

// What a run compares.
struct CompareAllRequest {
  std::string source_database;
  std::string target_database;
  // The type boxes by type index (tables, procedures, functions, views, triggers,
  // relationships, constraints). Constraints take part only while "AnalyzeConstraints" is on.
  std::array<bool, kObjTypeCount> ticked{};
  // Only the picked objects take part: a row whose displayed name is in neither selection is
  // skipped on both sides. The counts are what the report shows.
  bool selective = false;
  int source_selected_count = 0;
  int target_selected_count = 0;
  std::vector<std::string> source_selection;
  std::vector<std::string> target_selection;
  // Details mode: the report lists the differing lines of every differing object.
  bool details = false;
};

struct CompareAllOutcome {
  bool completed = false;  // the run went to its end and wrote its report
  // Some query of the run failed (an object list, a structure text, a partner look-up); the
  // run went on as if the query had returned nothing, so its verdicts may not be trusted.
  bool query_failed = false;
  std::string object_types;  // EncObjTypes of the ticked boxes; empty unless completed
  DatabaseComparisonResult result;
};

// "Comparing tables..." (the status text of a type).
std::string ComparingStatusText(ObjectType type);

// Whether the type with this index takes part in runs: 0 to 5 always, 6 (constraints) only
// while "AnalyzeConstraints" is on.
bool TypeIndexVisible(int type_index, bool analyze_constraints);

// The objects of a type in a side's database, as its object list shows them (same-named
// objects on servers of version 9 and later qualified with their schemas); nothing when the
// list query failed.
std::optional<std::vector<ObjectEntry>> LoadComparisonObjects(ApplicationContext& context,
                                                              ServerRecord& server,
                                                              std::string_view database,
                                                              ObjectType type);

// The partner of an object on the other side. Every type on two servers of version 9 and later
// is looked up: the partner is the first object of the type with the same bare name (the name
// the catalogue stores, never a displayed name split at a dot) whose schema equals the object's
// (case-sensitive), so a name that exists in several schemas pairs with the object of its own
// schema. On older servers every object counts as found, partner id 0 (the partner is then read
// by name). `success` is false when a schema look-up failed.
struct PartnerMatch {
  bool success = true;
  bool found = true;
  std::int32_t partner_id = 0;
  bool query_failed = false;  // the other side's table query failed (found is then false)
};
PartnerMatch FindPartner(ApplicationContext& context, ObjectType type, ServerRecord& own_server,
                         std::string_view own_database, std::int32_t own_id,
                         ServerRecord& other_server, std::string_view other_database,
                         std::string_view bare_name);

// Runs the comparison between context.CurrentServers[0] (Source) and [1] (Target). Failing
// connections show their message and end the run at once. The error log is cleared first.
CompareAllOutcome CompareAll(ApplicationContext& context, const CompareAllRequest& request,
                             StructureTextSource& texts, ComparisonProgress& progress);

}  // namespace korvane
