// The structure texts of a database comparison, read by the scripting module: what the
// structure panes show, so a report and the panes always agree.
#pragma once

#include "compare/structure_text_source.h"

namespace korvane {

struct ApplicationContext;

class ScriptTextSource final : public StructureTextSource {
 public:
  explicit ScriptTextSource(ApplicationContext& context) : context_(context) {}

  StructureText ModuleText(const ComparisonSide& side, ObjectType type, std::string_view bare_name,
                           std::int32_t id) override;
  StructureText TableText(const ComparisonSide& side, std::string_view bare_name, std::int32_t id,
                          bool with_indexes) override;
  StructureText KeyText(const ComparisonSide& side, ObjectType type, std::string_view name,
                        std::int32_t id) override;
  void ShowInView(const ComparisonSide& side, ObjectType type, std::string_view name,
                  std::int32_t id, TextView& view) override;

 private:
  ApplicationContext& context_;
};

}  // namespace korvane
