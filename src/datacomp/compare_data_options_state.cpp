#include "datacomp/compare_data_options_state.h"

#include <algorithm>
#include <limits>

#include "app/settings.h"
#include "base/text.h"
#include "base/unicode_case.h"
#include "base/user_interface.h"
#include "saved/ignored_columns.h"

namespace korvane {

namespace {

constexpr std::array<std::string_view, 2> kSideNames = {"Source", "Target"};
// Labels of the key columns in the refusal of an ignored key column.
constexpr std::array<std::string_view, 3> kKeyColumnRankLabels = {"Primary", "Secondary",
                                                                  "Tertiary"};

bool IsSide(int side) {
  return side == 0 || side == 1;
}
bool IsRank(int rank) {
  return rank >= 0 && rank < 3;
}

// Text, ntext and image values can be neither sorted nor compared by the server.
bool IsUnsortableType(std::string_view data_type) {
  const std::string type = ToLowerAscii(Trim(data_type));
  return type == "text" || type == "ntext" || type == "image";
}

std::vector<std::string> Items(const CompareDataOptionsState& state, int side,
                               std::string_view first) {
  std::vector<std::string> items{std::string(first)};
  if (IsSide(side)) {
    for (const ColumnListRow& row : state.columns[side])
      items.push_back(row.name);
  }
  return items;
}

std::vector<std::string> UntickedNames(const std::vector<ColumnListRow>& rows) {
  std::vector<std::string> names;
  for (const ColumnListRow& row : rows) {
    if (!row.ticked)
      names.push_back(row.name);
  }
  return names;
}

std::size_t TickedCount(const std::vector<ColumnListRow>& rows) {
  return static_cast<std::size_t>(
      std::count_if(rows.begin(), rows.end(), [](const ColumnListRow& row) { return row.ticked; }));
}

// Why a column may not be chosen at the rank, with the combo's labels; empty when it may.
std::string RefusalOfChoice(const std::array<int, 3>& items, int rank, const ColumnListRow& column,
                            const std::array<std::string_view, 3>& labels) {
  if (IsUnsortableType(column.data_type))
    return std::string(kUnsortableTypeMessage);
  if (rank > 0 && items[rank - 1] == 0)
    return SpecifyPredecessorMessage(labels[rank - 1], labels[rank]);
  return {};
}

// The shared reaction of sort-key and key-column combos.
bool Choose(std::array<int, 3>& items, const std::vector<ColumnListRow>& columns, int rank,
            int item, const std::array<std::string_view, 3>& labels, UserInterface& ui) {
  if (!IsRank(rank) || item < 0 || static_cast<std::size_t>(item) > columns.size())
    return false;
  if (item == 0) {
    for (int later = rank; later < 3; ++later)
      items[later] = 0;
    return true;
  }
  const std::string refusal = RefusalOfChoice(items, rank, columns[item - 1], labels);
  if (!refusal.empty()) {
    ui.ShowMessage(refusal, MessageIcon::kExclamation);
    items[rank] = 0;
    return false;
  }
  items[rank] = item;
  return true;
}

// The digits' value, held at the largest 32-bit number.
std::int32_t OffsetValue(std::string_view text) {
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9')
      continue;
    value =
        std::min<std::int64_t>(value * 10 + (c - '0'), std::numeric_limits<std::int32_t>::max());
  }
  return static_cast<std::int32_t>(value);
}

bool RefuseIfIgnored(const std::vector<std::string>& unticked, std::string_view column,
                     std::string_view label, int side, UserInterface& ui) {
  if (!IsColumnIgnored(unticked, column))
    return false;
  ui.ShowMessage(IgnoredKeyColumnMessage(column, label, kSideNames[side]),
                 MessageIcon::kExclamation);
  return true;
}

}  // namespace

std::string SpecifyPredecessorMessage(std::string_view predecessor, std::string_view label) {
  std::string text = "Please specify ";
  text.append(predecessor).append(" before specifying ").append(label).append(".");
  return text;
}

std::string ColumnCountMismatchMessage(std::size_t source_count, std::size_t target_count) {
  return "Currently there are " + std::to_string(source_count) +
         " columns selected for comparison in Source and " + std::to_string(target_count) +
         " in Target.\r\n\r\n"
         "Please make sure that the same number of columns to compare is selected for Source "
         "and Target table.";
}

std::string IgnoredKeyColumnMessage(std::string_view column, std::string_view label,
                                    std::string_view side) {
  std::string text = "Column '";
  text.append(column)
      .append("' is marked as the column to be ignored during comparison.\r\n")
      .append("This column is also marked as ")
      .append(label)
      .append(" column (")
      .append(side)
      .append(") for comparison.\r\n\r\n")
      .append("Please remove this column from the list of ignored columns.");
  return text;
}

int ColumnItem(const std::vector<ColumnListRow>& columns, std::string_view name) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].name == name)
      return static_cast<int>(i) + 1;
  }
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (EqualsFoldingCase(columns[i].name, name))
      return static_cast<int>(i) + 1;
  }
  return 0;
}

