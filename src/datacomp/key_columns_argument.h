// The key columns of a data comparison named in text, as the command line takes them:
// "S1[:T1][,S2[:T2][,S3[:T3]]]", each Source column with the Target column it is matched with
// (the same name when no Target name follows). Chosen in the options dialog's state, so the
// dialog's rules and messages apply and the options are stored as the dialog stores them.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "datacomp/compare_data_options_state.h"

namespace korvane {

class UserInterface;

struct KeyColumnsArgument {
  // [side] -> the key columns in rank order, one to three, the same number on both sides.
  std::array<std::vector<std::string>, 2> columns;

  friend bool operator==(const KeyColumnsArgument&, const KeyColumnsArgument&) = default;
};

// Nothing when the text names no column, more than three, or has an empty name (blanks around
// names are dropped): "OrderID", "OrderID:OrderNo,Line".
std::optional<KeyColumnsArgument> ParseKeyColumnsArgument(std::string_view text);

// Selects the key method and chooses the columns rank by rank, Source then Target, through
// ChooseKeyField; ranks not named show "No Field". A column is looked up by its exact name,
// else letter case aside. False when a column is not in its table (its name is put in
// `missing`) or a choice was refused (the dialog's message was shown).
bool ChooseKeyColumnsByName(CompareDataOptionsState& state, const KeyColumnsArgument& argument,
                            UserInterface& ui, std::string& missing);

}  // namespace korvane
