// frmIgnoreColumnsAdd without its window: one table's columns as a check list, ticked unless
// the kind's ignored-column list names them; accepting saves the unticked rows as the list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dataview/table_context.h"
#include "saved/ignored_columns.h"

namespace korvane {

struct ApplicationContext;

inline constexpr std::string_view kSelectAtLeastOneColumn =
    "Please select at least one column or click Cancel button.";
inline constexpr std::string_view kIgnoredListNotSaved =
    "The list of ignored columns could not be saved. Check that the data folder can be written "
    "to, then try again.";

// The editor's caption ("Ignore Columns - Data Comparison" ...) and instruction by kind; empty
// for a value outside the three kinds.
std::string_view IgnoreEditorCaption(IgnoredColumnsKind kind);
std::string_view IgnoreEditorInstruction(IgnoredColumnsKind kind);

struct IgnoreEditorRow {
  std::string column;
  std::string data_type;
  bool ticked = true;  // unticked rows are the ignored columns

  friend bool operator==(const IgnoreEditorRow&, const IgnoreEditorRow&) = default;
};

struct IgnoreEditorState {
  IgnoredColumnsKind kind = IgnoredColumnsKind::Data;
  ServerRecord server;
  std::string table_key;  // server "." database "." table
  std::string label;      // TableLabel
  std::vector<IgnoreEditorRow> rows;
};

// Opens the editor: every column of the table (nothing left out) with its type, ticked unless
// the kind's list for the table names it (letter case aside).
IgnoreEditorState OpenIgnoreEditor(ApplicationContext& context, IgnoredColumnsKind kind,
                                   const ViewedTable& table);

enum class IgnoreEditorSave {
  kSaved,
  kNothingTicked,  // kSelectAtLeastOneColumn was shown; the dialog stays open
  kNotSaved,       // the write failed: kIgnoredListNotSaved was shown; the dialog stays open
};

// Accepting: refuses a list with no ticked row, else saves the unticked rows in list order.
IgnoreEditorSave AcceptIgnoreEditor(ApplicationContext& context, const IgnoreEditorState& state);

// Unticks exactly the named columns (matched ignoring case) and ticks the others. False, with
// `unknown` set to the first name the table does not have, when a name matches no column.
bool ChooseIgnoredColumns(IgnoreEditorState& state, const std::vector<std::string>& names,
                          std::string& unknown);

}  // namespace korvane