std::vector<std::string> SortKeyItems(const CompareDataOptionsState& state, int side) {
  return Items(state, side, kDefaultOrderItem);
}

std::vector<std::string> KeyFieldItems(const CompareDataOptionsState& state, int side) {
  return Items(state, side, kNoField);
}

bool KeyFieldsEnabled(const CompareDataOptionsState& state) {
  return state.CompMethod == kCompMethodPrimaryKey;
}

CompareDataOptionsState LoadCompareDataOptions(const CompareDataOptionsInput& input) {
  CompareDataOptionsState state;
  for (int side = 0; side < 2; ++side) {
    std::vector<ColumnListRow>& rows = state.columns[side];
    for (const OptionsColumn& column : input.columns[side]) {
      rows.push_back(
          {column.name, column.data_type, !IsColumnIgnored(input.ignored[side], column.name)});
    }
    const DataCompareSide& stored = input.stored[side].side;
    for (int rank = 0; rank < 3; ++rank) {
      state.sort_key_items[side][rank] =
          stored.sort_keys[rank].empty() ? 0 : ColumnItem(rows, stored.sort_keys[rank]);
      state.key_field_items[side][rank] =
          IsKeyColumnSet(stored.key_columns[rank]) ? ColumnItem(rows, stored.key_columns[rank]) : 0;
    }
    state.offset_texts[side] = std::to_string(std::max(0, stored.offset));
  }
  SelectCompMethod(state, input.stored[1].CompMethod);
  state.do_not_show_again = !input.show_data_comp_opt;
  state.ignore_selection_changed = false;
  return state;
}

CompareDataOptionsState OpenCompareDataOptions(const AppLocations& locations,
                                               const SettingsStore& store,
                                               std::string_view source_key,
                                               std::string_view target_key,
                                               std::vector<OptionsColumn> source_columns,
                                               std::vector<OptionsColumn> target_columns) {
  CompareDataOptionsInput input;
  input.columns = {std::move(source_columns), std::move(target_columns)};
  input.ignored = {GetIgnoredColumns(locations, IgnoredColumnsKind::Data, source_key),
                   GetIgnoredColumns(locations, IgnoredColumnsKind::Data, target_key)};
  input.stored = {ReadTableCompSettings(locations.tables_comps_ini, source_key),
                  ReadTableCompSettings(locations.tables_comps_ini, target_key)};
  input.show_data_comp_opt = ReadBoolean(store, Setting::kShowDataCompOpt);
  return LoadCompareDataOptions(input);
}

void SelectCompMethod(CompareDataOptionsState& state, std::int32_t comp_method) {
  state.CompMethod =
      comp_method == kCompMethodPrimaryKey ? kCompMethodPrimaryKey : kCompMethodRecordByRecord;
}

bool ChooseSortKey(CompareDataOptionsState& state, int side, int rank, int item,
                   UserInterface& ui) {
  if (!IsSide(side))
    return false;
  return Choose(state.sort_key_items[side], state.columns[side], rank, item, kSortKeyLabels, ui);
}

bool ChooseKeyField(CompareDataOptionsState& state, int side, int rank, int item,
                    UserInterface& ui) {
  if (!IsSide(side) || !KeyFieldsEnabled(state))
    return false;
  if (!Choose(state.key_field_items[side], state.columns[side], rank, item, kKeyFieldLabels, ui))
    return false;
  if (side == 0 && item > 0) {
    // The Target column of the same name, when it could be chosen there.
    const std::vector<ColumnListRow>& targets = state.columns[1];
    const std::string& name = state.columns[0][item - 1].name;
    for (std::size_t i = 0; i < targets.size(); ++i) {
      if (targets[i].name != name)
        continue;
      if (RefusalOfChoice(state.key_field_items[1], rank, targets[i], kKeyFieldLabels).empty())
        state.key_field_items[1][rank] = static_cast<int>(i) + 1;
      break;
    }
  }
  return true;
}

void SetOffsetText(CompareDataOptionsState& state, int side, std::string_view text) {
  if (IsSide(side))
    state.offset_texts[side] = DigitsOnly(text);
}

void SetColumnTicked(CompareDataOptionsState& state, int side, std::size_t row, bool ticked,
                     UserInterface& ui) {
  if (!IsSide(side) || row >= state.columns[side].size())
    return;
  std::vector<ColumnListRow>& rows = state.columns[side];
  if (rows[row].ticked != ticked) {
    rows[row].ticked = ticked;
    state.ignore_selection_changed = true;
  }
  if (!ticked && TickedCount(rows) == 0)
    ui.ShowMessage(kSelectAtLeastOneColumnMessage, MessageIcon::kInformation);
}

void SelectAllColumns(CompareDataOptionsState& state, int side) {
  if (!IsSide(side))
    return;
  for (ColumnListRow& row : state.columns[side]) {
    state.ignore_selection_changed = state.ignore_selection_changed || !row.ticked;
    row.ticked = true;
  }
}

