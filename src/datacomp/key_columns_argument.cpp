#include "datacomp/key_columns_argument.h"

#include <algorithm>

#include "base/text.h"

namespace korvane {

std::optional<KeyColumnsArgument> ParseKeyColumnsArgument(std::string_view text) {
  const std::vector<std::string> pairs = Split(text, ",");
  if (pairs.size() > 3)
    return std::nullopt;
  KeyColumnsArgument argument;
  for (const std::string& pair : pairs) {
    const std::size_t colon = pair.find(':');
    const std::string_view source = Trim(std::string_view(pair).substr(0, colon));
    const std::string_view target =
        colon == std::string::npos ? source : Trim(std::string_view(pair).substr(colon + 1));
    if (source.empty() || target.empty() || target.find(':') != std::string_view::npos)
      return std::nullopt;
    argument.columns[0].emplace_back(source);
    argument.columns[1].emplace_back(target);
  }
  return argument;
}

bool ChooseKeyColumnsByName(CompareDataOptionsState& state, const KeyColumnsArgument& argument,
                            UserInterface& ui, std::string& missing) {
  missing.clear();
  SelectCompMethod(state, kCompMethodPrimaryKey);
  for (int side = 0; side < 2; ++side)
    ChooseKeyField(state, side, kPrimary, 0, ui);
  const std::size_t ranks = std::min(argument.columns[0].size(), argument.columns[1].size());
  for (std::size_t rank = 0; rank < ranks && rank < 3; ++rank) {
    for (int side = 0; side < 2; ++side) {
      const std::string& name = argument.columns[side][rank];
      const int item = ColumnItem(state.columns[side], name);
      if (item == 0) {
        missing = name;
        return false;
      }
      if (!ChooseKeyField(state, side, static_cast<int>(rank), item, ui))
        return false;
    }
  }
  return true;
}

}  // namespace korvane
