// Where a database comparison gets the structure texts it compares: the scripting module's
// table, module, relationship and constraint texts. The run asks through this interface so that
// it does not depend on how the texts are built; tests answer with fixed texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalog/object_type.h"

namespace korvane {

class DatabaseSession;
class TextView;
struct ServerRecord;

// One side of the run: its server record, its database and the connection the run holds open
// to that database for its whole length.
struct ComparisonSide {
  int side = 0;  // kSourceSide or kTargetSide
  ServerRecord& server;
  std::string_view database;
  DatabaseSession& session;
};

// A structure text as the run compares it. `failed` is set when a query behind the text failed
// (the text is then empty); an object without text is not a failure. `ignored_columns` counts
// the table columns left out because of the structure ignored-column list.
struct StructureText {
  std::string text;
  bool failed = false;
  int ignored_columns = 0;
};

class StructureTextSource {
 public:
  virtual ~StructureTextSource() = default;

  // The source text of a procedure, function, view or trigger over the side's open connection:
  // the object with `id` when it is positive (never a same-named object of another schema),
  // else the object called `bare_name`.
  virtual StructureText ModuleText(const ComparisonSide& side, ObjectType type,
                                   std::string_view bare_name, std::int32_t id) = 0;

  // The text of a table: its columns without the ignored ones and, unless `with_indexes` is
  // false, its indexes. Read by `id` when it is positive, else by bare name.
  virtual StructureText TableText(const ComparisonSide& side, std::string_view bare_name,
                                  std::int32_t id, bool with_indexes) = 0;

  // The key text of a relationship or a constraint: the key with `id` when it is positive (a
  // relationship's own id, a constraint's table id), else the key called `name`.
  virtual StructureText KeyText(const ComparisonSide& side, ObjectType type, std::string_view name,
                                std::int32_t id) = 0;

  // Shows the object's structure text in `view` as the structure panes show it; the column-order
  // test compares two such views.
  virtual void ShowInView(const ComparisonSide& side, ObjectType type, std::string_view name,
                          std::int32_t id, TextView& view) = 0;
};

}  // namespace korvane