void DeselectAllColumns(CompareDataOptionsState& state, int side, UserInterface& ui) {
  if (!IsSide(side))
    return;
  for (ColumnListRow& row : state.columns[side]) {
    state.ignore_selection_changed = state.ignore_selection_changed || row.ticked;
    row.ticked = false;
  }
  ui.ShowMessage(kSelectAtLeastOneColumnMessage, MessageIcon::kInformation);
}

void SetDoNotShowAgain(CompareDataOptionsState& state, bool ticked, SettingsStore& store,
                       UserInterface& ui) {
  state.do_not_show_again = ticked;
  WriteBoolean(store, Setting::kShowDataCompOpt, !ticked);
  if (ticked)
    ui.ShowMessage(kDialogHiddenMessage, MessageIcon::kInformation);
}

std::vector<std::string> UsedSortKeys(const CompareDataOptionsState& state, int side) {
  std::vector<std::string> keys;
  if (!IsSide(side))
    return keys;
  for (const int item : state.sort_key_items[side]) {
    if (item <= 0 || static_cast<std::size_t>(item) > state.columns[side].size())
      break;
    keys.push_back(state.columns[side][item - 1].name);
  }
  return keys;
}

bool ValidateColumnSelection(const CompareDataOptionsState& state, UserInterface& ui) {
  const std::size_t source_count = TickedCount(state.columns[0]);
  const std::size_t target_count = TickedCount(state.columns[1]);
  if (source_count == 0 || target_count == 0) {
    ui.ShowMessage(kAllColumnsIgnoredMessage, MessageIcon::kExclamation);
    return false;
  }
  const bool some_unticked =
      source_count < state.columns[0].size() || target_count < state.columns[1].size();
  if (some_unticked && source_count != target_count) {
    ui.ShowMessage(ColumnCountMismatchMessage(source_count, target_count),
                   MessageIcon::kExclamation);
    return false;
  }
  return true;
}

bool ValidateKeysNotIgnored(const CompareDataOptionsState& state, UserInterface& ui) {
  for (int side = 0; side < 2; ++side) {
    const std::vector<ColumnListRow>& rows = state.columns[side];
    const std::vector<std::string> unticked = UntickedNames(rows);
    if (state.CompMethod == kCompMethodPrimaryKey) {
      for (int rank = 0; rank < 3; ++rank) {
        const int item = state.key_field_items[side][rank];
        if (item <= 0 || static_cast<std::size_t>(item) > rows.size())
          break;
        if (RefuseIfIgnored(unticked, rows[item - 1].name, kKeyColumnRankLabels[rank], side, ui))
          return false;
      }
    } else {
      const std::vector<std::string> keys = UsedSortKeys(state, side);
      for (std::size_t rank = 0; rank < keys.size(); ++rank) {
        if (RefuseIfIgnored(unticked, keys[rank], kSortKeyLabels[rank], side, ui))
          return false;
      }
    }
  }
  return true;
}

DataCompareOptions CollectDataCompareOptions(const CompareDataOptionsState& state) {
  DataCompareOptions options;
  options.use_default_order = true;
  for (const auto& side_items : state.sort_key_items) {
    for (const int item : side_items)
      options.use_default_order = options.use_default_order && item == 0;
  }
  for (int side = 0; side < 2; ++side) {
    DataCompareSide& values = options.sides[side];
    if (!options.use_default_order) {
      const std::vector<std::string> keys = UsedSortKeys(state, side);
      std::copy(keys.begin(), keys.end(), values.sort_keys.begin());
    }
    values.offset = OffsetValue(state.offset_texts[side]);
    const std::vector<std::string> items = KeyFieldItems(state, side);
    for (int rank = 0; rank < 3; ++rank) {
      const int item = state.key_field_items[side][rank];
      values.key_columns[rank] = item > 0 && static_cast<std::size_t>(item) < items.size()
                                     ? items[item]
                                     : std::string(kNoField);
    }
  }
  options.CompMethod = state.CompMethod;
  return options;
}

CompareDataOptionsResult AcceptCompareDataOptions(CompareDataOptionsState& state,
                                                  const AppLocations& locations,
                                                  std::string_view source_key,
                                                  std::string_view target_key, UserInterface& ui) {
  CompareDataOptionsResult result;
  if (state.ignore_selection_changed && !ValidateColumnSelection(state, ui))
    return result;
  if (!ValidateKeysNotIgnored(state, ui))
    return result;
  bool stored = true;
  if (state.ignore_selection_changed) {
    stored = SaveIgnoredColumns(locations, IgnoredColumnsKind::Data, source_key,
                                UntickedNames(state.columns[0]), ui);
    stored = SaveIgnoredColumns(locations, IgnoredColumnsKind::Data, target_key,
                                UntickedNames(state.columns[1]), ui) &&
             stored;
    state.ignore_selection_changed = false;
  }
  result.options = CollectDataCompareOptions(state);
  stored =
      StoreDataCompareOptions(locations.tables_comps_ini, source_key, target_key, result.options) &&
      stored;
  result.accepted = true;
  result.stored = stored;
  return result;
}

}  // namespace korvane
